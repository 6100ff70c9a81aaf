#pragma once
// The application's connections on message.dat, for the core and its tests. The front ends'
// include root leaves this header out: they reach the data through the core's operations.
#include "app/CBackgroundWrites.h"
#include "app/CTarvoApp.h"
#include "store/CAdoConnection.h"

struct CTarvoApp::Connections
{
    // Opens and checks message.dat at start-up.
    CAdoConnection main;
    // The window's: its writes wait at most kUiBusyTimeout for another connection's write lock and
    // go before the checks' slices; a write that still meets a lock goes to uiWrites.
    CAdoConnection ui;
    CBackgroundWrites uiWrites{ui};
};
