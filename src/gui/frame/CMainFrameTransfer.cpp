// The main window's 导入新的检查项目 and 导出选定的检查项目.
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "app/ItemTransfer.h"
#include "gui/dialogs/CExportItemsDialog.h"
#include "gui/frame/CMainFrame.h"
#include "gui/frame/GuiContext.h"
#include "gui/tree/CLeftView.h"

#include <QFileDialog>
#include <QStatusBar>

namespace {
// A report box stays readable: the skipped items after this many are only counted.
constexpr size_t kSkippedShown = 20;
} // namespace

void CMainFrame::OnImportItems()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("导入新的检查项目"), QString(),
                                                      tr("检查项目文件 (*.json *.yaml *.yml);;所有文件 (*)"));
    if (!path.isEmpty()) {
        ImportItemsFile(path);
    }
}

void CMainFrame::ImportItemsFile(const QString& path)
{
    std::string error;
    const auto report = ImportItems(m_context.app.Items(), path.toStdString(), error);
    if (!report) {
        m_context.boxes.Show(this, QString::fromStdString(error) + QLatin1Char('\n') + tr("没有增加任何检查项目"),
                             tr("注意"), QMessageBox::Warning, QMessageBox::Ok);
        return;
    }
    if (!report->added.empty()) {
        m_tree->Refill();
    }
    QString text = tr("增加了 %1 个检查项目").arg(report->added.size());
    if (!report->skipped.empty()) {
        text += QLatin1Char('\n') + tr("跳过了 %1 个:").arg(report->skipped.size());
        for (size_t i = 0; i < report->skipped.size() && i < kSkippedShown; ++i) {
            const SkippedItem& skipped = report->skipped[i];
            text += QLatin1Char('\n') +
                    tr("第 %1 个 \"%2\": %3")
                        .arg(skipped.number)
                        .arg(QString::fromStdString(skipped.name), QString::fromStdString(skipped.reason));
        }
        if (report->skipped.size() > kSkippedShown) {
            text += QStringLiteral("\n...");
        }
    }
    m_context.boxes.Show(this, text, tr("导入新的检查项目"),
                         report->skipped.empty() ? QMessageBox::Information : QMessageBox::Warning, QMessageBox::Ok);
}

void CMainFrame::OnExportItems()
{
    CExportItemsDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        ExportItemsFile(dialog.selectedFiles().constFirst(), dialog.WithPasswords());
    }
}

bool CMainFrame::ExportItemsFile(const QString& path, bool withPasswords)
{
    // The item the list shows, or all of them when the tree's root is selected.
    std::vector<int> ids;
    if (const ItemPtr& item = m_context.doc.m_pCurItem) {
        ids.push_back(item->messagetypeid);
    }
    std::string error;
    if (!ExportItems(m_context.app.Items(), ids, withPasswords, path.toStdString(), error)) {
        m_context.boxes.Show(this, QString::fromStdString(error), tr("注意"), QMessageBox::Warning, QMessageBox::Ok);
        return false;
    }
    statusBar()->showMessage(tr("检查项目已导出到 %1").arg(path), 10000);
    return true;
}
