#include "store/WalCheckpointer.h"

#include <sqlite3.h>
#include <utility>

namespace {

// SQLite's own threshold for its automatic checkpoint.
constexpr int kCheckpointPages = 1000;

} // namespace

WalCheckpointer::WalCheckpointer(std::string path) : m_path(std::move(path)) {}

WalCheckpointer::~WalCheckpointer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        if (m_copier) {
            sqlite3_interrupt(m_copier);
        }
    }
    m_wake.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void WalCheckpointer::Watch(sqlite3* db)
{
    sqlite3_wal_hook(db, &WalCheckpointer::OnCommit, this);
}

int WalCheckpointer::OnCommit(void* self, sqlite3*, const char*, int logPages)
{
    if (logPages >= kCheckpointPages) {
        static_cast<WalCheckpointer*>(self)->Request();
    }
    return SQLITE_OK;
}

void WalCheckpointer::Request()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping) {
            return;
        }
        m_pending = true;
        if (!m_thread.joinable()) {
            m_thread = std::thread(&WalCheckpointer::Run, this);
        }
    }
    m_wake.notify_one();
}

void WalCheckpointer::Run()
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(m_path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        return; // the writers' next commits still fill the log; their connections copy it as they close
    }
    // A first read opens the log: until then the connection does not know the file has one. This
    // connection only copies: it never commits, so it needs no hook of its own.
    sqlite3_exec(db, "select 1 from sqlite_master limit 1", nullptr, nullptr, nullptr);
    std::unique_lock lock(m_mutex);
    m_copier = db;
    while (true) {
        m_wake.wait(lock, [this] { return m_pending || m_stopping; });
        if (m_stopping) {
            break;
        }
        m_pending = false;
        lock.unlock();
        // Passive: takes no lock a reader or writer waits for, and gives up rather than waits.
        sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        lock.lock();
    }
    m_copier = nullptr;
    lock.unlock();
    sqlite3_close_v2(db);
}
