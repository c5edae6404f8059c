// Memory of the desktop program with eight feed windows open when a ninth
// feed's server sends a body without end: the peak while it downloads, and
// what is left once that window is closed, against the eight windows alone,
// measured in one run. The feeds come from a loopback server in a process of
// its own.
#include "BenchHome.h"
#include "BenchServer.h"
#include "util/AppFolder.h"
#include "util/Messages.h"
#include "viewer/ui/frmViewFeed.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <cstdio>

namespace
{

// A value of /proc/self/status in MB ("VmRSS", "VmHWM").
double statusMb(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key)) + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

// Boxes are answered without anyone looking.
frmViewFeed *openFeed(int n, const QString &url)
{
    auto *window = new frmViewFeed;
    window->setFeedID(QStringLiteral("BE5C0000-0000-0000-0000-%1").arg(n, 12, 10, QLatin1Char('0')));
    window->setFeedURL(url);
    window->setFeedCaption(QStringLiteral("Feed %1").arg(n));
    window->setCheckForNewItems(true);
    window->setLoadDelay(1);
    window->setConnectionTest([] { return true; });
    window->resize(800, 600);
    return window;
}

// Starts the peak afresh from the present size.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

bool showAndWait(frmViewFeed *window)
{
    QSignalSpy finished(window, &frmViewFeed::cycleFinished);
    window->show();
    return finished.wait(60000);
}

} // namespace

int main(int argc, char **argv)
{
    ServerProcess server;
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (!server.isRunning())
        return 1;
    const BenchHome home;

    QList<frmViewFeed *> windows;
    for (int n = 1; n <= 8; ++n) {
        windows << openFeed(n, server.url(QStringLiteral("/good")));
        if (!showAndWait(windows.last())) {
            std::fprintf(stderr, "feed %d did not load\n", n);
            return 1;
        }
    }
    const double eight = statusMb("VmRSS:");
    const double opening = statusMb("VmHWM:");
    resetPeak();
    frmViewFeed *endless = openFeed(9, server.url(QStringLiteral("/endless")));
    if (!showAndWait(endless)) {
        std::fprintf(stderr, "the endless feed did not end\n");
        return 1;
    }
    const double peak = statusMb("VmHWM:");
    delete endless;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    const double after = statusMb("VmRSS:");

    std::printf("resident size of the desktop program (MB)\n");
    std::printf("eight feed windows open (floor):   %7.1f  (peak while opening them %.1f)\n", eight, opening);
    std::printf("peak with a ninth, endless feed:   %7.1f  (+%.1f; limit 700)\n", peak, peak - eight);
    std::printf("after closing the endless window:  %7.1f  (+%.1f over the floor)\n", after, after - eight);
    qDeleteAll(windows);
    std::printf("bench_gui_memory: %.2f (target <= 1)\n", peak / 700.0);
    return 0;
}
