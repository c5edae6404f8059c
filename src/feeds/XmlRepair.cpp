#include "feeds/XmlRepair.h"

#include "feeds/XmlSpace.h"

#include "util/Simd.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace XmlRepair
{

namespace
{

struct NamedCharacter {
    const char *name;
    char32_t code;
};

// HTML 4's named character references, sorted by name.
constexpr NamedCharacter htmlEntities[] = {
    {"AElig", 0x00C6},
    {"Aacute", 0x00C1},
    {"Acirc", 0x00C2},
    {"Agrave", 0x00C0},
    {"Alpha", 0x0391},
    {"Aring", 0x00C5},
    {"Atilde", 0x00C3},
    {"Auml", 0x00C4},
    {"Beta", 0x0392},
    {"Ccedil", 0x00C7},
    {"Chi", 0x03A7},
    {"Dagger", 0x2021},
    {"Delta", 0x0394},
    {"ETH", 0x00D0},
    {"Eacute", 0x00C9},
    {"Ecirc", 0x00CA},
    {"Egrave", 0x00C8},
    {"Epsilon", 0x0395},
    {"Eta", 0x0397},
    {"Euml", 0x00CB},
    {"Gamma", 0x0393},
    {"Iacute", 0x00CD},
    {"Icirc", 0x00CE},
    {"Igrave", 0x00CC},
    {"Iota", 0x0399},
    {"Iuml", 0x00CF},
    {"Kappa", 0x039A},
    {"Lambda", 0x039B},
    {"Mu", 0x039C},
    {"Ntilde", 0x00D1},
    {"Nu", 0x039D},
    {"OElig", 0x0152},
    {"Oacute", 0x00D3},
    {"Ocirc", 0x00D4},
    {"Ograve", 0x00D2},
    {"Omega", 0x03A9},
    {"Omicron", 0x039F},
    {"Oslash", 0x00D8},
    {"Otilde", 0x00D5},
    {"Ouml", 0x00D6},
    {"Phi", 0x03A6},
    {"Pi", 0x03A0},
    {"Prime", 0x2033},
    {"Psi", 0x03A8},
    {"Rho", 0x03A1},
    {"Scaron", 0x0160},
    {"Sigma", 0x03A3},
    {"THORN", 0x00DE},
    {"Tau", 0x03A4},
    {"Theta", 0x0398},
    {"Uacute", 0x00DA},
    {"Ucirc", 0x00DB},
    {"Ugrave", 0x00D9},
    {"Upsilon", 0x03A5},
    {"Uuml", 0x00DC},
    {"Xi", 0x039E},
    {"Yacute", 0x00DD},
    {"Yuml", 0x0178},
    {"Zeta", 0x0396},
    {"aacute", 0x00E1},
    {"acirc", 0x00E2},
    {"acute", 0x00B4},
    {"aelig", 0x00E6},
    {"agrave", 0x00E0},
    {"alefsym", 0x2135},
    {"alpha", 0x03B1},
    {"amp", 0x0026},
    {"and", 0x2227},
    {"ang", 0x2220},
    {"aring", 0x00E5},
    {"asymp", 0x2248},
    {"atilde", 0x00E3},
    {"auml", 0x00E4},
    {"bdquo", 0x201E},
    {"beta", 0x03B2},
    {"brvbar", 0x00A6},
    {"bull", 0x2022},
    {"cap", 0x2229},
    {"ccedil", 0x00E7},
    {"cedil", 0x00B8},
    {"cent", 0x00A2},
    {"chi", 0x03C7},
    {"circ", 0x02C6},
    {"clubs", 0x2663},
    {"cong", 0x2245},
    {"copy", 0x00A9},
    {"crarr", 0x21B5},
    {"cup", 0x222A},
    {"curren", 0x00A4},
    {"dArr", 0x21D3},
    {"dagger", 0x2020},
    {"darr", 0x2193},
    {"deg", 0x00B0},
    {"delta", 0x03B4},
    {"diams", 0x2666},
    {"divide", 0x00F7},
    {"eacute", 0x00E9},
    {"ecirc", 0x00EA},
    {"egrave", 0x00E8},
    {"empty", 0x2205},
    {"emsp", 0x2003},
    {"ensp", 0x2002},
    {"epsilon", 0x03B5},
    {"equiv", 0x2261},
    {"eta", 0x03B7},
    {"eth", 0x00F0},
    {"euml", 0x00EB},
    {"euro", 0x20AC},
    {"exist", 0x2203},
    {"fnof", 0x0192},
    {"forall", 0x2200},
    {"frac12", 0x00BD},
    {"frac14", 0x00BC},
    {"frac34", 0x00BE},
    {"frasl", 0x2044},
    {"gamma", 0x03B3},
    {"ge", 0x2265},
    {"gt", 0x003E},
    {"hArr", 0x21D4},
    {"harr", 0x2194},
    {"hearts", 0x2665},
    {"hellip", 0x2026},
    {"iacute", 0x00ED},
    {"icirc", 0x00EE},
    {"iexcl", 0x00A1},
    {"igrave", 0x00EC},
    {"image", 0x2111},
    {"infin", 0x221E},
    {"int", 0x222B},
    {"iota", 0x03B9},
    {"iquest", 0x00BF},
    {"isin", 0x2208},
    {"iuml", 0x00EF},
    {"kappa", 0x03BA},
    {"lArr", 0x21D0},
    {"lambda", 0x03BB},
    {"lang", 0x2329},
    {"laquo", 0x00AB},
    {"larr", 0x2190},
    {"lceil", 0x2308},
    {"ldquo", 0x201C},
    {"le", 0x2264},
    {"lfloor", 0x230A},
    {"lowast", 0x2217},
    {"loz", 0x25CA},
    {"lrm", 0x200E},
    {"lsaquo", 0x2039},
    {"lsquo", 0x2018},
    {"lt", 0x003C},
    {"macr", 0x00AF},
    {"mdash", 0x2014},
    {"micro", 0x00B5},
    {"middot", 0x00B7},
    {"minus", 0x2212},
    {"mu", 0x03BC},
    {"nabla", 0x2207},
    {"nbsp", 0x00A0},
    {"ndash", 0x2013},
    {"ne", 0x2260},
    {"ni", 0x220B},
    {"not", 0x00AC},
    {"notin", 0x2209},
    {"nsub", 0x2284},
    {"ntilde", 0x00F1},
    {"nu", 0x03BD},
    {"oacute", 0x00F3},
    {"ocirc", 0x00F4},
    {"oelig", 0x0153},
    {"ograve", 0x00F2},
    {"oline", 0x203E},
    {"omega", 0x03C9},
    {"omicron", 0x03BF},
    {"oplus", 0x2295},
    {"or", 0x2228},
    {"ordf", 0x00AA},
    {"ordm", 0x00BA},
    {"oslash", 0x00F8},
    {"otilde", 0x00F5},
    {"otimes", 0x2297},
    {"ouml", 0x00F6},
    {"para", 0x00B6},
    {"part", 0x2202},
    {"permil", 0x2030},
    {"perp", 0x22A5},
    {"phi", 0x03C6},
    {"pi", 0x03C0},
    {"piv", 0x03D6},
    {"plusmn", 0x00B1},
    {"pound", 0x00A3},
    {"prime", 0x2032},
    {"prod", 0x220F},
    {"prop", 0x221D},
    {"psi", 0x03C8},
    {"quot", 0x0022},
    {"rArr", 0x21D2},
    {"radic", 0x221A},
    {"rang", 0x232A},
    {"raquo", 0x00BB},
    {"rarr", 0x2192},
    {"rceil", 0x2309},
    {"rdquo", 0x201D},
    {"real", 0x211C},
    {"reg", 0x00AE},
    {"rfloor", 0x230B},
    {"rho", 0x03C1},
    {"rlm", 0x200F},
    {"rsaquo", 0x203A},
    {"rsquo", 0x2019},
    {"sbquo", 0x201A},
    {"scaron", 0x0161},
    {"sdot", 0x22C5},
    {"sect", 0x00A7},
    {"shy", 0x00AD},
    {"sigma", 0x03C3},
    {"sigmaf", 0x03C2},
    {"sim", 0x223C},
    {"spades", 0x2660},
    {"sub", 0x2282},
    {"sube", 0x2286},
    {"sum", 0x2211},
    {"sup", 0x2283},
    {"sup1", 0x00B9},
    {"sup2", 0x00B2},
    {"sup3", 0x00B3},
    {"supe", 0x2287},
    {"szlig", 0x00DF},
    {"tau", 0x03C4},
    {"there4", 0x2234},
    {"theta", 0x03B8},
    {"thetasym", 0x03D1},
    {"thinsp", 0x2009},
    {"thorn", 0x00FE},
    {"tilde", 0x02DC},
    {"times", 0x00D7},
    {"trade", 0x2122},
    {"uArr", 0x21D1},
    {"uacute", 0x00FA},
    {"uarr", 0x2191},
    {"ucirc", 0x00FB},
    {"ugrave", 0x00F9},
    {"uml", 0x00A8},
    {"upsih", 0x03D2},
    {"upsilon", 0x03C5},
    {"uuml", 0x00FC},
    {"weierp", 0x2118},
    {"xi", 0x03BE},
    {"yacute", 0x00FD},
    {"yen", 0x00A5},
    {"yuml", 0x00FF},
    {"zeta", 0x03B6},
    {"zwj", 0x200D},
    {"zwnj", 0x200C},
};

const NamedCharacter *findHtmlEntity(std::string_view name)
{
    const auto end = std::end(htmlEntities);
    const auto found = std::lower_bound(std::begin(htmlEntities), end, name,
        [](const NamedCharacter &entry, std::string_view key) { return std::string_view(entry.name) < key; });
    return found != end && std::string_view(found->name) == name ? found : nullptr;
}

// Declared entities may refer to each other this deep.
constexpr int maxDepth = 8;

bool isNameStart(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}

bool isNameChar(unsigned char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

// Reads "#123" or "#x1F" (without "&" and ";"); false when it is not one.
bool readCharacterReference(std::string_view body, char32_t &code)
{
    const bool hex = body.size() > 1 && body[1] == 'x';
    const size_t start = hex ? 2 : 1;
    if (body.size() <= start)
        return false;
    std::uint64_t value = 0;
    for (size_t i = start; i < body.size(); ++i) {
        const char c = body[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = value * (hex ? 16 : 10) + std::uint64_t(digit);
        if (value > 0x10FFFF)
            value = 0x110000;
    }
    code = char32_t(value);
    return true;
}

// The reference body starting after "&" (up to, not including, ";"), or an
// empty view when the "&" starts no reference.
std::string_view referenceAt(std::string_view text, size_t amp)
{
    constexpr size_t longest = 64;
    const size_t start = amp + 1;
    if (start >= text.size())
        return {};
    size_t end = start;
    if (text[start] == '#') {
        ++end;
        while (
            end < text.size() && end - start < longest && std::isalnum(static_cast<unsigned char>(text[end])))
            ++end;
    } else {
        if (!isNameStart(static_cast<unsigned char>(text[start])))
            return {};
        while (
            end < text.size() && end - start < longest && isNameChar(static_cast<unsigned char>(text[end])))
            ++end;
    }
    if (end >= text.size() || text[end] != ';')
        return {};
    return text.substr(start, end - start);
}

// Where resolved text goes: UTF-8 at the end of a string, or UTF-16 into a
// buffer. Each copies the plain text up to the next "&" its own fastest way.
struct StringSink {
    std::string &out;
    const char *copyPlain(const char *from, const char *end)
    {
        const char *amp = static_cast<const char *>(std::memchr(from, '&', size_t(end - from)));
        const char *stop = amp ? amp : end;
        out.append(from, size_t(stop - from));
        return stop;
    }
    void put(char32_t code)
    {
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xC0 | (code >> 6));
            out += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += char(0xE0 | (code >> 12));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        } else {
            out += char(0xF0 | (code >> 18));
            out += char(0x80 | ((code >> 12) & 0x3F));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        }
    }
};

bool isContinuation(const char *p, const char *end)
{
    return p < end && (static_cast<unsigned char>(*p) & 0xC0) == 0x80;
}

// The character of the UTF-8 sequence at from (lead byte >= 0x80); a broken
// sequence gives U+FFFD for its first byte.
char32_t decodeUtf8(const char *&from, const char *end)
{
    const auto lead = static_cast<unsigned char>(*from);
    const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    char32_t code = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if (!isContinuation(from + i, end)) {
            ++from;
            return 0xFFFD;
        }
        code = (code << 6) | (static_cast<unsigned char>(from[i]) & 0x3F);
    }
    from += length ? length : 1;
    return length ? code : 0xFFFD;
}

// Every UTF-8 byte and every reference gives at most one UTF-16 unit per
// byte, so the text's length in bytes bounds the output. Plain text is
// mostly ASCII: it is widened a block at a time.
struct Utf16Sink {
    char16_t *to;
    const char *textEnd; // a character may reach past where a copy stops
    const char *copyPlain(const char *from, const char *end)
    {
        // A local write position: a store through a pointer could alias a member.
        char16_t *out = to;
#ifdef QUORVANE_SSE2
        const __m128i amp = _mm_set1_epi8('&');
        const __m128i zero = _mm_setzero_si128();
        while (end - from >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from));
            // The bound above leaves room for the whole block.
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(bytes, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8), _mm_unpackhi_epi8(bytes, zero));
            const unsigned stops
                = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, amp)) | _mm_movemask_epi8(bytes));
            const int run = stops ? std::countr_zero(stops) : 16;
            out += run;
            from += run;
            if (run == 16)
                continue;
            if (*from == '&') {
                to = out;
                return from;
            }
            putWide(out, decodeUtf8(from, textEnd));
        }
#endif
        while (from < end && *from != '&') {
            if (static_cast<unsigned char>(*from) < 0x80)
                *out++ = char16_t(*from++);
            else
                putWide(out, decodeUtf8(from, textEnd));
        }
        to = out;
        return from;
    }
    void put(char32_t code)
    {
        putWide(to, code);
    }

    // Copies ASCII text, from up to until, a block at a time where the text
    // (which ends at end) is long enough for a whole block.
    void copyAscii(const char *from, const char *until, const char *end)
    {
        char16_t *out = to;
        const size_t length = size_t(until - from);
        size_t done = 0;
#ifdef QUORVANE_SSE2
        const __m128i zero = _mm_setzero_si128();
        for (; done < length && end - (from + done) >= 16; done += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + done));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + done), _mm_unpacklo_epi8(bytes, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + done + 8), _mm_unpackhi_epi8(bytes, zero));
        }
#else
        (void)end; // only the blocks need to know how far they may read
#endif
        for (; done < length; ++done)
            out[done] = char16_t(from[done]);
        to = out + length;
    }

    static void putWide(char16_t *&out, char32_t code)
    {
        if (code < 0x10000) {
            *out++ = char16_t(code);
        } else {
            *out++ = char16_t(0xD7C0 + (code >> 10));
            *out++ = char16_t(0xDC00 | (code & 0x3FF));
        }
    }
};

// The five XML entities as words of their bytes, first byte lowest, in a
// table indexed by their first two letters, which tell them apart.
struct Predefined {
    std::uint64_t word = 1; // matches nothing under an empty mask
    std::uint64_t mask = 0;
    char32_t character = 0;
    int length = 0;
};

constexpr size_t predefinedSlot(char first, char second)
{
    return size_t(static_cast<unsigned char>(first) + static_cast<unsigned char>(second)) % 16;
}

constexpr std::array<Predefined, 16> predefined = [] {
    const std::pair<std::string_view, char32_t> entities[]
        = {{"&lt;", U'<'}, {"&gt;", U'>'}, {"&amp;", U'&'}, {"&quot;", U'"'}, {"&apos;", U'\''}};
    std::array<Predefined, 16> table {};
    for (const auto &[text, character] : entities) {
        Predefined &entry = table[predefinedSlot(text[1], text[2])];
        entry = {0, 0, character, int(text.size())};
        for (size_t i = 0; i < text.size(); ++i) {
            entry.word |= std::uint64_t(static_cast<unsigned char>(text[i])) << (8 * i);
            entry.mask |= std::uint64_t(0xFF) << (8 * i);
        }
    }
    return table;
}();

template<class Sink> class Resolver
{
public:
    Resolver(Sink &sink, const EntityTable &entities, ExpansionBudget &budget)
        : m_sink(sink), m_entities(entities), m_budget(budget)
    {
    }

    void append(std::string_view text, int depth)
    {
        appendUntil(text.data(), text.data() + text.size(), text, depth);
    }

    // Appends the part of text from from up to until; a reference may reach
    // past until. Returns where the text goes on.
    const char *appendUntil(const char *from, const char *until, std::string_view text, int depth)
    {
        while ((from = m_sink.copyPlain(from, until)) < until)
            from = resolveAt(from, text, depth);
        return from;
    }

    // Writes the reference (or the "&" that starts none) at at, a "&" in
    // text; returns where the text goes on.
    const char *resolveAt(const char *at, std::string_view text, int depth)
    {
        if (const int length = putPredefined(at, text.data() + text.size()))
            return at + length;
        const std::string_view body = referenceAt(text, size_t(at - text.data()));
        if (!body.empty() && resolve(body, depth))
            return at + body.size() + 2;
        m_sink.put(U'&');
        return at + 1;
    }

private:
    // The five XML entities, by far the most common references, matched as
    // one word without taking the name apart; the length of the reference or 0.
    int putPredefined(const char *at, const char *end)
    {
        const size_t left = size_t(end - at);
        if (left < 4)
            return 0;
        std::uint64_t word = 0;
        if (left >= 8) {
            // Read as one load.
            for (size_t i = 0; i < 8; ++i)
                word |= std::uint64_t(static_cast<unsigned char>(at[i])) << (8 * i);
        } else {
            for (size_t i = 0; i < left; ++i)
                word |= std::uint64_t(static_cast<unsigned char>(at[i])) << (8 * i);
        }
        const Predefined &entity = predefined[predefinedSlot(at[1], at[2])];
        if ((word & entity.mask) != entity.word)
            return 0;
        m_sink.put(entity.character);
        return entity.length;
    }

    // Writes what a reference stands for; false when it stays as written.
    bool resolve(std::string_view body, int depth)
    {
        if (body[0] == '#') {
            char32_t code;
            if (!readCharacterReference(body, code))
                return false;
            if (isXmlChar(code))
                m_sink.put(code);
            return true;
        }
        if (const std::string *value = m_entities.find(body)) {
            if (depth >= maxDepth || !m_budget.take(value->size()))
                return false;
            append(*value, depth + 1);
            return true;
        }
        if (const NamedCharacter *named = findHtmlEntity(body)) {
            m_sink.put(named->code);
            return true;
        }
        return false;
    }

    Sink &m_sink;
    const EntityTable &m_entities;
    ExpansionBudget &m_budget;
};

// Character references in an entity value are resolved when it is declared;
// entity references wait until it is used.
std::string declaredValue(std::string_view literal)
{
    std::string value;
    size_t from = 0;
    while (from < literal.size()) {
        const size_t amp = literal.find('&', from);
        if (amp == std::string_view::npos)
            break;
        value.append(literal.substr(from, amp - from));
        const std::string_view body = referenceAt(literal, amp);
        char32_t code;
        if (!body.empty() && body[0] == '#' && readCharacterReference(body, code)) {
            if (isXmlChar(code))
                StringSink {value}.put(code);
            from = amp + body.size() + 2;
        } else {
            value += '&';
            from = amp + 1;
        }
    }
    value.append(literal.substr(std::min(from, literal.size())));
    return value;
}

size_t skipSpace(std::string_view text, size_t at)
{
    while (at < text.size() && XmlSpace::is(text[at]))
        ++at;
    return at;
}

// The position after the ">" that closes a markup declaration, quotes
// respected.
size_t endOfDeclaration(std::string_view text, size_t at)
{
    while (at < text.size() && text[at] != '>') {
        if (text[at] == '"' || text[at] == '\'') {
            const size_t close = text.find(text[at], at + 1);
            if (close == std::string_view::npos)
                return text.size();
            at = close;
        }
        ++at;
    }
    return std::min(at + 1, text.size());
}

} // namespace

EntityTable EntityTable::fromDoctype(std::string_view doctype)
{
    EntityTable table;
    constexpr std::string_view entityOpen = "<!ENTITY";
    size_t at = 0;
    while (at < doctype.size()) {
        if (doctype.substr(at, 4) == "<!--") {
            const size_t close = doctype.find("-->", at + 4);
            at = close == std::string_view::npos ? doctype.size() : close + 3;
            continue;
        }
        if (doctype.substr(at, entityOpen.size()) != entityOpen) {
            ++at;
            continue;
        }
        const size_t end = endOfDeclaration(doctype, at);
        size_t p = skipSpace(doctype, at + entityOpen.size());
        const size_t nameStart = p;
        while (p < end && isNameChar(static_cast<unsigned char>(doctype[p])))
            ++p;
        const std::string_view name = doctype.substr(nameStart, p - nameStart);
        p = skipSpace(doctype, p);
        if (!name.empty() && p < end && (doctype[p] == '"' || doctype[p] == '\'')) {
            const size_t close = doctype.find(doctype[p], p + 1);
            if (close != std::string_view::npos && close < end)
                table.m_entities.emplace_back(name, declaredValue(doctype.substr(p + 1, close - p - 1)));
        }
        at = end;
    }
    // Sorted for lookups, the first declaration of each name kept.
    auto &entities = table.m_entities;
    const auto byName = [](const auto &a, const auto &b) { return a.first < b.first; };
    std::stable_sort(entities.begin(), entities.end(), byName);
    entities.erase(std::unique(entities.begin(), entities.end(),
                       [](const auto &a, const auto &b) { return a.first == b.first; }),
        entities.end());
    return table;
}

const std::string *EntityTable::find(std::string_view name) const
{
    const auto found = std::lower_bound(m_entities.begin(), m_entities.end(), name,
        [](const auto &entry, std::string_view key) { return std::string_view(entry.first) < key; });
    return found != m_entities.end() && found->first == name ? &found->second : nullptr;
}

void appendResolved(
    std::string &out, std::string_view text, const EntityTable &entities, ExpansionBudget &budget)
{
    StringSink sink {out};
    Resolver(sink, entities, budget).append(text, 0);
}

// In ASCII text the references are found a block at a time, so that finding
// the next one does not wait for the one before to be resolved, and the five
// XML entities are read from a table without a branch per name. A block with
// other characters, and any other reference, is read the general way. The
// last blocks are too: the fast way reads up to a block past the current one.
char16_t *resolveToUtf16(std::string_view text, char16_t *out)
{
    static const EntityTable none;
    ExpansionBudget unused(0); // no declared entities to charge
    Utf16Sink sink {out, text.data() + text.size()};
    Resolver resolver(sink, none, unused);
    const char *from = text.data();
    const char *const end = from + text.size();
#ifdef QUORVANE_SSE2
    const __m128i zero = _mm_setzero_si128();
    // The write position stays in a register here; the sink has it back for
    // the general way.
    char16_t *to = out;
    for (const char *block = from; end - block >= 32; block += 16) {
        if (from >= block + 16)
            continue;
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(block));
        if (_mm_movemask_epi8(bytes)) {
            sink.to = to;
            from = resolver.appendUntil(from, block + 16, text, 0);
            to = sink.to;
            continue;
        }
        // The references found do not wait for the position the one before
        // ends at; those it covers are passed over.
        unsigned amps = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('&'))));
        for (; amps; amps &= amps - 1) {
            const char *at = block + std::countr_zero(amps);
            if (at < from)
                continue;
            // Plain text up to the reference, whole blocks at a time (at least
            // one, which takes no decision); what is written past it is
            // written over next.
            std::ptrdiff_t done = 0;
            do {
                const __m128i plain = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + done));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(to + done), _mm_unpacklo_epi8(plain, zero));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(to + done + 8), _mm_unpackhi_epi8(plain, zero));
                done += 16;
            } while (done < at - from);
            to += at - from;
            std::uint64_t word;
            std::memcpy(&word, at, sizeof word);
            const Predefined &entity = predefined[predefinedSlot(at[1], at[2])];
            if (std::endian::native == std::endian::little && (word & entity.mask) == entity.word) {
                *to++ = char16_t(entity.character);
                from = at + entity.length;
            } else {
                sink.to = to;
                from = resolver.resolveAt(at, text, 0);
                to = sink.to;
            }
        }
    }
    sink.to = to;
#endif
    resolver.appendUntil(from, end, text, 0);
    return sink.to;
}

QString resolveReferences(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    QString out(utf8.size(), Qt::Uninitialized);
    auto *begin = reinterpret_cast<char16_t *>(out.data());
    const char16_t *end = resolveToUtf16(std::string_view(utf8.constData(), size_t(utf8.size())), begin);
    out.truncate(end - begin);
    return out;
}

} // namespace XmlRepair
