// A refresh's whole file work: the 10 MB, 10,000-item feed parsed, merged
// into a data file of 20,000 items and saved, against one load and one save
// of the file that results (the floor), measured in the same run.
#include "BenchFeed.h"
#include "feeds/FeedParser.h"
#include "feeds/FeedStore.h"
#include "util/AppFolder.h"
#include "util/XmlDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{

constexpr int storedCount = 20000;
constexpr int runs = 7;
const QString feedId = QStringLiteral("BE4C0000-0000-0000-0000-000000000002");

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

// The median of the timed runs, in milliseconds; prepare is not timed.
double median(const std::function<void()> &prepare, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    AppFolder::set(home.path());
    QDir(home.path()).mkpath(QStringLiteral("Data"));
    const QString file = AppFolder::feedDataFile(feedId);
    const QByteArray stored = BenchFeed::dataFile(storedCount);
    const QByteArray feed = BenchFeed::document();

    int added = 0;
    const auto restore = [&] { writeFile(file, stored); };
    const double pipeline = median(restore, [&] {
        const FeedParser::Result parsed = FeedParser::ParseRSS(feed, false);
        added = FeedStore(feedId).UpdateItems(parsed.items).added;
    });
    QFile result(file);
    result.open(QIODevice::ReadOnly);
    const QByteArray merged = result.readAll();
    result.close();
    const double floor = median([&] { writeFile(file, merged); },
        [&] {
            XmlDocument doc;
            doc.load(file);
            doc.save(file);
        });

    std::printf("data file: %d items, %.1f MB; feed: %d entries, %.1f MB; %d stored; result %.1f MB\n",
        storedCount, double(stored.size()) / 1e6, BenchFeed::itemCount, double(feed.size()) / 1e6, added,
        double(merged.size()) / 1e6);
    std::printf("load + save of the result (floor): %8.1f ms\n", floor);
    std::printf("parse + merge + save:              %8.1f ms\n", pipeline);
    std::printf("bench_pipeline: %.2f (target <= 1.5)\n", pipeline / floor);
    return added == BenchFeed::itemCount ? 0 : 1;
}
