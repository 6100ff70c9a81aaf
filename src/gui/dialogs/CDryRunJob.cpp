#include "gui/dialogs/CDryRunJob.h"

CDryRunJob::CDryRunJob(CTarvoApp& app, StoredItem typed, std::string pinnedCertificate, QObject* parent)
    : QObject(parent)
{
    m_thread =
        std::thread([this, &app, typed = std::move(typed), pin = std::move(pinnedCertificate), cancel = m_cancel]() {
            DryRunResult result = app.DryRun(typed, *cancel, pin);
            // Dropped when the job is destroyed first: its destructor joins this thread before the
            // object's posted events go.
            QMetaObject::invokeMethod(
                this,
                [this, result = std::move(result)]() {
                    m_thread.join();
                    Q_EMIT Finished(result);
                    deleteLater();
                },
                Qt::QueuedConnection);
        });
}

CDryRunJob::~CDryRunJob()
{
    Cancel();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}
