#pragma once

#include <QByteArray>

// A gzip member holding the given bytes, or `size` zero bytes made without
// ever holding them whole (a compression bomb for tests).
QByteArray gzip(const QByteArray &bytes);
QByteArray gzipZeros(qint64 size);
