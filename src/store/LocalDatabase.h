#pragma once
// The local message.dat: created with its three tables (mode 0600, it holds passwords) when it
// does not exist; an existing file is opened as it is, never rebuilt.
#include <string>

// The schema of the local files: usermessagetype, userHttpExclude, userdata and their indexes.
const std::string& LocalSchemaSql();

// Creates the file at path with the schema when it is missing. False with a reason in error when
// the file cannot be created, or exists and is not an SQLite database.
bool EnsureLocalDatabase(const std::string& path, std::string& error);
