#pragma once
// How the main window looked when it was last closed, kept in the user profile beside the
// settings (group "Window"), so that the next start looks the same: position and size, splitter
// positions, the list's column widths and order, its sort, and which bars show.
#include <QByteArray>
#include <QList>

struct WindowState
{
    QByteArray geometry; // QWidget::saveGeometry; empty: none stored
    // The SplitterWindowType the splitter sizes were taken in (-1: none stored): sizes of the other
    // layout do not fit.
    int splitterLayout = -1;
    QList<int> outerSizes;
    QList<int> innerSizes;
    QByteArray listColumns; // QHeaderView::saveState
    int sortColumn = -1;    // -1: the list's own order
    bool sortDescending = false;
    bool toolbarVisible = true;
    bool statusBarVisible = true;

    void Load();
    // False when the profile could not be written.
    bool Save() const;
};
