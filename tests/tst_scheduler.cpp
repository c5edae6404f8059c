#include "config/Settings.h"
#include "feeds/FeedFile.h"
#include "feeds/FeedStore.h"
#include "scheduler/ScheduledCheck.h"
#include "support/HostileServers.h"
#include "support/LoopbackServer.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

namespace
{

const QString CRLF = QStringLiteral("\r\n");

QString feedId(int n)
{
    return QStringLiteral("5CED0000-0000-0000-0000-%1").arg(n, 12, 10, QLatin1Char('0'));
}

QString dataFile(int n)
{
    return QStringLiteral("Data/") + feedId(n) + QStringLiteral(".fdb");
}

// The log with the date and time of its run records blanked.
QString masked(const QByteArray &log)
{
    static const QRegularExpression stamp(QStringLiteral("(Scheduled Check (Started|Finished)) \\([^)]*\\)"));
    return QString::fromUtf8(log).replace(stamp, QStringLiteral("\\1 (*)"));
}

QString runStart()
{
    return QString(70, QLatin1Char('=')) + CRLF + QStringLiteral("Scheduled Check Started (*)") + CRLF + CRLF
        + CRLF;
}

QString runEnd()
{
    return QStringLiteral("Scheduled Check Finished (*)") + CRLF + CRLF;
}

// The records of one feed, from "Checking" to the separator.
QString feedSection(const QString &caption, const QStringList &afterRequest)
{
    QStringList lines {QStringLiteral("Checking ") + caption,
        QStringLiteral("    Sending Request to Source Server ..."),
        QStringLiteral("    Request Sent, Waiting for Server Response ...")};
    lines << afterRequest;
    return lines.join(CRLF) + CRLF + CRLF + CRLF;
}

QStringList parsed(const QStringList &records)
{
    return QStringList {QStringLiteral("    Parsing Feed content ...")} + records + QStringList {"    Done!"};
}

const QString TimeoutRecord = QStringLiteral(
    "--> Error: Server did not respond in timely manner. Application failed to fetch Feed Data!");

} // namespace

class TestScheduler : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void logOfARun();
    void parseOutcomes_data();
    void parseOutcomes();
    void checkOfGivenFeeds();
    void secondRunFindsNothing();
    void logFollowsStoredOrder();
    void notification_data();
    void notification();
    void noSources();
    void logLimit_data();
    void logLimit();
    void stopDuringRun();
    void deletedDuringRun();
    void brokenSettingsEntryIsLogged();
    void unsavableDataFileIsLogged();
    void unwritableLogDoesNotStopTheRun();
    void hostileFeedsLeaveTheRunWhole();
    void everyFeedIsWorkedOnOnce();

private:
    FeedRecord serve(int n, const QString &caption, const QByteArray &body, qint16 type = 0);
    FeedRecord route(int n, const QString &caption, const LoopbackServer::Route &route, qint16 type = 0);
    // One run, to its end.
    bool run();
    void schedule(const QList<FeedRecord> &feeds, int alert = 1, int sound = 0);
    QString log() const { return masked(m_home->read("schedule.log")); }

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<LoopbackServer> m_server;
    std::unique_ptr<ScheduledCheck> m_check;
};

void TestScheduler::init()
{
    m_home = std::make_unique<TempHome>();
    m_messages = std::make_unique<MessageRecorder>();
    m_server = std::make_unique<LoopbackServer>();
    m_check = std::make_unique<ScheduledCheck>();
    // Generous, so that a busy machine never turns an answer into a time-out;
    // a test of a silent server sets its own.
    m_check->setTimeout(20000);
}

void TestScheduler::cleanup()
{
    QCOMPARE(m_messages->count(), 0); // never a message box
    m_check.reset();
    m_server.reset();
    m_messages.reset();
    m_home.reset();
}

FeedRecord TestScheduler::route(
    int n, const QString &caption, const LoopbackServer::Route &route, qint16 type)
{
    const QString path = QStringLiteral("/feed%1").arg(n);
    m_server->route(path, route);
    return FeedRecord {QString(), m_server->url(path), type, feedId(n), caption};
}

FeedRecord TestScheduler::serve(int n, const QString &caption, const QByteArray &body, qint16 type)
{
    LoopbackServer::Route r;
    r.body = body;
    return route(n, caption, r, type);
}

bool TestScheduler::run()
{
    QSignalSpy finished(m_check.get(), &ScheduledCheck::finished);
    m_check->RunScheduledCheck();
    return finished.wait(60000);
}

void TestScheduler::schedule(const QList<FeedRecord> &feeds, int alert, int sound)
{
    mSettings::SchedulerSettings &s = mSettings::scheduler();
    s = mSettings::SchedulerSettings();
    s.Alert = qint16(alert);
    s.Sound = qint16(sound);
    s.SoundFile = m_home->file("ding.wav");
    s.Feeds = feeds;
    mSettings::SaveSchedulerSettings(false);
    s = mSettings::SchedulerSettings(); // the run reads them afresh
}

void TestScheduler::logOfARun()
{
    LoopbackServer::Route silent;
    silent.silent = true;
    LoopbackServer::Route notFound;
    notFound.status = 404;
    notFound.contentType = "text/html";
    notFound.body = TempHome::fixture("store/not_found.html");
    schedule({route(1, "Slow", silent), route(2, "Gone", notFound),
        serve(3, "Tech News", TempHome::fixture("store/tech_news.xml"))});
    m_check->setTimeout(2000); // the silent feed's; the others answer at once

    QVERIFY(run());

    const QString expected = runStart() + feedSection("Slow", {TimeoutRecord})
        + feedSection("Gone", parsed({"-->Error: Server returned Feed data in invalid XML format!"}))
        + feedSection("Tech News", parsed({"    3 New Items found!"})) + runEnd();
    QCOMPARE(log(), expected);
    QCOMPARE(m_check->notificationLines(), QStringList {"Tech News -- 3 New Items"});
    QVERIFY(!QFile::exists(m_home->file(dataFile(1))));
    QVERIFY(!QFile::exists(m_home->file(dataFile(2))));
    QVERIFY(!m_check->ContinueRun());
    QVERIFY(!m_check->isRunning());

    // The window's store reads what the run wrote.
    QVector<FeedStore::Row> rows;
    FeedStore store(feedId(3));
    QVERIFY(store.LoadInbox(rows));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.first().title, QStringLiteral("First"));
    QCOMPARE(store.latest(), QStringLiteral("20030610040000"));
}

void TestScheduler::parseOutcomes_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("records");
    const QByteArray html = TempHome::fixture("store/not_found.html");
    const QByteArray rss = TempHome::fixture("store/tech_news.xml");
    const QByteArray atom = TempHome::fixture("store/atom.xml");
    QTest::newRow("RSS, not XML") << 0 << html
                                  << QStringList {
                                         "-->Error: Server returned Feed data in invalid XML format!"};
    QTest::newRow("podcast, not XML")
        << 2 << html << QStringList {"-->Error: Server returned Feed data in invalid XML format!"};
    QTest::newRow("ATOM, not XML") << 1 << html
                                   << QStringList {
                                          "--> Error: Server returned Feed data in invalid XML format!"};
    QTest::newRow("RSS, empty body") << 0 << QByteArray()
                                     << QStringList {"--> Error: Server returned empty data stream!"};
    // A feed stored with the wrong type is read by the rules of its kind
    // (and its type corrected: see typeIsCorrected).
    QTest::newRow("RSS rule, ATOM document") << 0 << atom << QStringList {"    2 New Items found!"};
    QTest::newRow("ATOM rule, RSS document") << 1 << rss << QStringList {"    3 New Items found!"};
    QTest::newRow("ATOM") << 1 << atom << QStringList {"    2 New Items found!"};
    QTest::newRow("empty channel") << 0 << QByteArray("<rss><channel><title>x</title></channel></rss>")
                                   << QStringList();
    QTest::newRow("unknown type") << 7 << rss << QStringList();
}

void TestScheduler::parseOutcomes()
{
    QFETCH(int, type);
    QFETCH(QByteArray, body);
    QFETCH(QStringList, records);
    schedule({serve(1, "Feed", body, qint16(type))});
    QVERIFY(run());
    QCOMPARE(log(), runStart() + feedSection("Feed", parsed(records)) + runEnd());
}

// A run over given feeds ("Check All Feeds"): progress after each feed,
// the announcement though "alr" is 0, and a feed stored with the wrong
// type reported with the type its document shows.
void TestScheduler::checkOfGivenFeeds()
{
    schedule({}, 0);
    const FeedRecord atom = serve(1, "Atom as RSS", TempHome::fixture("store/atom.xml"), 0);
    const FeedRecord rss = serve(2, "Plain", TempHome::fixture("store/tech_news.xml"), 0);
    QSignalSpy finished(m_check.get(), &ScheduledCheck::finished);
    QSignalSpy progress(m_check.get(), &ScheduledCheck::progress);
    QSignalSpy types(m_check.get(), &ScheduledCheck::feedTypeFound);
    QSignalSpy popups(m_check.get(), &ScheduledCheck::notificationRequested);
    // The data files' owners tell the new unread counts (on this thread).
    QHash<QString, int> unread;
    QObject receiver;
    connect(FeedFile::notifier(), &FeedFileNotifier::unreadChanged, &receiver,
        [&unread](const QString &id, int count) { unread.insert(id, count); });
    m_check->runCheckOf({atom, rss});
    QVERIFY(finished.wait(60000));
    QCOMPARE(progress.size(), 2);
    QCOMPARE(progress.last(), QList<QVariant>({2, 2}));
    QCOMPARE(types.size(), 1);
    QCOMPARE(types.first(), QList<QVariant>({atom.FeedID, 1}));
    QCOMPARE(popups.size(), 1);
    QTRY_COMPARE(unread.value(rss.FeedID, -1), 3);
    QCOMPARE(unread.value(atom.FeedID, -1), 2);
}

void TestScheduler::secondRunFindsNothing()
{
    schedule({serve(1, "Tech News", TempHome::fixture("store/tech_news.xml"))});
    QVERIFY(run());
    const QByteArray stored = m_home->read(dataFile(1));
    QSignalSpy popups(m_check.get(), &ScheduledCheck::notificationRequested);
    m_home->write("schedule.log", QByteArray());

    QVERIFY(run());
    QCOMPARE(log(), runStart() + feedSection("Tech News", parsed({"    No New Items found!"})) + runEnd());
    QVERIFY(m_check->results().isEmpty());
    QCOMPARE(popups.count(), 0);
    QCOMPARE(m_home->read(dataFile(1)), stored);
}

void TestScheduler::logFollowsStoredOrder()
{
    // The first feed answers only after the second one has had its answer.
    LoopbackServer::Route late;
    late.body = TempHome::fixture("store/tech_news.xml");
    late.held = true;
    schedule({route(1, "Late", late), serve(2, "Early", TempHome::fixture("store/atom.xml"), 1)});
    connect(m_server.get(), &LoopbackServer::requestReceived, this, [this](const QString &path) {
        if (path == QLatin1String("/feed2"))
            QMetaObject::invokeMethod(
                m_server.get(), [this] { m_server->release(QStringLiteral("/feed1")); },
                Qt::QueuedConnection);
    });
    m_check->setTimeout(20000);
    QVERIFY(run());
    QCOMPARE(log(),
        runStart() + feedSection("Late", parsed({"    3 New Items found!"}))
            + feedSection("Early", parsed({"    2 New Items found!"})) + runEnd());
    QCOMPARE(m_check->notificationLines(), (QStringList {"Late -- 3 New Items", "Early -- 2 New Items"}));
}

void TestScheduler::notification_data()
{
    QTest::addColumn<int>("alert");
    QTest::addColumn<int>("sound");
    QTest::addColumn<bool>("newItems");
    QTest::addColumn<int>("popups");
    QTest::newRow("alert with sound") << 1 << 1 << true << 1;
    QTest::newRow("alert without sound") << 1 << 0 << true << 1;
    QTest::newRow("no alert") << 0 << 1 << true << 0;
    QTest::newRow("nothing new") << 1 << 1 << false << 0;
}

void TestScheduler::notification()
{
    QFETCH(int, alert);
    QFETCH(int, sound);
    QFETCH(bool, newItems);
    QFETCH(int, popups);
    const QByteArray body = newItems ? TempHome::fixture("store/tech_news.xml") : QByteArray("<x/>");
    schedule({serve(1, "Tech News", body)}, alert, sound);
    QSignalSpy spy(m_check.get(), &ScheduledCheck::notificationRequested);
    QVERIFY(run());
    QCOMPARE(spy.count(), popups);
    QCOMPARE(
        m_check->notificationLines(), newItems ? QStringList {"Tech News -- 3 New Items"} : QStringList());
    if (popups == 0)
        return;
    QCOMPARE(spy.first().at(0).toStringList(), QStringList {"Tech News -- 3 New Items"});
    QCOMPARE(spy.first().at(1).toBool(), sound == 1);
    QCOMPARE(spy.first().at(2).toString(), m_home->file("ding.wav"));
}

void TestScheduler::noSources()
{
    schedule({});
    QSignalSpy spy(m_check.get(), &ScheduledCheck::notificationRequested);
    QVERIFY(run());
    QCOMPARE(log(),
        runStart() + QStringLiteral("No Feed Sources found Configured for Schduled check!") + CRLF
            + runEnd());
    QCOMPARE(spy.count(), 0);
}

void TestScheduler::logLimit_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("restarted");
    QTest::newRow("at the limit") << 512000 << false;
    QTest::newRow("one byte over") << 512001 << true;
}

void TestScheduler::logLimit()
{
    QFETCH(int, size);
    QFETCH(bool, restarted);
    const QByteArray old(size, 'x');
    m_home->write("schedule.log", old);
    m_check->WriteScheduleLog(QStringLiteral("record"), false, false);
    QCOMPARE(m_home->read("schedule.log"), (restarted ? QByteArray() : old) + "record\r\n");
}

void TestScheduler::stopDuringRun()
{
    const QByteArray rss = TempHome::fixture("store/tech_news.xml");
    schedule({serve(1, "One", rss), serve(2, "Two", rss), serve(3, "Three", rss)});
    connect(m_server.get(), &LoopbackServer::requestReceived, m_check.get(), &ScheduledCheck::stop);
    QSignalSpy spy(m_check.get(), &ScheduledCheck::notificationRequested);
    QVERIFY(run());
    QCOMPARE(log(), runStart() + feedSection("One", parsed({"    3 New Items found!"})) + runEnd());
    QCOMPARE(spy.count(), 1);
    QVERIFY(!QFile::exists(m_home->file(dataFile(2))));
    QVERIFY(!QFile::exists(m_home->file(dataFile(3))));
}

void TestScheduler::deletedDuringRun()
{
    LoopbackServer::Route silent;
    silent.silent = true;
    schedule({route(1, "Slow", silent), route(2, "Slower", silent)});
    m_check->setTimeout(60000); // only the deletion can end this run in time
    ScheduledCheck *check = m_check.release();
    const QPointer<ScheduledCheck> guard(check);
    connect(
        m_server.get(), &LoopbackServer::requestReceived, this, [guard] { delete guard.data(); },
        Qt::QueuedConnection);
    check->RunScheduledCheck();
    QTRY_VERIFY(guard.isNull());
    QVERIFY(log().startsWith(runStart() + QStringLiteral("Checking Slow")));
}

void TestScheduler::brokenSettingsEntryIsLogged()
{
    schedule({serve(1, "Tech News", TempHome::fixture("store/tech_news.xml"))});
    QByteArray config = m_home->read("AppCfg.cfg");
    config.replace("s_1=", "s_9=x\r\ns_1=");
    m_home->write("AppCfg.cfg", config);
    QVERIFY(run());
    const QStringList lines = log().split(CRLF);
    QVERIFY(
        lines.at(4).startsWith(QStringLiteral("--> Error: LoadSchedulerSettings Function: Error on Line")));
    QVERIFY(lines.contains(QStringLiteral("Checking Tech News")));
}

void TestScheduler::unsavableDataFileIsLogged()
{
    const QByteArray rss = TempHome::fixture("store/tech_news.xml");
    schedule({serve(1, "Locked", rss), serve(2, "Tech News", rss)});
    QVERIFY(QDir(m_home->path()).mkpath(dataFile(1)));
    QVERIFY(run());
    const QString error = QStringLiteral("--> Error: Failed to save the Feed Data file %1.")
                              .arg(QDir::toNativeSeparators(m_home->file(dataFile(1))));
    QCOMPARE(log(),
        runStart() + feedSection("Locked", parsed({error}))
            + feedSection("Tech News", parsed({"    3 New Items found!"})) + runEnd());
    QCOMPARE(m_check->notificationLines(), QStringList {"Tech News -- 3 New Items"});
}

void TestScheduler::unwritableLogDoesNotStopTheRun()
{
    schedule({serve(1, "Tech News", TempHome::fixture("store/tech_news.xml"))});
    QVERIFY(QDir(m_home->path()).mkpath("schedule.log"));
    QVERIFY(run());
    QCOMPARE(m_check->notificationLines(), QStringList {"Tech News -- 3 New Items"});
    QVERIFY(QFile::exists(m_home->file(dataFile(1))));

    // The next record that can be written tells what was lost.
    QVERIFY(QDir(m_home->file("schedule.log")).removeRecursively());
    m_check->WriteScheduleLog(QStringLiteral("next"), false, false);
    const QStringList lines = QString::fromUtf8(m_home->read("schedule.log")).split(CRLF);
    QVERIFY(lines.at(0).startsWith(QStringLiteral("--> Error: Application failed to write to schedule.log")));
    QCOMPARE(lines.at(1), QStringLiteral("next"));
}

// Feeds that once crashed a run, took gigabytes or passed for an empty
// answer: each is logged with its cause, and the run goes on to its end.
void TestScheduler::hostileFeedsLeaveTheRunWhole()
{
    using K = HostileServers::Kind;
    HostileServers servers;
    constexpr int deep = 200000;
    const QByteArray nested
        = "<rss><channel><item><title>Deep</title><link>http://e.com/d</link><description>"
        + QByteArray("<i>").repeated(deep) + "x" + QByteArray("</i>").repeated(deep)
        + "</description></item></channel></rss>";
    const QByteArray bomb = "<!DOCTYPE rss [<!ENTITY big \"" + QByteArray(100000, 'A') + "\">]><rss><channel>"
        + QByteArray("<item><description>&big;</description></item>").repeated(10000) + "</channel></rss>";
    int n = 2; // after the two feeds served below
    const auto at = [&n](const QString &caption, const QString &url) {
        return FeedRecord {QString(), url, 0, feedId(++n), caption};
    };
    schedule({serve(1, "Nested", nested), serve(2, "Bomb", bomb), at("Endless", servers.url(K::Endless)),
        at("Endless", servers.url(K::Endless)), at("Refused", servers.url(K::Refused)),
        at("Unknown", servers.url(K::UnknownHost)), at("Loop", servers.url(K::RedirectLoop)),
        at("Unavailable", servers.url(K::ErrorWithoutBody)),
        serve(9, "Tech News", TempHome::fixture("store/tech_news.xml"))});
    m_check->setTimeout(10000);
    QVERIFY(run());

    const QString local = QStringLiteral("Server 127.0.0.1 ");
    const QString notFetched = QStringLiteral(" Application failed to fetch Feed Data!");
    const QString tooLarge
        = "--> Error: " + local + "sent more than 64 MiB of Feed Data. Application refused the response!";
    QCOMPARE(log(),
        runStart() + feedSection("Nested", parsed({"    1 New Items found!"}))
            + feedSection("Bomb", parsed({"-->Error: Server returned Feed data in invalid XML format!"}))
            + feedSection("Endless", {tooLarge}) + feedSection("Endless", {tooLarge})
            + feedSection("Refused", {"--> Error: " + local + "refused the connection." + notFetched})
            + feedSection("Unknown",
                {"--> Error: Server quorvane-test.invalid could not be found. Please check the Feed URL."
                    + notFetched})
            + feedSection("Loop",
                {"--> Error: " + local + "redirected the request too many times, possibly in a loop."
                    + notFetched})
            + feedSection("Unavailable",
                {"--> Error: " + local + "returned HTTP status 503 (Service Unavailable) without Feed Data."
                    + notFetched})
            + feedSection("Tech News", parsed({"    3 New Items found!"})) + runEnd());
    QVERIFY(!QFile::exists(m_home->file(dataFile(2))));
    QCOMPARE(
        m_check->notificationLines(), (QStringList {"Nested -- 1 New Items", "Tech News -- 3 New Items"}));
}

// Downloads end in any order and any time, before their feed's turn or
// after: each feed is still worked on exactly once, in its place.
void TestScheduler::everyFeedIsWorkedOnOnce()
{
    constexpr int count = 80;
    QList<FeedRecord> feeds;
    for (int n = 1; n <= count; ++n) {
        LoopbackServer::Route r;
        r.body = "<rss><channel><item><title>T</title><link>http://e.com/" + QByteArray::number(n)
            + "</link></item></channel></rss>";
        r.delayMs = (n * 7) % 5; // some at once, some a moment later
        feeds << route(n, QStringLiteral("Feed %1").arg(n), r);
    }
    schedule(feeds, 0);
    QVERIFY(run());
    const QString text = log();
    QCOMPARE(text.count(QStringLiteral("Checking Feed ")), count);
    QCOMPARE(text.count(QStringLiteral("    Parsing Feed content ...")), count);
    QCOMPARE(text.count(QStringLiteral("    1 New Items found!")), count);
    QCOMPARE(m_check->results().size(), count);
    for (int n = 1; n < count; ++n)
        QVERIFY(text.indexOf(QStringLiteral("Checking Feed %1\r\n").arg(n))
            < text.indexOf(QStringLiteral("Checking Feed %1\r\n").arg(n + 1)));
}

QTEST_GUILESS_MAIN(TestScheduler)
#include "tst_scheduler.moc"
