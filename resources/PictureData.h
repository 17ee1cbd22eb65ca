// What a picture file's own bytes say, for the formats whose Qt readers keep quiet
// about data that ends early or contradicts itself: the size a header claims and
// whether the data is whole and consistent.
#pragma once

#include <QByteArray>
#include <QSize>

namespace hop::resources {

enum class DataFault { None, CutShort, Broken };

// The size a BMP, PNG or PNM header claims, read without any decoder: Qt's readers
// reject such headers as "not a picture" when they are merely too large.
QSize claimedSize(const QByteArray& bytes);

// Checks that a picture Qt decoded without complaint really held all its data.
// `format` is the reader's name for it ("bmp", "gif", "jpeg", "xbm", "xpm", "pbm", "pgm",
// "ppm"; others pass: libpng reports its own faults as warnings).
DataFault wholeness(const QByteArray& format, const QByteArray& bytes);

} // namespace hop::resources
