#include "gui/detail/ContentFile.h"

#include "util/PrivateFile.h"

bool WriteContentFile(const std::string& appDir, const std::string& bytes, std::string& path, std::string& error)
{
    path = appDir + kContentFileName;
    return WritePrivateFile(appDir + "data", "content1.htm", bytes, error);
}
