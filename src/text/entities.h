#pragma once

#include <QString>

namespace Text {

// Replaces decimal ("&#20013;") and hexadecimal ("&#x4E2D;") character references by their characters.
// A reference without ";" or with a number that is no character stays as it is.
QString DecodeNumericEntities(const QString& text);

// DecodeNumericEntities, and the named references a title or a name may hold: &lt; &gt; &quot; &nbsp;
// and &amp; (last, so that "&amp;lt;" stays "&lt;").
QString DecodeEntities(const QString& text);

} // namespace Text
