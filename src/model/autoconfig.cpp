#include "model/autoconfig.h"

#include "model/archivesource.h"
#include "model/platformprofile.h"
#include "text/charset.h"
#include "text/failure.h"
#include "text/matching.h"
#include "text/textfiles.h"
#include "text/textprimitives.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QUrl>

#include <algorithm>
#include <array>

namespace Model {

namespace {

// The settings are a few lines; what lies beyond this is never read.
constexpr qint64 MaxAutoConfigBytes = 64 * 1024;

// The file as a user may have saved it: in the code page, or in UTF-8 (what every Linux editor writes),
// with or without a byte order mark. The first two bytes are never read (the line break the file starts
// with); a byte order mark stands in their place. A Linux line break is one byte, and a file may start
// with its first tag: a '<' among those two bytes is read. Empty when unreadable.
qsizetype UnreadHead(const QByteArray& bytes)
{
    qsizetype head = 0;
    while (head < 2 && head < bytes.size() && bytes.at(head) != '<') {
        ++head;
    }
    return head;
}

QString ReadAutoConfigText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.read(MaxAutoConfigBytes);
    static const QByteArray byteOrderMark("\xEF\xBB\xBF");
    if (bytes.startsWith(byteOrderMark)) {
        return QStringDecoder(QStringDecoder::Utf8)(bytes.mid(byteOrderMark.size()));
    }
    const bool ascii = std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return uchar(c) < 0x80; });
    if (!ascii) {
        // Chinese text in the code page is never valid UTF-8 for long; a character cut at the end of
        // what is read is no error.
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString whole = utf8(bytes);
        if (!utf8.hasError()) {
            return QStringDecoder(QStringDecoder::Utf8)(bytes.mid(UnreadHead(bytes)));
        }
    }
    return Text::DecodeLocal(bytes.mid(UnreadHead(bytes)));
}

// The text between <tag> and </tag> in auto.cfg; empty without the file, Text::NotFound without the tags.
QString ReadTaggedField(const QString& programFolder, const QString& tag)
{
    const QString path = Text::JoinPath(programFolder, QStringLiteral("auto.cfg"));
    if (!QFileInfo::exists(path)) {
        return {};
    }
    const QString text = ReadAutoConfigText(path);
    try {
        return Text::TextBetween(text, u'<' + tag + u'>', QStringLiteral("</") + tag + u'>', 0);
    } catch (const Text::Failure&) {
        // The end tag stands only before the start tag: the field is as good as missing.
        return Text::NotFound;
    }
}

} // namespace

QString ReadAutoConfigField(const QString& programFolder, int index)
{
    static const std::array<const char*, 5> tags{"blog", "name", "href", "pic", "cmt"};
    if (index < 0 || index >= int(tags.size())) {
        return {};
    }
    return ReadTaggedField(programFolder, QLatin1String(tags[size_t(index)]));
}

QString AutoConfigCookieFile(const QString& programFolder)
{
    const QString field = ReadTaggedField(programFolder, QStringLiteral("cookies"));
    const QString path = field == Text::NotFound ? QString() : field.trimmed();
    if (path.isEmpty()) {
        return {};
    }
    return QFileInfo(path).isAbsolute() ? path : Text::JoinPath(programFolder, path);
}

ArchiveSetting AutoConfigArchive(const QString& programFolder, const QDate& today)
{
    const QString field = ReadTaggedField(programFolder, QStringLiteral("archive"));
    const QString value = field == Text::NotFound ? QString() : field.trimmed();
    ArchiveSetting setting;
    const auto is = [&value](const char* word) {
        return value.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    };
    if (value.isEmpty() || is("false") || value == QLatin1String("0")) {
        return setting;
    }
    setting.fromArchive = true;
    if (is("newest") || is("true") || value == QLatin1String("1")) {
        return setting;
    }
    if (const std::optional<QString> day = ArchiveDay(value)) {
        setting.day = *day;
        setting.problem = ArchiveDayProblem(*day, today);
    } else {
        setting.problem = QStringLiteral("<archive> 应为 newest、True 或 YYYYMMDD 形式的日期，现为“") +
                          value + QStringLiteral("”");
    }
    return setting;
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

QString BlogAddressProblem(int platform, const QString& address)
{
    if (platform == Qzone && address.isEmpty()) {
        return QString();
    }
    if (address.size() > MaxBlogAddressLength) {
        return QStringLiteral("博客地址太长（最多%1个字符）").arg(MaxBlogAddressLength);
    }
    const QUrl url(address, QUrl::StrictMode);
    const bool web =
        url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
    const bool plain = std::none_of(address.cbegin(), address.cend(), [](QChar c) {
        return c.isSpace() || c.category() == QChar::Other_Control;
    });
    if (!web || url.host().isEmpty() || !plain) {
        return QStringLiteral("博客地址必须是以http://或https://开头、含有主机名的网址");
    }
    return QString();
}

} // namespace Model
