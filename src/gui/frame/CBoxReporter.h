#pragma once
// The access layer's messages as message boxes. On the UI thread the box is modal; from another
// thread (the check worker) the box is posted to the UI thread and the caller goes on at once,
// so a worker never waits for a window.
#include "store/MessageReporter.h"

class QObject;

class IMessageBoxes;

class CBoxReporter final : public IMessageReporter
{
public:
    // context: an object of the UI thread that outlives every thread that may report (the
    // application object).
    CBoxReporter(IMessageBoxes& boxes, QObject* context);
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;

private:
    IMessageBoxes& m_boxes;
    QObject* m_context;
};
