#pragma once
// wendar-cli as a user runs it: on a home directory and a profile of the test's own, as child
// processes (several at once where a test wants two programs on one directory).
#include "LocalServers.h"
#include "app/TestFiles.h"
#include "store/CAdoConnection.h"
#include "support/ChildProcess.h"
#include "support/TestStore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

using testing::AllOf;
using testing::HasSubstr;
using testing::Not;

// How often part stands in text.
inline size_t Count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

class CliRunner : public testing::Test
{
protected:
    std::vector<std::string> Command(std::vector<std::string> args, const std::string& homePath = {}) const
    {
        args.insert(args.begin(), {WENDAR_CLI_PATH, "--home", homePath.empty() ? home.path() : homePath});
        return args;
    }
    std::map<std::string, std::string> Environment() const
    {
        return {{"XDG_CONFIG_HOME", config.path()}, {"WENDAR_HOME", ""}, {"PULSE_SERVER", "unix:/nonexistent"}};
    }
    ChildResult Run(std::vector<std::string> args, std::chrono::milliseconds timeout = std::chrono::seconds(60)) const
    {
        return RunChild(Command(std::move(args)), Environment(), timeout);
    }
    // In another application directory; killed (status 137) once the time-out is reached.
    ChildResult RunIn(const std::string& homePath, std::vector<std::string> args,
                      std::chrono::milliseconds timeout = std::chrono::seconds(60)) const
    {
        return RunChild(Command(std::move(args), homePath), Environment(), timeout);
    }
    // A long-running command, ended (SIGTERM) once its output so far satisfies `enough`.
    ChildResult RunUntil(std::vector<std::string> args, const std::function<bool(const std::string&)>& enough) const
    {
        return RunChildUntil(Command(std::move(args)), Environment(), enough);
    }
    std::string Ok(std::vector<std::string> args) const
    {
        const ChildResult result = Run(std::move(args));
        EXPECT_EQ(result.status, 0) << result.err;
        return result.out;
    }
    // Adds an item with the CLI (its number, from 1, is printed); more options after the address.
    void AddItem(const std::string& name, const std::string& category, const std::string& address = {},
                 const std::vector<std::string>& more = {}) const
    {
        std::vector<std::string> args = {"items", "add", "--name", name, "--category", category};
        if (!address.empty()) {
            args.insert(args.end(), {"--address", address});
        }
        args.insert(args.end(), more.begin(), more.end());
        Ok(args);
    }
    // A POP3 item on the local Dovecot's mailbox of the user tester.
    void AddMailItem() const
    {
        AddItem("邮件", "4", "127.0.0.1",
                {"--view", std::to_string(LocalServers::Pop3Port()), "--user", "tester", "--password", "secret"});
    }
    // The address of a database item that cannot be checked.
    static constexpr const char* kBrokenDatabase = "Driver=SQLite3;Database=/nonexistent/x.db";
    std::string DatabasePath() const { return home.path() + "message.dat"; }
    std::string ProfilePath() const { return config.path() + "Local AppWizard-Generated Applications/Tarvo.ini"; }
    // A whole number from a query on the CLI's message.dat, read behind its back.
    long long Number(const std::string& sql) const
    {
        CAdoConnection connection;
        connection.SetShowErrors(false);
        DbResult result;
        std::vector<std::string> errors;
        if (!connection.Open("DBQ=" + DatabasePath() + ";DRIVER={SQLite3}") ||
            !connection.RunQuery(sql, result, errors) || result.rows.empty()) {
            ADD_FAILURE() << sql << ": " << (errors.empty() ? "no row" : errors.front());
            return -1;
        }
        return result.rows.front().front().integer;
    }
    void Sql(const std::string& sql) const
    {
        CAdoConnection connection;
        ASSERT_TRUE(connection.Open("DBQ=" + DatabasePath() + ";DRIVER={SQLite3}"));
        ASSERT_TRUE(connection.Execute(sql)) << sql;
    }
    // Rows stored more than once: the same item, identity, name and date.
    long long Duplicates() const
    {
        return Number("select count(*) - (select count(*) from (select distinct MessageTypeID, SourceID, SourceInfo, "
                      "SourceDate, SourceContent from userdata)) from userdata");
    }
    // A remote SQLite file of notices 1..count with the view v_notice a database item reads; its address.
    std::string NoticeDatabase(int count) const
    {
        const std::string path = home.path() + "remote.db";
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        const std::string sql =
            "create table if not exists notices(id integer primary key, info text, content text);"
            "create view if not exists v_notice as select id as ID, 'n' as SourceType, '2002-05-01 08:30' as "
            "FromDate, 'u' as FromID, '张三' as FromName, info as Info, 'u2' as ToID, '李四' as ToName, content as "
            "Content, 'http://127.0.0.1/n/' || id as Link from notices;"
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < " +
            std::to_string(count) +
            ") insert or ignore into notices select i, '通知 ' || i, '<p>' || i || '</p>' from n;";
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
        return "Driver=SQLite3;Database=" + path;
    }

    TempDir home;
    TempDir config;
};
