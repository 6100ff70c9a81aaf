#pragma once
// wendar-cli as a user runs it: on a home directory and a profile of the test's own, as child
// processes (several at once where a test wants two programs on one directory).
#include "store/CAdoConnection.h"
#include "support/ChildProcess.h"
#include "support/TestStore.h"

#include <gtest/gtest.h>

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
    std::string Ok(std::vector<std::string> args) const
    {
        const ChildResult result = Run(std::move(args));
        EXPECT_EQ(result.status, 0) << result.err;
        return result.out;
    }
    std::string DatabasePath() const { return home.path() + "message.dat"; }
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

    TempDir home;
    TempDir config;
};
