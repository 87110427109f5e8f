#pragma once

#include <QString>

class QIODevice;

namespace Output {

// The media type of an image file: PNG, JPEG or GIF, the formats every reader shows, and only when its
// header holds the picture's size (what readers and book checkers read first). Empty for anything else: a
// saved error page, a download cut short, WebP, SVG.
QString ImageMediaType(QIODevice& file);

// The file name extension for one of those media types, with its dot.
QString ImageExtension(const QString& mediaType);

// The extension (with its dot) for a file whose first bytes are those of a picture a browser shows (PNG,
// JPEG, GIF, WebP, BMP), however the rest of it looks; empty for anything else (a saved error page).
QString PictureExtension(const QByteArray& head);

} // namespace Output
