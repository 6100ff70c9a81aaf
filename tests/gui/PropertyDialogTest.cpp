// The check item property dialog, offscreen, on a real message.dat and preset file: the form's
// rules, OK's checks, the sound controls, presets and exclusion ranges.
#include "PaneWorld.h"
#include "gui/dialogs/CAdvancedOptionsDlg.h"
#include "gui/dialogs/CExcludeDlg.h"
#include "gui/dialogs/CMessageTypeDlg.h"
#include "gui/dialogs/MessageTypeForm.h"
#include "support/CountingHttpServer.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>

namespace {

const QString kWebRefusal = QStringLiteral("您所输入的链接地址错误:网页监视类型必须是:HTTP://.....或HTTPS://.....");
const QString kDatabaseRefusal = QStringLiteral("您所输入的链接地址错误:数据库类型必须是:Driver=.....");
const QString kFtpRefusal = QStringLiteral("您所输入的链接地址错误:FTP监视类型必须是:FTP://.....");
const QString kIdentityRefusal = QStringLiteral("您必须输入您的“用户身份标示”");

// Types the path into the file dialog's name field and presses its OK button. The dialog fills
// its list on a thread and may take the first press for something else, so it is pressed again
// until the dialog has closed.
void Choose(QFileDialog& files, const QString& path)
{
    auto press = [&files, path]() {
        for (QAbstractItemView* view : files.findChildren<QAbstractItemView*>()) {
            view->clearSelection();
        }
        if (auto* name = files.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            name->setText(path);
        }
        static_cast<QDialog&>(files).accept();
    };
    auto* retry = new QTimer(&files);
    retry->setInterval(50);
    QObject::connect(retry, &QTimer::timeout, &files, press);
    retry->start();
    press();
}

TEST(PropertyForm, AddressChecksByCategoryWithTheIdentityFirst)
{
    const std::tuple<int, const char*, int, const char*, QString> cases[] = {
        // category index, address, must have an identity, identity, refusal (none: accepted)
        {0, "driver=x", 0, "", {}},
        {0, "DSN=x", 0, "", kDatabaseRefusal},
        {1, "http://127.0.0.1/", 0, "", {}},
        {1, "https://127.0.0.1/", 0, "", {}},
        {1, "HtTpS://A/", 0, "", {}},
        {1, " http://x/", 0, "", kWebRefusal},
        {2, "ftp://127.0.0.1/", 0, "", {}},
        {2, "Ftp://a/", 0, "", {}},
        {2, "http://a/", 0, "", kFtpRefusal},
        {3, "", 0, "", {}},
        {4, "", 0, "", {}},
        {65, "anything", 0, "", {}},
        {0, "DSN=x", 1, "", kIdentityRefusal},
        {0, "driver=x", 1, "me", {}},
    };
    for (const auto& [index, address, mustHaveId, identity, text] : cases) {
        const auto refusal =
            CheckMessageTypeForm(index, QString::fromUtf8(address), mustHaveId, QString::fromUtf8(identity));
        // The identity's refusal has the application's own caption.
        const QString caption = text == kIdentityRefusal ? QString() : QStringLiteral("属性信息错误");
        EXPECT_EQ(refusal ? refusal->text + QLatin1Char('|') + refusal->caption : QString(),
                  text.isEmpty() ? QString() : text + QLatin1Char('|') + caption)
            << address;
    }
}

TEST(PropertyForm, IntegersAndStoredSoundPaths)
{
    const std::pair<const char*, std::optional<int>> integers[] = {{"42", 42},    {" -1 ", -1},        {"+7", 7},
                                                                   {"", {}},      {"-", {}},           {"1.5", {}},
                                                                   {"12abc", {}}, {"99999999999", {}}, {" ", {}}};
    for (const auto& [text, value] : integers) {
        EXPECT_EQ(ParseFormInteger(QString::fromUtf8(text)), value) << text;
    }
    // Below the data folder (chosen through the dialog) or the resources: relative; elsewhere kept.
    for (const auto& [chosen, stored] : {std::pair{"/usr/share/wendar/sound/b.wav", "sound/b.wav"},
                                         {"/home/u/a.wav", "/home/u/a.wav"},
                                         {"/mnt/usr/share/wendar/a.wav", "/mnt/usr/share/wendar/a.wav"}}) {
        EXPECT_EQ(StoredSoundPath(QStringLiteral("/home/u/.local/share/wendar/"), QStringLiteral("/usr/share/wendar/"),
                                  QString::fromUtf8(chosen)),
                  QString::fromUtf8(stored));
    }
}

TEST(PropertyForm, AdvancedOptionsOfferWhatTheItemUses)
{
    const std::tuple<int, const char*, const char*, bool, bool> cases[] = {
        // ..., certificate, mail preview
        {kCategoryMail, "mail.example.com", "", false, true},
        {kCategoryMail, "pop3s://mail.example.com", "", true, true},
        {kCategoryWebPage, "http://a/", "", false, false},
        {kCategoryWebPage, " HTTPS://a/", "", true, false},
        {kCategoryFtp, "ftp://a/", "", false, false},
        {kCategoryDatabase, "driver=x", "v", false, false},
    };
    for (const auto& [category, address, viewName, certificate, mailPreview] : cases) {
        const AdvancedKind kind = AdvancedKindOf(category, address, viewName);
        EXPECT_EQ(std::pair(kind.certificate, kind.mailPreview), std::pair(certificate, mailPreview)) << address;
    }
}

// The dialog on item, which the tests store and change.
class DialogTest : public ::testing::Test
{
protected:
    void Open()
    {
        dialog = std::make_unique<CMessageTypeDlg>(home.context());
        dialog->SetMessageType(&item);
        dialog->LoadFromItem(&item);
        dialog->show();
        QApplication::processEvents();
    }
    // Stores a new item with these ranges and opens the dialog on it.
    void OpenStored(const char* name, int category, const char* address, ExcludeRanges ranges = {})
    {
        item = NewItem(name, category, address);
        std::string error;
        EXPECT_TRUE(home.app.Items().Save(item, ranges, error)) << error;
        Open();
    }
    template <typename Widget> Widget* At(const char* name) { return Child<Widget>(*dialog, name); }
    QLineEdit* Edit(const char* name) { return At<QLineEdit>(name); }
    void Ok() { At<QPushButton>("ok")->click(); }
    QStringList ListRows()
    {
        auto* list = At<QTableWidget>("excludeList");
        QStringList rows;
        for (int row = 0; row < list->rowCount(); ++row) {
            rows << list->item(row, 0)->text() + QLatin1Char('|') + list->item(row, 1)->text();
        }
        return rows;
    }
    long long Column(const std::string& column) { return std::stoll(home.ItemField(item.messagetypeid, column)); }

    PaneWorld home;
    MessageTypeInfo item;
    std::unique_ptr<CMessageTypeDlg> dialog;
};

TEST_F(DialogTest, EveryCategoryEnablesItsControlsAndEveryControlHasAName)
{
    OpenStored("x", kCategoryDatabase, "driver=x");
    EXPECT_TRUE(At<QToolButton>("preset")->menu()->actions().isEmpty()) << "there is no preset file";
    auto* category = At<QComboBox>("MessageCategory");
    ASSERT_EQ(category->count(), 5);
    // Of the controls that follow the category, the ones each category enables.
    const char* enabled[] = {"ViewName CheckNumber MessageTypeUser",
                             "IncludeFrom IncludeTo addExclude modifyExclude deleteExclude excludeList", "ViewName",
                             "ViewName", "ViewName"};
    for (int index = 0; index < 5; ++index) {
        category->setCurrentIndex(index);
        Q_EMIT category->activated(index);
        for (const char* name : {"ViewName", "CheckNumber", "MessageTypeUser", "IncludeFrom", "IncludeTo", "addExclude",
                                 "modifyExclude", "deleteExclude", "excludeList"}) {
            const bool on = QString::fromUtf8(enabled[index]).split(QLatin1Char(' ')).contains(QString::fromUtf8(name));
            EXPECT_EQ(At<QWidget>(name)->isEnabled(), on) << index << " " << name;
        }
    }
    EXPECT_EQ(std::tuple(At<QPushButton>("advanced")->isEnabled(), At<QPushButton>("test")->isEnabled(),
                         At<QCheckBox>("bCanChangeState")->isEnabled(), Edit("IncludeFrom2")->isEnabled(),
                         Edit("CheckInterval")->isVisible()),
              std::tuple(true, true, false, false, false));
    EXPECT_EQ(Unnamed(*dialog), QStringList());
}

TEST_F(DialogTest, TheFormShowsAndStoresTheItemsFieldsAndStaysOpenWhenTheStoreRefuses)
{
    item = NewItem("网页", kCategoryWebPage, "http://127.0.0.1/");
    item.CheckInterval = 90;
    item.DisplayType = 1;
    item.bNotify = 10;
    item.state = 0;
    item.IncludeFrom = "<a href='x'>";
    std::string error;
    ASSERT_TRUE(home.app.Items().Save(item, std::nullopt, error));
    Open();
    // Auto check is off: the interval is shown disabled.
    EXPECT_EQ(std::tuple(Edit("CheckInterval")->text(), Edit("CheckInterval")->isEnabled(),
                         At<QCheckBox>("state")->isChecked(), At<QRadioButton>("showLink")->isChecked(),
                         Edit("IncludeFrom")->text()),
              std::tuple(QStringLiteral("1"), false, false, true, QStringLiteral("<a href='x'>")));
    At<QRadioButton>("showContent")->setChecked(true);
    Edit("Password")->setText(QStringLiteral("it's"));

    ASSERT_TRUE(home.app.Db().main.Execute(
        "create trigger refuse before update on usermessagetype begin select raise(abort, 'refused'); end"));
    Ok();
    ASSERT_EQ(home.boxes.shown.size(), 1u);
    EXPECT_TRUE(home.boxes.shown[0].text.contains(QStringLiteral("refused")));
    EXPECT_EQ(std::pair(dialog->isVisible(), Edit("Password")->text()), std::pair(true, QStringLiteral("it's")))
        << "nothing typed is lost";
    ASSERT_TRUE(home.app.Db().main.Execute("drop trigger refuse"));

    Ok();
    EXPECT_EQ(std::pair(dialog->result(), item.CheckInterval), std::pair(int(QDialog::Accepted), 60));
    const auto stored = home.app.Items().Load(item.messagetypeid, error);
    ASSERT_TRUE(stored);
    EXPECT_TRUE(SameColumns(stored->item, item));
    EXPECT_EQ(std::pair(stored->item.DisplayType, stored->item.Password), std::pair(0, std::string("it's")));
}

TEST_F(DialogTest, SoundControlsFollowTheInterval)
{
    OpenStored("s", kCategoryWebPage, "http://x/");
    item.bNotify = -1;
    Open();
    auto* sound = At<QCheckBox>("sound");
    auto* once = At<QCheckBox>("warnOnce");
    auto* interval = Edit("bNotify");
    auto* file = Edit("notifysound");
    EXPECT_EQ(std::tuple(sound->isChecked(), interval->isEnabled(), file->isEnabled(), once->isEnabled()),
              std::tuple(false, false, false, false));

    sound->click();
    EXPECT_EQ(interval->text(), QStringLiteral("0"));
    EXPECT_EQ(std::tuple(once->isChecked(), interval->isEnabled(), file->isEnabled(), once->isEnabled()),
              std::tuple(true, true, true, true));
    once->click();
    EXPECT_TRUE(once->isChecked()) << "只警告一次 follows the interval only";

    // Typing the interval: a lone minus sign is no number yet, and no reason for a box.
    interval->selectAll();
    QTest::keyClick(interval, '-');
    EXPECT_TRUE(once->isChecked()) << "the interval keeps its earlier value";
    interval->selectAll();
    QTest::keyClick(interval, '5');
    EXPECT_TRUE(home.boxes.shown.empty());
    EXPECT_EQ(std::pair(once->isChecked(), sound->isChecked()), std::pair(false, true));
}

TEST_F(DialogTest, OkNamesTheFirstFieldOutOfBoundsAndStoresNothingUntilAllKeepThem)
{
    OpenStored("n", kCategoryFtp, "ftp://127.0.0.1/", {{0, "A", ""}});
    QApplication::setActiveWindow(dialog.get());
    auto* category = At<QComboBox>("MessageCategory");
    auto* address = At<QPlainTextEdit>("connAddress");
    const std::tuple<int, const char*, const char*, const char*, QString> cases[] = {
        // ..., field, value, rule
        {2, "ftp://x/", "MessageTypeName", "", QStringLiteral("名称不能为空")},
        {2, "ftp://x/", "ViewName", "65536",
         QStringLiteral("端口号必须是 1 到 65535 之间的整数，或者不填（默认端口）")},
        {0, "driver=x", "CheckNumber", "abc",
         QStringLiteral("检查最新消息条数必须是 0 到 10000 之间的整数 (0 = 全部)")},
        {1, "http://x/", "bNotify", "-", QStringLiteral("声音提示间隔必须是 -1（不提示）、0（只提示一次）或秒数")},
    };
    for (const auto& [index, typed, field, value, rule] : cases) {
        home.boxes.shown.clear();
        category->setCurrentIndex(index);
        Q_EMIT category->activated(index);
        address->setPlainText(QString::fromUtf8(typed));
        QLineEdit* edit = Edit(field);
        const QString before = edit->text();
        edit->setText(QString::fromUtf8(value));
        Ok();
        ASSERT_EQ(home.Shown(), QStringList{rule}) << field;
        EXPECT_EQ(home.boxes.shown[0].caption, QStringLiteral("属性信息错误"));
        EXPECT_EQ(QApplication::focusWidget(), edit) << field;
        edit->setText(before);
    }
    // The address is one line; the ranges of a web item need both markers.
    home.boxes.shown.clear();
    for (const char* text : {"ftp://x/", "http://x/\nmore", "http://x/"}) {
        address->setPlainText(QString::fromUtf8(text));
        Ok();
    }
    EXPECT_EQ(home.Shown(), (QStringList{kWebRefusal, QStringLiteral("链接地址只能有一行"),
                                         QStringLiteral("排除开始处和排除结束处都不能为空")}));
    auto* list = At<QTableWidget>("excludeList");
    EXPECT_EQ(QApplication::focusWidget(), list);
    ASSERT_EQ(list->selectionModel()->selectedRows().size(), 1);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Column("MessageCategory"), kCategoryFtp) << "nothing stored yet";

    // Enter in the address is OK.
    At<QPushButton>("deleteExclude")->click();
    address->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(address, &enter);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Column("MessageCategory"), kCategoryWebPage);
    EXPECT_TRUE(home.Ranges(item.messagetypeid).empty());
}

TEST_F(DialogTest, ExclusionRangesAreListedAndStoredInTheirOrder)
{
    OpenStored("w", kCategoryWebPage, "http://x/", {{0, "A", "a"}, {0, "B", "b'"}});
    EXPECT_EQ(ListRows(), (QStringList{QStringLiteral("A|a"), QStringLiteral("B|b'")}));

    // Modify and delete need a selected row.
    At<QPushButton>("modifyExclude")->click();
    At<QPushButton>("deleteExclude")->click();
    EXPECT_EQ(home.Shown(), QStringList(2, QStringLiteral("请首先选择需要修改的条目")));
    EXPECT_EQ(home.boxes.shown.back().caption, QStringLiteral("确认"));

    // A new range goes to the top.
    WhenModal<CExcludeDlg>([](CExcludeDlg& exclude) {
        EXPECT_EQ(exclude.windowTitle(), QStringLiteral("排除内容设定"));
        Child<QLineEdit>(exclude, "excludeFrom")->setText(QStringLiteral("C"));
        Child<QLineEdit>(exclude, "excludeTo")->setText(QStringLiteral("c"));
        Child<QPushButton>(exclude, "ok")->click();
    });
    At<QPushButton>("addExclude")->click();
    EXPECT_EQ(ListRows(), (QStringList{QStringLiteral("C|c"), QStringLiteral("A|a"), QStringLiteral("B|b'")}));

    // Modify the selected row, prefilled with its texts; delete another without asking.
    auto* list = At<QTableWidget>("excludeList");
    list->selectRow(2);
    WhenModal<CExcludeDlg>([](CExcludeDlg& exclude) {
        auto* to = Child<QLineEdit>(exclude, "excludeTo");
        EXPECT_EQ(to->text(), QStringLiteral("b'"));
        to->setText(QStringLiteral("bb"));
        Child<QPushButton>(exclude, "ok")->click();
    });
    At<QPushButton>("modifyExclude")->click();
    list->selectRow(1);
    At<QPushButton>("deleteExclude")->click();
    EXPECT_EQ(ListRows(), (QStringList{QStringLiteral("C|c"), QStringLiteral("B|bb")}));
    Ok();
    EXPECT_EQ(home.Ranges(item.messagetypeid), (std::vector<std::string>{"C|c", "B|bb"}));

    // Saved unchanged, the order stays.
    Open();
    Ok();
    EXPECT_EQ(home.Ranges(item.messagetypeid), (std::vector<std::string>{"C|c", "B|bb"}));
}

TEST_F(DialogTest, APresetOnAStoredItemKeepsItsIdAndReplacesItsFieldsRangesAndMustHaveId)
{
    MessageTypeInfo web = NewItem("预制网页", kCategoryWebPage, "https://127.0.0.1/news");
    web.CheckInterval = 1800;
    web.bNotify = 60;
    web.MustHaveID = 1;
    home.WritePresets({{NewItem("预制库", kCategoryDatabase, "Driver=SQLite3;Database=/x"), {}},
                       {web, {{0, "P1", "p1"}, {0, "P2", "p2"}}}});

    OpenStored("mine", kCategoryWebPage, "http://x/", {{0, "old", "old"}});
    const int id = item.messagetypeid;
    QMenu* menu = At<QToolButton>("preset")->menu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("预制库"));
    menu->actions()[1]->trigger();
    EXPECT_EQ(std::pair(Edit("MessageTypeName")->text(), Edit("CheckInterval")->text()),
              std::pair(QStringLiteral("预制网页"), QStringLiteral("30")));
    EXPECT_EQ(ListRows(), (QStringList{QStringLiteral("P1|p1"), QStringLiteral("P2|p2")}));
    // The preset asks for the identity.
    Ok();
    EXPECT_EQ(home.Shown(), QStringList{kIdentityRefusal});
    Edit("MessageTypeUser")->setText(QStringLiteral("me"));
    Ok();
    EXPECT_EQ(std::pair(item.messagetypeid, home.Count("usermessagetype")), std::pair(id, 1LL));
    EXPECT_EQ(home.ItemField(id, "MessageTypeName"), "预制网页");
    EXPECT_EQ(std::pair(Column("bNotify"), Column("MustHaveID")), std::pair(60LL, 1LL));
    EXPECT_EQ(home.Ranges(id), (std::vector<std::string>{"P1|p1", "P2|p2"}));
}

TEST_F(DialogTest, TheSoundTestPlaysOffTheUiThreadWithTheDefaultAsFallbackAndAChosenSoundIsStoredRelative)
{
    OpenStored("s", kCategoryWebPage, "http://x/");
    auto* play = At<QToolButton>("playSound");
    play->click();
    ASSERT_TRUE(WaitFor([&] { return home.player->Played().size() == 1; }));
    EXPECT_EQ(home.player->Played()[0], home.dir() + "sound/Cuckoo01.wav");

    // The value as last exchanged with the controls.
    const auto playUntil = [&](const char* file, const std::function<bool()>& done) {
        Edit("notifysound")->setText(QString::fromUtf8(file));
        dialog->UpdateSoundControls();
        return WaitFor([&] {
            play->click();
            return done();
        });
    };
    ASSERT_TRUE(playUntil("missing.wav", [&] { return home.player->Played().size() >= 3; }));
    const auto played = home.player->Played();
    EXPECT_EQ(std::pair(played[1], played[2]), std::pair(home.dir() + "missing.wav", home.dir() + "ring01.wav"));

    // Closing the dialog stops a sound that is still playing instead of waiting for its end.
    const auto endless = [&] {
        const auto all = home.player->Played();
        return !all.empty() && all.back() == home.dir() + "endless.wav";
    };
    ASSERT_TRUE(playUntil("endless.wav", endless));
    dialog->reject();
    dialog.reset();
    EXPECT_TRUE(home.player->Stopped());
    EXPECT_TRUE(endless()) << "no fallback after a stop";

    // A sound chosen below the program folder is stored relative to it.
    std::filesystem::create_directories(home.dir() + "sound");
    QFile file(QString::fromStdString(home.dir() + "sound/a.wav"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    Open();
    WhenModal<QFileDialog>([&](QFileDialog& files) {
        EXPECT_EQ(files.directory().absolutePath() + QLatin1Char('/'), QString::fromStdString(home.dir() + "sound/"));
        Choose(files, QString::fromStdString(home.dir() + "sound/a.wav"));
    });
    At<QPushButton>("chooseSound")->click();
    EXPECT_EQ(Edit("notifysound")->text(), QStringLiteral("sound/a.wav"));
    Ok();
    EXPECT_EQ(home.ItemField(item.messagetypeid, "notifysound"), "sound/a.wav");
}

TEST_F(DialogTest, AnItemOfACategoryTheListDoesNotHoldKeepsItsCategory)
{
    OpenStored("广播", kCategoryBroadcast, "driver=x");
    EXPECT_EQ(At<QComboBox>("MessageCategory")->currentIndex(), -1);
    Ok();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Column("MessageCategory"), kCategoryBroadcast);
}

TEST_F(DialogTest, AdvancedOptionsAreKeptUntilOkAndStoredWithTheItem)
{
    OpenStored("邮箱", kCategoryMail, "pop3s://127.0.0.1:1");
    const int id = item.messagetypeid;
    // The last failed check met a certificate the system does not trust: it is offered.
    const std::string offered = "00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff";
    const std::string pair = "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF";
    const CheckRecord check{.messagetypeid = id,
                            .startMs = home.app.Health().Now(),
                            .result = CheckResult::Failed,
                            .text = "服务器的证书不可信 (SHA-256 指纹 " + pair + ":" + pair + ")"};
    std::optional<HealthChange> change;
    std::string error;
    ASSERT_TRUE(home.app.Health().Record(check, change, error)) << error;

    Open();
    auto advanced = [&](const std::function<void(CAdvancedOptionsDlg&)>& answer) {
        WhenModal<CAdvancedOptionsDlg>(answer);
        At<QPushButton>("advanced")->click();
    };
    advanced([&](CAdvancedOptionsDlg& d) {
        auto* own = Child<QCheckBox>(d, "ownSchedule");
        auto* interval = Child<QSpinBox>(d, "intervalMinutes");
        auto* expect = Child<QCheckBox>(d, "expect");
        auto* fingerprint = Child<QLineEdit>(d, "fingerprint");
        auto* preview = Child<QCheckBox>(d, "mailPreview");
        ASSERT_TRUE(own && interval && expect && fingerprint && preview);
        // CheckInterval 1200 s; the silent alarm is off by default.
        EXPECT_EQ(std::tuple(own->isChecked(), interval->value(), interval->isEnabled(), expect->isChecked(),
                             fingerprint->text().toStdString(), preview->isChecked()),
                  std::tuple(false, 20, false, false, offered, true));
        own->click();
        interval->setValue(45);
        expect->click();
        Child<QSpinBox>(d, "expectMinutes")->setValue(90);
        fingerprint->setText(QStringLiteral("not a fingerprint"));
        Child<QPushButton>(d, "ok")->click();
        EXPECT_TRUE(d.isVisible()) << "a broken fingerprint is refused";
        fingerprint->setText(QString::fromStdString(offered).toUpper());
        preview->click();
        Child<QPushButton>(d, "ok")->click();
    });
    ASSERT_EQ(home.Shown().size(), 1);
    EXPECT_EQ(Edit("CheckInterval")->text(), QStringLiteral("45"));
    EXPECT_EQ(home.app.Health().Options(id, error), ItemOptions{.messagetypeid = id}) << "nothing is stored before OK";

    Ok();
    EXPECT_EQ(home.app.Health().Options(id, error), (ItemOptions{id, true, 90, offered, false})) << error;
    EXPECT_EQ(Column("CheckInterval"), 45 * 60);

    // Reopened, the stored values show; a plain web item has no certificate and no preview.
    Open();
    advanced([&](CAdvancedOptionsDlg& d) {
        EXPECT_EQ(std::tuple(Child<QCheckBox>(d, "ownSchedule")->isChecked(),
                             Child<QSpinBox>(d, "expectMinutes")->value(),
                             Child<QCheckBox>(d, "mailPreview")->isChecked()),
                  std::tuple(true, 90, false));
        d.reject();
    });
    At<QComboBox>("MessageCategory")->setCurrentIndex(kIndexWebPage);
    At<QPlainTextEdit>("connAddress")->setPlainText(QStringLiteral("http://127.0.0.1/"));
    advanced([&](CAdvancedOptionsDlg& d) {
        EXPECT_FALSE(d.findChild<QWidget*>(QStringLiteral("fingerprint")) ||
                     d.findChild<QWidget*>(QStringLiteral("mailPreview")));
        d.reject();
    });
}

// 测试 against a page server, a server that never answers, and a closed port.
TEST_F(DialogTest, TheTestButtonTriesTheItemAsTypedOffTheUiThread)
{
    CountingHttpServer http;
    http.Release();
    CountingHttpServer stall; // never released

    item.MessageCategory = kCategoryWebPage;
    Open();
    auto* test = At<QPushButton>("test");
    auto* result = At<QLabel>("testResult");
    auto* address = At<QPlainTextEdit>("connAddress");
    Edit("MessageTypeName")->setText(QStringLiteral("新闻"));
    auto tryIt = [&](const std::string& url) {
        address->setPlainText(QString::fromStdString(url));
        test->click();
        EXPECT_EQ(test->text(), QStringLiteral("停止测试")) << "the window does not wait";
        EXPECT_EQ(result->text(), QStringLiteral("正在测试……"));
    };
    auto ended = [&] { return !dialog->IsTestRunning(); };

    tryIt(http.Url("/news"));
    ASSERT_TRUE(WaitFor(ended));
    EXPECT_TRUE(result->text().startsWith(QStringLiteral("测试成功：现在检查会保存 1 条新消息：")))
        << result->text().toStdString();
    EXPECT_EQ(test->text(), QStringLiteral("测试"));
    // A trial stores nothing.
    EXPECT_EQ(std::pair(home.Count("userdata"), home.Count("usermessagetype")), std::pair(0LL, 0LL));

    tryIt(stall.Url("/news"));
    test->click();
    EXPECT_FALSE(test->isEnabled()) << "cancelling";
    ASSERT_TRUE(WaitFor(ended));
    EXPECT_EQ(result->text(), QStringLiteral("测试已取消。"));

    tryIt("http://127.0.0.1:1/news");
    ASSERT_TRUE(WaitFor(ended));
    EXPECT_TRUE(result->text().startsWith(QStringLiteral("测试失败："))) << result->text().toStdString();

    address->setPlainText(QStringLiteral("ftp://127.0.0.1/"));
    test->click();
    EXPECT_FALSE(dialog->IsTestRunning()) << "an address of the wrong kind is not tried";
    EXPECT_TRUE(result->text().contains(QStringLiteral("HTTP://"))) << result->text().toStdString();
}

} // namespace
