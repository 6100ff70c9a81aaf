#pragma once
// The rules of the check item property dialog that need no widgets: the checks OK makes, the
// reading of its whole-number fields, which controls a category uses, and how a chosen sound
// file is stored.
#include <QMessageBox>
#include <QString>
#include <optional>

// Category indexes of the "类型：" list (MessageCategory - 1).
inline constexpr int kIndexDatabase = 0;
inline constexpr int kIndexWebPage = 1;
inline constexpr int kIndexFtp = 2;
inline constexpr int kIndexMail = 3;

struct FormRefusal
{
    QString text;
    QString caption; // empty: the application's title
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// OK's checks in their order: the identity an item must carry, then the address by category.
// nullopt when the form may be saved.
std::optional<FormRefusal> CheckMessageTypeForm(int categoryIndex, const QString& address, int mustHaveId,
                                                const QString& identity);

// A whole number as the dialog's number fields take it: optional blanks around an optionally
// signed run of digits that fits an int. nullopt for anything else, the empty text included.
std::optional<int> ParseFormInteger(const QString& text);

// Which category-dependent controls are usable.
struct CategoryControls
{
    bool viewName = false;    // view name or port
    bool checkNumber = false; // newest rows to read
    bool identity = false;    // the user's identity
    bool include = false;     // the page region markers
    bool exclude = false;     // the exclusion ranges and their buttons
};
CategoryControls ControlsForCategory(int categoryIndex);
// The label of the view name field: a port for FTP and mail items.
QString ViewLabelForCategory(int categoryIndex);

// A sound file below the data directory or the resource directory is stored relative to it (the
// program looks a stored path up in both), any other by its full path.
QString StoredSoundPath(const QString& dataDir, const QString& resourceDir, const QString& chosenPath);
