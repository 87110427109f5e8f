#pragma once

#include <QByteArray>

namespace FakeWeb {

// Small, valid images for generated sites, made without any image library. The same seed gives the same
// bytes; different seeds give different pictures.

// An 8 x 8 RGB PNG in two colours taken from the seed.
QByteArray SmallPng(quint32 seed);

// An 8 x 8 greyscale baseline JPEG of one shade taken from the seed, with `comment` in a COM segment.
QByteArray SmallJpeg(quint32 seed, const QByteArray& comment = QByteArray());

} // namespace FakeWeb
