#pragma once

#include <QString>
#include <QStringList>

// Text primitives with 1-based positions; 0 means "not found". Searches are exact and case-sensitive.
namespace Text {

// Position of the first occurrence of sought at or after start, or 0. An empty sought text is found at
// start itself when the subject is not empty and start lies within it.
int Find(const QString& subject, const QString& sought, int start = 1);

// At most length characters from start; a start beyond the end gives the empty text.
// Throws Failure for a negative length.
QString Middle(const QString& subject, int start, int length);

// Pieces between separators; a trailing separator gives a last empty piece; an empty subject gives none.
QStringList Split(const QString& subject, const QString& separator);

// Every non-overlapping occurrence of oldText, left to right, without rescanning.
QString Replace(const QString& subject, const QString& oldText, const QString& newText);

// First or last n characters (the whole subject when shorter). Throws Failure for a negative n.
QString Left(const QString& subject, int n);
QString Right(const QString& subject, int n);

// Removes leading and trailing blanks (character 32) only.
QString Trim(const QString& subject);

// Removes leading and trailing white space of every kind: blanks, tabs, CR, LF, no-break spaces, full-width
// spaces (U+3000), zero-width spaces and byte order marks. Every value read from a page that goes into an
// address passes through it.
QString TrimWhiteSpace(const QString& subject);

// Converts a text with optional surrounding blanks to a whole number; throws Failure otherwise.
qint64 ToWholeNumber(const QString& text);
int ToInt(const QString& text);

// The value of a digit in the given base (at most 16; letters in either case), or -1 for any other character.
int DigitValue(QChar c, int base);

// Decimal digits, minus sign when negative, no leading blank.
inline QString Num(qint64 value)
{
    return QString::number(value);
}

} // namespace Text
