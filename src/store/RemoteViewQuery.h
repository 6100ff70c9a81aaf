#pragma once
// The statement a database check reads a remote view with: the newest rows first, at most
// checkNumber of them (0 or less: all), only the user's when identity is not empty.
#include <string>

std::string RemoteViewQuery(const std::string& viewName, int checkNumber, const std::string& identity);
