#pragma once
// The property dialog's 测试: tries an item as typed on a thread of its own, so the window never
// waits for it. Finished comes on the UI thread; the job then deletes itself. Cancel asks the
// check to end early and returns at once. A job outlives a dialog closed meanwhile: its parent
// (the main window) ends it, cancelled, when it goes.
#include "app/CTarvoApp.h"

#include <QObject>
#include <atomic>
#include <memory>
#include <thread>

class CDryRunJob final : public QObject
{
    Q_OBJECT
public:
    // Starts the check at once. pinnedCertificate: the one the item would trust (its options as typed).
    CDryRunJob(CTarvoApp& app, StoredItem typed, std::string pinnedCertificate, QObject* parent);
    ~CDryRunJob() override;
    CDryRunJob(const CDryRunJob&) = delete;
    CDryRunJob& operator=(const CDryRunJob&) = delete;

    void Cancel() { m_cancel->store(true); }

Q_SIGNALS:
    void Finished(const DryRunResult& result);

private:
    std::shared_ptr<std::atomic<bool>> m_cancel = std::make_shared<std::atomic<bool>>(false);
    std::thread m_thread;
};
