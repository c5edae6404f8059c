#include "catalogue/Catalogue.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"
#include "support/Unsavable.h"
#include "util/FileLock.h"

#include <QSignalSpy>
#include <QtTest>

Q_DECLARE_METATYPE(Catalogue::Change)

// The catalogue model: its rules, refusals and messages, the file it keeps
// and the signals views follow.
class TestCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void rename_data();
    void rename();
    void move_data();
    void move();
    void changesReachTheFileAndTheSignals();
    void changeByAnotherProcessIsChecked();
    void failedSaveIsRefused();
    void backgroundSaveWaitsForTheLockNotTheCaller();
    void failedBackgroundSaveShowsItsBoxAndRereads();

private:
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<MessageRecorder> m_messages;
};

namespace
{

using Change = Catalogue::Change;

const QString worldId = QStringLiteral("AAAAAAAA-0000-4000-8000-000000000001");
const QString localId = QStringLiteral("BBBBBBBB-0000-4000-8000-000000000002");
const QString gadgetsId = QStringLiteral("CCCCCCCC-0000-4000-8000-000000000003");

const QByteArray sample
    = "<categories>"
      "<category name=\"News\">"
      "<feed name=\"World\" type=\"0\" id=\"AAAAAAAA-0000-4000-8000-000000000001\">http://a/rss</feed>"
      "<feed name=\"Local\" type=\"1\" id=\"BBBBBBBB-0000-4000-8000-000000000002\">http://b/atom</feed>"
      "</category>"
      "<category name=\"Tech\">"
      "<feed name=\"Gadgets\" type=\"2\" id=\"CCCCCCCC-0000-4000-8000-000000000003\">http://c/pod</feed>"
      "</category>"
      "<category name=\"Empty\"/>"
      "</categories>";

const QString existsText
    = QStringLiteral("Category with same Name already exists. Try some other Category Name ...");

} // namespace

void TestCatalogue::init()
{
    m_home = std::make_unique<TempHome>();
    m_home->write(QStringLiteral("feeds.fdb"), sample);
    m_messages = std::make_unique<MessageRecorder>();
}

void TestCatalogue::cleanup()
{
    m_messages.reset();
    m_home.reset();
}

void TestCatalogue::rename_data()
{
    QTest::addColumn<QString>("feedId"); // empty for the category "Tech"
    QTest::addColumn<QString>("newName");
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("box"); // title of the one box, if any

    QTest::newRow("category, blank") << ""
                                     << "  " << Change::Blank << "";
    QTest::newRow("category, letter case only") << ""
                                                << "TECH" << Change::Unchanged << "";
    QTest::newRow("category, name of another") << ""
                                               << "news" << Change::Refused << "Category Exists!";
    QTest::newRow("category") << ""
                              << "Science" << Change::Applied << "";
    QTest::newRow("feed, blank") << worldId << "" << Change::Blank << "";
    QTest::newRow("feed, letter case only") << worldId << "WORLD" << Change::Unchanged << "";
    QTest::newRow("feed, name of a category") << worldId << "Empty" << Change::Refused << "Category Exists!";
    QTest::newRow("feed") << worldId << "Planet" << Change::Applied << "";
}

void TestCatalogue::rename()
{
    QFETCH(QString, feedId);
    QFETCH(QString, newName);
    QFETCH(Change, change);
    QFETCH(QString, box);

    Catalogue catalogue;
    const QByteArray before = m_home->read(QStringLiteral("feeds.fdb"));
    const Change result = feedId.isEmpty() ? catalogue.renameCategory(QStringLiteral("Tech"), newName)
                                           : catalogue.renameFeed(*catalogue.feed(feedId), newName);
    QCOMPARE(result, change);
    QCOMPARE(m_messages->titles(), box.isEmpty() ? QStringList() : QStringList {box});
    if (!box.isEmpty()) {
        QCOMPARE(m_messages->last().icon, Messages::Icon::Exclamation);
        QCOMPARE(m_messages->last().text, existsText);
    }
    const QByteArray after = m_home->read(QStringLiteral("feeds.fdb"));
    QCOMPARE(after != before, change == Change::Applied);
    if (change == Change::Applied)
        QVERIFY(after.contains("name=\"" + newName.toUtf8() + "\""));
}

void TestCatalogue::move_data()
{
    QTest::addColumn<QString>("feedId");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QByteArray>("extra"); // a feed put in Tech first
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("box");

    QTest::newRow("to its own category") << worldId << "News" << QByteArray() << Change::Unchanged << "";
    QTest::newRow("same URL there, other case")
        << worldId << "Tech" << QByteArray("<feed name=\"X\" type=\"0\" id=\"D\">HTTP://A/RSS</feed>")
        << Change::Refused << "Feed already Exists!";
    QTest::newRow("same name there") << worldId << "Tech"
                                     << QByteArray("<feed name=\"world\" type=\"0\" id=\"D\">http://x</feed>")
                                     << Change::Refused << "Feed already Exists!";
    QTest::newRow("no such category")
        << worldId << "Nowhere" << QByteArray() << Change::Refused << "Category not found!";
    QTest::newRow("moved") << worldId << "Tech" << QByteArray() << Change::Applied << "";
}

void TestCatalogue::move()
{
    QFETCH(QString, feedId);
    QFETCH(QString, to);
    QFETCH(QByteArray, extra);
    QFETCH(Change, change);
    QFETCH(QString, box);

    QByteArray file = sample;
    file.replace("http://c/pod</feed>", "http://c/pod</feed>" + extra);
    m_home->write(QStringLiteral("feeds.fdb"), file);
    Catalogue catalogue;
    QSignalSpy moved(&catalogue, &Catalogue::feedMoved);
    QCOMPARE(catalogue.moveFeed(*catalogue.feed(feedId), to), change);
    QCOMPARE(m_messages->titles(), box.isEmpty() ? QStringList() : QStringList {box});
    QCOMPARE(moved.count(), change == Change::Applied ? 1 : 0);
    if (change != Change::Applied)
        return;
    // The moved feed is last in its new category, in the file and here.
    QCOMPARE(catalogue.feed(feedId)->Category, QStringLiteral("Tech"));
    QCOMPARE(catalogue.categories().at(1).feeds.last().FeedID, feedId);
    QVERIFY(m_home->read(QStringLiteral("feeds.fdb"))
                .contains("http://c/pod</feed><feed name=\"World\" type=\"0\" id=\"" + feedId.toUtf8()));
    QCOMPARE(moved.first().at(0).value<FeedRecord>().Category, QStringLiteral("News"));
}

// Each change is saved once, applied here, and told to the views.
void TestCatalogue::changesReachTheFileAndTheSignals()
{
    Catalogue catalogue;
    QSignalSpy reset(&catalogue, &Catalogue::reset);
    QSignalSpy added(&catalogue, &Catalogue::categoryAdded);
    QSignalSpy renamed(&catalogue, &Catalogue::categoryRenamed);
    QSignalSpy changed(&catalogue, &Catalogue::feedChanged);
    QSignalSpy removed(&catalogue, &Catalogue::feedRemoved);

    QCOMPARE(catalogue.addCategory(QStringLiteral("Sport")), Change::Applied);
    QCOMPARE(catalogue.addCategory(QStringLiteral("SPORT")), Change::Refused);
    QCOMPARE(catalogue.renameCategory(QStringLiteral("news"), QStringLiteral("Headlines")), Change::Applied);
    QCOMPARE(catalogue.feed(worldId)->Category, QStringLiteral("Headlines"));
    FeedRecord local = *catalogue.feed(localId);
    local.FeedURL = QStringLiteral("http://b/new");
    local.FeedType = 0;
    QCOMPARE(catalogue.editFeed(local), Change::Applied);
    QCOMPARE(catalogue.deleteFeed(*catalogue.feed(gadgetsId)), Change::Applied);
    QCOMPARE(catalogue.addFeed({QStringLiteral("Sport"), QStringLiteral("http://a/rss"), 0,
                 QStringLiteral("EEEEEEEE-0000-4000-8000-000000000005"), QStringLiteral("Scores")}),
        Change::Applied);

    QCOMPARE(added.count(), 1);
    QCOMPARE(renamed.first(), (QVariantList {QStringLiteral("news"), QStringLiteral("Headlines")}));
    QCOMPARE(changed.first().at(1).value<FeedRecord>().FeedURL, QStringLiteral("http://b/new"));
    QCOMPARE(removed.first().at(0).value<FeedRecord>().FeedCaption, QStringLiteral("Gadgets"));
    QCOMPARE(reset.count(), 0);
    // What the model holds is what the file holds.
    Catalogue fresh;
    QCOMPARE(fresh.categories().size(), catalogue.categories().size());
    for (qsizetype i = 0; i < fresh.categories().size(); ++i) {
        QCOMPARE(fresh.categories().at(i).name, catalogue.categories().at(i).name);
        QCOMPARE(fresh.categories().at(i).feeds, catalogue.categories().at(i).feeds);
    }
    QCOMPARE(m_messages->titles(), QStringList {"Category Exists!"});
}

// Another program changed the file after it was read: the rules see the file
// as it is, and the catalogue is read again after the change.
void TestCatalogue::changeByAnotherProcessIsChecked()
{
    Catalogue catalogue;
    QSignalSpy reset(&catalogue, &Catalogue::reset);
    QByteArray file = sample;
    file.replace("<category name=\"Empty\"/>", "<category name=\"Empty\"/><category name=\"Sport\"/>");
    m_home->write(QStringLiteral("feeds.fdb"), file);
    QCOMPARE(catalogue.renameCategory(QStringLiteral("Tech"), QStringLiteral("sport")), Change::Refused);
    QCOMPARE(m_messages->titles(), QStringList {"Category Exists!"});
    QCOMPARE(catalogue.addCategory(QStringLiteral("Music")), Change::Applied);
    QCOMPARE(reset.count(), 1);
    QVERIFY(catalogue.categoryExists(QStringLiteral("Sport")));
    QVERIFY(catalogue.categoryExists(QStringLiteral("Music")));
}

// A change whose save fails is reported with its operation's box, and the
// catalogue keeps what the file holds.
void TestCatalogue::failedSaveIsRefused()
{
    Catalogue catalogue;
    QSignalSpy added(&catalogue, &Catalogue::categoryAdded);
    const Unsavable locked(m_home->file(QStringLiteral("feeds.fdb")));
    if (!locked.active())
        QSKIP("feeds.fdb cannot be made unsavable here");
    QCOMPARE(catalogue.addCategory(QStringLiteral("Sport")), Change::Refused);
    QCOMPARE(m_messages->last().title, QStringLiteral("AddCategory Function"));
    QCOMPARE(m_messages->last().icon, Messages::Icon::Critical);
    QVERIFY(!catalogue.categoryExists(QStringLiteral("Sport")));
    QCOMPARE(added.count(), 0);
}

// In the background a change is applied at once, while another writer
// holds the folder's lock, and reaches the file when the lock is let go.
void TestCatalogue::backgroundSaveWaitsForTheLockNotTheCaller()
{
    Catalogue catalogue;
    catalogue.setSavesInBackground(true);
    QSignalSpy saved(&catalogue, &Catalogue::saved);
    auto other = std::make_unique<FileLock>(m_home->file(QStringLiteral("feeds.fdb")));
    QVERIFY(other->isLocked());
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(catalogue.addCategory(QStringLiteral("Sport")), Change::Applied);
    QCOMPARE(catalogue.renameCategory(QStringLiteral("Tech"), QStringLiteral("Science")), Change::Applied);
    QVERIFY(clock.elapsed() < 1000);
    QVERIFY(catalogue.categoryExists(QStringLiteral("Sport")));
    QVERIFY(catalogue.savesPending());
    QVERIFY(!m_home->read(QStringLiteral("feeds.fdb")).contains("Sport"));
    other.reset();
    QVERIFY(saved.wait(5000));
    QCOMPARE(saved.count(), 1);
    const QString file = m_home->read(QStringLiteral("feeds.fdb"));
    QVERIFY(file.contains("Sport") && file.contains("Science"));
    QVERIFY(m_messages->titles().isEmpty());
}

// A background save that fails shows its operation's box once it is over,
// and the catalogue is read again: it holds what the file holds.
void TestCatalogue::failedBackgroundSaveShowsItsBoxAndRereads()
{
    Catalogue catalogue;
    catalogue.setSavesInBackground(true);
    QSignalSpy reset(&catalogue, &Catalogue::reset);
    const Unsavable locked(m_home->file(QStringLiteral("feeds.fdb")));
    if (!locked.active())
        QSKIP("feeds.fdb cannot be made unsavable here");
    QCOMPARE(catalogue.addCategory(QStringLiteral("Sport")), Change::Applied);
    catalogue.waitForSaves();
    QCOMPARE(m_messages->last().title, QStringLiteral("AddCategory Function"));
    QCOMPARE(reset.count(), 1);
    QVERIFY(!catalogue.categoryExists(QStringLiteral("Sport")));
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
