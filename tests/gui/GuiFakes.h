#pragma once
// Stand-ins for the services a window is handed: message boxes that record and answer as
// scripted, and an opener that opens nothing.
#include "gui/frame/GuiContext.h"

#include <QStringList>
#include <deque>
#include <vector>

struct ShownBox
{
    QString text;
    QString caption;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
};

class RecordingMessageBoxes final : public IMessageBoxes
{
public:
    QMessageBox::StandardButton Show(QWidget*, const QString& text, const QString& caption, QMessageBox::Icon icon,
                                     QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) override
    {
        shown.push_back({text, caption, icon, buttons, defaultButton});
        if (!answers.empty()) {
            const auto answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return buttons.testFlag(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::Yes;
    }
    std::vector<ShownBox> shown;
    std::deque<QMessageBox::StandardButton> answers;
};

class RecordingOpener final : public IDesktopOpener
{
public:
    bool Open(const QUrl& url) override
    {
        opened.push_back(url);
        return true;
    }
    std::vector<QUrl> opened;
};
