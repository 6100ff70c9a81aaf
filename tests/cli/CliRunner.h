#pragma once
// wendar-cli as a user runs it: on a home directory and a profile of the test's own, as child
// processes (several at once where a test wants two programs on one directory), against real
// servers on 127.0.0.1 shared by the whole test program: Dovecot (POP3), pyftpdlib and a page server.
#include "app/TestFiles.h"
#include "store/CAdoConnection.h"
#include "support/ChildProcess.h"
#include "support/DovecotServer.h"
#include "support/FtpServer.h"
#include "support/PageServer.h"
#include "support/RemoteDatabase.h"
#include "support/TestStore.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
    std::map<std::string, std::string> Environment() const
    {
        return {{"XDG_CONFIG_HOME", config.path()}, {"WENDAR_HOME", ""}, {"PULSE_SERVER", "unix:/nonexistent"}};
    }
    // In the test's application directory or in another; killed (status 137) once the time-out is
    // reached, ended (SIGTERM) once options.enough holds for the output so far.
    ChildResult Run(std::vector<std::string> args, const ChildOptions& options = {}) const
    {
        return RunIn(home.path(), std::move(args), options);
    }
    ChildResult RunIn(const std::string& homePath, std::vector<std::string> args,
                      const ChildOptions& options = {}) const
    {
        args.insert(args.begin(), {WENDAR_CLI_PATH, "--home", homePath});
        return RunChild(args, Environment(), options);
    }
    // The output of a run that must end with the given exit status.
    std::string Out(int status, std::vector<std::string> args, const ChildOptions& options = {}) const
    {
        const ChildResult result = Run(std::move(args), options);
        EXPECT_EQ(result.status, status) << result.err << result.out;
        return result.out;
    }
    std::string Ok(std::vector<std::string> args, const ChildOptions& options = {}) const
    {
        return Out(0, std::move(args), options);
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
                {"--view", std::to_string(Dovecot().plainPort()), "--user", "tester", "--password", "secret"});
    }
    static DovecotServer& Dovecot()
    {
        std::string error;
        DovecotServer* server = SharedServer<DovecotServer>(error);
        return server ? *server : throw std::runtime_error("dovecot: " + error);
    }
    // Delivers one message under a unique file name (also its UIDL).
    static void DeliverMail(const std::string& fileName, const std::string& text)
    {
        ASSERT_TRUE(Dovecot().AddMessage(fileName, text)) << fileName;
    }
    // The URL of a fresh FTP directory (anonymous), and a file written into it.
    static std::string NewFtpDirectory(const std::string& name)
    {
        std::filesystem::create_directories(FtpServer::Shared().root() + name);
        return "ftp://127.0.0.1:" + std::to_string(FtpServer::Shared().port()) + "/" + name + "/";
    }
    static void WriteFtpFile(const std::string& directory, const std::string& name)
    {
        WriteFile(FtpServer::Shared().root() + directory + "/" + name, name);
    }
    // A page, answered after `delay`; its URL.
    static std::string SetPage(const std::string& path, const std::string& body, std::chrono::milliseconds delay = {})
    {
        static PageServer s_pages;
        return s_pages.SetPage(path, body, "text/html; charset=utf-8", delay);
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
        EXPECT_TRUE(connection.Open("DBQ=" + DatabasePath() + ";DRIVER={SQLite3}") &&
                    connection.RunQuery(sql, result, errors) && !result.rows.empty())
            << sql << ": " << (errors.empty() ? "no row" : errors.front());
        return result.rows.empty() ? -1 : result.rows.front().front().integer;
    }
    void Sql(const std::string& sql) const
    {
        CAdoConnection connection;
        ASSERT_TRUE(connection.Open("DBQ=" + DatabasePath() + ";DRIVER={SQLite3}"));
        ASSERT_TRUE(connection.Execute(sql)) << sql;
    }
    // Every row of every table of the CLI's message.dat, as the sqlite3 shell dumps them.
    std::string Dump() const { return RunChild({"sqlite3", DatabasePath(), ".dump"}).out; }
    // Adds item 1 with the CLI, then stores findings 0..count-1 for it behind the CLI's back.
    void AddItemWithFindings(int count) const
    {
        ASSERT_EQ(Ok({"items", "add", "--name", "a", "--category", "2"}), "1\n");
        Sql("with recursive n(i) as (select 0 union all select i + 1 from n where i + 1 < " + std::to_string(count) +
            ") insert into userdata (MessageTypeID, MessageCategory, SourceID, SourceInfo) select 1, 2, i, 'title ' "
            "|| i from n where " +
            std::to_string(count) + " > 0");
    }
    // A remote SQLite file of notices 1..count with the view v_notice a database item reads; its address.
    std::string NoticeDatabase(int count) const
    {
        const RemoteDatabase remote = MakeRemote("SQLite", home.path());
        remote.Run(kCreateNotices + InsertRows(1, count));
        return remote.connection;
    }

    TempDir home;
    TempDir config;
};
