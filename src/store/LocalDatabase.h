#pragma once
// The local message.dat: created with its three tables (mode 0600, it holds passwords) when it
// does not exist or is empty; an existing file is never rebuilt, it only gains the tables added
// since (the remembered deletions). The file appears
// under its name only complete, and two programs starting for the first time at once both get it.
#include <string>

class CAdoConnection;

// The schema of the local files: usermessagetype, userHttpExclude, userdata and their indexes.
const std::string& LocalSchemaSql();

// The part of the schema added after the first release, safe to run on any file again.
std::string LocalSchemaAdditionsSql();

// Creates the file at path with the schema when it is missing or empty. False with a reason in error when
// the file cannot be created, or exists and is not an SQLite database, or lacks the added tables
// and cannot take them.
bool EnsureLocalDatabase(const std::string& path, std::string& error);

// The lock file beside a local database file ("<path>.lock"): the first start holds it whole
// (flock) while it makes the file; checks lock single bytes of it (CItemCheckLock), and a writer
// waiting for the write lock one byte far above those (WriteWaitMark).
std::string LocalLockFilePath(const std::string& databasePath);

// Whether the connection's file holds the three tables; when not, missing names the first absent
// one or the database's words.
bool HasLocalTables(CAdoConnection& connection, std::string& missing);
