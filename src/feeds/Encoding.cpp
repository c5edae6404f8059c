#include "feeds/Encoding.h"

#include <iconv.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The encoding named by a leading XML declaration (white space before it is
// tolerated), lower-cased; empty when there is none.
QByteArray declaredEncoding(const QByteArray &bytes, int from)
{
    while (from < bytes.size() && isXmlSpace(bytes.at(from)))
        ++from;
    if (!bytes.mid(from, 6).startsWith("<?xml") || from + 5 >= bytes.size()
        || !isXmlSpace(bytes.at(from + 5)))
        return {};
    const int end = bytes.indexOf("?>", from);
    if (end < 0)
        return {};
    const QByteArray declaration = bytes.mid(from, end - from);
    int at = declaration.indexOf("encoding");
    if (at < 0)
        return {};
    at += 8;
    while (at < declaration.size() && isXmlSpace(declaration.at(at)))
        ++at;
    if (at >= declaration.size() || declaration.at(at) != '=')
        return {};
    ++at;
    while (at < declaration.size() && isXmlSpace(declaration.at(at)))
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

#if defined(__SSE2__)
constexpr int blockSize = 16;

// True when the block holds only printable ASCII, tab, LF and CR. The signed
// compare counts bytes from 0x80 up as negative, so one test finds them and
// the control characters; line ends are looked at only when that test fails.
bool plainBlock(const unsigned char *p)
{
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    const int low = _mm_movemask_epi8(_mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20)));
    if (!low)
        return true;
    const __m128i allowed = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))),
        _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')));
    return (low & ~_mm_movemask_epi8(allowed)) == 0;
}
#else
constexpr int blockSize = 8;

// True when the block holds only printable ASCII: the bit test flags any
// byte with the high bit set or below 0x20 (and, through borrows, a few
// harmless others).
bool plainBlock(const unsigned char *p)
{
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return ((word | (word - 0x2020202020202020ULL)) & 0x8080808080808080ULL) == 0;
}
#endif

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

bool sanitizeUtf8(QByteArray &text)
{
    auto *begin = reinterpret_cast<unsigned char *>(text.data());
    const unsigned char *end = begin + text.size();
    qsizetype strays = 0;
    const unsigned char *p = begin;
    while (p < end) {
        if (end - p >= blockSize && plainBlock(p)) {
            p += blockSize;
        } else if (*p < 0x80) {
            strays += isStrayControl(*p);
            ++p;
        } else {
            const int length = sequenceLength(p, end);
            if (!length)
                return false;
            p += length;
        }
    }
    if (strays) {
        unsigned char *to = begin;
        for (const unsigned char *from = begin; from < end; ++from) {
            if (!isStrayControl(*from))
                *to++ = *from;
        }
        text.truncate(text.size() - strays);
    }
    return true;
}

bool toUtf8(const QByteArray &bytes, const QString &httpCharset, QByteArray &out)
{
    const Detected found = detect(bytes, httpCharset);
    const char *body = bytes.constData() + found.markLength;
    const size_t size = size_t(bytes.size() - found.markLength);
    if (isUtf8Name(found.name)) {
        out = QByteArray(body, qsizetype(size));
        return sanitizeUtf8(out);
    }
    iconv_t converter = iconv_open("UTF-8", found.name.constData());
    if (converter == iconv_t(-1)) {
        if (!found.fromHttp)
            return false;
        out = QByteArray(body, qsizetype(size));
        return sanitizeUtf8(out);
    }
    const bool converted = convert(converter, body, size, out);
    iconv_close(converter);
    return converted && sanitizeUtf8(out);
}

} // namespace FeedEncoding
