#pragma once
// What a monitor is handed besides its check item: the main local connection (duplicate test,
// store), the run's shared values (status text, stop flag) and the application directory.
#include <string>

class CAdoConnection;
class CRunState;

struct CheckContext
{
    CAdoConnection& mainConnection;
    CRunState& run;
    std::string appDir; // ends with '/'
};
