#include "text/matching.h"

#include "text/failure.h"
#include "text/textprimitives.h"

#include <QHash>
#include <QRegularExpression>

namespace Text {

namespace {

// Compiling a pattern costs more than matching a page with it, and the same few patterns are matched
// against every page of a run: compiled patterns are kept, a few hundred at most.
QRegularExpression Compiled(const QString& pattern)
{
    thread_local QHash<QString, QRegularExpression> compiled;
    const auto found = compiled.constFind(pattern);
    if (found != compiled.cend()) {
        return *found;
    }
    if (compiled.size() >= 256) {
        compiled.clear();
    }
    QRegularExpression expression(pattern, QRegularExpression::CaseInsensitiveOption);
    expression.optimize();
    compiled.insert(pattern, expression);
    return expression;
}

} // namespace

QString MatchAll(const QString& pattern, const QString& subject)
{
    const QRegularExpression expression = Compiled(pattern);
    if (!expression.isValid() || subject.isEmpty()) {
        return {};
    }
    QString result;
    auto it = expression.globalMatch(subject);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        result += match.captured(0);
        result += QStringLiteral("\r\n");
    }
    return result;
}

QStringList SplitMatches(const QString& matches)
{
    QStringList pieces = Split(matches, QStringLiteral("\r\n"));
    if (!pieces.isEmpty()) {
        pieces.removeLast();
    }
    return pieces;
}

QStringList MatchList(const QString& pattern, const QString& subject)
{
    return SplitMatches(MatchAll(pattern, subject));
}

QString TextBetween(const QString& subject, const QString& startText, const QString& endText, int skip)
{
    const int p1 = Find(subject, startText, 1);
    const int p2 = Find(subject, endText, 1);
    if (p1 > 0 && p2 > 0) {
        const int b = p1 + int(startText.size());
        const int e = Find(subject, endText, b + skip);
        return Middle(subject, b, e - b);
    }
    return NotFound;
}

QString HashToQuote(const QString& text)
{
    return Replace(text, QStringLiteral("#"), QStringLiteral("\""));
}

QString ReplaceMatches(const QString& text, const QString& pattern, const QString& replacement)
{
    QString result = text;
    const QStringList matches = MatchList(HashToQuote(pattern), text);
    for (const QString& match : matches) {
        result = Replace(result, match, replacement);
    }
    return result;
}

} // namespace Text
