// The window in English, and Qt's own texts (buttons, dialogs) in Chinese.
#include "FrameFixture.h"
#include "app/UiLanguage.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QRegularExpression>

namespace {

// Puts the Chinese texts back for the tests after this one in the same process.
struct ChineseAfterwards
{
    ~ChineseAfterwards() { SetUpLanguage(kUiLanguageChinese); }
};

} // namespace

TEST(Language, AnEnglishStartShowsNoChineseInMenusToolbarPagingBarOrLabelsAndAChineseOneHasQtsButtonsInChinese)
{
    ChineseAfterwards restore;
    ASSERT_EQ(SetUpLanguage(kUiLanguageEnglish), ShownLanguage::English);
    FrameFixture fixture;
    fixture.frame->ShowAtStart(false);
    fixture.StoreMessages(250);
    fixture.frame->UpdateCommandUi();

    QStringList shown;
    for (const QMenu* menu : fixture.frame->findChildren<QMenu*>()) {
        shown << menu->title() << ActionTexts(menu->actions());
    }
    for (const QAction* action : fixture.frame->ToolBar()->actions()) {
        shown << action->text() << action->toolTip();
    }
    CPagingBar* bar = fixture.frame->PagingBar();
    for (const QWidget* widget : bar->findChildren<QWidget*>()) {
        shown << widget->toolTip() << widget->accessibleName();
    }
    // Every label of the window: the paging bar's, the detail pane's header (no message shown), the
    // status bar.
    for (const QLabel* label : fixture.frame->findChildren<QLabel*>()) {
        shown << label->text();
    }
    shown << fixture.frame->StatusTextPane()->FullText();
    static const QRegularExpression chinese(
        QStringLiteral("[\\x{3000}-\\x{303f}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    for (const QString& text : shown) {
        EXPECT_FALSE(chinese.match(text).hasMatch()) << text.toStdString();
    }
    EXPECT_GT(shown.size(), 60);
    EXPECT_EQ(ActionTexts(fixture.frame->ToolBar()->actions()), Split("Add|Properties|Check|Auto|Exit"));
    EXPECT_EQ(bar->PageLabel()->text(), QStringLiteral("1 of 3"));
    EXPECT_EQ(bar->CountLabel()->text(), QStringLiteral("Per page: 100 / total: 250"));

    ASSERT_EQ(SetUpLanguage(kUiLanguageChinese), ShownLanguage::Chinese);
    QMessageBox box(QMessageBox::Question, QStringLiteral("确认"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().startsWith(QStringLiteral("是")))
        << box.button(QMessageBox::Yes)->text().toStdString();
    EXPECT_TRUE(box.button(QMessageBox::No)->text().startsWith(QStringLiteral("否")));
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Ok)->text(), QStringLiteral("确定"));
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
}
