#include "gui/detail/BrowserLinks.h"

#include <QRegularExpression>

bool IsOpenableLink(const QUrl& url)
{
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
                             scheme == QLatin1String("ftp") || scheme == QLatin1String("mailto"));
}

QUrl LinkUrl(const QString& text)
{
    const QString link = text.trimmed();
    // A host of letters, digits, dots and dashes with a dot in it, then a port, path, query or nothing.
    static const QRegularExpression bareHost(
        QStringLiteral(R"(^[A-Za-z0-9-]+(\.[A-Za-z0-9-]+)+(:[0-9]{1,5})?([/?#].*)?$)"));
    if (bareHost.match(link).hasMatch()) {
        return QUrl(QStringLiteral("http://") + link);
    }
    return QUrl(link);
}
