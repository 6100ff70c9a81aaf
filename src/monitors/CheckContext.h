#pragma once
// What a monitor is handed besides its check item: the local connection of the thread the check
// runs on (duplicate test, store; never the UI thread's), the run's shared values (status text,
// stop flag) and the application directory.
// curl, when set, is the transfer driver of the thread the check runs on: checks one after the
// other on that thread reuse the connections it keeps.
#include <string>

class CAdoConnection;
class CCurlDriver;
class CRunState;

struct CheckContext
{
    CAdoConnection& mainConnection; // the check thread's own
    CRunState& run;
    std::string appDir; // ends with '/'
    CCurlDriver* curl = nullptr;
    // A run of the auto-check timer, not one the user started: its status texts say so.
    bool byTimer = false;
    // The one server certificate the item trusts besides the system's (store/ItemOptions.h).
    std::string pinnedCertificate;
};
