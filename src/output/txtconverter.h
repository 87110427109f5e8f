#pragma once

#include "text/entities.h"

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

using Text::DecodeNumericEntities;

} // namespace Output
