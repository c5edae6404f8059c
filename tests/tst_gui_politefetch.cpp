#include "feeds/FeedFile.h"
#include "feeds/PoliteFetch.h"
#include "i18n/Languages.h"
#include "support/LoopbackServer.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"
#include "viewer/ui/frmViewFeed.h"

#include <QApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

using Answer = Messages::Answer;

namespace
{

const QString kFeedId = QStringLiteral("0A1B2C3D-0000-4000-8000-00000000000B");
const QString kDataFile = QStringLiteral("Data/") + kFeedId + QStringLiteral(".fdb");
const QByteArray kEtag = "\"e1\"";

} // namespace

// The feed window's side of polite fetching: each answer that brings
// nothing to parse is told in the window, a permanent move is offered.
class tst_GuiPoliteFetch : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void answersInTheWindow_data();
    void answersInTheWindow();
    void permanentMoveIsOffered_data();
    void permanentMoveIsOffered();

private:
    frmViewFeed *makeWindow(const QString &url);
    bool runFirstCycle(frmViewFeed *window);

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<LoopbackServer> m_server;
    QPointer<frmViewFeed> m_window;
};

void tst_GuiPoliteFetch::init()
{
    m_home = std::make_unique<TempHome>();
    m_messages = std::make_unique<MessageRecorder>();
    m_server = std::make_unique<LoopbackServer>();
}

void tst_GuiPoliteFetch::cleanup()
{
    delete m_window;
    FeedFile::waitForRequests();
    m_server.reset();
    m_messages.reset();
    m_home.reset();
}

// A window that checks for new items.
frmViewFeed *tst_GuiPoliteFetch::makeWindow(const QString &url)
{
    auto *window = new frmViewFeed;
    window->setFeedID(kFeedId);
    window->setFeedURL(url);
    window->setFeedCaption(QStringLiteral("Feed"));
    window->setCheckForNewItems(true);
    window->setLoadDelay(1);
    window->setDownloadTimeout(20000);
    window->setConnectionTest([] { return true; });
    m_window = window;
    return window;
}

bool tst_GuiPoliteFetch::runFirstCycle(frmViewFeed *window)
{
    QSignalSpy finished(window, &frmViewFeed::cycleFinished);
    window->show();
    const bool ended = finished.wait(20000);
    FeedFile::waitForRequests();
    return ended;
}

void tst_GuiPoliteFetch::answersInTheWindow_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("titleKey"); // of the box; "" for none
    QTest::addColumn<QString>("caption");
    QTest::newRow("304 not modified")
        << 304 << QString() << QStringLiteral("Feed (%1)").arg(getMessages("MSG_FETCH_NONEWITEMS"));
    QTest::newRow("410 gone") << 410 << "MSG_FETCH_GONE_TITLE"
                              << "Feed";
    QTest::newRow("429 retry later") << 429 << "MSG_FETCH_RETRYLATER_TITLE"
                                     << "Feed";
}

void tst_GuiPoliteFetch::answersInTheWindow()
{
    QFETCH(int, status);
    QFETCH(QString, titleKey);
    QFETCH(QString, caption);
    const QByteArray stored
        = "<data><items/><latest>20030610040000</latest><etag>" + kEtag + "</etag></data>";
    m_home->write(kDataFile, stored);
    LoopbackServer::Route r;
    if (status == 304) {
        r.etag = kEtag;
        r.body = TempHome::fixture(QStringLiteral("viewer/feed.xml"));
    } else {
        r.status = status;
        r.headers = {{"Retry-After", "600"}};
    }
    m_server->route("/feed", r);

    frmViewFeed *window = makeWindow(m_server->url("/feed"));
    QVERIFY(runFirstCycle(window));
    QCOMPARE(window->windowTitle(), caption);
    if (titleKey.isEmpty()) {
        QCOMPARE(m_messages->count(), 0);
        QCOMPARE(m_server->notModified("/feed"), 1);
        QCOMPARE(m_home->read(kDataFile), stored);
        return;
    }
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().title, getMessages(titleKey));
    QVERIFY(m_messages->last().text.contains(QStringLiteral("127.0.0.1")));
    if (status == 410)
        QCOMPARE(m_messages->last().text, PoliteFetch::goneText(QStringLiteral("127.0.0.1"), getMessages));
    else
        QVERIFY(m_home->read(kDataFile).contains("<notbefore>"));
}

void tst_GuiPoliteFetch::permanentMoveIsOffered_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("asked");
    QTest::newRow("301, yes") << 301 << Answer::Yes << true;
    QTest::newRow("308, no") << 308 << Answer::No << true;
    QTest::newRow("302 is followed quietly") << 302 << Answer::Yes << false;
}

// Asked with both addresses; Yes hands the new one to the main window. The
// items are read from the new address whatever the answer.
void tst_GuiPoliteFetch::permanentMoveIsOffered()
{
    QFETCH(int, status);
    QFETCH(Answer, answer);
    QFETCH(bool, asked);
    m_server->serve("/new", TempHome::fixture(QStringLiteral("viewer/feed.xml")));
    LoopbackServer::Route moved;
    moved.status = status;
    moved.location = m_server->url("/new").toLatin1();
    m_server->route("/old", moved);
    m_messages->script({answer});
    QList<QStringList> accepted;
    const QString oldUrl = m_server->url("/old");
    frmViewFeed *window = makeWindow(oldUrl);
    connect(window, &frmViewFeed::addressChangeAccepted, this,
        [&accepted](const QString &feedId, const QString &url) {
            accepted << QStringList {feedId, url};
        });
    QVERIFY(runFirstCycle(window));

    QCOMPARE(m_messages->count(), asked ? 1 : 0);
    if (asked) {
        QCOMPARE(m_messages->last().title, getMessages("MSG_FETCH_MOVED_TITLE"));
        QCOMPARE(m_messages->last().buttons, Messages::Buttons::YesNo);
        QVERIFY(m_messages->last().text.startsWith(
            PoliteFetch::movedText(QUrl(oldUrl), QUrl(m_server->url("/new")), getMessages)));
        QVERIFY(m_messages->last().text.endsWith(getMessages("MSG_FETCH_MOVED_ASK")));
    }
    const QList<QStringList> expected = asked && answer == Answer::Yes
        ? QList<QStringList> {{kFeedId, m_server->url("/new")}}
        : QList<QStringList>();
    QCOMPARE(accepted, expected);
    QVERIFY(QFile::exists(m_home->file(kDataFile))); // the items were merged
}

QTEST_MAIN(tst_GuiPoliteFetch)
#include "tst_gui_politefetch.moc"
