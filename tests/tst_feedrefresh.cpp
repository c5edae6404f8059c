#include "feeds/FeedFile.h"
#include "feeds/FeedParser.h"
#include "feeds/PoliteFetch.h"
#include "i18n/Languages.h"
#include "support/LoopbackServer.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"
#include "viewer/FeedRefresh.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace
{

const QString kFeedId = QStringLiteral("0A1B2C3D-0000-4000-8000-00000000000C");
const QString kDataFile = QStringLiteral("Data/") + kFeedId + QStringLiteral(".fdb");
const QByteArray kEtag = "\"e1\"";

// Answers from a script, later (from the event loop) as a window with a
// box of its own may, and keeps the titles asked.
class ScriptedQuestions : public FeedRefresh::Questions
{
public:
    QList<bool> answers;
    QStringList titles;

    void askRetry(const QString &title, const QString &, std::function<void(bool)> answered) override
    {
        answer(title, std::move(answered));
    }
    void askYesNo(const QString &title, const QString &, std::function<void(bool)> answered) override
    {
        answer(title, std::move(answered));
    }
    void tell(const QString &title, const QString &, std::function<void()> closed) override
    {
        titles << title;
        QTimer::singleShot(0, std::move(closed));
    }

private:
    void answer(const QString &title, std::function<void(bool)> answered)
    {
        titles << title;
        const bool yes = !answers.isEmpty() && answers.takeFirst();
        QTimer::singleShot(0, [answered = std::move(answered), yes] { answered(yes); });
    }
};

QString caption(const char *key)
{
    return getMessages(QLatin1String(key));
}

} // namespace

// The refresh cycle without a window: its steps, boxes and rows for each
// kind of answer.
class tst_FeedRefresh : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cycle_data();
    void cycle();

private:
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<MessageRecorder> m_messages; // nothing goes past the questions
    std::unique_ptr<LoopbackServer> m_server;
};

void tst_FeedRefresh::init()
{
    m_home = std::make_unique<TempHome>();
    m_messages = std::make_unique<MessageRecorder>();
    m_server = std::make_unique<LoopbackServer>();
    m_server->serve(QStringLiteral("/feed"), TempHome::fixture(QStringLiteral("viewer/feed.xml")));
    LoopbackServer::Route r;
    r.etag = kEtag;
    r.body = TempHome::fixture(QStringLiteral("viewer/feed.xml"));
    m_server->route(QStringLiteral("/same"), r);
    r = {};
    r.silent = true;
    m_server->route(QStringLiteral("/silent"), r);
    r = {};
    r.status = 410;
    m_server->route(QStringLiteral("/gone"), r);
    r.status = 429;
    r.headers = {{"Retry-After", "600"}};
    m_server->route(QStringLiteral("/later"), r);
    r = {};
    r.status = 301;
    r.location = m_server->url(QStringLiteral("/feed")).toLatin1();
    m_server->route(QStringLiteral("/moved"), r);
}

void tst_FeedRefresh::cleanup()
{
    FeedFile::waitForRequests();
    m_server.reset();
    m_messages.reset();
    m_home.reset();
}

void tst_FeedRefresh::cycle_data()
{
    QTest::addColumn<QString>("path"); // "refused": nothing listens
    QTest::addColumn<bool>("check");
    QTest::addColumn<int>("offlineTests"); // the connection test fails this many times
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("suffixes");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<int>("added");
    QTest::addColumn<bool>("moved"); // the new address was accepted

    const QString loading = caption("MSG_LOADING");
    const QString checking = caption("MSG_CHECKING");
    const QString parsing = caption("MSG_PARSING");
    const QString updating = caption("MSG_UPDATING");
    const QStringList fetched {loading, checking, parsing, updating};
    const QString newMark = caption("MSG_NEW");
    const QStringList ended {loading, checking, ""};

    QTest::newRow("new items") << "/feed" << true << 0 << QList<bool>() << fetched + QStringList {newMark}
                               << QStringList() << 3 << false;
    QTest::newRow("stored only") << "/feed" << false << 0 << QList<bool>() << QStringList {loading, ""}
                                 << QStringList() << 0 << false;
    QTest::newRow("not modified") << "/same" << true << 0 << QList<bool>()
                                  << QStringList {loading, checking,
                                         QStringLiteral(" (%1)").arg(
                                             PoliteFetch::notModifiedText(getMessages))}
                                  << QStringList() << 0 << false;
    QTest::newRow("time-out, retry, cancel")
        << "/silent" << true << 0 << QList<bool> {true, false} << fetched + QStringList {""}
        << QStringList {caption("MSG_TIMEOUT_TITLE"), caption("MSG_TIMEOUT_TITLE"),
               FeedParser::failureTitle(FeedParser::Failure::Empty)}
        << 0 << false;
    QTest::newRow("failure") << "refused" << true << 0 << QList<bool>() << ended
                             << QStringList {"Connection Refused!"} << 0 << false;
    QTest::newRow("deferred") << "/later" << true << 0 << QList<bool>() << ended
                              << QStringList {caption("MSG_FETCH_RETRYLATER_TITLE")} << 0 << false;
    QTest::newRow("gone") << "/gone" << true << 0 << QList<bool>() << ended
                          << QStringList {caption("MSG_FETCH_GONE_TITLE")} << 0 << false;
    QTest::newRow("moved, accepted") << "/moved" << true << 0 << QList<bool> {true}
                                     << fetched + QStringList {newMark}
                                     << QStringList {caption("MSG_FETCH_MOVED_TITLE")} << 3 << true;
    QTest::newRow("moved, refused") << "/moved" << true << 0 << QList<bool> {false}
                                    << fetched + QStringList {newMark}
                                    << QStringList {caption("MSG_FETCH_MOVED_TITLE")} << 3 << false;
    QTest::newRow("offline, retry, cancel")
        << "/feed" << true << 99 << QList<bool> {true, false} << QStringList {loading, ""}
        << QStringList {caption("MSG_OFFLINE_TITLE"), caption("MSG_OFFLINE_TITLE")} << 0 << false;
    QTest::newRow("offline, retry, online")
        << "/feed" << true << 1 << QList<bool> {true} << fetched + QStringList {newMark}
        << QStringList {caption("MSG_OFFLINE_TITLE")} << 3 << false;
}

void tst_FeedRefresh::cycle()
{
    QFETCH(QString, path);
    QFETCH(bool, check);
    QFETCH(int, offlineTests);
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, suffixes);
    QFETCH(QStringList, boxes);
    QFETCH(int, added);
    QFETCH(bool, moved);

    // The validators of the stored items go with the request.
    QByteArray stored = TempHome::fixture(QStringLiteral("viewer/stored.fdb"));
    stored.replace("</latest>", "</latest><etag>" + kEtag + "</etag>");
    m_home->write(kDataFile, stored);
    const QString url
        = path == QLatin1String("refused") ? LoopbackServer::refusingUrl() : m_server->url(path);

    ScriptedQuestions questions;
    questions.answers = answers;
    FeedRefresh refresh;
    refresh.setQuestions(&questions);
    refresh.setDownloadTimeout(path == QLatin1String("/silent") ? 200 : 20000);
    auto remaining = std::make_shared<int>(offlineTests);
    refresh.setConnectionTest([remaining] { return (*remaining)-- <= 0; });
    QStringList steps;
    connect(&refresh, &FeedRefresh::captionStep, this, [&steps](const QString &suffix) { steps << suffix; });
    int storedRows = -1;
    connect(&refresh, &FeedRefresh::storedRowsRead, this,
        [&storedRows](const QVector<ItemRow> &rows) { storedRows = int(rows.size()); });
    int addedRows = 0;
    connect(&refresh, &FeedRefresh::rowsAdded, this,
        [&addedRows](const QVector<ItemRow> &rows) { addedRows += int(rows.size()); });
    QStringList accepted;
    connect(&refresh, &FeedRefresh::addressChangeAccepted, this,
        [&accepted](const QString &newUrl) { accepted << newUrl; });
    QSignalSpy finished(&refresh, &FeedRefresh::finished);

    refresh.start({kFeedId, url, 0, FeedFile::open(kFeedId)}, true, check);
    QVERIFY(refresh.isRunning());
    QVERIFY(finished.wait(20000));
    FeedFile::waitForRequests();

    QCOMPARE(steps, suffixes);
    QCOMPARE(questions.titles, boxes);
    QCOMPARE(m_messages->count(), 0);
    QCOMPARE(storedRows, 5);
    QCOMPARE(addedRows, added);
    QCOMPARE(accepted, moved ? QStringList {m_server->url(QStringLiteral("/feed"))} : QStringList());
    QVERIFY(!refresh.isRunning());
    QVERIFY(!refresh.stillExecuting());
    QCOMPARE(finished.count(), 1);
}

QTEST_MAIN(tst_FeedRefresh)
#include "tst_feedrefresh.moc"
