#pragma once
// Remote databases through unixODBC: the connection string goes to the driver unchanged
// (SQLDriverConnect, no prompt). Every value is fetched as text and converted here by the column's
// SQL type, so drivers that disagree about C-type conversions still give the same values.
// Errors: each diagnostic record of a failed call becomes one entry of errors; nothing throws.
#include "store/DbBackend.h"

#include <memory>
#include <string>
#include <vector>

// Applied to every new ODBC connection, in seconds; 0 leaves the driver's own (often: none).
// A remote server that accepts and then never answers must not hold a check run forever.
struct OdbcTimeouts
{
    int loginSeconds = 15;
    int querySeconds = 60;
};

// Process-wide defaults for OpenOdbcBackend without explicit time-outs (tests shorten them).
void SetOdbcTimeouts(const OdbcTimeouts& timeouts);
OdbcTimeouts GetOdbcTimeouts();

std::unique_ptr<IDbBackend> OpenOdbcBackend(const std::string& connectionString, const OdbcTimeouts& timeouts,
                                            std::vector<std::string>& errors);
