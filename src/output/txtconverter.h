#pragma once

#include <QByteArray>
#include <QString>

#include <QCoro/QCoroTask>

namespace Model {
class RunState;
}

namespace Output {

// The 转TXT command: one text file per downloaded article and one collection file per category.
QCoro::Task<> ConvertToText(Model::RunState& state);

// The text of a page's bytes: tags dropped, "</P>" and "<BR>" made line breaks, script and style left out,
// everything before "</HEAD>" dropped; still in the page's encoding.
QByteArray ScanPageBytes(const QByteArray& page);

// Converts the page at pagePath and writes the text (followed by CR LF) to textPath. An unreadable page
// gives the empty text and writes nothing.
QString ConvertPageToText(const QString& pagePath, const QString& textPath);

// Replaces decimal ("&#20013;") and hexadecimal ("&#x4E2D;") character references by their characters.
// A reference without ";" or with a number that is no character stays as it is.
QString DecodeNumericEntities(const QString& text);

} // namespace Output
