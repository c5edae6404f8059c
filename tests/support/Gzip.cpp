#include "support/Gzip.h"

#include <zlib.h>

namespace
{

// Feeds pieces to a gzip stream until more() is false.
template<class More> QByteArray deflateAll(More more)
{
    z_stream stream {};
    deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray out;
    QByteArray piece;
    char buffer[64 * 1024];
    int flush = Z_NO_FLUSH;
    do {
        flush = more(piece) ? Z_NO_FLUSH : Z_FINISH;
        stream.next_in = reinterpret_cast<Bytef *>(piece.data());
        stream.avail_in = uInt(piece.size());
        do {
            stream.next_out = reinterpret_cast<Bytef *>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, flush);
            out.append(buffer, qsizetype(sizeof buffer - stream.avail_out));
        } while (stream.avail_out == 0);
    } while (flush != Z_FINISH);
    deflateEnd(&stream);
    return out;
}

} // namespace

QByteArray gzip(const QByteArray &bytes)
{
    bool given = false;
    return deflateAll([&](QByteArray &piece) {
        piece = given ? QByteArray() : bytes;
        given = true;
        return !piece.isEmpty();
    });
}

QByteArray gzipZeros(qint64 size)
{
    const QByteArray zeros(1 << 20, '\0');
    qint64 left = size;
    return deflateAll([&](QByteArray &piece) {
        piece = zeros.left(qsizetype(qMin<qint64>(left, zeros.size())));
        left -= piece.size();
        return !piece.isEmpty();
    });
}
