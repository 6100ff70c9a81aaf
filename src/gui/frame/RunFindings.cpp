#include "gui/frame/RunFindings.h"

#include <QCoreApplication>
#include <QStringList>

namespace {
constexpr int kMaxLines = 8; // a notification is a glance, not a list
}

QString FindingsTitle(const std::vector<RunFinding>& findings)
{
    int total = 0;
    for (const auto& finding : findings) {
        total += finding.count;
    }
    return total == 0 ? QString() : QCoreApplication::translate("RunFindings", "Wendar: %1 条新消息").arg(total);
}

QString FindingsBody(const std::vector<RunFinding>& findings)
{
    QStringList lines;
    for (const auto& finding : findings) {
        if (lines.size() == kMaxLines) {
            lines << QStringLiteral("……");
            break;
        }
        lines << QCoreApplication::translate("RunFindings", "%1: %2 条")
                     .arg(QString::fromStdString(finding.itemName))
                     .arg(finding.count);
    }
    return lines.join(QLatin1Char('\n'));
}
