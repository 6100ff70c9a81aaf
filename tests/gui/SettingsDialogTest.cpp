// The settings dialog: what it shows, what OK stores and writes, and the timer it re-arms.
#include "FrameFixture.h"
#include "gui/dialogs/CSystemSettingsDlg.h"
#include "gui/frame/FrameCommands.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTimer>

namespace {

Settings StoredProfile()
{
    Settings stored;
    stored.LoadSettings();
    return stored;
}

QPushButton* ButtonNamed(QDialog& dialog, const QString& text)
{
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == text) {
            return button;
        }
    }
    return nullptr;
}

} // namespace

TEST(SettingsDialog, OpensWithTheCurrentValuesAndOkStoresAndWritesThem)
{
    FrameFixture fixture;
    Settings& settings = fixture.app.m_settings;
    CSystemSettingsDlg dialog(settings, fixture.boxes);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("系统设置"));
    EXPECT_EQ(dialog.IntervalEdit()->text(), QStringLiteral("15"));
    EXPECT_EQ(dialog.PageSizeEdit()->text(), QStringLiteral("100"));
    EXPECT_EQ(dialog.MarkReadEdit()->text(), QStringLiteral("2"));
    EXPECT_TRUE(dialog.AutoCheckBox()->isChecked());
    EXPECT_TRUE(dialog.SoundBox()->isChecked());
    EXPECT_TRUE(dialog.DesktopNotifyBox()->isChecked());
    EXPECT_TRUE(dialog.TopTwoBottomOne()->isChecked());
    EXPECT_TRUE(dialog.AutoRunBox()->isChecked());

    bool applied = false;
    dialog.SetApplyHandler([&applied] { applied = true; });
    dialog.LeftOneRightTwo()->setChecked(true);
    dialog.AutoCheckBox()->setChecked(false);
    dialog.DesktopNotifyBox()->setChecked(false);
    dialog.IntervalEdit()->setText(QStringLiteral("0"));
    dialog.PageSizeEdit()->setText(QStringLiteral("-5")); // no range checks: stored as typed
    dialog.MarkReadEdit()->setText(QStringLiteral(" 7 "));
    ButtonNamed(dialog, QStringLiteral("确认"))->click();
    EXPECT_TRUE(applied);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(fixture.boxes.shown.empty());

    const Settings stored = StoredProfile();
    for (const Settings* s : {static_cast<const Settings*>(&settings), &stored}) {
        EXPECT_EQ(s->SplitterWindowType, 1);
        EXPECT_EQ(s->enableAutoCheck, 0);
        EXPECT_EQ(s->EnableDesktopNotify, 0);
        EXPECT_EQ(s->AutoCheckInterval, 0);
        EXPECT_EQ(s->pagesize, -5);
        EXPECT_EQ(s->AutoMarkRead, 7);
    }
}

TEST(SettingsDialog, LettersInThePageSizeKeepItAndTheFieldsAfterIt)
{
    FrameFixture fixture;
    Settings& settings = fixture.app.m_settings;
    CSystemSettingsDlg dialog(settings, fixture.boxes);
    dialog.AutoRunBox()->setChecked(false);
    dialog.IntervalEdit()->setText(QStringLiteral("30"));
    dialog.AutoCheckBox()->setChecked(false);
    dialog.SoundBox()->setChecked(false);
    dialog.PageSizeEdit()->setText(QStringLiteral("abc"));
    dialog.LeftOneRightTwo()->setChecked(true);
    dialog.MarkReadEdit()->setText(QStringLiteral("9"));
    dialog.accept();
    ASSERT_EQ(fixture.boxes.shown.size(), 1U);
    EXPECT_EQ(fixture.boxes.shown[0].text, QStringLiteral("请输入一个整数。"));
    EXPECT_EQ(dialog.result(), QDialog::Accepted) << "the dialog closes all the same";
    EXPECT_EQ(settings.enableAutoRun, 0);
    EXPECT_EQ(settings.AutoCheckInterval, 30);
    EXPECT_EQ(settings.enableAutoCheck, 0);
    EXPECT_EQ(settings.EnableSoundNotify, 0);
    EXPECT_EQ(settings.pagesize, 100);
    EXPECT_EQ(settings.SplitterWindowType, 0);
    EXPECT_EQ(settings.AutoMarkRead, 2);
    EXPECT_EQ(StoredProfile().AutoCheckInterval, 30);
}

TEST(SettingsDialog, CancelChangesNothing)
{
    FrameFixture fixture;
    CSystemSettingsDlg dialog(fixture.app.m_settings, fixture.boxes);
    dialog.IntervalEdit()->setText(QStringLiteral("99"));
    dialog.AutoCheckBox()->setChecked(false);
    ButtonNamed(dialog, QStringLiteral("放弃"))->click();
    EXPECT_EQ(fixture.app.m_settings.AutoCheckInterval, 15);
    EXPECT_EQ(fixture.app.m_settings.enableAutoCheck, 1);
    EXPECT_EQ(StoredProfile().AutoCheckInterval, 15); // nothing written: the default
}

TEST(SettingsDialog, FromTheMenuReArmsOrStopsTheAutoCheckTimer)
{
    FrameFixture fixture;
    auto runDialog = [&](const std::function<void(CSystemSettingsDlg&)>& edit) {
        bool seen = false;
        QTimer::singleShot(0, fixture.frame.get(), [&] {
            auto* dialog = qobject_cast<CSystemSettingsDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seen = true;
            edit(*dialog);
            ButtonNamed(*dialog, QStringLiteral("确认"))->click();
        });
        fixture.frame->Command(cmd::kSystemSettings);
        EXPECT_TRUE(seen);
    };
    runDialog([](CSystemSettingsDlg& dialog) { dialog.IntervalEdit()->setText(QStringLiteral("30")); });
    EXPECT_TRUE(fixture.frame->AutoCheckTimer().isActive());
    EXPECT_EQ(fixture.frame->AutoCheckTimer().interval(), 1800000);

    runDialog([](CSystemSettingsDlg& dialog) { dialog.AutoCheckBox()->setChecked(false); });
    EXPECT_FALSE(fixture.frame->AutoCheckTimer().isActive());

    // The sound switch reaches the document at once; the layout waits for the next start.
    runDialog([](CSystemSettingsDlg& dialog) {
        dialog.SoundBox()->setChecked(false);
        dialog.LeftOneRightTwo()->setChecked(true);
    });
    EXPECT_EQ(fixture.app.m_settings.EnableSoundNotify, 0);
    EXPECT_EQ(StoredProfile().SplitterWindowType, 1);
    EXPECT_EQ(fixture.frame->OuterSplitter()->orientation(), Qt::Vertical);
}

TEST(SettingsDialog, DesktopNotifyKeyDefaultsOnAndIsKeptApartFromTheEightKeys)
{
    FrameFixture fixture;
    EXPECT_EQ(fixture.app.m_settings.EnableDesktopNotify, 1);
    EXPECT_EQ(fixture.app.m_settings.Field("EnableDesktopNotify"), nullptr);
    fixture.app.m_settings.EnableDesktopNotify = 0;
    ASSERT_TRUE(fixture.app.m_settings.SaveSettings());
    EXPECT_EQ(StoredProfile().EnableDesktopNotify, 0);
}

TEST(SettingsDialog, EveryControlHasAnAccessibleName)
{
    FrameFixture fixture;
    CSystemSettingsDlg dialog(fixture.app.m_settings, fixture.boxes);
    int named = 0;
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget) ||
            qobject_cast<QLabel*>(widget)) {
            EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->metaObject()->className();
            ++named;
        }
    }
    EXPECT_GE(named, 15);
}
