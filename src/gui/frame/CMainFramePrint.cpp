// The main window's printing (打印, 打印预览, 打印设置) and the 消息细节 switch.
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "gui/detail/CWatchMessageView.h"
#include "gui/detail/MessageDetailText.h"
#include "gui/frame/CMainFrame.h"
#include "gui/frame/FrameCommands.h"
#include "gui/frame/GuiContext.h"
#include "gui/frame/PrintPages.h"
#include "gui/list/CMessageListCtrl.h"
#include "gui/list/CMessageListModel.h"
#include "gui/list/CTarvoView.h"

#include <QAction>
#include <QHeaderView>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

void CMainFrame::PrintShown(QPrinter& printer)
{
    if (m_bDetailActive && !m_detail->isHidden()) {
        const CTarvoDoc& doc = m_context.doc;
        const bool shown = doc.m_nCurMessageId > 0;
        const MessageHeaderTexts header =
            BuildHeaderTexts(shown ? &m_detail->Record() : nullptr, m_context.app.m_settings.UserType);
        const QString content = shown ? QString::fromStdString(BuildStoredContentHtml(m_detail->Record())) : QString();
        PrintHtml(MessagePrintHtml(header, content), printer);
        return;
    }
    // The columns as the list shows them: in their order on screen, without the ones of no width.
    const QHeaderView* header = m_list->List()->horizontalHeader();
    std::vector<int> columns;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (!header->isSectionHidden(column) && header->sectionSize(column) > 0) {
            columns.push_back(column);
        }
    }
    PrintHtml(TablePrintHtml(*m_list->Model(), columns), printer);
}

void CMainFrame::OnFilePrint()
{
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    QPrintDialog dialog(m_printer.get(), this);
    if (dialog.exec() == QDialog::Accepted) {
        PrintShown(*m_printer);
    }
}

void CMainFrame::OnFilePrintPreview()
{
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    QPrintPreviewDialog preview(m_printer.get(), this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* printer) { PrintShown(*printer); });
    preview.exec();
}

void CMainFrame::OnFilePrintSetup()
{
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    QPageSetupDialog dialog(m_printer.get(), this);
    dialog.exec();
}

void CMainFrame::ShowMessageDetail(bool shown)
{
    m_detail->setVisible(shown);
    Action(cmd::kMessageDetail)->setChecked(shown);
    if (!shown) {
        m_bDetailActive = false;
    }
}
