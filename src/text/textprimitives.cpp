#include "text/textprimitives.h"

#include "text/failure.h"

#include <limits>

namespace Text {

int Find(const QString& subject, const QString& sought, int start)
{
    if (subject.isEmpty() || start < 1 || start > subject.size()) {
        return 0;
    }
    if (sought.isEmpty()) {
        return start;
    }
    const qsizetype at = subject.indexOf(sought, start - 1, Qt::CaseSensitive);
    return at < 0 ? 0 : int(at) + 1;
}

QString Middle(const QString& subject, int start, int length)
{
    if (length < 0) {
        throw Failure(QStringLiteral("invalid length %1 in a text cut").arg(length));
    }
    if (start < 1) {
        throw Failure(QStringLiteral("invalid start %1 in a text cut").arg(start));
    }
    if (start > subject.size()) {
        return {};
    }
    return subject.mid(start - 1, length);
}

QStringList Split(const QString& subject, const QString& separator)
{
    if (subject.isEmpty()) {
        return {};
    }
    if (separator.isEmpty()) {
        return {subject};
    }
    return subject.split(separator, Qt::KeepEmptyParts, Qt::CaseSensitive);
}

QString Replace(const QString& subject, const QString& oldText, const QString& newText)
{
    if (oldText.isEmpty()) {
        return subject;
    }
    QString result = subject;
    result.replace(oldText, newText, Qt::CaseSensitive);
    return result;
}

QString Left(const QString& subject, int n)
{
    if (n < 0) {
        throw Failure(QStringLiteral("invalid length %1 for a left cut").arg(n));
    }
    return subject.left(n);
}

QString Right(const QString& subject, int n)
{
    if (n < 0) {
        throw Failure(QStringLiteral("invalid length %1 for a right cut").arg(n));
    }
    return subject.right(n);
}

QString Trim(const QString& subject)
{
    qsizetype first = 0;
    qsizetype last = subject.size();
    while (first < last && subject.at(first) == u' ') {
        ++first;
    }
    while (last > first && subject.at(last - 1) == u' ') {
        --last;
    }
    return subject.mid(first, last - first);
}

QString TrimWhiteSpace(const QString& subject)
{
    const auto blank = [](QChar c) { return c.isSpace() || c == QChar(0x200b) || c == QChar(0xfeff); };
    qsizetype first = 0;
    qsizetype last = subject.size();
    while (first < last && blank(subject.at(first))) {
        ++first;
    }
    while (last > first && blank(subject.at(last - 1))) {
        --last;
    }
    return subject.mid(first, last - first);
}

qint64 ToWholeNumber(const QString& text)
{
    const QString trimmed = Trim(text);
    bool ok = false;
    const qint64 value = trimmed.toLongLong(&ok, 10);
    if (!ok) {
        throw Failure(QStringLiteral("not a number: \"%1\"").arg(text.left(40)));
    }
    return value;
}

int ToInt(const QString& text)
{
    const qint64 value = ToWholeNumber(text);
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        throw Failure(QStringLiteral("number out of range: \"%1\"").arg(text.left(40)));
    }
    return int(value);
}

int DigitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int value = -1;
    if (u >= u'0' && u <= u'9') {
        value = u - u'0';
    } else if (u >= u'a' && u <= u'f') {
        value = u - u'a' + 10;
    } else if (u >= u'A' && u <= u'F') {
        value = u - u'A' + 10;
    }
    return value < base ? value : -1;
}

} // namespace Text
