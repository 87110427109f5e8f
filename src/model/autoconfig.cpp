#include "model/autoconfig.h"

#include "model/platformprofile.h"
#include "text/failure.h"
#include "text/matching.h"
#include "text/textfiles.h"
#include "text/textprimitives.h"

#include <QFileInfo>

#include <array>

namespace Model {

QString ReadAutoConfigField(const QString& programFolder, int index)
{
    static const std::array<const char*, 5> tags{"blog", "name", "href", "pic", "cmt"};
    if (index < 0 || index >= int(tags.size())) {
        return {};
    }
    const QString path = Text::JoinPath(programFolder, QStringLiteral("auto.cfg"));
    if (!QFileInfo::exists(path)) {
        return {};
    }
    const QString text = Text::ReadTextFile(path);
    const QString tag = QLatin1String(tags[size_t(index)]);
    try {
        return Text::TextBetween(text, u'<' + tag + u'>', QStringLiteral("</") + tag + u'>', 0);
    } catch (const Text::Failure&) {
        // The end tag stands only before the start tag: the field is as good as missing.
        return Text::NotFound;
    }
}

std::optional<int> AutomaticPlatformCode(const QString& programFolder)
{
    try {
        const int code = Text::ToInt(ReadAutoConfigField(programFolder, 0));
        return IsPlatformCode(code) ? std::optional<int>(code) : std::nullopt;
    } catch (const Text::Failure&) {
        return std::nullopt;
    }
}

bool ConfigTruth(const QString& value)
{
    const QString text = value.trimmed();
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    bool ok = false;
    const double number = text.toDouble(&ok);
    return ok && number != 0;
}

} // namespace Model
