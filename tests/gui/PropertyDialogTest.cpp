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
    const std::tuple<int, const char*, QString> cases[] = {
        // category index, address, refusal (none: accepted)
        {0, "driver=x", {}},
        {0, "DSN=x", kDatabaseRefusal},
        {1, "http://127.0.0.1/", {}},
        {1, "https://127.0.0.1/", {}},
        {1, "HtTpS://A/", {}},
        {1, " http://x/", kWebRefusal},
        {2, "ftp://127.0.0.1/", {}},
        {2, "Ftp://a/", {}},
        {2, "http://a/", kFtpRefusal},
        {3, "", {}},
        {4, "", {}},
        {65, "anything", {}},
    };
    for (const auto& [index, address, text] : cases) {
        const auto refusal = CheckMessageTypeForm(index, QString::fromUtf8(address), 0, QString());
        EXPECT_EQ(refusal ? refusal->text + QLatin1Char('|') + refusal->caption : QString(),
                  text.isEmpty() ? QString() : text + QStringLiteral("|属性信息错误"))
            << address;
    }
    const auto identity = CheckMessageTypeForm(0, QStringLiteral("DSN=x"), 1, QString());
    ASSERT_TRUE(identity);
    EXPECT_EQ(identity->text, kIdentityRefusal);
    EXPECT_TRUE(identity->caption.isEmpty()) << "the application's own caption";
    EXPECT_FALSE(CheckMessageTypeForm(0, QStringLiteral("driver=x"), 1, QStringLiteral("me")));
}

TEST(PropertyForm, IntegersAndStoredSoundPaths)
{
    EXPECT_EQ(ParseFormInteger(QStringLiteral("42")), 42);
    EXPECT_EQ(ParseFormInteger(QStringLiteral(" -1 ")), -1);
    EXPECT_EQ(ParseFormInteger(QStringLiteral("+7")), 7);
    for (const char* bad : {"", "-", "1.5", "12abc", "99999999999", " "}) {
        EXPECT_FALSE(ParseFormInteger(QString::fromUtf8(bad))) << bad;
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

class DialogTest : public ::testing::Test
{
protected:
    std::unique_ptr<CMessageTypeDlg> Open(MessageTypeInfo& item)
    {
        auto dialog = std::make_unique<CMessageTypeDlg>(home.context());
        dialog->SetMessageType(&item);
        dialog->LoadFromItem(&item);
        dialog->show();
        QApplication::processEvents();
        return dialog;
    }
    static QLineEdit* Edit(CMessageTypeDlg& dialog, const char* name) { return Child<QLineEdit>(dialog, name); }
    static void Ok(CMessageTypeDlg& dialog) { Child<QPushButton>(dialog, "ok")->click(); }
    static QStringList ListRows(CMessageTypeDlg& dialog)
    {
        auto* list = Child<QTableWidget>(dialog, "excludeList");
        QStringList rows;
        for (int row = 0; row < list->rowCount(); ++row) {
            rows << list->item(row, 0)->text() + QLatin1Char('|') + list->item(row, 1)->text();
        }
        return rows;
    }
    long long Column(const MessageTypeInfo& item, const std::string& column)
    {
        return std::stoll(home.ItemField(item.messagetypeid, column));
    }
    MessageTypeInfo Stored(const char* name, int category, const char* address, ExcludeRanges ranges = {})
    {
        MessageTypeInfo item = NewItem(name, category, address);
        std::string error;
        EXPECT_TRUE(home.app.Items().Save(item, ranges, error)) << error;
        return item;
    }

    PaneWorld home;
};

TEST_F(DialogTest, EveryCategoryEnablesItsControlsAndEveryControlHasAName)
{
    MessageTypeInfo item = Stored("x", kCategoryDatabase, "driver=x");
    auto dialog = Open(item);
    EXPECT_TRUE(Child<QToolButton>(*dialog, "preset")->menu()->actions().isEmpty()) << "there is no preset file";
    auto* category = Child<QComboBox>(*dialog, "MessageCategory");
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
            EXPECT_EQ(Child<QWidget>(*dialog, name)->isEnabled(), on) << index << " " << name;
        }
    }
    for (const char* name : {"advanced", "test"}) {
        EXPECT_TRUE(Child<QPushButton>(*dialog, name)->isEnabled()) << name;
    }
    EXPECT_FALSE(Child<QCheckBox>(*dialog, "bCanChangeState")->isEnabled());
    EXPECT_FALSE(Edit(*dialog, "IncludeFrom2")->isEnabled());
    EXPECT_FALSE(Edit(*dialog, "CheckInterval")->isVisible());
    EXPECT_EQ(Unnamed(*dialog), QStringList());
}

TEST_F(DialogTest, TheFormShowsAndStoresTheItemsFieldsAndStaysOpenWhenTheStoreRefuses)
{
    MessageTypeInfo item = NewItem("网页", kCategoryWebPage, "http://127.0.0.1/");
    item.CheckInterval = 90;
    item.DisplayType = 1;
    item.bNotify = 10;
    item.state = 0;
    item.IncludeFrom = "<a href='x'>";
    std::string error;
    ASSERT_TRUE(home.app.Items().Save(item, std::nullopt, error));
    auto dialog = Open(item);
    EXPECT_EQ(Edit(*dialog, "CheckInterval")->text(), QStringLiteral("1"));
    EXPECT_FALSE(Edit(*dialog, "CheckInterval")->isEnabled()) << "auto check is off";
    EXPECT_FALSE(Child<QCheckBox>(*dialog, "state")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>(*dialog, "showLink")->isChecked());
    EXPECT_EQ(Edit(*dialog, "IncludeFrom")->text(), QStringLiteral("<a href='x'>"));
    Child<QRadioButton>(*dialog, "showContent")->setChecked(true);
    Edit(*dialog, "Password")->setText(QStringLiteral("it's"));

    ASSERT_TRUE(home.app.Db().main.Execute(
        "create trigger refuse before update on usermessagetype begin select raise(abort, 'refused'); end"));
    Ok(*dialog);
    ASSERT_EQ(home.boxes.shown.size(), 1u);
    EXPECT_TRUE(home.boxes.shown[0].text.contains(QStringLiteral("refused")));
    EXPECT_TRUE(dialog->isVisible()) << "nothing typed is lost";
    EXPECT_EQ(Edit(*dialog, "Password")->text(), QStringLiteral("it's"));
    ASSERT_TRUE(home.app.Db().main.Execute("drop trigger refuse"));

    Ok(*dialog);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(item.CheckInterval, 60);
    const auto stored = home.app.Items().Load(item.messagetypeid, error);
    ASSERT_TRUE(stored);
    EXPECT_TRUE(SameColumns(stored->item, item));
    EXPECT_EQ(stored->item.DisplayType, 0);
    EXPECT_EQ(stored->item.Password, "it's");
}

TEST_F(DialogTest, SoundControlsFollowTheInterval)
{
    MessageTypeInfo item = Stored("s", kCategoryWebPage, "http://x/");
    item.bNotify = -1;
    auto dialog = Open(item);
    auto* sound = Child<QCheckBox>(*dialog, "sound");
    auto* once = Child<QCheckBox>(*dialog, "warnOnce");
    auto* interval = Edit(*dialog, "bNotify");
    auto* file = Edit(*dialog, "notifysound");
    EXPECT_FALSE(sound->isChecked());
    EXPECT_FALSE(interval->isEnabled());
    EXPECT_FALSE(file->isEnabled());
    EXPECT_FALSE(once->isEnabled());

    sound->click();
    EXPECT_EQ(interval->text(), QStringLiteral("0"));
    EXPECT_TRUE(once->isChecked());
    EXPECT_TRUE(interval->isEnabled() && file->isEnabled() && once->isEnabled());
    once->click();
    EXPECT_TRUE(once->isChecked()) << "只警告一次 follows the interval only";

    // Typing the interval: a lone minus sign is no number yet, and no reason for a box.
    interval->selectAll();
    QTest::keyClick(interval, '-');
    EXPECT_TRUE(once->isChecked()) << "the interval keeps its earlier value";
    interval->selectAll();
    QTest::keyClick(interval, '5');
    EXPECT_TRUE(home.boxes.shown.empty());
    EXPECT_FALSE(once->isChecked());
    EXPECT_TRUE(sound->isChecked());
}

TEST_F(DialogTest, OkNamesTheFirstFieldOutOfBoundsAndStoresNothingUntilAllKeepThem)
{
    MessageTypeInfo item = Stored("n", kCategoryFtp, "ftp://127.0.0.1/", {{0, "A", ""}});
    auto dialog = Open(item);
    QApplication::setActiveWindow(dialog.get());
    auto* category = Child<QComboBox>(*dialog, "MessageCategory");
    auto* address = Child<QPlainTextEdit>(*dialog, "connAddress");
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
        QLineEdit* edit = Edit(*dialog, field);
        const QString before = edit->text();
        edit->setText(QString::fromUtf8(value));
        Ok(*dialog);
        ASSERT_EQ(home.Shown(), QStringList{rule}) << field;
        EXPECT_EQ(home.boxes.shown[0].caption, QStringLiteral("属性信息错误"));
        EXPECT_EQ(QApplication::focusWidget(), edit) << field;
        edit->setText(before);
    }
    // The address is one line; the ranges of a web item need both markers.
    home.boxes.shown.clear();
    for (const char* text : {"ftp://x/", "http://x/\nmore", "http://x/"}) {
        address->setPlainText(QString::fromUtf8(text));
        Ok(*dialog);
    }
    EXPECT_EQ(home.Shown(), (QStringList{kWebRefusal, QStringLiteral("链接地址只能有一行"),
                                         QStringLiteral("排除开始处和排除结束处都不能为空")}));
    auto* list = Child<QTableWidget>(*dialog, "excludeList");
    EXPECT_EQ(QApplication::focusWidget(), list);
    ASSERT_EQ(list->selectionModel()->selectedRows().size(), 1);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Column(item, "MessageCategory"), kCategoryFtp) << "nothing stored yet";

    // Enter in the address is OK.
    Child<QPushButton>(*dialog, "deleteExclude")->click();
    address->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(address, &enter);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Column(item, "MessageCategory"), kCategoryWebPage);
    EXPECT_TRUE(home.Ranges(item.messagetypeid).empty());
}

TEST_F(DialogTest, ExclusionRangesAreListedAndStoredInTheirOrder)
{
    MessageTypeInfo item = Stored("w", kCategoryWebPage, "http://x/", {{0, "A", "a"}, {0, "B", "b'"}});
    auto dialog = Open(item);
    EXPECT_EQ(ListRows(*dialog), (QStringList{QStringLiteral("A|a"), QStringLiteral("B|b'")}));

    // Modify and delete need a selected row.
    Child<QPushButton>(*dialog, "modifyExclude")->click();
    Child<QPushButton>(*dialog, "deleteExclude")->click();
    EXPECT_EQ(home.Shown(), QStringList(2, QStringLiteral("请首先选择需要修改的条目")));
    EXPECT_EQ(home.boxes.shown.back().caption, QStringLiteral("确认"));

    // A new range goes to the top.
    WhenModal<CExcludeDlg>([](CExcludeDlg& exclude) {
        EXPECT_EQ(exclude.windowTitle(), QStringLiteral("排除内容设定"));
        Child<QLineEdit>(exclude, "excludeFrom")->setText(QStringLiteral("C"));
        Child<QLineEdit>(exclude, "excludeTo")->setText(QStringLiteral("c"));
        Child<QPushButton>(exclude, "ok")->click();
    });
    Child<QPushButton>(*dialog, "addExclude")->click();
    EXPECT_EQ(ListRows(*dialog), (QStringList{QStringLiteral("C|c"), QStringLiteral("A|a"), QStringLiteral("B|b'")}));

    // Modify the selected row, prefilled with its texts; delete another without asking.
    auto* list = Child<QTableWidget>(*dialog, "excludeList");
    list->selectRow(2);
    WhenModal<CExcludeDlg>([](CExcludeDlg& exclude) {
        auto* to = Child<QLineEdit>(exclude, "excludeTo");
        EXPECT_EQ(to->text(), QStringLiteral("b'"));
        to->setText(QStringLiteral("bb"));
        Child<QPushButton>(exclude, "ok")->click();
    });
    Child<QPushButton>(*dialog, "modifyExclude")->click();
    list->selectRow(1);
    Child<QPushButton>(*dialog, "deleteExclude")->click();
    EXPECT_EQ(ListRows(*dialog), (QStringList{QStringLiteral("C|c"), QStringLiteral("B|bb")}));
    Ok(*dialog);
    EXPECT_EQ(home.Ranges(item.messagetypeid), (std::vector<std::string>{"C|c", "B|bb"}));

    // Saved unchanged, the order stays.
    auto again = Open(item);
    Ok(*again);
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

    MessageTypeInfo item = Stored("mine", kCategoryWebPage, "http://x/", {{0, "old", "old"}});
    const int id = item.messagetypeid;
    auto dialog = Open(item);
    QMenu* menu = Child<QToolButton>(*dialog, "preset")->menu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("预制库"));
    menu->actions()[1]->trigger();
    EXPECT_EQ(Edit(*dialog, "MessageTypeName")->text(), QStringLiteral("预制网页"));
    EXPECT_EQ(Edit(*dialog, "CheckInterval")->text(), QStringLiteral("30"));
    EXPECT_EQ(ListRows(*dialog), (QStringList{QStringLiteral("P1|p1"), QStringLiteral("P2|p2")}));
    // The preset asks for the identity.
    Ok(*dialog);
    EXPECT_EQ(home.Shown(), QStringList{kIdentityRefusal});
    Edit(*dialog, "MessageTypeUser")->setText(QStringLiteral("me"));
    Ok(*dialog);
    EXPECT_EQ(item.messagetypeid, id);
    EXPECT_EQ(home.Count("usermessagetype"), 1);
    EXPECT_EQ(home.ItemField(id, "MessageTypeName"), "预制网页");
    EXPECT_EQ(Column(item, "bNotify"), 60);
    EXPECT_EQ(Column(item, "MustHaveID"), 1);
    EXPECT_EQ(home.Ranges(id), (std::vector<std::string>{"P1|p1", "P2|p2"}));
}

TEST_F(DialogTest, TheSoundTestPlaysOffTheUiThreadWithTheDefaultAsFallback)
{
    MessageTypeInfo item = Stored("s", kCategoryWebPage, "http://x/");
    auto dialog = Open(item);
    auto* play = Child<QToolButton>(*dialog, "playSound");
    play->click();
    ASSERT_TRUE(WaitFor([&] { return home.player->Played().size() == 1; }));
    EXPECT_EQ(home.player->Played()[0], home.dir() + "sound/Cuckoo01.wav");

    // The value as last exchanged with the controls.
    Edit(*dialog, "notifysound")->setText(QStringLiteral("missing.wav"));
    dialog->UpdateSoundControls();
    ASSERT_TRUE(WaitFor([&] {
        play->click();
        return home.player->Played().size() >= 3;
    }));
    const auto played = home.player->Played();
    EXPECT_EQ(played[1], home.dir() + "missing.wav");
    EXPECT_EQ(played[2], home.dir() + "ring01.wav");

    // Closing the dialog stops a sound that is still playing instead of waiting for its end.
    Edit(*dialog, "notifysound")->setText(QStringLiteral("endless.wav"));
    dialog->UpdateSoundControls();
    const auto endless = [&] {
        const auto all = home.player->Played();
        return !all.empty() && all.back() == home.dir() + "endless.wav";
    };
    ASSERT_TRUE(WaitFor([&] {
        play->click();
        return endless();
    }));
    dialog->reject();
    dialog.reset();
    EXPECT_TRUE(home.player->Stopped());
    EXPECT_TRUE(endless()) << "no fallback after a stop";
}

TEST_F(DialogTest, AChosenSoundBelowTheProgramFolderIsStoredRelative)
{
    std::filesystem::create_directories(home.dir() + "sound");
    QFile file(QString::fromStdString(home.dir() + "sound/a.wav"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    MessageTypeInfo item = Stored("s", kCategoryWebPage, "http://x/");
    auto dialog = Open(item);
    WhenModal<QFileDialog>([&](QFileDialog& files) {
        EXPECT_EQ(files.directory().absolutePath() + QLatin1Char('/'), QString::fromStdString(home.dir() + "sound/"));
        Choose(files, QString::fromStdString(home.dir() + "sound/a.wav"));
    });
    Child<QPushButton>(*dialog, "chooseSound")->click();
    EXPECT_EQ(Edit(*dialog, "notifysound")->text(), QStringLiteral("sound/a.wav"));

    Ok(*dialog);
    EXPECT_EQ(home.ItemField(item.messagetypeid, "notifysound"), "sound/a.wav");
}

TEST_F(DialogTest, AnItemOfACategoryTheListDoesNotHoldKeepsItsCategory)
{
    MessageTypeInfo item = Stored("广播", kCategoryBroadcast, "driver=x");
    auto dialog = Open(item);
    EXPECT_EQ(Child<QComboBox>(*dialog, "MessageCategory")->currentIndex(), -1);
    Ok(*dialog);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Column(item, "MessageCategory"), kCategoryBroadcast);
}

TEST_F(DialogTest, AdvancedOptionsAreKeptUntilOkAndStoredWithTheItem)
{
    MessageTypeInfo item = Stored("邮箱", kCategoryMail, "pop3s://127.0.0.1:1");
    // The last failed check met a certificate the system does not trust: it is offered.
    const std::string offered = "00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff";
    const std::string pair = "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF";
    const CheckRecord check{.messagetypeid = item.messagetypeid,
                            .startMs = home.app.Health().Now(),
                            .result = CheckResult::Failed,
                            .text = "服务器的证书不可信 (SHA-256 指纹 " + pair + ":" + pair + ")"};
    std::optional<HealthChange> change;
    std::string error;
    ASSERT_TRUE(home.app.Health().Record(check, change, error)) << error;

    auto dialog = Open(item);
    auto advanced = [&](const std::function<void(CAdvancedOptionsDlg&)>& answer) {
        WhenModal<CAdvancedOptionsDlg>(answer);
        Child<QPushButton>(*dialog, "advanced")->click();
    };
    advanced([&](CAdvancedOptionsDlg& d) {
        auto* own = Child<QCheckBox>(d, "ownSchedule");
        auto* interval = Child<QSpinBox>(d, "intervalMinutes");
        auto* expect = Child<QCheckBox>(d, "expect");
        auto* fingerprint = Child<QLineEdit>(d, "fingerprint");
        auto* preview = Child<QCheckBox>(d, "mailPreview");
        ASSERT_TRUE(own && interval && expect && fingerprint && preview);
        EXPECT_FALSE(own->isChecked());
        EXPECT_EQ(interval->value(), 20) << "CheckInterval 1200 s";
        EXPECT_FALSE(interval->isEnabled());
        EXPECT_FALSE(expect->isChecked()) << "the silent alarm is off by default";
        EXPECT_EQ(fingerprint->text().toStdString(), offered);
        EXPECT_TRUE(preview->isChecked());
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
    EXPECT_EQ(Edit(*dialog, "CheckInterval")->text(), QStringLiteral("45"));
    EXPECT_EQ(home.app.Health().Options(item.messagetypeid, error), ItemOptions{.messagetypeid = item.messagetypeid})
        << "nothing is stored before OK";

    Ok(*dialog);
    const auto stored = home.app.Health().Options(item.messagetypeid, error);
    ASSERT_TRUE(stored) << error;
    EXPECT_TRUE(stored->ownSchedule);
    EXPECT_EQ(stored->expectMinutes, 90);
    EXPECT_EQ(stored->pinnedCertificate, offered);
    EXPECT_FALSE(stored->mailPreview);
    EXPECT_EQ(Column(item, "CheckInterval"), 45 * 60);

    // Reopened, the stored values show; a plain web item has no certificate and no preview.
    dialog = Open(item);
    advanced([&](CAdvancedOptionsDlg& d) {
        EXPECT_TRUE(Child<QCheckBox>(d, "ownSchedule")->isChecked());
        EXPECT_EQ(Child<QSpinBox>(d, "expectMinutes")->value(), 90);
        EXPECT_FALSE(Child<QCheckBox>(d, "mailPreview")->isChecked());
        d.reject();
    });
    Child<QComboBox>(*dialog, "MessageCategory")->setCurrentIndex(kIndexWebPage);
    Child<QPlainTextEdit>(*dialog, "connAddress")->setPlainText(QStringLiteral("http://127.0.0.1/"));
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

    MessageTypeInfo item;
    item.MessageCategory = kCategoryWebPage;
    auto dialog = Open(item);
    auto* test = Child<QPushButton>(*dialog, "test");
    auto* result = Child<QLabel>(*dialog, "testResult");
    auto* address = Child<QPlainTextEdit>(*dialog, "connAddress");
    Edit(*dialog, "MessageTypeName")->setText(QStringLiteral("新闻"));
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
    EXPECT_EQ(home.Count("userdata"), 0) << "a trial stores nothing";
    EXPECT_EQ(home.Count("usermessagetype"), 0);

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
