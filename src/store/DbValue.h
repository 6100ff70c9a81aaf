#pragma once
// One field value as a backend hands it to a recordset.
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

struct DbDateTime
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

struct DbValue
{
    enum class Kind
    {
        Null,
        Int32,
        Int64,
        Double,
        Text,
        Date,
        Bool,
    };
    Kind kind = Kind::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string text;
    DbDateTime date;
};

struct DbColumn
{
    std::string name;
    bool isLongText = false;
};

// A whole result: the recordset reads every row at open, so the shared connection's lock is
// held only while the query runs.
struct DbResult
{
    std::vector<DbColumn> columns;
    std::vector<std::vector<DbValue>> rows;
};
