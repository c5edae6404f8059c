// Opening a feed whose data file holds 20,000 items: the time until the
// window lists them, against the time to load that file as an XML document
// (the floor), measured in the same run.
#include "BenchFeed.h"
#include "BenchTiming.h"
#include "feeds/FeedStore.h"
#include "util/AppFolder.h"
#include "util/Messages.h"
#include "util/XmlDocument.h"
#include "viewer/ui/frmViewFeed.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTreeView>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{

const int kItems = 20000;
const int kRuns = 7;
const QString kFeedId = QStringLiteral("0A1B2C3D-0000-4000-8000-00000000B0B0");

using BenchTiming::elapsedMs;
using BenchTiming::median;

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QTemporaryDir home;
    AppFolder::set(home.path());
    QDir(home.path()).mkpath(QStringLiteral("Data"));
    const QString file = AppFolder::feedDataFile(kFeedId);
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(BenchFeed::dataFile(kItems, kItems / 3)) < 0)
        return 1;
    out.close();

    const auto loadDocument = [&] {
        XmlDocument doc;
        doc.load(file);
    };
    // The store's share: reading the rows as data.
    const auto loadRows = [&] {
        QVector<FeedStore::Row> rows;
        FeedStore(kFeedId).LoadInbox(rows);
    };
    // One untimed pass first: the allocator settles on its sizes for these
    // large documents, and every measure then starts from the same state.
    loadDocument();
    loadRows();

    // Each run opens a fresh window (created and shown untimed) and lists
    // the items until they are painted; the floor is measured in between.
    int rowCount = 0;
    std::vector<double> floors, stores, opens;
    for (int run = 0; run < kRuns; ++run) {
        floors.push_back(elapsedMs(loadDocument));
        stores.push_back(elapsedMs(loadRows));
        frmViewFeed window;
        window.setFeedID(kFeedId);
        window.setFeedCaption(QStringLiteral("Bench"));
        window.setCheckForNewItems(false);
        window.setLoadDelay(24 * 3600 * 1000);
        window.resize(900, 700);
        // Opening starts the preview's blank page; let it settle first, as
        // the window's load delay does.
        QEventLoop settled;
        QObject::connect(window.findChild<QWebEngineView *>(QStringLiteral("ucPreview")),
            &QWebEngineView::loadFinished, &settled, &QEventLoop::quit);
        window.show();
        settled.exec();
        QCoreApplication::processEvents();
        auto *list = window.findChild<QTreeView *>(QStringLiteral("lstItems"));
        // The rows come from the store and a worker; the window is done
        // when its cycle finishes, and the list is then painted.
        QEventLoop listed;
        QObject::connect(&window, &frmViewFeed::cycleFinished, &listed, &QEventLoop::quit);
        opens.push_back(elapsedMs([&] {
            window.LoadFeedData(true);
            listed.exec();
            list->viewport()->repaint();
        }));
        rowCount = list->model()->rowCount();
    }
    const double floor = median(floors);
    const double store = median(stores);
    const double open = median(opens);

    std::printf("items                 %d\n", rowCount);
    std::printf("file size             %.1f MB\n", QFileInfo(file).size() / 1e6);
    std::printf("XmlDocument load      %.1f ms (floor)\n", floor);
    std::printf("open and list         %.1f ms\n", open);
    std::printf("  of which the store  %.1f ms (FeedStore::LoadInbox)\n", store);
    std::printf("bench_gui_open: %.2f (target <= 2.0)\n", open / floor);
    return 0;
}
