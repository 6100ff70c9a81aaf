#pragma once
// Shows a desktop notification; a click on it asks for the main window. Tests record instead.
#include <QString>
#include <functional>

class IDesktopNotifier
{
public:
    virtual ~IDesktopNotifier() = default;
    virtual void Notify(const QString& title, const QString& body) = 0;
    // Called on the UI thread when the user clicks the notification.
    void SetClickHandler(std::function<void()> handler) { m_onClick = std::move(handler); }

protected:
    std::function<void()> m_onClick;
};
