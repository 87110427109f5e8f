#include "model/sitesettings.h"

#include "text/textfiles.h"

#include <QFileInfo>
#include <QSettings>

#include <cmath>

namespace Model {

std::optional<double> SettingsRequestRate(const QString& programFolder)
{
    const QString path = Text::JoinPath(programFolder, QString::fromLatin1(SettingsFileName));
    if (!QFileInfo(path).isFile()) {
        return std::nullopt;
    }
    const QSettings settings(path, QSettings::IniFormat);
    return ParseRequestRate(settings.value(QStringLiteral("network/rate")).toString());
}

std::optional<double> ParseRequestRate(const QString& text)
{
    bool ok = false;
    const double rate = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(rate) || rate <= 0 || rate > 1000) {
        return std::nullopt;
    }
    return rate;
}

} // namespace Model
