// Feed documents of any shape through type detection, decoding and both
// rule sets, with every entry read as the merge and the window read it.
#include "feeds/FeedParser.h"
#include "feeds/FeedStore.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace
{

void readAll(const FeedParser::Result &result)
{
    for (qsizetype i = 1; i < result.items.size(); ++i) {
        const FeedItem item = result.items.at(i);
        FeedParser::dateKey(item);
        FeedStore::itemId(item);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The first byte picks what the server said of the charset.
    static const char *const charsets[] = {"", "utf-8", "ISO-8859-1", "windows-1251", "UTF-16", "bogus"};
    const QString charset = size ? QString::fromLatin1(charsets[data[0] % 6]) : QString();
    const QByteArray document
        = size ? QByteArray(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1)) : QByteArray();
    readAll(FeedParser::parseAny(document, charset));
    readAll(FeedParser::parseByType(0, document, charset));
    readAll(FeedParser::parseByType(1, document, charset));
    FeedParser::decode(document, charset);
    return 0;
}
