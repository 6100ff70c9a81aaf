#include "support/TestStore.h"

#include "store/CAdoRecordset.h"
#include "store/LocalDatabase.h"
#include "store/UserIdentity.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "wendar-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("mkdtemp failed");
    }
    m_path = pattern + "/";
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

void RecordingReporter::ShowMessage(const std::string& text, const std::string&, MessageIcon)
{
    std::lock_guard guard(m_lock);
    m_texts.push_back(text);
}

std::vector<std::string> RecordingReporter::Texts() const
{
    std::lock_guard guard(m_lock);
    return m_texts;
}

TestStore::TestStore() : m_reporter(std::make_shared<RecordingReporter>())
{
    std::filesystem::create_directories(m_dir.path() + "data");
    std::filesystem::create_directories(m_dir.path() + "sound");
    std::string error;
    const std::string path = m_dir.path() + "message.dat";
    if (!EnsureLocalDatabase(path, error)) {
        throw std::runtime_error(error);
    }
    m_connection.SetReporter(m_reporter);
    if (!m_connection.Open("DBQ=" + path + ";DRIVER={SQLite3}", true)) {
        throw std::runtime_error("cannot open " + path);
    }
}

MessageTypeInfo TestStore::AddItem(MessageTypeInfo item)
{
    item.messagetypeid = 0;
    item.Save(m_connection);
    EXPECT_NE(item.messagetypeid, 0) << "the item was not stored";
    return item;
}

std::vector<MessageInfo> TestStore::Messages(int messagetypeid)
{
    std::vector<MessageInfo> messages;
    CAdoRecordset rs(m_connection);
    rs.SetDateFormat(kFindingDateFormat);
    if (!rs.Open("select * from userdata where messagetypeid=" + std::to_string(messagetypeid) + " order by id")) {
        ADD_FAILURE() << "cannot read the message records";
        return messages;
    }
    rs.SetShowErrors(false); // connAddress and DisplayType are not userdata columns
    for (; !rs.IsEOF(); rs.MoveNext()) {
        MessageInfo message;
        message.LoadFromRecordset(rs);
        messages.push_back(std::move(message));
    }
    return messages;
}

long long TestStore::QueryNumber(const std::string& sql)
{
    std::vector<std::string> errors;
    DbResult result;
    if (!m_connection.RunQuery(sql, result, errors) || result.rows.empty() || result.rows[0].empty()) {
        ADD_FAILURE() << "query failed: " << sql;
        return -1;
    }
    const DbValue& v = result.rows[0][0];
    return v.kind == DbValue::Kind::Text ? std::stoll(v.text) : v.integer;
}
