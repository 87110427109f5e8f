#include "model/sitesettings.h"

#include "text/textfiles.h"
#include "text/webarchive.h"

#include <QFileInfo>
#include <QSettings>

#include <cmath>

namespace Model {

namespace {

// A value of the settings file as the user wrote it; empty when the file or the key is missing.
QString SettingsValue(const QString& programFolder, const QString& key)
{
    const QString path = Text::JoinPath(programFolder, QString::fromLatin1(SettingsFileName));
    if (!QFileInfo(path).isFile()) {
        return {};
    }
    const QSettings settings(path, QSettings::IniFormat);
    return settings.value(key).toString();
}

std::optional<int> PositiveWhole(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 1) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<double> SettingsRequestRate(const QString& programFolder)
{
    return ParseRequestRate(SettingsValue(programFolder, QStringLiteral("network/rate")));
}

std::optional<int> SettingsVolumeArticles(const QString& programFolder)
{
    return PositiveWhole(SettingsValue(programFolder, QStringLiteral("epub/articles")));
}

std::optional<int> SettingsVolumeMegabytes(const QString& programFolder)
{
    return PositiveWhole(SettingsValue(programFolder, QStringLiteral("epub/mb")));
}

QString SettingsArchiveBase(const QString& programFolder)
{
    for (const QString& written : {qEnvironmentVariable("QVLRX_ARCHIVE"),
                                   SettingsValue(programFolder, QStringLiteral("archive/address"))}) {
        if (const QString base = Text::ArchiveBase(written); !base.isEmpty()) {
            return base;
        }
    }
    return QString::fromLatin1(Text::DefaultArchiveBase);
}

double SettingsArchiveRate(const QString& programFolder)
{
    return ParseRequestRate(SettingsValue(programFolder, QStringLiteral("archive/rate"))).value_or(2.0);
}

int SettingsArchiveConnections(const QString& programFolder)
{
    return PositiveWhole(SettingsValue(programFolder, QStringLiteral("archive/connections"))).value_or(2);
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
