#pragma once
// What the check run needs of the main window. The GUI implements it with a queued call to its
// UI thread; the CLI has none.
class IMainWindow
{
public:
    virtual ~IMainWindow() = default;
    // Called on the worker thread at the start (true) and end (false) of a run.
    virtual void SetBusyAnimation(bool on) = 0;
};
