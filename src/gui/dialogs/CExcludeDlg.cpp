#include "gui/dialogs/CExcludeDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QLineEdit* AddField(QGridLayout* grid, int row, const QString& label, const QString& objectName, QWidget* parent)
{
    auto* text = new QLabel(label, parent);
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setAccessibleName(label);
    text->setBuddy(edit);
    grid->addWidget(text, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

} // namespace

CExcludeDlg::CExcludeDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("排除内容设定"));
    setAccessibleName(windowTitle());
    auto* grid = new QGridLayout;
    m_pFrom = AddField(grid, 0, tr("排除开始处："), QStringLiteral("excludeFrom"), this);
    m_pTo = AddField(grid, 1, tr("排除结束处："), QStringLiteral("excludeTo"), this);
    grid->setColumnMinimumWidth(1, 320);

    auto* ok = new QPushButton(tr("确定"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("放弃"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(ok, &QPushButton::clicked, this, &CExcludeDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

void CExcludeDlg::showEvent(QShowEvent* event)
{
    m_pFrom->setText(m_strFrom);
    m_pTo->setText(m_strTo);
    QDialog::showEvent(event);
}

void CExcludeDlg::OnOK()
{
    m_strFrom = m_pFrom->text();
    m_strTo = m_pTo->text();
    accept();
}
