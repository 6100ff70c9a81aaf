#pragma once
// The program's core on a temporary application directory, for tests of the tree and the
// property dialog: the application object with its real message.dat, a document, recording
// message boxes and a recording sound player, and a helper that answers a modal dialog.
#include "GuiFakes.h"
#include "app/AppConnections.h"
#include "app/AppPaths.h"
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "app/IDocView.h"
#include "app/ISoundPlayer.h"
#include "store/CAdoRecordset.h"
#include "store/ExcludeTable.h"
#include "store/LocalDatabase.h"
#include "support/TestStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

class RecordingSoundPlayer final : public ISoundPlayer
{
public:
    bool Play(const std::string& path) override
    {
        std::lock_guard guard(m_lock);
        m_played.push_back(path);
        return path.find("missing") == std::string::npos;
    }
    std::vector<std::string> Played() const
    {
        std::lock_guard guard(m_lock);
        return m_played;
    }

private:
    mutable std::mutex m_lock;
    std::vector<std::string> m_played;
};

// Counts the updates a pane would get from the document.
class SpyView final : public IDocView
{
public:
    void OnUpdate(CTarvoDoc&, IDocView*, int) override { ++updates; }
    int updates = 0;
};

class GuiHome
{
public:
    GuiHome()
    {
        setenv("XDG_CONFIG_HOME", (m_home.path() + "config").c_str(), 1);
        std::string error;
        if (!app.InitInstance(m_home.path(), m_home.path() + "wendar", error)) {
            ADD_FAILURE() << error;
        }
        doc = std::make_unique<CTarvoDoc>(app.Db().main, app.m_run, app.m_strAppDir, nullptr);
        context = std::make_unique<GuiContext>(GuiContext{app, *doc, boxes, opener, player});
    }
    ~GuiHome() { doc->WaitForChecks(); }

    const std::string& dir() const { return m_home.path(); }

    // Stores a new check item in message.dat and returns it with its key.
    MessageTypeInfo AddItem(const std::string& name, int category = kCategoryWebPage, int state = 1)
    {
        MessageTypeInfo item;
        item.MessageTypeName = name;
        item.MessageCategory = category;
        item.state = state;
        item.connAddress = "http://127.0.0.1/";
        item.Save(app.Db().main);
        EXPECT_NE(item.messagetypeid, 0);
        return item;
    }
    void AddMessage(int messagetypeid, int status)
    {
        ASSERT_TRUE(app.Db().main.Execute("insert into userdata (MessageTypeID, status, SourceInfo) values(" +
                                          std::to_string(messagetypeid) + "," + std::to_string(status) + ",'x')"));
    }
    long long Number(const std::string& sql)
    {
        CAdoRecordset rs(app.Db().main);
        int value = -1;
        if (rs.Open(sql) && !rs.IsEOF()) {
            rs.GetFieldValue("n", value);
        }
        return value;
    }
    std::string Text(const std::string& sql)
    {
        CAdoRecordset rs(app.Db().main);
        std::string value;
        if (rs.Open(sql) && !rs.IsEOF()) {
            rs.GetFieldValue("t", value);
        }
        return value;
    }
    // The stored ranges of an item as "from|to" in the order the table returns them.
    std::vector<std::string> Ranges(int messagetypeid)
    {
        std::vector<std::string> texts;
        for (const auto& range : LoadExcludeRanges(app.Db().main, messagetypeid).value_or(ExcludeRanges{})) {
            texts.push_back(range.excludeFrom + "|" + range.excludeTo);
        }
        return texts;
    }
    // A preset file messagetype.dat beside message.dat with these items and their ranges, in use.
    void WritePresets(const std::vector<std::pair<MessageTypeInfo, std::vector<ExcludeRange>>>& presets)
    {
        std::string error;
        ASSERT_TRUE(EnsureLocalDatabase(app.m_strAppDir + "messagetype.dat", error)) << error;
        CAdoConnection connection;
        ASSERT_TRUE(connection.Open(PresetConnectionString(app.m_strAppDir), true));
        for (auto [item, ranges] : presets) {
            item.messagetypeid = 0;
            item.Save(connection);
            ASSERT_NE(item.messagetypeid, 0);
            ASSERT_TRUE(SaveExcludeRanges(connection, item.messagetypeid, ranges));
        }
        // Start-up takes the data directory's own preset file when it is there; it came later here.
        app.m_strPresetConnection = PresetConnectionString(app.m_strAppDir);
    }

    CTarvoApp app;
    std::unique_ptr<CTarvoDoc> doc;
    RecordingMessageBoxes boxes;
    RecordingOpener opener;
    std::shared_ptr<RecordingSoundPlayer> player = std::make_shared<RecordingSoundPlayer>();
    std::unique_ptr<GuiContext> context;

private:
    using ExcludeRanges = std::vector<ExcludeRange>;
    TempDir m_home;
};

// Once a modal dialog of type Dialog is open, runs answer on it (which must close it). Gives up
// after a generous minute, closing whatever modal dialog is open, so a test never hangs.
template <typename Dialog> void WhenModal(std::function<void(Dialog&)> answer)
{
    auto* timer = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, started, answer]() {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            QPointer<Dialog> answered(dialog);
            answer(*dialog);
            // An answer that did not close its dialog would leave the test waiting for ever.
            QTimer::singleShot(30000, [answered]() {
                if (answered && answered->isVisible()) {
                    QWidget* modal = QApplication::activeModalWidget();
                    ADD_FAILURE() << Dialog::staticMetaObject.className()
                                  << " still open; on top: " << (modal ? modal->metaObject()->className() : "nothing");
                    if (modal && modal != answered) {
                        modal->close();
                    }
                    answered->close();
                }
            });
            return;
        }
        if (started->elapsed() > 60000) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no modal " << Dialog::staticMetaObject.className() << " came up";
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            }
        }
    });
    timer->start();
}

// Processes events until done() holds or the time is up.
inline bool WaitFor(const std::function<bool()>& done, int milliseconds = 60000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
