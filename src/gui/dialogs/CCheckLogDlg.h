#pragma once
// "检查记录": an item's check log, newest first: when each check started, how long it took, how
// it was started, what came of it, how many new findings and, for a failure, what went wrong.
#include "store/CheckLog.h"

#include <QDialog>
#include <QString>
#include <vector>

class QTableWidget;

class CCheckLogDlg final : public QDialog
{
    Q_OBJECT
public:
    CCheckLogDlg(const QString& itemName, const std::vector<CheckLogEntry>& entries, QWidget* parent = nullptr);

    QTableWidget* Table() const { return m_pTable; }

    // The words the log uses.
    static QString TriggerText(CheckTrigger trigger);
    static QString ResultText(CheckResult result);
    static QString DurationText(long long durationMs);

private:
    QTableWidget* m_pTable = nullptr;
};
