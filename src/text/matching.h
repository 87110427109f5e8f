#pragma once

#include <QString>
#include <QStringList>

namespace Text {

// The literal that every cut yields when one of its markers is missing.
inline const QString NotFound = QStringLiteral("未找到");

// All matches of a case-insensitive, global regular expression ("." never matches a line feed), each
// followed by CR LF; the empty text when nothing matches or the pattern is invalid.
QString MatchAll(const QString& pattern, const QString& subject);

// A MatchAll result as a list: split at CR LF, the always-empty last piece dropped.
QStringList MatchList(const QString& pattern, const QString& subject);

// Splits a CR LF separated match text into its entries (the last, empty piece dropped).
QStringList SplitMatches(const QString& matches);

// The text after the first start marker up to the first end marker found at least skip characters past
// the end of the start marker. "未找到" when either marker is missing; throws Failure when the end marker
// occurs only before that search start.
QString TextBetween(const QString& subject, const QString& startText, const QString& endText, int skip);

// Stored patterns write a double quote as '#'.
QString HashToQuote(const QString& text);

// Replaces every match of pattern (after HashToQuote) by replacement, each match taken literally.
QString ReplaceMatches(const QString& text, const QString& pattern, const QString& replacement);

} // namespace Text
