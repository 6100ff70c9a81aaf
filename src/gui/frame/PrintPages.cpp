#include "gui/frame/PrintPages.h"

#include "gui/detail/MessageDetailText.h"

#include <QAbstractItemModel>
#include <QPrinter>
#include <QTextDocument>
#include <QVariant>

namespace {

// A document of untrusted markup: no image, style sheet or other resource is loaded.
class CPrintDocument final : public QTextDocument
{
public:
    using QTextDocument::QTextDocument;

protected:
    QVariant loadResource(int, const QUrl&) override { return {}; }
};

QString Escaped(const std::string& text)
{
    return QString::fromStdString(text).toHtmlEscaped();
}

// A cell's text: what it shows, or for an image column what a screen reader hears.
QString CellText(const QAbstractItemModel& model, const QModelIndex& index)
{
    const QString shown = model.data(index, Qt::DisplayRole).toString();
    return shown.isEmpty() ? model.data(index, Qt::AccessibleTextRole).toString() : shown;
}

} // namespace

QString MessagePrintHtml(const MessageHeaderTexts& header, const QString& contentHtml)
{
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\" width=\"100%\">");
    html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td></tr>")
                .arg(Escaped(header.itemName), Escaped(header.receiveDate), Escaped(header.sourceDate),
                     Escaped(header.receiver));
    html += QStringLiteral("<tr><td colspan=\"2\"><b>%1</b></td><td colspan=\"2\">%2</td></tr></table><hr>")
                .arg(Escaped(header.subject), Escaped(header.sender));
    return html + contentHtml;
}

QString TablePrintHtml(const QAbstractItemModel& model, const std::vector<int>& columns)
{
    QString html = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\"><tr>");
    for (int column : columns) {
        QString head = model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        if (head.isEmpty()) {
            head = model.headerData(column, Qt::Horizontal, Qt::AccessibleTextRole).toString();
        }
        html += QStringLiteral("<th>%1</th>").arg(head.toHtmlEscaped());
    }
    html += QStringLiteral("</tr>");
    for (int row = 0; row < model.rowCount(); ++row) {
        html += QStringLiteral("<tr>");
        for (int column : columns) {
            html += QStringLiteral("<td>%1</td>").arg(CellText(model, model.index(row, column)).toHtmlEscaped());
        }
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

void PrintHtml(const QString& html, QPrinter& printer)
{
    CPrintDocument document;
    document.setHtml(html);
    document.print(&printer);
}
