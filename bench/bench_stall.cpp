// How long the window thread is kept from running while the program works:
// a 2 ms timer runs on it, and the longest gap between two of its ticks is
// the longest stall a user would feel, measured while
//   (a) a feed whose data file holds 20,000 items opens,
//   (b) it refreshes with 1,000 new entries from a loopback server,
//   (c) 200 unread items are walked with the Down key, each previewed,
//   (d) a scheduled check of 100 feeds runs, one of them 10,000 items (10 MB),
//   (e) a category is added while another process holds the folder's lock
//       for 2 s (the catalogue is saved once the lock is let go).
// Each is given in ms and as a fraction of the whole operation's time. The
// feeds are served by a process of their own. An operation ends when its
// result is on the screen, so the list's paint counts to the one that
// caused it.
#include "BenchFeed.h"
#include "BenchHome.h"
#include "BenchServer.h"
#include "catalogue/Catalogue.h"
#include "config/Settings.h"
#include "feeds/FeedFile.h"
#include "scheduler/ScheduledCheck.h"
#include "util/AppFolder.h"
#include "util/Messages.h"
#include "viewer/ui/frmViewFeed.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <cstdio>

namespace
{

const QString feedId = QStringLiteral("5A110000-0000-4000-8000-000000000001");
constexpr int storedCount = 20000;
constexpr int newCount = 1000;
constexpr int walked = 200;
constexpr int scheduledCount = 100;

// Entries newer than every stored item.
QByteArray newEntries()
{
    QByteArray xml = "<rss version=\"2.0\"><channel><title>Fresh</title>";
    for (int i = 0; i < newCount; ++i) {
        const QByteArray n = QByteArray::number(i);
        xml += "<item><title>Fresh " + n + "</title><link>http://example.test/fresh/" + n
            + "</link><pubDate>Mon, 01 Jan 2024 " + QByteArray::number(10 + i / 60 % 10) + ":"
            + QByteArray::number(10 + i % 50) + ":00 GMT</pubDate><description>Fresh text " + n
            + "</description></item>";
    }
    return xml + "</channel></rss>";
}

QByteArray smallFeed(int n)
{
    return "<rss><channel><title>Small</title><item><title>Story</title><link>http://example.test/small/"
        + QByteArray::number(n)
        + "</link><pubDate>Tue, 10 Jun 2003 04:00:00 GMT</pubDate></item></channel></rss>";
}

ServerProcess::Routes routes()
{
    ServerProcess::Routes all;
    all[QStringLiteral("/new")].body = newEntries();
    all[QStringLiteral("/big")].body = BenchFeed::document();
    for (int n = 1; n < scheduledCount; ++n)
        all[QStringLiteral("/small%1").arg(n)].body = smallFeed(n);
    return all;
}

// The longest gap between ticks of a 2 ms timer while work runs.
class StallMeter
{
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(2);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
    }
    void start()
    {
        m_longest = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    // The longest stall and the whole time, in ms.
    std::pair<double, double> stop()
    {
        m_timer.stop();
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        return {double(m_longest) / 1e6, double(now) / 1e6};
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

double worst = 0;

void report(const char *what, const std::pair<double, double> &stall)
{
    const double fraction = stall.first / stall.second;
    worst = std::max(worst, fraction);
    std::printf("%-46s longest stall %6.1f ms of %7.1f ms  (%.3f; target <= 16 ms)\n", what, stall.first,
        stall.second, fraction);
}

bool waitFor(QObject *sender, const char *signal)
{
    QSignalSpy spy(sender, signal);
    return spy.wait(120000);
}

// Counts the paints of a widget.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

// A window's cycle is over for its user when the list shows the result: the
// cycle has finished and the list has painted since.
bool waitForCycle(frmViewFeed &window, const PaintCounter &listPaints)
{
    if (!waitFor(&window, SIGNAL(cycleFinished())))
        return false;
    const int before = listPaints.count;
    // A list with nothing new to show may not paint at all.
    (void)QTest::qWaitFor([&] { return listPaints.count > before; }, 1000);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    ServerProcess server(routes());
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (!server.isRunning())
        return 1;
    const BenchHome home;
    QFile data(AppFolder::feedDataFile(feedId));
    if (!data.open(QIODevice::WriteOnly) || data.write(BenchFeed::dataFile(storedCount, walked + 1)) < 0)
        return 1;
    data.close();

    frmViewFeed window;
    window.setFeedID(feedId);
    window.setFeedCaption(QStringLiteral("Bench"));
    window.setFeedURL(server.url(QStringLiteral("/new")));
    window.setCheckForNewItems(false);
    window.setLoadDelay(24 * 3600 * 1000);
    window.setConnectionTest([] { return true; });
    window.resize(900, 700);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    QTest::qWait(500); // the preview's first page
    auto *list = window.findChild<QTreeView *>(QStringLiteral("lstItems"));
    const PaintCounter listPaints(list->viewport());
    StallMeter meter;

    meter.start();
    window.LoadFeedData(true);
    if (!waitForCycle(window, listPaints))
        return 1;
    report("(a) open a feed of 20,000 stored items", meter.stop());

    window.setCheckForNewItems(true);
    meter.start();
    window.LoadFeedData(false);
    if (!waitForCycle(window, listPaints))
        return 1;
    report("(b) refresh with 1,000 new entries", meter.stop());

    list->setFocus();
    list->setCurrentIndex(list->model()->index(newCount, 0)); // the first stored unread item
    meter.start();
    for (int i = 0; i < walked; ++i) {
        QSignalSpy shown(&window, SIGNAL(previewShown()));
        QTest::keyClick(list, Qt::Key_Down);
        if (!shown.wait(20000))
            return 1;
    }
    report("(c) walk 200 unread items with the Down key", meter.stop());

    mSettings::SchedulerSettings &settings = mSettings::scheduler();
    settings = mSettings::SchedulerSettings();
    settings.Alert = 0;
    settings.Feeds.append(FeedRecord {QString(), server.url(QStringLiteral("/big")), 0,
        QStringLiteral("5A110000-0000-4000-8000-000000000002"), QStringLiteral("Big")});
    for (int n = 1; n < scheduledCount; ++n)
        settings.Feeds.append(FeedRecord {QString(), server.url(QStringLiteral("/small%1").arg(n)), 0,
            QStringLiteral("5A110000-0000-4000-8000-1%1").arg(n, 11, 10, QLatin1Char('0')),
            QStringLiteral("Small %1").arg(n)});
    mSettings::SaveSchedulerSettings(false);
    ScheduledCheck check;
    meter.start();
    check.RunScheduledCheck();
    if (!waitFor(&check, SIGNAL(finished())))
        return 1;
    report("(d) scheduled check of 100 feeds, one of 10 MB", meter.stop());

    Catalogue catalogue;
    catalogue.setSavesInBackground(true);
    QProcess holder;
    const QString lockFile = AppFolder::file(QStringLiteral(".quorvane.lock"));
    holder.start(
        QStringLiteral("flock"), {lockFile, QStringLiteral("-c"), QStringLiteral("echo held; sleep 2")});
    if (!holder.waitForReadyRead(10000))
        return 1;
    meter.start();
    QSignalSpy saved(&catalogue, &Catalogue::saved);
    if (catalogue.addCategory(QStringLiteral("Bench")) != Catalogue::Change::Applied || !saved.wait(20000))
        return 1;
    report("(e) add a category while the lock is held 2 s", meter.stop());
    holder.waitForFinished();

    std::printf("bench_stall: %.3f (target <= 0.1)\n", worst);
    window.close();
    return 0;
}
