#pragma once
// Driving widgets in tests: waiting on events, answering dialogs and popup menus as they come up,
// and finding children, actions and their texts.
#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// Processes events until done() holds or the (generous) time is up; done()'s last value.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs = 60000)
{
    return QTest::qWaitFor(done, timeoutMs);
}

// Shows a widget at a size.
inline void ShowAt(QWidget& widget, int width, int height)
{
    widget.resize(width, height);
    widget.show();
}

// Once find() returns a widget (a modal dialog, a popup menu), runs answer on it, which must close
// it. Gives up after a generous minute, closing whatever is open on top, so a test never hangs.
template <typename Shown> void WhenShown(std::function<Shown*()> find, std::function<void(Shown&)> answer)
{
    const auto closeTop = [] {
        if (QWidget* top = QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                                             : QApplication::activeModalWidget()) {
            top->close();
        }
    };
    auto* timer = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, started, find, answer, closeTop]() {
        Shown* shown = find();
        if (!shown && started->elapsed() < 60000) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        if (!shown) {
            ADD_FAILURE() << "no " << Shown::staticMetaObject.className() << " came up";
            closeTop();
            return;
        }
        QPointer<Shown> answered(shown);
        answer(*shown);
        // An answer that did not close it would leave the test waiting for ever.
        QTimer::singleShot(30000, [answered, closeTop]() {
            if (answered && answered->isVisible()) {
                ADD_FAILURE() << Shown::staticMetaObject.className() << " still open";
                closeTop();
                answered->close();
            }
        });
    });
    timer->start();
}

// Once a modal dialog of type Dialog is open, runs answer on it (which must close it).
template <typename Dialog> void WhenModal(std::function<void(Dialog&)> answer)
{
    WhenShown<Dialog>([] { return qobject_cast<Dialog*>(QApplication::activeModalWidget()); }, std::move(answer));
}

// The child of a window with this object name; a failure when there is none.
template <typename Widget> Widget* Child(const QObject& parent, const char* name)
{
    auto* widget = parent.findChild<Widget*>(QString::fromUtf8(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// The controls of a window a screen reader has no name for, as "class objectName": buttons, edits,
// combo boxes, tables, menus, labels that show a text, and whatever sits on a toolbar (shown or not:
// the overflow button shows only in a narrow window). How many controls there were goes to *count.
inline QStringList Unnamed(const QWidget& window, int* count = nullptr)
{
    QStringList unnamed;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        const auto* label = qobject_cast<QLabel*>(widget);
        const bool onToolbar = widget->parentWidget() && widget->parentWidget()->inherits("QToolBar");
        const bool control = label
                                 ? !label->text().isEmpty()
                                 : onToolbar || widget->inherits("QAbstractButton") || widget->inherits("QLineEdit") ||
                                       widget->inherits("QPlainTextEdit") || widget->inherits("QComboBox") ||
                                       widget->inherits("QTableWidget") || widget->inherits("QMenu");
        // A table's corner button is the table's own.
        if (control && !widget->inherits("QTableCornerButton") && (onToolbar || widget->isVisibleTo(&window))) {
            count && ++*count;
            if (QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name).trimmed().isEmpty()) {
                unnamed << QString::fromUtf8(widget->metaObject()->className()) + QLatin1Char(' ') +
                               widget->objectName();
            }
        }
    }
    return unnamed;
}

// The texts of actions in order, a separator as "-".
inline QStringList ActionTexts(const QList<QAction*>& actions)
{
    QStringList texts;
    for (QAction* action : actions) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
}

// Texts written as one, parted by '|'.
inline QStringList Split(const char* joined)
{
    return QString::fromUtf8(joined).split(QLatin1Char('|'));
}

// The action of a menu that carries this command id, or null.
inline QAction* ActionWithId(const QMenu& menu, int id)
{
    for (QAction* action : menu.actions()) {
        if (!action->isSeparator() && action->data().toInt() == id) {
            return action;
        }
    }
    return nullptr;
}
