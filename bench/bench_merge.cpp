// Merging fresh entries into a large feed data file against one plain load
// and save of that file: the merge loads and saves once, so apart from
// finding the stored ids and appending the new items it should cost about
// the same, and never more than twice as much.
#include "feeds/FeedStore.h"
#include "util/AppFolder.h"
#include "util/Utilities.h"
#include "util/XmlDocument.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace
{

constexpr int storedCount = 20000;
constexpr int newCount = 1000;
constexpr int runs = 7;
const QString feedId = QStringLiteral("BE4C0000-0000-0000-0000-000000000001");

FeedItem entry(int n)
{
    const QDateTime when = QDateTime(QDate(2003, 1, 1), QTime(0, 0)).addSecs(qint64(n) * 60);
    FeedItem item;
    item.Title = QStringLiteral("Item %1: a headline of ordinary length").arg(n);
    item.Link = QStringLiteral("https://example.com/articles/%1.html").arg(n);
    item.Day = QString::number(when.date().day());
    item.Month = mUtil::MonthAbbreviation(when.date().month());
    item.Year = QString::number(when.date().year());
    item.Time = when.time().toString(QStringLiteral("hh:mm:ss"));
    while (item.Description.size() < 600)
        item.Description += QStringLiteral("<p>Item %1 says something about feeds &amp; readers.</p>").arg(n);
    return item;
}

// Entries first..first+count-1 as a feed lists them: newest first, element 0 unused.
QVector<FeedItem> feed(int first, int count)
{
    QVector<FeedItem> items(1);
    for (int n = first + count - 1; n >= first; --n)
        items.append(entry(n));
    return items;
}

// The median of several timed runs, in milliseconds; prepare is not timed.
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

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    AppFolder::set(home.path());
    QDir(home.path()).mkpath(QStringLiteral("Data"));

    const QString file = AppFolder::feedDataFile(feedId);
    if (FeedStore(feedId).UpdateItems(feed(0, storedCount)).added != storedCount) {
        std::fprintf(stderr, "could not build the data file\n");
        return 1;
    }
    QFile stored(file);
    stored.open(QIODevice::ReadOnly);
    const QByteArray pristine = stored.readAll();
    stored.close();
    const QVector<FeedItem> fresh = feed(storedCount, newCount);

    const auto restore = [&] { writeFile(file, pristine); };
    const double peer = median(restore, [&] {
        XmlDocument doc;
        doc.load(file);
        doc.save(file);
    });
    int added = 0;
    const double merge = median(restore, [&] { added = FeedStore(feedId).UpdateItems(fresh).added; });

    std::printf("data file: %d items, %.1f MB; merged: %d new entries (%d stored)\n", storedCount,
        double(pristine.size()) / 1e6, newCount, added);
    std::printf("one load + save (peer): %8.1f ms\n", peer);
    std::printf("merge:                  %8.1f ms\n", merge);
    std::printf("bench_merge: %.2f (target <= 2.0)\n", merge / peer);
    return added == newCount ? 0 : 1;
}
