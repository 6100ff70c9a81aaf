#pragma once
// What CAdoConnection needs of a database engine. Errors are returned as the engine's own
// descriptions, one entry each; the access layer decides whether to show them.
#include "store/DbValue.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class IDbBackend
{
public:
    virtual ~IDbBackend() = default;
    virtual bool Execute(const std::string& sql, std::vector<std::string>& errors) = 0;
    virtual bool Query(const std::string& sql, DbResult& result, std::vector<std::string>& errors) = 0;
    virtual bool IsOpen() const = 0;
    // A statement whose "?" placeholders take texts that may be megabytes: the engine reads them
    // where they are, no statement text holds them. Engines that cannot say so in errors.
    virtual bool ExecuteWithTexts(const std::string& sql, const std::vector<std::string_view>& texts,
                                  std::vector<std::string>& errors)
    {
        (void)sql;
        (void)texts;
        errors.push_back("not supported by this database");
        return false;
    }
    // One text or blob value of one row (by its rowid), read into out in one piece.
    virtual bool ReadLongText(const std::string& table, const std::string& column, long long rowid, std::string& out,
                              std::vector<std::string>& errors)
    {
        (void)table;
        (void)column;
        (void)rowid;
        (void)out;
        errors.push_back("not supported by this database");
        return false;
    }
    // The engine's name as the dialect is chosen by: "SQLite", "PostgreSQL", "Microsoft SQL Server" ...
    virtual std::string DbmsName() const = 0;
};

// SQLite for "DBQ=<file>;DRIVER={SQLite3}" strings, ODBC (the string passed unchanged) for all
// others. Null with the reasons in errors when the connection cannot be made.
std::unique_ptr<IDbBackend> OpenSqliteBackend(const std::string& path, std::vector<std::string>& errors);
std::unique_ptr<IDbBackend> OpenOdbcBackend(const std::string& connectionString, std::vector<std::string>& errors);
