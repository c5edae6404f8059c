#include "config/Settings.h"
#include "feeds/FeedFile.h"
#include "feeds/FeedParser.h"
#include "i18n/Languages.h"
#include "mail/ui/frmSendEmail.h"
#include "support/LoopbackServer.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"
#include "support/Unsavable.h"
#include "viewer/ui/ItemListModel.h"
#include "viewer/ui/frmViewFeed.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLocale>
#include <QMouseEvent>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QSplitter>
#include <QTest>
#include <QTime>
#include <QTimer>
#include <QTreeView>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <sys/stat.h>

using Answer = Messages::Answer;

namespace
{

const QString kFeedId = QStringLiteral("0A1B2C3D-0000-4000-8000-00000000000A");
const QString kDataFile = QStringLiteral("Data/") + kFeedId + QStringLiteral(".fdb");

QByteArray fixture(const QString &name)
{
    return TempHome::fixture(QStringLiteral("viewer/") + name);
}

// A browser page that keeps what its scripts would write to the console,
// among it the refusals of a content security policy.
class ConsolePage : public QWebEnginePage
{
public:
    QStringList messages;
    bool logged(const QString &part) const
    {
        return std::any_of(
            messages.begin(), messages.end(), [&](const QString &m) { return m.contains(part); });
    }

protected:
    void javaScriptConsoleMessage(
        JavaScriptConsoleMessageLevel, const QString &message, int, const QString &) override
    {
        messages << message;
    }
};

// Answers each box by calling a hook first (which may close the window).
class HookedBackend : public Messages::Backend
{
public:
    std::function<void()> hook;
    QStringList titles;
    Answer answer = Answer::Cancel;
    HookedBackend() { Messages::setBackend(this); }
    ~HookedBackend() override { Messages::setBackend(nullptr); }
    Answer ask(Messages::Icon, const QString &title, const QString &, Messages::Buttons) override
    {
        titles << title;
        if (hook)
            hook();
        return answer;
    }
};

} // namespace

// The feed window: refresh cycle, list, preview and item actions.
class tst_GuiViewer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void refreshCycle_data();
    void refreshCycle();
    void newMarkOutlivesEmptyChecks();
    void mergedRowsAndStoredRows();
    void sortByHeaderClicks_data();
    void sortByHeaderClicks();
    void dateKeysSortAsTheirTexts_data();
    void dateKeysSortAsTheirTexts();
    void splitterLimits_data();
    void splitterLimits();
    void previewFillsTemplate();
    void previewRunsNoScript();
    void largePageGoesThroughFile();
    void keyInPreviewReturnsToList();
    void rightClickAsksForMenu();
    void keysAskForMenuAndDelete();
    void previewShowsRemoteImages();
    void previewFailures_data();
    void previewFailures();
    void showingReadItemDoesNotSave();
    void deleteItem_data();
    void deleteItem();
    void deleteWithoutSelection();
    void exportPreview_data();
    void exportPreview();
    void emailAction_data();
    void emailAction();
    void viewOnline_data();
    void viewOnline();
    void stillExecutingDuringDownload();
    void closeDuringDownload();
    void closeDuringMessageBox_data();
    void closeDuringMessageBox();
    void closeBeforeMergeKeepsItems();
    void failedDownloadNamesItsCause();
    void readMarksSavedAfterDelayAndAtClose();
    void arrowingThroughUnreadItemsSavesSeldom();
    void otherWriterAndReadMarksBothSurvive();
    void failedReadMarkSaveIsReported();

private:
    frmViewFeed *makeWindow(const QString &url, int feedType = 0, bool check = true);
    bool runFirstCycle(frmViewFeed *window);
    QTreeView *list(frmViewFeed *window) const
    {
        return window->findChild<QTreeView *>(QStringLiteral("lstItems"));
    }
    QStringList titles(frmViewFeed *window) const;
    void select(frmViewFeed *window, const QString &title, bool click);
    bool waitForPreview(frmViewFeed *window);
    bool waitForBlank(frmViewFeed *window);
    bool cycle(frmViewFeed *window, bool loadInbox);
    QString exported(frmViewFeed *window, const QString &action);
    void storeFixture() const { m_home->write(kDataFile, fixture(QStringLiteral("stored.fdb"))); }

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<LoopbackServer> m_server;
    QPointer<frmViewFeed> m_window;
    QStringList m_captions;
    QStringList m_opened;
    QString m_savePath;
};

void tst_GuiViewer::init()
{
    m_home = std::make_unique<TempHome>();
    m_home->write(QStringLiteral("view.tpl"), fixture(QStringLiteral("view.tpl")));
    m_messages = std::make_unique<MessageRecorder>();
    m_server = std::make_unique<LoopbackServer>();
    m_server->serve(QStringLiteral("/feed"), fixture(QStringLiteral("feed.xml")));
    m_captions.clear();
    m_opened.clear();
    m_savePath = m_home->file(QStringLiteral("export.out"));
}

void tst_GuiViewer::cleanup()
{
    delete m_window;
    m_server.reset();
    m_messages.reset();
    m_home.reset();
}

frmViewFeed *tst_GuiViewer::makeWindow(const QString &url, int feedType, bool check)
{
    auto *window = new frmViewFeed;
    window->setFeedID(kFeedId);
    window->setFeedURL(url);
    window->setFeedCaption(QStringLiteral("Feed"));
    window->setFeedType(feedType);
    window->setCheckForNewItems(check);
    window->setLoadDelay(1);
    window->setDownloadTimeout(5000);
    window->setConnectionTest([] { return true; });
    window->setLinkOpener([this](const QString &link) {
        m_opened << link;
        return true;
    });
    window->setSaveFileChooser(
        [this](QWidget *, const QString &title, const QString &filter, const QString &suffix) {
            m_opened << title + QLatin1Char('|') + filter + QLatin1Char('|') + suffix;
            return m_savePath;
        });
    window->resize(800, 600);
    connect(window, &frmViewFeed::captionChanged, this,
        [this](const QString &caption) { m_captions << caption; });
    m_window = window;
    return window;
}

bool tst_GuiViewer::runFirstCycle(frmViewFeed *window)
{
    QSignalSpy finished(window, &frmViewFeed::cycleFinished);
    window->show();
    return finished.wait(20000);
}

QStringList tst_GuiViewer::titles(frmViewFeed *window) const
{
    QStringList result;
    const QAbstractItemModel *model = list(window)->model();
    for (int row = 0; row < model->rowCount(); ++row)
        result << model->index(row, 0).data().toString();
    return result;
}

void tst_GuiViewer::select(frmViewFeed *window, const QString &title, bool click)
{
    QTreeView *view = list(window);
    const QModelIndexList found
        = view->model()->match(view->model()->index(0, 0), Qt::DisplayRole, title, 1, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(title));
    view->scrollTo(found.first());
    if (click)
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(found.first()).center());
    else
        view->selectionModel()->setCurrentIndex(
            found.first(), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

bool tst_GuiViewer::waitForPreview(frmViewFeed *window)
{
    QSignalSpy shown(window, &frmViewFeed::previewShown);
    return shown.wait(20000);
}

bool tst_GuiViewer::waitForBlank(frmViewFeed *window)
{
    auto *view = window->findChild<QWebEngineView *>(QStringLiteral("ucPreview"));
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    return loaded.wait(20000);
}

bool tst_GuiViewer::cycle(frmViewFeed *window, bool loadInbox)
{
    QSignalSpy finished(window, &frmViewFeed::cycleFinished);
    window->LoadFeedData(loadInbox);
    return finished.wait(20000);
}

// Exports through the item menu and waits for the file; "" when the file
// dialog was cancelled.
QString tst_GuiViewer::exported(frmViewFeed *window, const QString &action)
{
    QFile::remove(m_home->file(QStringLiteral("export.out")));
    QSignalSpy written(window, &frmViewFeed::itemExported);
    window->HandlePopupMenu(action);
    if (!m_savePath.isEmpty() && written.isEmpty() && !written.wait(20000))
        return QStringLiteral("(not exported)");
    return QString::fromUtf8(m_home->read(QStringLiteral("export.out")));
}

// The captions of the cycle, the boxes on the way and the rows at the end.
void tst_GuiViewer::refreshCycle_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("feedType");
    QTest::addColumn<bool>("check");
    QTest::addColumn<int>("offlineTests"); // IsConnected answers false this many times
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<QStringList>("suffixes");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<int>("rows");

    const QStringList fullCycle {
        "", " (loading ...)", " (checking ...)", " (parsing ...)", " (updating ...)"};
    QTest::newRow("new items") << "/feed" << 0 << true << 0 << QList<Answer> {}
                               << fullCycle + QStringList {" [new]"} << QStringList {} << 5 + 3;
    QTest::newRow("no check") << "/feed" << 0 << false << 0 << QList<Answer> {}
                              << QStringList {"", " (loading ...)", ""} << QStringList {} << 5;
    QTest::newRow("offline, retry, cancel")
        << "/feed" << 0 << true << 99 << QList<Answer> {Answer::Retry, Answer::Cancel}
        << QStringList {"", " (loading ...)", ""} << QStringList {"Working Offline?", "Working Offline?"}
        << 5;
    QTest::newRow("offline, retry, online")
        << "/feed" << 0 << true << 1 << QList<Answer> {Answer::Retry} << fullCycle + QStringList {" [new]"}
        << QStringList {"Working Offline?"} << 5 + 3;
    QTest::newRow("time-out, cancel")
        << "/silent" << 0 << true << 0 << QList<Answer> {Answer::Cancel} << fullCycle + QStringList {""}
        << QStringList {"Server Timeout!", FeedParser::failureTitle(FeedParser::Failure::Empty)} << 5;
    QTest::newRow("unknown feed type") << "/feed" << 7 << true << 0 << QList<Answer> {}
                                       << fullCycle + QStringList {""} << QStringList {} << 5;
    QTest::newRow("not a feed") << "/missing" << 0 << true << 0 << QList<Answer> {}
                                << fullCycle + QStringList {""}
                                << QStringList {FeedParser::failureTitle(FeedParser::Failure::NotXml)} << 5;
}

void tst_GuiViewer::refreshCycle()
{
    QFETCH(QString, path);
    QFETCH(int, feedType);
    QFETCH(bool, check);
    QFETCH(int, offlineTests);
    QFETCH(QList<Answer>, answers);
    QFETCH(QStringList, suffixes);
    QFETCH(QStringList, boxes);
    QFETCH(int, rows);

    LoopbackServer::Route silent;
    silent.silent = true;
    m_server->route(QStringLiteral("/silent"), silent);
    LoopbackServer::Route missing;
    missing.status = 404;
    missing.contentType = "text/html";
    missing.body = "<html><body><h1>Not Found</h1><p>gone<br></body></html>";
    m_server->route(QStringLiteral("/missing"), missing);
    storeFixture();
    m_messages->script(answers);

    frmViewFeed *window = makeWindow(m_server->url(path), feedType, check);
    // Only the silent server is waited out; the others answer well within the time.
    window->setDownloadTimeout(path == QLatin1String("/silent") ? 300 : 20000);
    auto remaining = std::make_shared<int>(offlineTests);
    window->setConnectionTest([remaining] { return (*remaining)-- <= 0; });
    QVERIFY(runFirstCycle(window));

    QStringList expected;
    for (const QString &suffix : suffixes)
        expected << QStringLiteral("Feed") + suffix;
    QCOMPARE(m_captions, expected);
    QCOMPARE(window->windowTitle(), expected.last());
    QCOMPARE(m_messages->titles(), boxes);
    QCOMPARE(list(window)->model()->rowCount(), rows);
    QVERIFY(!window->StillExecuting());
}

void tst_GuiViewer::newMarkOutlivesEmptyChecks()
{
    frmViewFeed *window = makeWindow(m_server->url(QStringLiteral("/feed")));
    QVERIFY(runFirstCycle(window));
    QCOMPARE(window->windowTitle(), QStringLiteral("Feed [new]"));
    QCOMPARE(titles(window), (QStringList {"Three", "Two", "One"}));

    // A check that finds no entries, or whose parse fails, keeps the mark.
    m_server->serve(
        QStringLiteral("/feed"), "<rss version=\"2.0\"><channel><title>t</title></channel></rss>");
    QVERIFY(cycle(window, false));
    QCOMPARE(window->windowTitle(), QStringLiteral("Feed [new]"));
    m_server->serve(QStringLiteral("/feed"), "not xml at all");
    QVERIFY(cycle(window, false));
    QCOMPARE(window->windowTitle(), QStringLiteral("Feed [new]"));
    QCOMPARE(m_messages->count(), 1);

    // A merge that stores nothing clears it.
    m_server->serve(QStringLiteral("/feed"), fixture(QStringLiteral("feed.xml")));
    QVERIFY(cycle(window, false));
    QCOMPARE(window->windowTitle(), QStringLiteral("Feed"));
    QCOMPARE(list(window)->model()->rowCount(), 3);
}

// Rows of a merge and the same rows loaded again from the file.
void tst_GuiViewer::mergedRowsAndStoredRows()
{
    m_server->serve(QStringLiteral("/feed"), fixture(QStringLiteral("feed_undated.xml")));
    frmViewFeed *window = makeWindow(m_server->url(QStringLiteral("/feed")));
    QVERIFY(runFirstCycle(window));
    const QLocale locale = QLocale::system();
    const QString time = locale.toString(QTime(9, 0), locale.timeFormat(QLocale::LongFormat));

    const QAbstractItemModel *model = list(window)->model();
    QCOMPARE(titles(window), (QStringList {"Dated", "Undated"}));
    QCOMPARE(model->index(0, 1).data().toString(), "02 Jun 2003; " + time);
    QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("20030602090000"));
    QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("No Date Info Provided"));
    QCOMPARE(model->index(1, 2).data().toString(), QStringLiteral("0"));
    QVERIFY(model->index(0, 0).data(Qt::FontRole).value<QFont>().bold());

    window->setCheckForNewItems(false);
    QVERIFY(cycle(window, true));
    QCOMPARE(titles(window), (QStringList {"Dated", "Undated"}));
    QCOMPARE(model->index(0, 1).data().toString(), "02 Jun 2003 ; " + time);
    QCOMPARE(model->index(1, 1).data().toString(), QString());
    QCOMPARE(model->index(1, 2).data().toString(), QString());
    QVERIFY(list(window)->isColumnHidden(2));
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Title"));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Published On"));
}

void tst_GuiViewer::sortByHeaderClicks_data()
{
    QTest::addColumn<QList<int>>("sections");
    QTest::addColumn<QStringList>("order");

    const QStringList newest {
        "Alpha release", "Charlie has no link", "beta & <gamma>", "echo [[link]] odd", "Delta without time"};
    QStringList oldest = newest;
    std::reverse(oldest.begin(), oldest.end());
    const QStringList byTitle {
        "Alpha release", "beta & <gamma>", "Charlie has no link", "Delta without time", "echo [[link]] odd"};
    QStringList byTitleDown = byTitle;
    std::reverse(byTitleDown.begin(), byTitleDown.end());

    QTest::newRow("opened") << QList<int> {} << newest;
    QTest::newRow("published once") << QList<int> {1} << oldest;
    QTest::newRow("published twice") << QList<int> {1, 1} << newest;
    QTest::newRow("title after published") << QList<int> {1, 0} << byTitleDown;
    QTest::newRow("title once") << QList<int> {0} << byTitle;
    QTest::newRow("title twice") << QList<int> {0, 0} << byTitleDown;
}

void tst_GuiViewer::sortByHeaderClicks()
{
    QFETCH(QList<int>, sections);
    QFETCH(QStringList, order);

    storeFixture();
    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    QHeaderView *header = list(window)->header();
    for (int section : sections) {
        const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    QCOMPARE(titles(window), order);
}

void tst_GuiViewer::dateKeysSortAsTheirTexts_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("ascending"); // the rows' positions in the given list

    const QStringList usual {"20240101120000", "", "0", "20231231235959", "20240101120000", "00000000000001"};
    QTest::newRow("usual keys") << usual << "125304";
    // A key of another form is compared as text with the rest.
    QTest::newRow("odd key") << (usual + QStringList {"3"}) << "1253046";
    QTest::newRow("long key") << (usual + QStringList {"202401011200001"}) << "1253046";
}

void tst_GuiViewer::dateKeysSortAsTheirTexts()
{
    QFETCH(QStringList, keys);
    QFETCH(QString, ascending);

    QVector<ItemRow> rows;
    for (const QString &key : keys) {
        ItemRow row;
        row.id = QString::number(rows.size());
        row.dateSort = key;
        row.dateOrder = dateOrderOf(key);
        rows.append(row);
    }
    ItemListModel model;
    model.setRows(ItemListModel::makeRows(rows));
    const auto order = [&] {
        QString positions;
        for (int i = 0; i < model.rowCount(); ++i)
            positions += model.row(i).id;
        return positions;
    };
    model.sort(ItemListModel::DateSortColumn, Qt::AscendingOrder);
    QCOMPARE(order(), ascending);
    // Equal keys keep their order both ways.
    model.sort(ItemListModel::DateSortColumn, Qt::DescendingOrder);
    QString descending = ascending;
    std::reverse(descending.begin(), descending.end());
    const qsizetype first = descending.indexOf(QLatin1Char('4'));
    std::swap(descending[first], descending[first + 1]);
    QCOMPARE(order(), descending);
}

void tst_GuiViewer::splitterLimits_data()
{
    QTest::addColumn<int>("percent"); // where the bar is dragged to
    QTest::addColumn<int>("expected");
    QTest::newRow("inside") << 60 << 60;
    QTest::newRow("above 80 %") << 95 << 80;
    QTest::newRow("below 20 %") << 3 << 20;
}

void tst_GuiViewer::splitterLimits()
{
    QFETCH(int, percent);
    QFETCH(int, expected);

    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    auto *splitter = window->findChild<QSplitter *>(QStringLiteral("picSplitter"));
    const int height = splitter->height();
    QSplitterHandle *handle = splitter->handle(1);
    const auto send = [&](QEvent::Type type, int y, Qt::MouseButtons buttons) {
        const QPoint local = handle->mapFrom(splitter, QPoint(10, y));
        QMouseEvent event(type, local, handle->mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(handle, &event);
    };
    send(QEvent::MouseButtonPress, handle->y() + 1, Qt::LeftButton);
    send(QEvent::MouseMove, height * percent / 100 + 1, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, height * percent / 100 + 1, Qt::NoButton);
    QVERIFY2(qAbs(splitter->sizes().at(0) - height * expected / 100) <= 2,
        qPrintable(QString::number(splitter->sizes().at(0))));

    window->resize(800, 700); // a resize puts the bar back in the middle
    QTRY_VERIFY(qAbs(splitter->sizes().at(0) - splitter->sizes().at(1)) <= 1);
}

void tst_GuiViewer::previewFillsTemplate()
{
    storeFixture();
    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    QSignalSpy selected(window, &frmViewFeed::itemSelected);

    select(window, QStringLiteral("beta & <gamma>"), true);
    QVERIFY(waitForPreview(window));
    QCOMPARE(selected.count(), 1);
    QCOMPARE(window->CurrentItem().Media, QStringLiteral("http://example.test/beta.mp3"));

    const QString html = exported(window, QStringLiteral("html"));
    QVERIFY2(html.contains(QStringLiteral("<h1 id=\"t\">beta &amp; &lt;gamma&gt;</h1>")), qPrintable(html));
    QVERIFY(html.contains(QStringLiteral("href=\"http://example.test/beta.mp3\"")));
    QVERIFY(html.contains(QStringLiteral("<p id=\"app\">Quorvane</p>")));
    QVERIFY(html.contains(QStringLiteral("<p id=\"when\">31 May 2003 at 23:15:00</p>")));
    QVERIFY(!QFile::exists(m_home->file(QStringLiteral("~preview.tmp"))));

    select(window, QStringLiteral("Alpha release"), true);
    QVERIFY(waitForPreview(window));
    QVERIFY(
        exported(window, QStringLiteral("html")).contains(QStringLiteral("<p>Alpha <b>bold</b> text</p>")));
    // Read now: normal weight, and "1" in the file.
    const QModelIndex alpha = list(window)->currentIndex().siblingAtColumn(0);
    QVERIFY(!alpha.data(Qt::FontRole).value<QFont>().bold());
    QVERIFY(m_home->read(kDataFile).contains("<title>Alpha release</title>"));
    QTRY_VERIFY(QString::fromUtf8(m_home->read(kDataFile))
                    .contains(QRegularExpression(
                        QStringLiteral("id=\"14f0622ff2b1b2beb7d3bb07266ccd4f\" status=\"1\""))));
}

void tst_GuiViewer::previewRunsNoScript()
{
    storeFixture();
    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    select(window, QStringLiteral("Charlie has no link"), true);
    QVERIFY(waitForPreview(window));
    const QString text = exported(window, QStringLiteral("txt"));
    QVERIFY2(text.contains(QStringLiteral("Charlie body")), qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("SCRIPT RAN")));

    // The HTML export keeps the markup, and a browser that runs scripts runs
    // none of it.
    const QString html = exported(window, QStringLiteral("html"));
    QVERIFY(html.startsWith(QStringLiteral("<!DOCTYPE html>")));
    QVERIFY(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    QVERIFY(html.contains(QStringLiteral("<script>")));
    ConsolePage browser;
    QVERIFY(browser.settings()->testAttribute(QWebEngineSettings::JavascriptEnabled));
    QSignalSpy loaded(&browser, &QWebEnginePage::loadFinished);
    QFile::copy(m_home->file(QStringLiteral("export.out")), m_home->file(QStringLiteral("export.out.html")));
    browser.load(QUrl::fromLocalFile(m_home->file(QStringLiteral("export.out.html"))));
    QVERIFY(loaded.wait(20000));
    // Both the script and the missing image's error handler were refused.
    QTRY_VERIFY_WITH_TIMEOUT(browser.logged(QStringLiteral("inline script")), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(browser.logged(QStringLiteral("inline event handler")), 20000);
    QString shown;
    bool read = false;
    browser.runJavaScript(QStringLiteral("document.body.innerText"), [&](const QVariant &value) {
        shown = value.toString();
        read = true;
    });
    QTRY_VERIFY(read);
    QVERIFY2(shown.contains(QStringLiteral("Charlie body")), qPrintable(shown));
    QVERIFY(!shown.contains(QStringLiteral("SCRIPT RAN")));
}

void tst_GuiViewer::largePageGoesThroughFile()
{
    const QByteArray body = QByteArray(2 * 1024 * 1024, 'x') + " END-OF-BODY";
    m_home->write(kDataFile,
        "<data><items><item id=\"big\" status=\"0\"><title>Big</title><link/>"
        "<date>2003-Jun-10T04:00:00</date><desc>"
            + body + "</desc><media/></item></items></data>");
    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    select(window, QStringLiteral("Big"), true);
    QVERIFY(waitForPreview(window));
    QVERIFY(exported(window, QStringLiteral("txt")).contains(QStringLiteral("END-OF-BODY")));
    QVERIFY(QDir(m_home->path()).entryList({QStringLiteral("~preview*")}, QDir::Files).isEmpty());
}

void tst_GuiViewer::keyInPreviewReturnsToList()
{
    storeFixture();
    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    QVERIFY(QTest::qWaitForWindowActive(window));
    select(window, QStringLiteral("Alpha release"), true);
    QVERIFY(waitForPreview(window));
    QWidget *page = window->findChild<QWebEngineView *>(QStringLiteral("ucPreview"))->focusProxy();
    QVERIFY(page);
    page->setFocus();
    QTRY_VERIFY(page->hasFocus());
    QTest::keyClick(page, Qt::Key_Down);
    QTRY_VERIFY(list(window)->hasFocus());
}

void tst_GuiViewer::rightClickAsksForMenu()
{
    storeFixture();
    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    QSignalSpy menu(window, &frmViewFeed::itemMenuRequested);
    QTreeView *view = list(window);
    const QPoint empty(10, view->viewport()->height() - 5); // below the rows
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, empty);
    QCOMPARE(menu.count(), 0); // nothing selected
    const QPoint onRow = view->visualRect(view->model()->index(0, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, onRow);
    QCOMPARE(menu.count(), 1);
    QCOMPARE(menu.at(0).at(0).toPoint(), view->viewport()->mapToGlobal(onRow));
}

void tst_GuiViewer::keysAskForMenuAndDelete()
{
    storeFixture();
    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    QSignalSpy menu(window, &frmViewFeed::itemMenuRequested);
    QSignalSpy remove(window, &frmViewFeed::itemDeleteRequested);
    QTreeView *view = list(window);
    view->setFocus();
    // Nothing selected: neither key does anything.
    view->clearSelection();
    QTest::keyClick(view, Qt::Key_Delete);
    QTest::keyClick(view, Qt::Key_F10, Qt::ShiftModifier);
    QCOMPARE(remove.count() + menu.count(), 0);
    view->setCurrentIndex(view->model()->index(0, 0));
    QTest::keyClick(view, Qt::Key_Delete);
    QCOMPARE(remove.count(), 1);
    QTest::keyClick(view, Qt::Key_F10, Qt::ShiftModifier);
    QCOMPARE(menu.count(), 1);
}

void tst_GuiViewer::previewShowsRemoteImages()
{
    m_server->serve(QStringLiteral("/dot.png"),
        QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADU"
                               "lEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg=="),
        "image/png");
    const QString image
        = QStringLiteral("&lt;img src=&quot;%1&quot;&gt;").arg(m_server->url(QStringLiteral("/dot.png")));
    m_home->write(kDataFile,
        QStringLiteral("<data><items><item id=\"x1\" status=\"0\"><title>Picture</title>"
                       "<link>http://example.test/p</link><date>2003-Jun-10T04:00:00</date>"
                       "<desc>%1</desc><media/></item></items></data>")
            .arg(image)
            .toUtf8());
    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    select(window, QStringLiteral("Picture"), true);
    QVERIFY(waitForPreview(window));
    QTRY_VERIFY(m_server->hits(QStringLiteral("/dot.png")) > 0);
}

void tst_GuiViewer::previewFailures_data()
{
    QTest::addColumn<QByteArray>("templateText");
    QTest::addColumn<bool>("removeData");
    QTest::addColumn<QStringList>("boxes");

    QTest::newRow("no template") << QByteArray() << false << QStringList {"Error!"};
    QTest::newRow("blank template") << QByteArray("   ") << false
                                    << QStringList {"Invalid Preview data object!"};
    QTest::newRow("data file gone") << fixture(QStringLiteral("view.tpl")) << true
                                    << QStringList {"Feed Data file is missing!",
                                           "Failed to locate item in Feed Data File!"};
}

void tst_GuiViewer::previewFailures()
{
    QFETCH(QByteArray, templateText);
    QFETCH(bool, removeData);
    QFETCH(QStringList, boxes);

    storeFixture();
    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    QFile::remove(m_home->file(QStringLiteral("view.tpl")));
    if (!templateText.isNull())
        m_home->write(QStringLiteral("view.tpl"), templateText);
    if (removeData)
        QFile::remove(m_home->file(kDataFile));
    select(window, QStringLiteral("Alpha release"), true);
    QTRY_COMPARE(m_messages->titles(), boxes);
    QVERIFY(list(window)->currentIndex().siblingAtColumn(0).data(Qt::FontRole).value<QFont>().bold());
    QCOMPARE(exported(window, QStringLiteral("txt")), QStringLiteral("\r\n"));
}

static ino_t inodeOf(const QString &path)
{
    struct stat info {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

void tst_GuiViewer::showingReadItemDoesNotSave()
{
    storeFixture();
    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    const ino_t before = inodeOf(m_home->file(kDataFile));
    select(window, QStringLiteral("beta & <gamma>"), true); // stored as read
    QVERIFY(waitForPreview(window));
    QCOMPARE(inodeOf(m_home->file(kDataFile)), before);
    select(window, QStringLiteral("Alpha release"), true); // unread: saved shortly after
    QVERIFY(waitForPreview(window));
    QTRY_VERIFY(inodeOf(m_home->file(kDataFile)) != before);
}

void tst_GuiViewer::deleteItem_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("with link") << "Alpha release" << QByteArray("<title>Alpha release</title>");
    QTest::newRow("without link") << "Charlie has no link"
                                  << QByteArray("<title>Charlie has no link</title>");
}

void tst_GuiViewer::deleteItem()
{
    QFETCH(QString, title);
    QFETCH(QByteArray, stored);

    storeFixture();
    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    select(window, title, true);
    QVERIFY(waitForPreview(window));
    QVERIFY(!exported(window, QStringLiteral("txt")).trimmed().isEmpty());

    QSignalSpy deleted(window, &frmViewFeed::itemDeleted);
    window->HandlePopupMenu(QStringLiteral("del"));
    QVERIFY(deleted.wait(20000));
    QVERIFY(waitForBlank(window));
    QVERIFY(!titles(window).contains(title));
    QCOMPARE(titles(window).size(), 4);
    QVERIFY(!m_home->read(kDataFile).contains(stored));
    QCOMPARE(exported(window, QStringLiteral("txt")), QStringLiteral("\r\n"));

    // The stored item vanished behind the list's back: nothing happens.
    select(window, QStringLiteral("Delta without time"), false);
    m_home->write(kDataFile, "<data><items/></data>");
    window->HandlePopupMenu(QStringLiteral("del"));
    FeedFile::waitForRequests();
    QCoreApplication::processEvents();
    QCOMPARE(titles(window).size(), 4);
    QCOMPARE(m_messages->count(), 0);
}

void tst_GuiViewer::deleteWithoutSelection()
{
    storeFixture();
    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    for (const QString &action :
        {QStringLiteral("del"), QStringLiteral("txt"), QStringLiteral("show"), QStringLiteral("email")})
        window->HandlePopupMenu(action);
    QCOMPARE(m_messages->titles(), QStringList(4, QStringLiteral("HandlePopupMenu Function")));
    QVERIFY(m_messages->last().text.startsWith(QStringLiteral("Error on Line 0\r\n\r\n")));
    QCOMPARE(m_messages->last().icon, Messages::Icon::Critical);
    QCOMPARE(titles(window).size(), 5);
}

void tst_GuiViewer::exportPreview_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("contains");
    QTest::newRow("txt") << "txt"
                         << "Save As ...|Text Files (*.txt)|txt"
                         << "Alpha bold text";
    QTest::newRow("html") << "html"
                          << "Save As ...|HTML Files (*.htm *.html)|html"
                          << "<b>bold</b>";
}

void tst_GuiViewer::exportPreview()
{
    QFETCH(QString, action);
    QFETCH(QString, dialog);
    QFETCH(QString, contains);

    storeFixture();
    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    select(window, QStringLiteral("Alpha release"), true);
    QVERIFY(waitForPreview(window));
    const QString text = exported(window, action);
    QVERIFY2(text.contains(contains), qPrintable(text));
    QVERIFY(text.endsWith(QStringLiteral("\r\n")));
    QCOMPARE(m_opened, QStringList {dialog});

    m_savePath.clear(); // cancelled
    QCOMPARE(exported(window, action), QString());
    QCOMPARE(m_messages->count(), 0);
}

// "email" checks the server setting and the template before the send
// dialog opens with the item.
void tst_GuiViewer::emailAction_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("templateThere");
    QTest::addColumn<Messages::Answer>("answer");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("dialog");
    QTest::newRow("no server, not now")
        << "" << true << Messages::Answer::No
        << QStringList {"MSG_EMAIL_NOTCONFIGURED_TITLE", "MSG_EMAIL_CANNOTSEND_TITLE"} << "";
    QTest::newRow("no server, set it now")
        << " " << true << Messages::Answer::Yes << QStringList {"MSG_EMAIL_NOTCONFIGURED_TITLE"}
        << "frmEmailSettings";
    QTest::newRow("no template") << "mail.example.org" << false << Messages::Answer::Ok
                                 << QStringList {"MSG_EMAIL_NOTEMPLATE_TITLE"} << "";
    QTest::newRow("ready") << "mail.example.org" << true << Messages::Answer::Ok << QStringList {}
                           << "frmSendEmail";
}

void tst_GuiViewer::emailAction()
{
    QFETCH(QString, server);
    QFETCH(bool, templateThere);
    QFETCH(Messages::Answer, answer);
    QFETCH(QStringList, boxes);
    QFETCH(QString, dialog);
    mSettings::email() = {};
    mSettings::email().Server = server;
    QVERIFY(mSettings::SaveEmailSettings(false));
    if (templateThere)
        m_home->write(QStringLiteral("email.tpl"), "[[title]]");
    storeFixture();
    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    select(window, QStringLiteral("Charlie has no link"), true);
    QVERIFY(waitForPreview(window));

    QString opened;
    QString link;
    // A timer of this function: it cannot fire once the function is over.
    QTimer closer;
    closer.setSingleShot(true);
    connect(&closer, &QTimer::timeout, this, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        opened = modal ? modal->objectName() : QString();
        if (auto *send = qobject_cast<frmSendEmail *>(modal))
            link = send->ChannelName + QLatin1Char('|') + send->FeedTitle + QLatin1Char('|') + send->ItemLink;
        if (modal)
            modal->close();
    });
    closer.start(0);
    m_messages->script({answer});
    window->HandlePopupMenu(QStringLiteral("email"));
    QStringList titles;
    for (const QString &key : std::as_const(boxes))
        titles << getMessages(key);
    QCOMPARE(m_messages->titles(), titles);
    QCOMPARE(opened, dialog);
    if (dialog == QLatin1String("frmSendEmail"))
        QCOMPARE(link, QStringLiteral("Feed|Charlie has no link|https://example.test/charlie.ogg"));
}

void tst_GuiViewer::viewOnline_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("opened");
    QTest::newRow("link") << "online"
                          << "Alpha release" << QStringList {"http://example.test/alpha"};
    QTest::newRow("media when no link")
        << "online"
        << "Charlie has no link" << QStringList {"https://example.test/charlie.ogg"};
    QTest::newRow("not a web link") << "online"
                                    << "echo [[link]] odd" << QStringList {};
    QTest::newRow("unknown action") << "Show"
                                    << "Alpha release" << QStringList {};
}

void tst_GuiViewer::viewOnline()
{
    QFETCH(QString, action);
    QFETCH(QString, title);
    QFETCH(QStringList, opened);

    storeFixture();
    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    const QByteArray before = m_home->read(kDataFile);
    select(window, title, false);
    window->HandlePopupMenu(action);
    FeedFile::waitForRequests();
    QCoreApplication::processEvents();
    QCOMPARE(m_opened, opened);
    QCOMPARE(m_messages->count(), 0);
    QCOMPARE(m_home->read(kDataFile), before);
}

void tst_GuiViewer::stillExecutingDuringDownload()
{
    LoopbackServer::Route slow;
    slow.body = fixture(QStringLiteral("feed.xml"));
    slow.delayMs = 300;
    m_server->route(QStringLiteral("/slow"), slow);
    frmViewFeed *window = makeWindow(m_server->url(QStringLiteral("/slow")));
    bool busyWhileWaiting = false;
    connect(m_server.get(), &LoopbackServer::requestReceived, this,
        [&] { busyWhileWaiting = m_window && m_window->StillExecuting(); });
    QVERIFY(runFirstCycle(window));
    QVERIFY(busyWhileWaiting);
    QVERIFY(!window->StillExecuting());
    QCOMPARE(window->windowTitle(), QStringLiteral("Feed [new]"));
}

void tst_GuiViewer::closeDuringDownload()
{
    LoopbackServer::Route silent;
    silent.silent = true;
    m_server->route(QStringLiteral("/silent"), silent);
    frmViewFeed *window = makeWindow(m_server->url(QStringLiteral("/silent")));
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_server.get(), &LoopbackServer::requestReceived, window, &QWidget::close);
    QSignalSpy destroyed(window, &QObject::destroyed);
    window->show();
    QVERIFY(destroyed.wait(20000));
    FeedFile::waitForRequests();
    QCoreApplication::processEvents();
    QCOMPARE(m_messages->count(), 0);
}

// A box of the cycle is open when the window goes away.
void tst_GuiViewer::closeDuringMessageBox_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("online");
    QTest::addColumn<int>("answer");
    QTest::newRow("offline box") << "/feed" << false << int(Answer::Retry);
    QTest::newRow("time-out box") << "/silent" << true << int(Answer::Retry);
    QTest::newRow("parse failure box") << "/bad" << true << int(Answer::Ok);
}

void tst_GuiViewer::closeDuringMessageBox()
{
    QFETCH(QString, path);
    QFETCH(bool, online);
    QFETCH(int, answer);

    LoopbackServer::Route silent;
    silent.silent = true;
    m_server->route(QStringLiteral("/silent"), silent);
    m_server->serve(QStringLiteral("/bad"), "<rss");
    HookedBackend backend;
    backend.answer = Answer(answer);
    frmViewFeed *window = makeWindow(m_server->url(path));
    window->setDownloadTimeout(path == QLatin1String("/silent") ? 100 : 20000);
    window->setConnectionTest([online] { return online; });
    backend.hook = [this] { delete m_window; };
    QSignalSpy destroyed(window, &QObject::destroyed);
    window->show();
    QVERIFY(destroyed.wait(20000));
    FeedFile::waitForRequests();
    QCoreApplication::processEvents();
    QCOMPARE(backend.titles.size(), 1);
}

// A download that completed is merged even when the window closes before
// the merge step.
void tst_GuiViewer::closeBeforeMergeKeepsItems()
{
    frmViewFeed *window = makeWindow(m_server->url(QStringLiteral("/feed")));
    connect(window, &frmViewFeed::captionChanged, this, [this](const QString &caption) {
        if (caption.endsWith(QStringLiteral(" (parsing ...)")))
            delete m_window;
    });
    QSignalSpy destroyed(window, &QObject::destroyed);
    window->show();
    QVERIFY(destroyed.wait(20000));
    QTRY_VERIFY(m_home->read(kDataFile).contains("<title>Three</title>"));
    const QByteArray stored = m_home->read(kDataFile);
    QVERIFY(stored.contains("<title>One</title>"));
    QVERIFY(stored.contains("<title>Three</title>"));
}

// A refused connection is shown as such, not as an empty answer, and the
// stored items stay listed.
void tst_GuiViewer::failedDownloadNamesItsCause()
{
    storeFixture();
    frmViewFeed *window = makeWindow(LoopbackServer::refusingUrl());
    QVERIFY(runFirstCycle(window));
    QCOMPARE(m_messages->titles(), QStringList {"Connection Refused!"});
    QCOMPARE(m_messages->last().icon, Messages::Icon::Exclamation);
    QCOMPARE(m_captions.last(), QStringLiteral("Feed"));
    QCOMPARE(titles(window).size(), 5);
}

// A read mark shows at once, reaches the file after the delay, and at the
// latest when the window closes.
void tst_GuiViewer::readMarksSavedAfterDelayAndAtClose()
{
    const auto status = [this](const char *id) {
        const QByteArray file = m_home->read(kDataFile);
        const qsizetype at = file.indexOf(QByteArray("id=\"") + id + "\" status=\"");
        return at < 0 ? '?' : file.at(at + 4 + qsizetype(qstrlen(id)) + 10);
    };
    storeFixture();
    FeedFile::setSaveDelay(60000); // nothing but the close saves in time
    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    select(window, QStringLiteral("Alpha release"), true);
    QVERIFY(!list(window)->currentIndex().siblingAtColumn(0).data(Qt::FontRole).value<QFont>().bold());
    QVERIFY(waitForPreview(window));
    FeedFile::waitForRequests(); // the mark is made, not saved
    QCOMPARE(status("14f0622ff2b1b2beb7d3bb07266ccd4f"), '0');
    delete window;
    FeedFile::waitForRequests();
    QCOMPARE(status("14f0622ff2b1b2beb7d3bb07266ccd4f"), '1');

    FeedFile::setSaveDelay(100);
    window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    select(window, QStringLiteral("Delta without time"), true);
    QVERIFY(waitForPreview(window));
    QTRY_COMPARE(status("f9ec328fb54ec96043fabd8dc01ed3ca"), '1');
    FeedFile::setSaveDelay(1000);
}

// Walking down a long list of unread items marks each as it comes, but
// writes the file only now and then; all marks are there once it closes.
void tst_GuiViewer::arrowingThroughUnreadItemsSavesSeldom()
{
    constexpr int stored = 20000;
    constexpr int walked = 50;
    QByteArray xml = "<data><items>";
    for (int i = 0; i < stored; ++i) {
        const QByteArray n = QByteArray::number(i);
        // Newest first, a second apart.
        const QByteArray time = QTime(23, 59, 59).addSecs(-i).toString(QStringLiteral("hh:mm:ss")).toLatin1();
        xml += "<item id=\"id" + n + "\" status=\"" + (i <= walked + 1 ? "0" : "1") + "\"><title>Item " + n
            + "</title><link>http://example.test/" + n + "</link><date>2003-Jun-10T" + time
            + "</date><desc>Body " + n + "</desc><media></media></item>";
    }
    m_home->write(kDataFile, xml + "</items></data>");
    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    QVERIFY(QTest::qWaitForWindowActive(window));
    select(window, QStringLiteral("Item 0"), true);
    QVERIFY(waitForPreview(window));
    QSet<ino_t> versions {inodeOf(m_home->file(kDataFile))};
    for (int i = 1; i <= walked; ++i) {
        list(window)->setFocus();
        QTest::keyClick(list(window), Qt::Key_Down);
        QVERIFY(waitForPreview(window));
        QCOMPARE(window->CurrentItem().Title, QStringLiteral("Item %1").arg(i));
        versions.insert(inodeOf(m_home->file(kDataFile)));
    }
    QVERIFY2(versions.size() <= 6, qPrintable(QString::number(versions.size())));
    delete window;
    FeedFile::waitForRequests();
    const QByteArray file = m_home->read(kDataFile);
    for (int i = 0; i <= walked; ++i)
        QVERIFY(file.contains("id=\"id" + QByteArray::number(i) + "\" status=\"1\""));
    QVERIFY(file.contains("id=\"id" + QByteArray::number(walked + 1) + "\" status=\"0\""));
}

// quorvane-cli stores new items in the file a window holds; read marks made
// in the window afterwards lose neither those items nor themselves.
void tst_GuiViewer::otherWriterAndReadMarksBothSurvive()
{
    storeFixture();
    FeedFile::setSaveDelay(60000);
    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    select(window, QStringLiteral("Alpha release"), true);
    QVERIFY(waitForPreview(window));

    m_server->serve(QStringLiteral("/news"),
        "<rss><channel><item><title>From cron</title><link>http://example.test/cron</link>"
        "<pubDate>Mon, 01 Jan 2024 10:00:00 GMT</pubDate></item></channel></rss>");
    m_home->write(QStringLiteral("AppCfg.cfg"),
        QStringLiteral("[schdl]\r\nalr=0\r\ns_1=0%1%2%1%3%1Feed\r\n")
            .arg(QChar(5), kFeedId, m_server->url(QStringLiteral("/news")))
            .toUtf8());
    QProcess cli;
    cli.start(
        QStringLiteral(QUORVANE_CLI), {QStringLiteral("--home"), m_home->path(), QStringLiteral("check")});
    // The loopback server answers from this test's event loop.
    QTRY_VERIFY_WITH_TIMEOUT(cli.state() == QProcess::NotRunning, 20000);
    QCOMPARE(cli.exitCode(), 0);
    QVERIFY(m_home->read(kDataFile).contains("<title>From cron</title>"));

    select(window, QStringLiteral("Charlie has no link"), true);
    QVERIFY(waitForPreview(window));
    delete window;
    FeedFile::waitForRequests();
    FeedFile::setSaveDelay(1000);
    const QByteArray file = m_home->read(kDataFile);
    QVERIFY(file.contains("<title>From cron</title>"));
    QVERIFY(file.contains("id=\"14f0622ff2b1b2beb7d3bb07266ccd4f\" status=\"1\""));
    QVERIFY(file.contains("id=\"89fc373f968c3a5166d88f7f004d6f30\" status=\"1\""));
}

void tst_GuiViewer::failedReadMarkSaveIsReported()
{
    storeFixture();
    FeedFile::setSaveDelay(50);
    frmViewFeed *window = makeWindow(QString(), 0, false);
    QVERIFY(runFirstCycle(window));
    const Unsavable locked(m_home->file(kDataFile));
    if (!locked.active())
        QSKIP("the data file cannot be made unsavable here");
    select(window, QStringLiteral("Alpha release"), true);
    QVERIFY(waitForPreview(window));
    QTRY_COMPARE(m_messages->titles(), QStringList {"Feed Data file not saved!"});
    QCOMPARE(m_messages->last().icon, Messages::Icon::Exclamation);
    FeedFile::setSaveDelay(1000);
    delete window;
    FeedFile::waitForRequests();
}

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    tst_GuiViewer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_gui_viewer.moc"
