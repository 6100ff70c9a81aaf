#pragma once
// What a monitor is handed besides its check item: the main local connection (duplicate test,
// store), the run's shared values (status text, stop flag) and the application directory.
// curl, when set, is the transfer driver of the thread the check runs on: checks one after the
// other on that thread reuse the connections it keeps.
#include <string>

class CAdoConnection;
class CCurlDriver;
class CRunState;

struct CheckContext
{
    CAdoConnection& mainConnection;
    CRunState& run;
    std::string appDir; // ends with '/'
    CCurlDriver* curl = nullptr;
    // A run of the auto-check timer, not one the user started: its status texts say so.
    bool byTimer = false;
};
