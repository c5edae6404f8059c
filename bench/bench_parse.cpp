// What a caller pays to parse a feed, against the floor of reading the same
// bytes with pugixml. The timed region makes everything the merge and the
// window take from the 10 MB, 10,000-item document: every entry's fields as
// strings, its id and its date key. The floor parses the same bytes with
// pugixml's default flags (references decoded) and reads the text of every
// child of every item into a string, the form the program takes it in. (The
// floor with the texts only touched, not made into strings, is printed too.)
#include "BenchFeed.h"
#include "feeds/FeedParser.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

namespace
{

constexpr int runs = 10;

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
    const QByteArray xml = BenchFeed::document();
    const int itemCount = BenchFeed::itemCount;
    std::printf("document: %.1f MB, %d items\n", double(xml.size()) / (1024.0 * 1024.0), itemCount);

    const auto pugixmlWalk = [&xml](auto read) {
        pugi::xml_document doc;
        if (!doc.load_buffer(xml.constData(), size_t(xml.size())))
            std::abort();
        qsizetype total = 0;
        for (pugi::xml_node item : doc.child("rss").child("channel").children("item")) {
            for (pugi::xml_node child : item.children())
                total += read(child.child_value());
        }
        if (total == 0)
            std::abort();
    };
    const double floor = bestMilliseconds(
        [&] { pugixmlWalk([](const char *text) { return QString::fromUtf8(text).size(); }); });
    const double touched = bestMilliseconds(
        [&] { pugixmlWalk([](const char *text) { return qsizetype(std::strlen(text)); }); });
    qsizetype characters = 0;
    const double ours = bestMilliseconds([&xml, &characters] {
        const FeedParser::Result result = FeedParser::ParseRSS(xml, false);
        characters = 0;
        for (qsizetype i = 1; i < result.items.size(); ++i) {
            const FeedItem item = result.items.at(i);
            characters += item.Title.size() + item.Link.size() + item.Description.size() + item.Media.size()
                + item.ID.size() + result.items.dateKey(i).size();
        }
        if (result.count != itemCount || characters == 0)
            std::abort();
    });
    std::printf("pugixml, default flags, every item's texts made strings: %.1f ms (floor)\n", floor);
    std::printf("pugixml, default flags, every item's texts touched: %.1f ms (for information)\n", touched);
    std::printf("ParseRSS, every entry made with its id and date key: %.1f ms\n", ours);
    std::printf("against the touched texts: %.2f (for information)\n", ours / touched);
    std::printf("bench_parse: %.2f (target <= 1.5)\n", ours / floor);
    return 0;
}
