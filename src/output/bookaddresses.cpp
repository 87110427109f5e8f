#include "output/bookaddresses.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace Output {

QString CleanAbsolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString WebAddress(const QString& href)
{
    const QUrl url(href, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty()) {
        return {};
    }
    return QString::fromLatin1(url.toEncoded(QUrl::FullyEncoded));
}

} // namespace Output
