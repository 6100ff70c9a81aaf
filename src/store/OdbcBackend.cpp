#include "store/DbBackend.h"

std::unique_ptr<IDbBackend> OpenOdbcBackend(const std::string&, std::vector<std::string>& errors)
{
    errors.push_back("ODBC connections are not available in this build");
    return nullptr;
}
