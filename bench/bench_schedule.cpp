// A scheduled run over 100 feeds on 10 servers (loopback ports) that are slow
// to answer, fetched in parallel against the same run fetched one feed
// after another: the run should take about as long as its slowest few
// requests, not their sum.
#include "config/Settings.h"
#include "scheduler/ScheduledCheck.h"
#include "support/LoopbackServer.h"
#include "util/AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <vector>

namespace
{

constexpr int feedCount = 100;
constexpr int serverCount = 10;
constexpr int delayMs = 200;

QByteArray rss(int n)
{
    QByteArray xml = "<rss version=\"2.0\"><channel><title>Feed " + QByteArray::number(n) + "</title>";
    for (int i = 1; i <= 3; ++i) {
        xml += "<item><title>Story " + QByteArray::number(i) + "</title><link>https://example.com/"
            + QByteArray::number(n) + "/" + QByteArray::number(i) + "</link><pubDate>Tue, 10 Jun 2003 04:0"
            + QByteArray::number(i) + ":00 GMT</pubDate><description>Text</description></item>";
    }
    return xml + "</channel></rss>";
}

// One run from a clean state: no data files, no log. Returns milliseconds.
double timedRun(int parallel, int &feedsWithNews)
{
    QDir data(AppFolder::file(QStringLiteral("Data")));
    data.removeRecursively();
    data.mkpath(QStringLiteral("."));
    QFile::remove(AppFolder::file(QStringLiteral("schedule.log")));
    ScheduledCheck check;
    check.setParallelDownloads(parallel);
    QEventLoop run;
    QObject::connect(&check, &ScheduledCheck::finished, &run, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    check.RunScheduledCheck();
    run.exec();
    const double elapsed = double(timer.nsecsElapsed()) / 1e6;
    feedsWithNews = int(check.results().size());
    QFile log(AppFolder::file(QStringLiteral("schedule.log")));
    if (feedsWithNews != feedCount && log.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : log.readAll().split('\n')) {
            if (line.contains("Error"))
                std::fprintf(stderr, "%s\n", line.trimmed().constData());
        }
    }
    return elapsed;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    AppFolder::set(home.path());

    std::vector<std::unique_ptr<LoopbackServer>> servers;
    for (int i = 0; i < serverCount; ++i)
        servers.push_back(std::make_unique<LoopbackServer>());
    mSettings::SchedulerSettings &settings = mSettings::scheduler();
    settings.Alert = 0;
    for (int n = 1; n <= feedCount; ++n) {
        LoopbackServer::Route route;
        route.body = rss(n);
        route.delayMs = delayMs;
        const QString path = QStringLiteral("/feed%1").arg(n);
        LoopbackServer &server = *servers[size_t(n % serverCount)];
        server.route(path, route);
        settings.Feeds.append(FeedRecord {QString(), server.url(path), 0,
            QStringLiteral("BE5C0000-0000-0000-0000-%1").arg(n, 12, 10, QLatin1Char('0')),
            QStringLiteral("Feed %1").arg(n)});
    }
    mSettings::SaveSchedulerSettings(false);

    int sequentialNews = 0;
    int parallelNews = 0;

    const double sequential = timedRun(1, sequentialNews);
    const double parallel = timedRun(16, parallelNews);

    std::printf("%d feeds on %d servers, each answered after %d ms\n", feedCount, serverCount, delayMs);
    std::printf("one after another (peer): %8.0f ms (%d feeds with new items)\n", sequential, sequentialNews);
    std::printf("up to 16 at a time:       %8.0f ms (%d feeds with new items)\n", parallel, parallelNews);
    std::printf("bench_schedule: %.3f (target <= 0.1)\n", parallel / sequential);
    return sequentialNews == feedCount && parallelNews == feedCount ? 0 : 1;
}
