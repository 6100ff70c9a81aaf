#pragma once
// A real local store in a temporary application directory, for tests.
#include "store/CAdoConnection.h"
#include "store/MessageInfo.h"
#include "store/MessageReporter.h"
#include "store/MessageTypeInfo.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

// A temporary directory, removed with everything in it at destruction. path() ends with '/'.
class TempDir final
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// Records the messages the store would show, instead of printing them.
class RecordingReporter final : public IMessageReporter
{
public:
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
    std::vector<std::string> Texts() const;

private:
    mutable std::mutex m_lock;
    std::vector<std::string> m_texts;
};

// A fresh message.dat in a temporary application directory (with data/ and sound/ folders),
// opened on a main connection that reports into a RecordingReporter.
class TestStore final
{
public:
    TestStore();
    CAdoConnection& connection() { return m_connection; }
    const std::string& appDir() const { return m_dir.path(); }
    RecordingReporter& reporter() { return *m_reporter; }

    // Saves a new check item (insert) and returns it with its key set.
    MessageTypeInfo AddItem(MessageTypeInfo item);
    // The message records of one item, oldest first, loaded with MessageInfo::LoadFromRecordset
    // (RecieveDate in the finding date format).
    std::vector<MessageInfo> Messages(int messagetypeid);
    // A single whole number from a query such as "select count(*) from userdata".
    long long QueryNumber(const std::string& sql);

private:
    TempDir m_dir;
    std::shared_ptr<RecordingReporter> m_reporter;
    CAdoConnection m_connection;
};
