#pragma once
// What start-up brings up, without the windows: the data and resource directories (app/AppPaths.h),
// an earlier build's message.dat moved into the data directory, the two local connection strings, the main connection
// (message.dat created when missing), the UI thread's connection on the same file, the settings and the run's shared
// values. The GUI and the CLI both start through it.
//
// The front ends reach the data through the operations (Items, Messages) and the document; the
// connections are the core's own (app/AppConnections.h, which the front ends cannot include).
#include "app/CHealthOperations.h"
#include "app/CItemOperations.h"
#include "app/DryRun.h"
#include "app/Settings.h"
#include "monitors/CRunState.h"
#include "store/MessageReporter.h"
#include "store/UserIdentity.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

inline constexpr std::chrono::milliseconds kUiBusyTimeout{50};

class CMessageOperations;
class CTarvoDoc;
class ISoundPlayer;

class CTarvoApp final
{
public:
    CTarvoApp();
    ~CTarvoApp();

    // homeOption: the --home value (empty when not given). False with a reason in error when the
    // main database cannot be created or opened.
    bool InitInstance(const std::string& homeOption, const std::string& executablePath, std::string& error);
    // The store's messages of both connections go to reporter (stderr until then). Called before
    // the connections are shared with a check thread.
    void SetReporter(const std::shared_ptr<IMessageReporter>& reporter);
    // Closing: ends the background writes and closes every connection of the application.
    void CloseConnections();
    // A stored program file path (sound, help page): the data directory's file, else the resource
    // directory's.
    std::string ProgramFile(const std::string& storedPath) const;
    // The message operations of the UI thread; made by InitInstance once the main connection is open.
    CMessageOperations& Messages() { return *m_messages; }
    // The check items and presets; there after a successful InitInstance.
    CItemOperations& Items() { return *m_items; }
    // The items' health, check logs and own options; there after a successful InitInstance.
    CHealthOperations& Health() { return *m_health; }
    // Tries the item as typed without writing message.dat (app/DryRun.h); on the calling thread, on
    // connections of its own, so any thread may call it.
    DryRunResult DryRun(const StoredItem& typed, const std::atomic<bool>& cancel,
                        const std::string& pinnedCertificate = {}) const;
    // The window's way: the UI connection waits at most kUiBusyTimeout for a lock, and a message
    // write that meets one goes on in the background; done tells its end on that thread.
    void UseBackgroundWrites(std::function<void(bool written, const std::string& error)> done);
    // The document on the UI thread's connection, with the settings and the standard monitors.
    std::unique_ptr<CTarvoDoc> MakeDocument(std::shared_ptr<ISoundPlayer> player);
    // The document's items are read on a thread while the window is built (CTarvoDoc::PrefetchItems),
    // on the main connection, which has nothing else to do after start-up.
    void PrefetchItems(CTarvoDoc& doc);
    struct Connections;
    Connections& Db() { return *m_connections; }

    std::string m_strAppDir;      // the data directory: message.dat, data/, the user's sounds
    std::string m_strResourceDir; // messagetype.dat, sound/, ring01.wav, help/
    // What start-up has to tell the user (an old message.dat moved or left where it was).
    std::vector<std::string> m_notices;
    std::string m_strMainConnection;
    std::string m_strPresetConnection;
    Settings m_settings;
    CRunState m_run;
    std::string m_strUserName = kUserName;
    int m_nUserId = kUserId;

private:
    std::unique_ptr<Connections> m_connections;
    std::unique_ptr<CMessageOperations> m_messages;
    std::unique_ptr<CItemOperations> m_items;
    std::unique_ptr<CHealthOperations> m_health;
};

// The executable's own path (/proc/self/exe), falling back to argv[0].
std::string ExecutablePath(const char* argv0);
