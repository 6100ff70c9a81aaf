#include "gui/dialogs/CCheckLogDlg.h"

#include "app/CHealthOperations.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace {

enum Column
{
    kStartColumn,
    kDurationColumn,
    kTriggerColumn,
    kResultColumn,
    kNewColumn,
    kTextColumn,
    kColumnCount,
};

} // namespace

QString CCheckLogDlg::TriggerText(CheckTrigger trigger)
{
    switch (trigger) {
    case CheckTrigger::Timer:
        return tr("定时");
    case CheckTrigger::Hand:
        return tr("手工");
    case CheckTrigger::Cli:
        return tr("命令行");
    }
    return {};
}

QString CCheckLogDlg::ResultText(CheckResult result)
{
    switch (result) {
    case CheckResult::NewFindings:
        return tr("有新消息");
    case CheckResult::NothingNew:
        return tr("没有新消息");
    case CheckResult::Failed:
        return tr("失败");
    case CheckResult::Stopped:
        return tr("已停止");
    case CheckResult::Skipped:
        return tr("跳过（另一个程序正在检查）");
    }
    return {};
}

QString CCheckLogDlg::DurationText(long long durationMs)
{
    return tr("%1 秒").arg(static_cast<double>(durationMs) / 1000.0, 0, 'f', 1);
}

CCheckLogDlg::CCheckLogDlg(const QString& itemName, const std::vector<CheckLogEntry>& entries, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("检查记录 - %1").arg(itemName));
    setAccessibleName(windowTitle());
    m_pTable = new QTableWidget(static_cast<int>(entries.size()), kColumnCount, this);
    m_pTable->setObjectName(QStringLiteral("checkLog"));
    m_pTable->setAccessibleName(tr("检查记录"));
    m_pTable->setHorizontalHeaderLabels({tr("开始"), tr("用时"), tr("方式"), tr("结果"), tr("新消息"), tr("说明")});
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->verticalHeader()->hide();
    m_pTable->horizontalHeader()->setStretchLastSection(true);
    int row = 0;
    for (const CheckLogEntry& entry : entries) {
        const QString cells[kColumnCount] = {
            QString::fromStdString(CheckTimeText(entry.startMs)),
            DurationText(entry.durationMs),
            TriggerText(entry.trigger),
            ResultText(entry.result),
            entry.result == CheckResult::NewFindings ? QString::number(entry.newFindings) : QString(),
            QString::fromStdString(entry.text),
        };
        for (int column = 0; column < kColumnCount; ++column) {
            auto* cell = new QTableWidgetItem(cells[column]);
            if (column == kTextColumn) {
                cell->setToolTip(cells[column]); // a long status text is cut in the cell
            }
            m_pTable->setItem(row, column, cell);
        }
        ++row;
    }
    m_pTable->resizeColumnsToContents();

    auto* empty = new QLabel(tr("这个项目还没有检查过。"), this);
    empty->setVisible(entries.empty());
    auto* close = new QPushButton(tr("关闭"), this);
    close->setObjectName(QStringLiteral("close"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(empty);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTable, 1);
    layout->addLayout(buttons);
    resize(760, 420);
}
