#include "gui/frame/CBoxReporter.h"

#include "gui/frame/DesktopServices.h"
#include "gui/frame/GuiContext.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

namespace {
QMessageBox::Icon BoxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::Information;
}
} // namespace

CBoxReporter::CBoxReporter(IMessageBoxes& boxes, QObject* context) : m_boxes(boxes), m_context(context) {}

void CBoxReporter::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon)
{
    const QString boxText = QString::fromStdString(text);
    const QString boxCaption = caption.empty() ? ApplicationCaption() : QString::fromStdString(caption);
    QObject* context = m_context;
    if (QThread::currentThread() == context->thread()) {
        m_boxes.Show(QApplication::activeWindow(), boxText, boxCaption, BoxIcon(icon), QMessageBox::Ok);
        return;
    }
    // Not modal: the UI thread goes on with its work while the box is open.
    QMetaObject::invokeMethod(
        context,
        [boxText, boxCaption, icon] {
            auto* box = new QMessageBox(BoxIcon(icon), boxCaption, boxText, QMessageBox::Ok);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->setAccessibleName(boxCaption);
            box->setModal(false);
            box->show();
        },
        Qt::QueuedConnection);
}
