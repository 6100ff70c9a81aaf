// The settings dialog: what it shows, what OK stores and writes, and the timer it re-arms.
#include "FrameFixture.h"
#include "gui/dialogs/CSystemSettingsDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QRadioButton>

using SettingsDialog = FrameTest;

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

TEST_F(SettingsDialog, OpensWithTheCurrentValuesCancelKeepsThemAndOkStoresAndWritesThem)
{
    Settings& settings = app.m_settings;
    {
        CSystemSettingsDlg cancelled(settings, boxes);
        cancelled.IntervalEdit()->setText(QStringLiteral("99"));
        cancelled.AutoCheckBox()->setChecked(false);
        ButtonNamed(cancelled, QStringLiteral("放弃"))->click();
    }
    EXPECT_EQ(StoredProfile().AutoCheckInterval, 15); // nothing written: the default
    // The desktop notification switch is kept apart from the eight keys of the shared profile.
    EXPECT_EQ(settings.Field("EnableDesktopNotify"), nullptr);
    CSystemSettingsDlg dialog(settings, boxes);
    int controls = 0;
    EXPECT_EQ(Unnamed(dialog, &controls), QStringList());
    EXPECT_GE(controls, 15);
    EXPECT_EQ(
        QStringList({dialog.IntervalEdit()->text(), dialog.PageSizeEdit()->text(), dialog.MarkReadEdit()->text()}),
        Split("15|100|2"));
    for (QAbstractButton* on :
         std::initializer_list<QAbstractButton*>{dialog.AutoCheckBox(), dialog.SoundBox(), dialog.DesktopNotifyBox(),
                                                 dialog.TopTwoBottomOne(), dialog.AutoRunBox()}) {
        EXPECT_TRUE(on->isChecked()) << on->text().toStdString();
    }

    bool applied = false;
    dialog.SetApplyHandler([&applied] { applied = true; });
    dialog.LeftOneRightTwo()->setChecked(true);
    dialog.AutoCheckBox()->setChecked(false);
    dialog.DesktopNotifyBox()->setChecked(false);
    dialog.IntervalEdit()->setText(QStringLiteral("1440")); // the ends of the bounds are allowed
    dialog.PageSizeEdit()->setText(QStringLiteral("10"));
    dialog.MarkReadEdit()->setText(QStringLiteral(" 0 "));
    ButtonNamed(dialog, QStringLiteral("确认"))->click();
    EXPECT_EQ(std::tuple(applied, dialog.result(), boxes.shown.empty()),
              std::tuple(true, int(QDialog::Accepted), true));

    const Settings stored = StoredProfile();
    for (const Settings* s : {static_cast<const Settings*>(&settings), &stored}) {
        EXPECT_EQ(std::tuple(s->SplitterWindowType, s->enableAutoCheck, s->EnableDesktopNotify, s->AutoCheckInterval,
                             s->pagesize, s->AutoMarkRead),
                  std::tuple(1, 0, 0, 1440, 10, 0));
    }
}

// A number that is no integer or out of bounds stays on screen with one message naming the field
// and its bounds, the focus in it; nothing is stored until every number is right.
TEST_F(SettingsDialog, AWrongNumberKeepsTheDialogOpenAndStoresNothing)
{
    Settings& settings = app.m_settings;
    CSystemSettingsDlg dialog(settings, boxes);
    dialog.show();
    dialog.AutoCheckBox()->setChecked(false);
    const QString interval = QStringLiteral("自动检查的间隔分钟数须是 1 到 1440 之间的整数。");
    const QString pageSize = QStringLiteral("消息列表窗口每页消息数须是 10 到 1000 之间的整数。");
    const QString markRead = QStringLiteral("自动标记为已读的秒数须是 0 到 3600 之间的整数。");
    const std::tuple<QLineEdit*, const char*, QString> cases[] = {
        {dialog.IntervalEdit(), "0", interval},          {dialog.IntervalEdit(), "1441", interval},
        {dialog.IntervalEdit(), "x", interval},          {dialog.PageSizeEdit(), "-1", pageSize},
        {dialog.PageSizeEdit(), "abc", pageSize},        {dialog.PageSizeEdit(), "1001", pageSize},
        {dialog.MarkReadEdit(), "-1", markRead},         {dialog.MarkReadEdit(), "3601", markRead},
        {dialog.MarkReadEdit(), "99999999999", markRead}};
    for (const auto& [edit, text, message] : cases) {
        SCOPED_TRACE(text);
        const QString kept = edit->text();
        edit->setText(QString::fromUtf8(text));
        boxes.shown.clear();
        ButtonNamed(dialog, QStringLiteral("确认"))->click();
        EXPECT_EQ(Shown(), QStringList{message});
        EXPECT_EQ(std::tuple(dialog.isVisible(), dialog.focusWidget(), edit->text()),
                  std::tuple(true, edit, QString::fromUtf8(text)));
        edit->setText(kept);
    }
    // Nothing written: the default.
    EXPECT_EQ(std::tuple(settings.enableAutoCheck, StoredProfile().enableAutoCheck), std::tuple(1, 1));
    ButtonNamed(dialog, QStringLiteral("确认"))->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(StoredProfile().enableAutoCheck, 0);
    bool atOnceSaid = false;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        atOnceSaid = atOnceSaid || label->text().contains(QStringLiteral("0 = 立即"));
    }
    EXPECT_TRUE(atOnceSaid);
}

TEST_F(SettingsDialog, FromTheMenuReArmsOrStopsTheAutoCheckTimer)
{
    auto runDialog = [&](const std::function<void(CSystemSettingsDlg&)>& edit) {
        WhenModal<CSystemSettingsDlg>([&](CSystemSettingsDlg& dialog) {
            edit(dialog);
            ButtonNamed(dialog, QStringLiteral("确认"))->click();
        });
        frame->Command(cmd::kSystemSettings);
    };
    EXPECT_EQ(frame->AutoCheckTimer().interval(), 900000) << "15 minutes at the start";
    // The timer and the sound switch follow at once; the layout waits for the next start.
    runDialog([](CSystemSettingsDlg& dialog) {
        dialog.IntervalEdit()->setText(QStringLiteral("30"));
        dialog.SoundBox()->setChecked(false);
        dialog.LeftOneRightTwo()->setChecked(true);
    });
    EXPECT_EQ(std::tuple(frame->AutoCheckTimer().isActive(), frame->AutoCheckTimer().interval()),
              std::tuple(true, 1800000));
    runDialog([](CSystemSettingsDlg& dialog) { dialog.AutoCheckBox()->setChecked(false); });
    EXPECT_EQ(std::tuple(frame->AutoCheckTimer().isActive(), app.m_settings.EnableSoundNotify,
                         StoredProfile().SplitterWindowType, frame->OuterSplitter()->orientation()),
              std::tuple(false, 0, 1, Qt::Vertical));
}
