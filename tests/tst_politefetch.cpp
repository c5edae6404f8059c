#include "config/Settings.h"
#include "feeds/FeedDocument.h"
#include "feeds/FeedDownload.h"
#include "feeds/FeedFile.h"
#include "feeds/FeedParser.h"
#include "feeds/PoliteFetch.h"
#include "i18n/Languages.h"
#include "scheduler/ScheduledCheck.h"
#include "support/Gzip.h"
#include "support/LoopbackServer.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"
#include "util/AppFolder.h"
#include "util/AppInfo.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

namespace
{

const QString FeedId = QStringLiteral("5CED0000-0000-0000-0000-000000000001");
const QString DataFile = QStringLiteral("Data/") + FeedId + QStringLiteral(".fdb");
const QByteArray Etag = "\"v1-abc\"";
const QByteArray LastModified = "Tue, 10 Jun 2003 04:00:00 GMT";

QByteArray techNews()
{
    return TempHome::fixture(QStringLiteral("store/tech_news.xml"));
}

// The names of the children of the data file's root, in order.
QStringList dataChildren(const QByteArray &file)
{
    QStringList names;
    static const QRegularExpression child(QStringLiteral("<(\\w+)[ />]"));
    const QString text = QString::fromUtf8(file);
    // Only the root's children: the items element is skipped whole.
    static const QRegularExpression items(
        QStringLiteral("<items>.*</items>"), QRegularExpression::DotMatchesEverythingOption);
    const QString flat = QString(text).remove(items);
    auto it = child.globalMatch(flat);
    while (it.hasNext())
        names << it.next().captured(1);
    return names;
}

FeedDownload::Outcome run(FeedDownload &download)
{
    QSignalSpy finished(&download, &FeedDownload::finished);
    download.start();
    if (!finished.wait(20000))
        return FeedDownload::Outcome::Abandoned;
    return finished.first().at(0).value<FeedDownload::Outcome>();
}

// The data file as its owner keeps it, once everything asked of it is done.
FetchState storedState()
{
    FeedFile::waitForRequests();
    FeedDocument doc;
    doc.load(AppFolder::feedDataFile(FeedId));
    return doc.fetchState();
}

} // namespace

class TestPoliteFetch : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void retryAfter_data();
    void retryAfter();
    void answers_data();
    void answers();
    void notModifiedSendsTheStoredValidators();
    void validatorsAreStoredAfterAMerge();
    void unusableValidatorsAreDropped();
    void retryAfterSkipsTheNextRun();
    void windowDownloadKeepsThePause();
    void goneIsLogged();
    void permanentRedirectIsLogged();
    void compressedResponses_data();
    void compressedResponses();
    void userAgentNamesTheProgram();
    void oldDataFilesStayValid();

private:
    FeedRecord route(
        const QString &caption, const LoopbackServer::Route &route, const QString &path = "/feed");
    bool runCheck();
    QString log() const { return QString::fromUtf8(m_home->read("schedule.log")); }

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<LoopbackServer> m_server;
    std::unique_ptr<ScheduledCheck> m_check;
};

void TestPoliteFetch::init()
{
    m_home = std::make_unique<TempHome>();
    m_messages = std::make_unique<MessageRecorder>();
    m_server = std::make_unique<LoopbackServer>();
    m_check = std::make_unique<ScheduledCheck>();
    m_check->setTimeout(20000);
}

void TestPoliteFetch::cleanup()
{
    QCOMPARE(m_messages->count(), 0); // core shows no box
    m_check.reset();
    FeedFile::waitForRequests();
    m_server.reset();
    m_messages.reset();
    m_home.reset();
}

FeedRecord TestPoliteFetch::route(const QString &caption, const LoopbackServer::Route &r, const QString &path)
{
    m_server->route(path, r);
    const FeedRecord feed {QString(), m_server->url(path), 0, FeedId, caption};
    mSettings::SchedulerSettings &s = mSettings::scheduler();
    s = mSettings::SchedulerSettings();
    s.Alert = 0;
    s.Feeds = {feed};
    mSettings::SaveSchedulerSettings(false);
    s = mSettings::SchedulerSettings();
    return feed;
}

bool TestPoliteFetch::runCheck()
{
    m_home->write("schedule.log", QByteArray());
    QSignalSpy finished(m_check.get(), &ScheduledCheck::finished);
    m_check->RunScheduledCheck();
    const bool ended = finished.wait(60000);
    FeedFile::waitForRequests();
    return ended;
}

void TestPoliteFetch::retryAfter_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<qint64>("seconds"); // after now; -1 for no time at all
    QTest::newRow("seconds") << QByteArray("120") << qint64(120);
    QTest::newRow("zero") << QByteArray("0") << qint64(0);
    QTest::newRow("blanks around") << QByteArray(" 30 ") << qint64(30);
    QTest::newRow("HTTP date") << QByteArray("Thu, 10 Dec 2026 21:00:00 GMT") << qint64(3600);
    QTest::newRow("RFC 850 date") << QByteArray("Thursday, 10-Dec-26 21:00:00 GMT") << qint64(3600);
    QTest::newRow("asctime date") << QByteArray("Thu Dec 10 21:00:00 2026") << qint64(3600);
    QTest::newRow("date gone by") << QByteArray("Thu, 10 Dec 2026 19:00:00 GMT") << qint64(0);
    QTest::newRow("a year: capped") << QByteArray("31536000") << PoliteFetch::MaxRetryAfterSeconds;
    QTest::newRow("far date: capped")
        << QByteArray("Fri, 01 Jan 2100 00:00:00 GMT") << PoliteFetch::MaxRetryAfterSeconds;
    QTest::newRow("negative") << QByteArray("-5") << qint64(0);
    QTest::newRow("empty") << QByteArray() << qint64(-1);
    QTest::newRow("garbage") << QByteArray("soon") << qint64(-1);
}

void TestPoliteFetch::retryAfter()
{
    QFETCH(QByteArray, value);
    QFETCH(qint64, seconds);
    const QDateTime now(QDate(2026, 12, 10), QTime(20, 0), Qt::UTC);
    const QDateTime when = PoliteFetch::retryAfter(value, now);
    if (seconds < 0) {
        QVERIFY(!when.isValid());
        return;
    }
    QCOMPARE(now.secsTo(when), seconds);
}

void TestPoliteFetch::answers_data()
{
    using O = FeedDownload::Outcome;
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("retryAfter");
    QTest::addColumn<FeedDownload::Outcome>("outcome");
    QTest::addColumn<bool>("paused"); // a pause is stored in the data file
    QTest::newRow("410 gone") << 410 << QByteArray() << O::Gone << false;
    QTest::newRow("410 gone, with a page") << 410 << QByteArray() << O::Gone << false;
    QTest::newRow("429 with Retry-After") << 429 << QByteArray("3600") << O::Deferred << true;
    QTest::newRow("503 with a Retry-After date")
        << 503 << QDateTime::currentDateTimeUtc().addSecs(7200).toString(Qt::RFC2822Date).toLatin1()
        << O::Deferred << true;
    QTest::newRow("503 without Retry-After") << 503 << QByteArray() << O::Failed << false;
    QTest::newRow("429 with a useless Retry-After") << 429 << QByteArray("later") << O::Failed << false;
}

// The window's download tells each answer apart, and keeps a pause asked for.
void TestPoliteFetch::answers()
{
    QFETCH(int, status);
    QFETCH(QByteArray, retryAfter);
    QFETCH(FeedDownload::Outcome, outcome);
    QFETCH(bool, paused);
    LoopbackServer::Route r;
    r.status = status;
    if (QByteArray(QTest::currentDataTag()).contains("page"))
        r.body = "<html>gone</html>";
    if (!retryAfter.isEmpty())
        r.headers = {{"Retry-After", retryAfter}};
    m_server->route("/feed", r);
    FeedDownload download;
    download.FeedURL = m_server->url("/feed");
    download.FeedID = FeedId;
    download.FeedData = "previous";
    QCOMPARE(run(download), outcome);
    QCOMPARE(download.FeedData, QByteArray("previous"));
    QCOMPARE(storedState().notBefore.isValid(), paused);
    if (paused) {
        QCOMPARE(storedState().notBefore, download.answer().retryAt);
        QVERIFY(download.answer().retryAt > QDateTime::currentDateTimeUtc().addSecs(3000));
    }
}

// The validators of the merged response go back with the next request;
// the server's 304 is "No New Items found!", with no parse and no save.
void TestPoliteFetch::notModifiedSendsTheStoredValidators()
{
    LoopbackServer::Route r;
    r.body = techNews();
    r.etag = Etag;
    r.lastModified = LastModified;
    route("Tech News", r);
    QVERIFY(runCheck());
    QVERIFY(log().contains("    3 New Items found!"));
    QCOMPARE(m_server->lastRequestHeader("If-None-Match"), QByteArray());
    const QByteArray stored = m_home->read(DataFile);
    const QDateTime modified = QFileInfo(m_home->file(DataFile)).lastModified();

    QVERIFY(runCheck());
    QCOMPARE(m_server->lastRequestHeader("If-None-Match"), Etag);
    QCOMPARE(m_server->lastRequestHeader("If-Modified-Since"), LastModified);
    QCOMPARE(m_server->notModified("/feed"), 1);
    const QString section
        = QStringLiteral("Checking Tech News\r\n    Sending Request to Source Server ...\r\n"
                         "    Request Sent, Waiting for Server Response ...\r\n    %1\r\n    Done!\r\n")
              .arg(DefaultTexts::english("MSG_FETCH_NONEWITEMS"));
    QVERIFY2(log().contains(section), qPrintable(log()));
    QVERIFY(!log().contains("Parsing"));
    QCOMPARE(m_home->read(DataFile), stored);
    QCOMPARE(QFileInfo(m_home->file(DataFile)).lastModified(), modified);

    // The window's download sends them too, and tells the answer.
    FeedDownload download;
    download.FeedURL = m_server->url("/feed");
    download.FeedID = FeedId;
    QCOMPARE(run(download), FeedDownload::Outcome::NotModified);
    QCOMPARE(m_server->lastRequestHeader("If-None-Match"), Etag);
    QCOMPARE(m_home->read(DataFile), stored);
}

// Stored after "latest", only once a response was merged; a response
// without them drops the old ones.
void TestPoliteFetch::validatorsAreStoredAfterAMerge()
{
    LoopbackServer::Route r;
    r.body = techNews();
    r.etag = Etag;
    r.lastModified = LastModified;
    route("Tech News", r);
    QVERIFY(runCheck());
    QCOMPARE(dataChildren(m_home->read(DataFile)), (QStringList {"data", "latest", "etag", "lastmodified"}));
    QCOMPARE(storedState(), (FetchState {QString::fromLatin1(Etag), QString::fromLatin1(LastModified), {}}));

    r.etag.clear();
    r.lastModified.clear();
    r.body.replace("<title>Third</title>", "<title>Fourth</title>").replace("example.com/3", "example.com/4");
    r.body.replace("Tue, 10 Jun 2003 04:00:00", "Wed, 11 Jun 2003 04:00:00");
    route("Tech News", r);
    QVERIFY(runCheck());
    QVERIFY(log().contains("    1 New Items found!"));
    QCOMPARE(storedState(), FetchState());
    QCOMPARE(dataChildren(m_home->read(DataFile)), (QStringList {"data", "latest"}));
}

// A validator from a tampered file adds no header; one too long to keep
// is not stored.
void TestPoliteFetch::unusableValidatorsAreDropped()
{
    m_home->write(DataFile,
        "<data><items/><etag>\"a\"&#13;&#10;X-Evil: 1</etag><lastmodified>"
            + QByteArray(PoliteFetch::MaxValidatorLength + 1, 'x') + "</lastmodified></data>");
    LoopbackServer::Route r;
    r.body = techNews();
    r.etag = "\"" + QByteArray(PoliteFetch::MaxValidatorLength, 'e') + "\"";
    m_server->route("/feed", r);
    FeedDownload download;
    download.FeedURL = m_server->url("/feed");
    download.FeedID = FeedId;
    QCOMPARE(run(download), FeedDownload::Outcome::Complete);
    QCOMPARE(m_server->lastRequestHeader("If-None-Match"), QByteArray());
    QCOMPARE(m_server->lastRequestHeader("If-Modified-Since"), QByteArray());
    QCOMPARE(m_server->lastRequestHeader("X-Evil"), QByteArray());
    QCOMPARE(download.feedValidators, FetchState());
}

// A 429 with Retry-After: the log says until when, and the next run does
// not fetch the feed before then.
void TestPoliteFetch::retryAfterSkipsTheNextRun()
{
    LoopbackServer::Route r;
    r.status = 429;
    r.headers = {{"Retry-After", "3600"}};
    route("Busy", r);
    QVERIFY(runCheck());
    const QDateTime until = storedState().notBefore;
    QVERIFY(until.isValid());
    const QString record
        = QStringLiteral("    ") + PoliteFetch::retryLaterText("127.0.0.1", until, DefaultTexts::english);
    QVERIFY2(log().contains("Request Sent, Waiting for Server Response ...\r\n" + record + "\r\n"),
        qPrintable(log()));
    QCOMPARE(m_server->hits("/feed"), 1);

    QVERIFY(runCheck());
    QCOMPARE(m_server->hits("/feed"), 1);
    QVERIFY2(log().contains("Checking Busy\r\n" + record + "\r\n"), qPrintable(log()));
    QVERIFY(!log().contains("Sending Request"));
}

// The window's download sees the pause the scheduled run stored.
void TestPoliteFetch::windowDownloadKeepsThePause()
{
    m_home->write(DataFile,
        "<data><items/><notbefore>"
            + QDateTime::currentDateTimeUtc().addSecs(600).toString(Qt::ISODate).toLatin1()
            + "</notbefore></data>");
    m_server->serve("/feed", techNews());
    FeedDownload download;
    download.FeedURL = m_server->url("/feed");
    download.FeedID = FeedId;
    QCOMPARE(run(download), FeedDownload::Outcome::Deferred);
    QCOMPARE(m_server->hits("/feed"), 0);
    QCOMPARE(download.answer().retryAt, storedState().notBefore);

    // Once it is over, the feed is fetched, and its merge ends the pause.
    m_home->write(DataFile,
        "<data><items/><notbefore>"
            + QDateTime::currentDateTimeUtc().addSecs(-1).toString(Qt::ISODate).toLatin1()
            + "</notbefore></data>");
    QCOMPARE(run(download), FeedDownload::Outcome::Complete);
    QCOMPARE(m_server->hits("/feed"), 1);
    const FeedParser::Result parsed = FeedParser::parseByType(0, download.FeedData, download.feedCharset);
    bool done = false;
    FeedFile::open(FeedId)->merge(parsed.items, download.feedValidators, this,
        [&done](const FeedStore::MergeResult &) { done = true; });
    QTRY_VERIFY(done);
    QVERIFY(!storedState().notBefore.isValid());
}

void TestPoliteFetch::goneIsLogged()
{
    LoopbackServer::Route r;
    r.status = 410;
    r.body = "<html>Gone</html>";
    route("Old", r);
    QVERIFY(runCheck());
    QVERIFY2(
        log().contains("--> Error: " + PoliteFetch::goneText("127.0.0.1", DefaultTexts::english) + "\r\n"),
        qPrintable(log()));
    QVERIFY(!log().contains("Parsing"));
    QVERIFY(!QFile::exists(m_home->file(DataFile)));
}

// A permanent redirect is logged with both addresses; the feed is read
// from its new one. A temporary one is followed without a word.
void TestPoliteFetch::permanentRedirectIsLogged()
{
    m_server->serve("/new", techNews());
    LoopbackServer::Route temporary;
    temporary.status = 302;
    temporary.location = m_server->url("/new").toLatin1();
    m_server->route("/temporary", temporary);
    LoopbackServer::Route moved;
    moved.status = 301;
    moved.location = m_server->url("/temporary").toLatin1();
    const FeedRecord feed = route("Moved", moved, "/old");
    QVERIFY(runCheck());
    const QString record = PoliteFetch::movedText(
        QUrl(feed.FeedURL), QUrl(m_server->url("/temporary")), DefaultTexts::english);
    QVERIFY2(log().contains("    " + record + "\r\n"), qPrintable(log()));
    QVERIFY(log().contains("    3 New Items found!"));

    // The window's download names where the chain of permanent moves ends.
    moved.status = 308;
    moved.location = m_server->url("/new").toLatin1();
    m_server->route("/old", moved);
    FeedDownload download;
    download.FeedURL = feed.FeedURL;
    QCOMPARE(run(download), FeedDownload::Outcome::Complete);
    QCOMPARE(download.answer().movedTo, QUrl(m_server->url("/new")));
    download.FeedURL = m_server->url("/temporary");
    QCOMPARE(run(download), FeedDownload::Outcome::Complete);
    QVERIFY(download.answer().movedTo.isEmpty());
}

void TestPoliteFetch::compressedResponses_data()
{
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<QByteArray>("body");
    // "deflate" is the zlib stream; qCompress puts a length before one.
    QTest::newRow("gzip") << QByteArray("gzip") << gzip(techNews());
    QTest::newRow("deflate") << QByteArray("deflate") << qCompress(techNews()).mid(4);
}

// Asked for compressed, arriving inflated, for the window and the run alike.
void TestPoliteFetch::compressedResponses()
{
    QFETCH(QByteArray, encoding);
    QFETCH(QByteArray, body);
    LoopbackServer::Route r;
    r.body = body;
    r.contentEncoding = encoding;
    route("Packed", r);
    FeedDownload download;
    download.FeedURL = m_server->url("/feed");
    QCOMPARE(run(download), FeedDownload::Outcome::Complete);
    QCOMPARE(download.FeedData, techNews());
    const QByteArray accepted = m_server->lastRequestHeader("Accept-Encoding");
    QVERIFY2(accepted.contains("gzip") && accepted.contains("deflate"), accepted.constData());

    QVERIFY(runCheck());
    QVERIFY2(log().contains("    3 New Items found!"), qPrintable(log()));
}

void TestPoliteFetch::userAgentNamesTheProgram()
{
    m_server->serve("/feed", techNews());
    FeedDownload download;
    download.FeedURL = m_server->url("/feed");
    QCOMPARE(run(download), FeedDownload::Outcome::Complete);
    QCOMPARE(QString::fromLatin1(m_server->lastRequestHeader("User-Agent")),
        QStringLiteral("Quorvane/%1 (+https://quorvane.org)").arg(AppInfo::version()));
    QVERIFY(QRegularExpression(QStringLiteral("^Quorvane/\\d+\\.\\d+\\.\\d+ "))
                .match(QString::fromLatin1(m_server->lastRequestHeader("User-Agent")))
                .hasMatch());
}

// A file written before the fetch state existed reads as before and takes
// it after "latest"; a file that got a pause before its first items keeps
// "latest" right after "items".
void TestPoliteFetch::oldDataFilesStayValid()
{
    m_home->write(DataFile, TempHome::fixture(QStringLiteral("store/items.fdb")));
    FeedDocument doc;
    QCOMPARE(doc.load(m_home->file(DataFile)), FeedStore::FileState::Ready);
    QCOMPARE(doc.fetchState(), FetchState());
    QCOMPARE(doc.rows().size(), 4);
    QVERIFY(doc.setValidators({QStringLiteral("\"x\""), QString(), {}}));
    QVERIFY(!doc.setValidators({QStringLiteral("\"x\""), QString(), {}})); // no change, no save
    QCOMPARE(dataChildren(doc.toBytes()), (QStringList {"data", "latest", "etag"}));
    QCOMPARE(doc.rows().size(), 4);
    QCOMPARE(doc.latest(), QStringLiteral("20030610040000"));

    FeedDocument paused;
    QVERIFY(paused.setNotBefore(QDateTime::currentDateTimeUtc()));
    const FeedParser::Result parsed = FeedParser::parseByType(0, techNews(), QStringLiteral("utf-8"));
    QCOMPARE(paused.merge(parsed.items).added, 3);
    QCOMPARE(dataChildren(paused.toBytes()), (QStringList {"data", "latest", "notbefore"}));
}

QTEST_GUILESS_MAIN(TestPoliteFetch)
#include "tst_politefetch.moc"
