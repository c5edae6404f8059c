// Parsing speed of the feed parser against a bare pugixml parse of the same
// bytes: the parser decodes and checks the bytes, repairs what feeds get
// wrong, checks namespaces and reads every entry's fields and date, so it may
// cost somewhat more, not a multiple. Entries keep their texts as UTF-8 until
// asked for; the cost of then making every entry into strings is shown too.
#include "feeds/FeedParser.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace
{

constexpr int itemCount = 10000;
constexpr int runs = 10;

QByteArray paragraph(int item)
{
    QByteArray text;
    while (text.size() < 640) {
        text += "&lt;p&gt;Item " + QByteArray::number(item)
            + " says something about feeds &amp; readers, with &quot;quotes&quot; and "
              "&lt;a href=&quot;https://example.com/&quot;&gt;a link&lt;/a&gt;.&lt;/p&gt;";
    }
    return text;
}

QByteArray document()
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<rss version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n<channel>\n"
                     "<title>Benchmark feed</title>\n<link>https://example.com/</link>\n"
                     "<description>Generated</description>\n";
    for (int i = 0; i < itemCount; ++i) {
        const QByteArray n = QByteArray::number(i);
        xml += "<item>\n<title>Item " + n + ": a headline of ordinary length</title>\n"
            + "<link>https://example.com/articles/" + n + ".html</link>\n"
            + "<guid isPermaLink=\"true\">https://example.com/articles/" + n + ".html</guid>\n"
            + "<pubDate>Tue, 10 Jun 2003 04:" + QByteArray::number(10 + i % 50) + ":00 GMT</pubDate>\n"
            + "<dc:creator>Writer " + n + "</dc:creator>\n" + "<description>" + paragraph(i)
            + "</description>\n" + "<enclosure url=\"https://example.com/media/" + n
            + ".mp3\" length=\"123456\" type=\"audio/mpeg\"/>\n</item>\n";
    }
    return xml + "</channel>\n</rss>\n";
}

double bestMilliseconds(const std::function<void()> &work)
{
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace

int main()
{
    const QByteArray xml = document();
    std::printf("document: %.1f MB, %d items\n", double(xml.size()) / (1024.0 * 1024.0), itemCount);

    const double bare = bestMilliseconds([&xml] {
        pugi::xml_document doc;
        if (!doc.load_buffer(xml.constData(), size_t(xml.size())))
            std::abort();
    });
    const double ours = bestMilliseconds([&xml] {
        if (FeedParser::ParseRSS(xml, false).count != itemCount)
            std::abort();
    });
    const double whole = bestMilliseconds([&xml] {
        const FeedParser::Result result = FeedParser::ParseRSS(xml, false);
        qsizetype characters = 0;
        for (qsizetype i = 1; i < result.items.size(); ++i)
            characters += result.items.at(i).Description.size();
        if (characters == 0)
            std::abort();
    });
    std::printf("parse %d items: pugixml %.1f ms, ParseRSS %.1f ms, ratio %.2f (target <= 1.5)\n", itemCount,
        bare, ours, ours / bare);
    std::printf("parse and make every entry into strings: %.1f ms, ratio %.2f (for information)\n", whole,
        whole / bare);
    return 0;
}
