#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

struct sqlite3;

// Copies the pages of a database's write-ahead log back into the database file on a thread of its
// own, through a connection of its own, so that a commit that fills the log (marking 100,000
// records read writes tens of thousands of pages) returns without waiting for the copy. Readers
// and writers go on meanwhile; the copy stops at pages a reader may still need, as SQLite's own
// automatic one does.
class WalCheckpointer final
{
public:
    explicit WalCheckpointer(std::string path);
    WalCheckpointer(const WalCheckpointer&) = delete;
    WalCheckpointer& operator=(const WalCheckpointer&) = delete;
    // Interrupts a copy under way: what it did not copy, the next connection's copy does.
    ~WalCheckpointer();

    // Installs itself as the connection's commit hook in place of SQLite's automatic checkpoint.
    void Watch(sqlite3* db);
    // Asks for a copy; never waits.
    void Request();

private:
    static int OnCommit(void* self, sqlite3* db, const char* schema, int logPages);
    void Run();

    const std::string m_path;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_pending = false;
    bool m_stopping = false;
    sqlite3* m_copier = nullptr; // the thread's connection, for interrupting it
    std::thread m_thread;        // started by the first request
};
