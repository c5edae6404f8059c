#include "feeds/Encoding.h"

#include "feeds/XmlSpace.h"

#include "util/Simd.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace FeedEncoding
{

namespace
{

bool startsWith(const QByteArray &bytes, std::initializer_list<unsigned char> prefix)
{
    if (bytes.size() < qsizetype(prefix.size()))
        return false;
    return std::memcmp(bytes.constData(), prefix.begin(), prefix.size()) == 0;
}

Detected byMark(const QByteArray &bytes)
{
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF}))
        return {"utf-8", 3};
    if (startsWith(bytes, {0xFF, 0xFE, 0x00, 0x00}))
        return {"utf-32le", 4};
    if (startsWith(bytes, {0x00, 0x00, 0xFE, 0xFF}))
        return {"utf-32be", 4};
    if (startsWith(bytes, {0xFF, 0xFE}))
        return {"utf-16le", 2};
    if (startsWith(bytes, {0xFE, 0xFF}))
        return {"utf-16be", 2};
    return {};
}

// UTF-16 and UTF-32 without a mark show themselves by the zero bytes around
// the first ASCII character ("<" or white space).
QByteArray byFirstBytes(const QByteArray &bytes)
{
    if (bytes.size() < 4)
        return {};
    const auto b = reinterpret_cast<const unsigned char *>(bytes.constData());
    if (!b[0] && !b[1] && !b[2] && b[3])
        return "utf-32be";
    if (b[0] && !b[1] && !b[2] && !b[3])
        return "utf-32le";
    if (!b[0] && b[1] && !b[2] && b[3])
        return "utf-16be";
    if (b[0] && !b[1] && b[2] && !b[3])
        return "utf-16le";
    return {};
}

// The encoding named by a leading XML declaration (white space before it is
// tolerated), lower-cased; empty when there is none.
QByteArray declaredEncoding(const QByteArray &bytes, int from)
{
    while (from < bytes.size() && XmlSpace::is(bytes.at(from)))
        ++from;
    if (!bytes.mid(from, 6).startsWith("<?xml") || from + 5 >= bytes.size()
        || !XmlSpace::is(bytes.at(from + 5)))
        return {};
    const int end = bytes.indexOf("?>", from);
    if (end < 0)
        return {};
    const QByteArray declaration = bytes.mid(from, end - from);
    int at = declaration.indexOf("encoding");
    if (at < 0)
        return {};
    at += 8;
    while (at < declaration.size() && XmlSpace::is(declaration.at(at)))
        ++at;
    if (at >= declaration.size() || declaration.at(at) != '=')
        return {};
    ++at;
    while (at < declaration.size() && XmlSpace::is(declaration.at(at)))
        ++at;
    if (at >= declaration.size() || (declaration.at(at) != '"' && declaration.at(at) != '\''))
        return {};
    const int close = declaration.indexOf(declaration.at(at), at + 1);
    if (close < 0)
        return {};
    return declaration.mid(at + 1, close - at - 1).trimmed().toLower();
}

bool isUtf8Name(const QByteArray &name)
{
    return name == "utf-8" || name == "utf8" || name == "us-ascii" || name == "ascii";
}

// An ASCII-compatible document cannot be in UTF-16 or UTF-32, whatever its
// declaration says.
bool isWideName(const QByteArray &name)
{
    return name.startsWith("utf-16") || name.startsWith("utf-32") || name.startsWith("utf16")
        || name.startsWith("utf32") || name.startsWith("ucs-2") || name.startsWith("ucs-4");
}

// Length of the valid UTF-8 sequence at p (lead byte >= 0x80), 0 when invalid.
int sequenceLength(const unsigned char *p, const unsigned char *end)
{
    const unsigned char lead = p[0];
    int length;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (end - p < length || p[1] < low || p[1] > high)
        return 0;
    for (int i = 2; i < length; ++i) {
        if (p[i] < 0x80 || p[i] > 0xBF)
            return 0;
    }
    return length;
}

bool isStrayControl(unsigned char c)
{
    return c < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

// Checks UTF-8 while copying it (to may be from: nothing is written ahead of
// what is read), leaves out C0 control characters other than tab, LF and CR
// and notes a CR. False at the first byte that is not valid UTF-8. Printable
// ASCII, tab and line ends pass a block at a time, up to the first byte
// that needs a closer look.
bool copyChecked(const char *from, size_t size, char *to, size_t &written, bool &carriageReturns)
{
    const auto *in = reinterpret_cast<const unsigned char *>(from);
    const unsigned char *const end = in + size;
    auto *out = reinterpret_cast<unsigned char *>(to);
    while (in < end) {
#ifdef QUORVANE_SSE2
        if (end - in >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in));
            // The signed compare counts bytes from 0x80 up as negative, so
            // one test finds them and the control characters.
            unsigned closer = unsigned(_mm_movemask_epi8(_mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20))));
            if (closer) {
                const __m128i returns = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r'));
                const __m128i lineBreaks = _mm_or_si128(
                    _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')));
                closer &= ~unsigned(_mm_movemask_epi8(_mm_or_si128(returns, lineBreaks)));
                carriageReturns = carriageReturns || _mm_movemask_epi8(returns);
            }
            if (!closer) {
                _mm_storeu_si128(reinterpret_cast<__m128i *>(out), bytes);
                in += 16;
                out += 16;
                continue;
            }
            // Byte by byte: in place, a whole block could overwrite what is
            // still to be read.
            for (int plain = std::countr_zero(closer); plain > 0; --plain)
                *out++ = *in++;
        }
#endif
        if (*in >= 0x80) {
            const int length = sequenceLength(in, end);
            if (!length)
                return false;
            for (int i = 0; i < length; ++i)
                *out++ = *in++;
        } else {
            carriageReturns = carriageReturns || *in == '\r';
            if (!isStrayControl(*in))
                *out++ = *in;
            ++in;
        }
    }
    written = size_t(out - reinterpret_cast<unsigned char *>(to));
    return true;
}

bool convert(iconv_t converter, const char *data, size_t size, QByteArray &out)
{
    out.resize(qsizetype(size * 2 + 16));
    char *in = const_cast<char *>(data);
    size_t inLeft = size;
    size_t written = 0;
    while (inLeft > 0) {
        char *to = out.data() + written;
        size_t outLeft = size_t(out.size()) - written;
        const size_t done = iconv(converter, &in, &inLeft, &to, &outLeft);
        written = size_t(to - out.data());
        if (done != size_t(-1))
            break;
        if (errno != E2BIG)
            return false;
        out.resize(out.size() * 2);
    }
    out.resize(qsizetype(written));
    return true;
}

} // namespace

Detected detect(const QByteArray &bytes, const QString &httpCharset)
{
    Detected found = byMark(bytes);
    if (!found.name.isEmpty())
        return found;
    found.name = byFirstBytes(bytes);
    if (!found.name.isEmpty())
        return found;
    found.name = declaredEncoding(bytes, 0);
    if (found.name.isEmpty() && !httpCharset.trimmed().isEmpty()) {
        found.name = httpCharset.trimmed().toLower().toLatin1();
        found.fromHttp = true;
    }
    if (found.name.isEmpty() || isWideName(found.name))
        found.name = "utf-8";
    return found;
}

bool toUtf8(const QByteArray &bytes, const QString &httpCharset, QByteArray &out, bool *carriageReturns)
{
    const Detected found = detect(bytes, httpCharset);
    const char *body = bytes.constData() + found.markLength;
    const size_t size = size_t(bytes.size() - found.markLength);
    iconv_t converter = isUtf8Name(found.name) ? iconv_t(-1) : iconv_open("UTF-8", found.name.constData());
    if (converter == iconv_t(-1) && !isUtf8Name(found.name) && !found.fromHttp)
        return false;
    // The one copy the in-place parse needs is made while checking, or
    // checked in place after converting.
    if (converter == iconv_t(-1)) {
        out.resize(qsizetype(size));
    } else {
        const bool converted = convert(converter, body, size, out);
        iconv_close(converter);
        if (!converted)
            return false;
        body = out.constData();
    }
    size_t written = 0;
    bool returns = false;
    if (!copyChecked(body, size_t(out.size()), out.data(), written, returns))
        return false;
    out.truncate(qsizetype(written));
    if (carriageReturns)
        *carriageReturns = returns;
    return true;
}

} // namespace FeedEncoding
