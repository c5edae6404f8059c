#include "feeds/FeedStore.h"
#include "feeds/Md5.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"

#include <QtTest>

namespace
{

const QString FeedId = QStringLiteral("0A1B2C3D-1111-2222-3333-444455556666");
const QString DataFile = QStringLiteral("Data/") + FeedId + QStringLiteral(".fdb");

// "Title|link|Year-Month-DayTTime|description|media"; fields left out are
// empty, an empty date gives an undated entry.
FeedItem entry(const QString &fields)
{
    const QStringList f = fields.split(QLatin1Char('|'));
    FeedItem item;
    item.Title = f.value(0);
    item.Link = f.value(1);
    if (!f.value(2).isEmpty())
        FeedStore::SplitStoredDate(f.value(2), item);
    item.Description = f.value(3);
    item.Media = f.value(4);
    return item;
}

// Parsed entries in document order, element 0 unused.
QVector<FeedItem> feed(const QStringList &entries)
{
    QVector<FeedItem> items(1);
    for (const QString &fields : entries)
        items.append(entry(fields));
    return items;
}

QStringList storedTitles(FeedStore &store)
{
    QVector<FeedStore::Row> rows;
    store.LoadInbox(rows);
    QStringList titles;
    for (const FeedStore::Row &row : rows)
        titles << row.title;
    return titles;
}

QString idOf(FeedStore &store, const QString &title)
{
    QVector<FeedStore::Row> rows;
    store.LoadInbox(rows);
    for (const FeedStore::Row &row : rows) {
        if (row.title == title)
            return row.id;
    }
    return QString();
}

const QString A = QStringLiteral("A|http://example.com/a|2003-Jun-08T04:00:00");
const QString B = QStringLiteral("B|http://example.com/b|2003-Jun-09T04:00:00");
const QString C = QStringLiteral("C|http://example.com/c|2003-Jun-10T04:00:00");

} // namespace

class TestFeedStore : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void merge_data();
    void merge();
    void mergeWritesTheStoredFormat();
    void mergeReportsAddedEntriesWithTheirIds();
    void mergeIntoUnusableFile_data();
    void mergeIntoUnusableFile();
    void mergeThatCannotSaveStoresNothing();
    void badFeedIdNamesNoFile();

    void loadInboxRows();
    void loadInboxMessages_data();
    void loadInboxMessages();

    void getInfo_data();
    void getInfo();
    void getInfoKeepsFieldsOfAbsentChildren();
    void deleteItem();
    void deleteItemWithoutLink();
    void deeplyNestedStoredItem();
    void itemActionMessages_data();
    void itemActionMessages();

    void splitStoredDate_data();
    void splitStoredDate();
    void itemIdFallsBack_data();
    void itemIdFallsBack();

private:
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<MessageRecorder> m_messages;
};

void TestFeedStore::init()
{
    m_home = std::make_unique<TempHome>();
    m_messages = std::make_unique<MessageRecorder>();
}

void TestFeedStore::cleanup()
{
    m_messages.reset();
    m_home.reset();
}

void TestFeedStore::merge_data()
{
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QString>("deleted");
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<int>("added");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QString>("latest");

    const QString U = QStringLiteral("U||||");
    const QString sameTimeAsC = QStringLiteral("C2|http://example.com/c2|2003-Jun-10T04:00:00");
    QTest::newRow("first check, newest first") << QStringList() << "" << QStringList {C, B, A} << 3
                                               << QStringList {"A", "B", "C"} << "20030610040000";
    QTest::newRow("first check, oldest first") << QStringList() << "" << QStringList {A, B, C} << 3
                                               << QStringList {"C", "B", "A"} << "20030610040000";
    QTest::newRow("unchanged second check") << QStringList {C, B, A} << "" << QStringList {C, B, A} << 0
                                            << QStringList {"A", "B", "C"} << "20030610040000";
    QTest::newRow("one new entry on top") << QStringList {B, A} << "" << QStringList {C, B, A} << 1
                                          << QStringList {"A", "B", "C"} << "20030610040000";
    QTest::newRow("equal key to the mark is stored") << QStringList {C} << "" << QStringList {sameTimeAsC, C}
                                                     << 1 << QStringList {"C", "C2"} << "20030610040000";
    QTest::newRow("equal keys in one check are both stored")
        << QStringList() << "" << QStringList {sameTimeAsC, C} << 2 << QStringList {"C", "C2"}
        << "20030610040000";
    QTest::newRow("undated entry stored once")
        << QStringList {U, A} << "" << QStringList {U, A} << 0 << QStringList {"A", "U"} << "20030608040000";
    QTest::newRow("only undated entries leave no mark")
        << QStringList() << "" << QStringList {U} << 1 << QStringList {"U"} << "";
    QTest::newRow("new entry older than the mark")
        << QStringList {C} << "" << QStringList {C, B} << 0 << QStringList {"C"} << "20030610040000";
    QTest::newRow("deleted item does not come back") << QStringList {C, B, A} << "B" << QStringList {C, B, A}
                                                     << 0 << QStringList {"A", "C"} << "20030610040000";
    QTest::newRow("same link twice in one feed")
        << QStringList() << "" << QStringList {"A again|http://example.com/a|2003-Jun-09T04:00:00", A} << 1
        << QStringList {"A"} << "20030609040000";
    QTest::newRow("entries without link told apart by title")
        << QStringList {"X||2003-Jun-08T04:00:00|d", "Y||2003-Jun-08T04:00:00|d"} << ""
        << QStringList {"X||2003-Jun-08T04:00:00|d", "Y||2003-Jun-08T04:00:00|d"} << 0
        << QStringList {"Y", "X"} << "20030608040000";
    QTest::newRow("entry without link known by its media link")
        << QStringList {"P||2003-Jun-08T04:00:00||http://example.com/p.mp3"} << ""
        << QStringList {"P renamed||2003-Jun-09T04:00:00||http://example.com/p.mp3"} << 0 << QStringList {"P"}
        << "20030609040000";
}

void TestFeedStore::merge()
{
    QFETCH(QStringList, first);
    QFETCH(QString, deleted);
    QFETCH(QStringList, second);
    QFETCH(int, added);
    QFETCH(QStringList, titles);
    QFETCH(QString, latest);

    FeedStore store(FeedId);
    if (!first.isEmpty())
        QVERIFY(store.UpdateItems(feed(first)).ok);
    if (!deleted.isEmpty())
        QVERIFY(store.ItemAction(idOf(store, deleted), FeedStore::Action::Delete, true));

    const FeedStore::MergeResult result = store.UpdateItems(feed(second));
    QVERIFY(result.ok);
    QCOMPARE(result.added, added);
    QCOMPARE(storedTitles(store), titles);
    QCOMPARE(store.latest(), latest);
    QCOMPARE(m_messages->count(), 0);
}

void TestFeedStore::mergeWritesTheStoredFormat()
{
    FeedStore store(FeedId);
    store.UpdateItems(feed({"T & t|http://example.com/1|2003-Jun-10T04:00:00|<p>D</p>|"}));
    const QString id = clsMD5().GetMD5(QStringLiteral("http://example.com/1"));
    QCOMPARE(QString::fromUtf8(m_home->read(DataFile)),
        QStringLiteral("<data><items><item id=\"%1\" status=\"0\"><title>T &amp; t</title>"
                       "<link>http://example.com/1</link><date>2003-Jun-10T04:00:00</date>"
                       "<desc>&lt;p&gt;D&lt;/p&gt;</desc><media/></item></items>"
                       "<latest>20030610040000</latest></data>")
            .arg(id));
}

void TestFeedStore::mergeReportsAddedEntriesWithTheirIds()
{
    FeedStore store(FeedId);
    const FeedStore::MergeResult result = store.UpdateItems(feed({C, B}));
    QCOMPARE(result.added, 2);
    QCOMPARE(result.addedItems().size(), 2);
    QCOMPARE(result.addedItems().at(0).Title, QStringLiteral("B"));
    QCOMPARE(result.addedItems().at(0).ID, clsMD5().GetMD5(QStringLiteral("http://example.com/b")));
    QCOMPARE(result.addedItems().at(1).Title, QStringLiteral("C"));
}

void TestFeedStore::mergeIntoUnusableFile_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QString>("error");
    QTest::newRow("not XML") << "store/broken.fdb"
                             << "Failed to load the Feed Data file details.";
    QTest::newRow("no items") << "store/no_items.fdb"
                              << "Application failed to access Records in Feed Data file!";
}

void TestFeedStore::mergeIntoUnusableFile()
{
    QFETCH(QString, fixture);
    QFETCH(QString, error);
    const QByteArray before = TempHome::fixture(fixture);
    m_home->write(DataFile, before);
    const FeedStore::MergeResult result = FeedStore(FeedId).UpdateItems(feed({C}));
    QVERIFY(!result.ok);
    QCOMPARE(result.error, error);
    QCOMPARE(result.added, 0);
    QCOMPARE(m_home->read(DataFile), before);
    QCOMPARE(m_messages->count(), 0);
}

void TestFeedStore::mergeThatCannotSaveStoresNothing()
{
    QVERIFY(QDir(m_home->path()).mkpath(DataFile)); // a folder where the file belongs
    const FeedStore::MergeResult result = FeedStore(FeedId).UpdateItems(feed({C}));
    QVERIFY(!result.ok);
    QVERIFY(result.error.startsWith(QStringLiteral("Failed to save the Feed Data file")));
    QCOMPARE(result.added, 0);
    QVERIFY(result.addedItems().isEmpty());
    QCOMPARE(m_messages->count(), 0);
}

void TestFeedStore::badFeedIdNamesNoFile()
{
    FeedStore store(QStringLiteral("../AppCfg"));
    QVERIFY(store.fileName().isEmpty());
    QVERIFY(!store.UpdateItems(feed({C})).ok);
    QVector<FeedStore::Row> rows;
    QVERIFY(store.LoadInbox(rows));
    QVERIFY(rows.isEmpty());
    QVERIFY(!store.ItemAction(QStringLiteral("x"), FeedStore::Action::Delete, true));
    QCOMPARE(m_messages->titles(), QStringList {"Feed Data file is missing!"});
    QCOMPARE(QDir(m_home->path()).entryList(QDir::Files), QStringList());
    QCOMPARE(QDir(m_home->file("Data")).entryList(QDir::Files), QStringList());
}

void TestFeedStore::loadInboxRows()
{
    m_home->write(DataFile, TempHome::fixture("store/items.fdb"));
    FeedStore store(FeedId);
    QVector<FeedStore::Row> rows;
    QVERIFY(store.LoadInbox(rows));
    QCOMPARE(store.latest(), QStringLiteral("20030610040000"));
    QCOMPARE(rows.size(), 4);

    QCOMPARE(rows[0].title, QStringLiteral("Read one"));
    QCOMPARE(rows[0].link, QStringLiteral("http://example.com/1"));
    QCOMPARE(rows[0].dateText, QStringLiteral("2003-Jun-10T04:00:00"));
    QCOMPARE(rows[0].read, true);
    QCOMPARE(rows[0].id, QStringLiteral("11111111111111111111111111111111"));
    QCOMPARE(rows[0].dateKey, QStringLiteral("20030610040000"));

    QCOMPARE(rows[1].read, false);
    QCOMPARE(rows[1].dateKey, QString()); // no time
    QCOMPARE(rows[2].read, true); // any non-zero number
    QCOMPARE(rows[2].dateKey, QStringLiteral("20030601040506"));

    // Written without an id: it gets the one a merge would give it.
    QCOMPARE(rows[3].read, false);
    QCOMPARE(rows[3].dateKey, QStringLiteral("20031010040000"));
    QCOMPARE(rows[3].id, FeedStore::itemId(entry("No link||2003-OCT-10T04:00:00|Body")));
    QCOMPARE(m_messages->count(), 0);
}

void TestFeedStore::loadInboxMessages_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QString>("text");
    QTest::newRow("missing file") << "" << true << "";
    QTest::newRow("not XML") << "store/broken.fdb" << false << "Failed to load the Feed Data file details.";
    QTest::newRow("no items") << "store/no_items.fdb" << false
                              << "Application failed to access Records in Feed Data file!";
}

void TestFeedStore::loadInboxMessages()
{
    QFETCH(QString, fixture);
    QFETCH(bool, loaded);
    QFETCH(QString, text);
    if (!fixture.isEmpty())
        m_home->write(DataFile, TempHome::fixture(fixture));
    QVector<FeedStore::Row> rows(1);
    QCOMPARE(FeedStore(FeedId).LoadInbox(rows), loaded);
    QVERIFY(rows.isEmpty());
    if (text.isEmpty()) {
        QCOMPARE(m_messages->count(), 0);
        return;
    }
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().icon, Messages::Icon::Exclamation);
    QCOMPARE(m_messages->last().title, QStringLiteral("Invalid File format!"));
    QCOMPARE(m_messages->last().text, text);
}

void TestFeedStore::getInfo_data()
{
    QTest::addColumn<bool>("markRead");
    QTest::newRow("without marking") << false;
    QTest::newRow("marking read") << true;
}

void TestFeedStore::getInfo()
{
    QFETCH(bool, markRead);
    m_home->write(DataFile, TempHome::fixture("store/items.fdb"));
    const QByteArray before = m_home->read(DataFile);
    const QString id = QStringLiteral("22222222222222222222222222222222");

    FeedStore store(FeedId);
    FeedItem current;
    QVERIFY(store.ItemAction(id, FeedStore::Action::GetInfo, markRead, &current));
    QCOMPARE(current.ID, id);
    QCOMPARE(current.Title, QStringLiteral("Undated"));
    QCOMPARE(current.Link, QStringLiteral("http://example.com/2"));
    QCOMPARE(current.Description, QStringLiteral("Second"));
    QCOMPARE(current.Year + current.Month + current.Day + current.Time, QString());
    QCOMPARE(store.latest(), QStringLiteral("20030610040000"));

    if (!markRead) {
        QCOMPARE(m_home->read(DataFile), before);
    } else {
        QVector<FeedStore::Row> rows;
        store.LoadInbox(rows);
        QCOMPARE(rows.at(1).read, true);
        QCOMPARE(rows.size(), 4);
    }
    QCOMPARE(m_messages->count(), 0);
}

void TestFeedStore::getInfoKeepsFieldsOfAbsentChildren()
{
    m_home->write(DataFile,
        "<data><items><item id=\"abc\" status=\"0\"><title>Only title</title></item></items></data>");
    FeedItem current;
    current.Media = QStringLiteral("kept");
    QVERIFY(FeedStore(FeedId).ItemAction(QStringLiteral("abc"), FeedStore::Action::GetInfo, false, &current));
    QCOMPARE(current.Title, QStringLiteral("Only title"));
    QCOMPARE(current.Media, QStringLiteral("kept"));
}

void TestFeedStore::deleteItem()
{
    m_home->write(DataFile, TempHome::fixture("store/items.fdb"));
    FeedStore store(FeedId);
    const QString id = QStringLiteral("11111111111111111111111111111111");
    QVERIFY(store.ItemAction(id, FeedStore::Action::Delete, true));
    QCOMPARE(storedTitles(store), (QStringList {"Undated", "Day without zero", "No link"}));
    QVERIFY(!store.ItemAction(id, FeedStore::Action::Delete, true));
    QCOMPARE(m_messages->count(), 0);
}

void TestFeedStore::deleteItemWithoutLink()
{
    FeedStore store(FeedId);
    store.UpdateItems(feed({"X||2003-Jun-08T04:00:00|one", "Y||2003-Jun-08T04:00:00|two"}));
    QVERIFY(store.ItemAction(idOf(store, "X"), FeedStore::Action::Delete, true));
    QCOMPARE(storedTitles(store), QStringList {"Y"});
}

// A hand-made file nesting an item's markup deeper than any stack: it lists,
// reads and deletes like any other.
void TestFeedStore::deeplyNestedStoredItem()
{
    constexpr int depth = 200000;
    const QByteArray deep = QByteArray("<b>").repeated(depth) + "deep" + QByteArray("</b>").repeated(depth);
    m_home->write(DataFile,
        "<data><items><item id=\"abc\" status=\"0\"><title>" + deep
            + "</title><link>l</link><date>2003-Jun-08T04:00:00</date><desc>" + deep
            + "</desc><media/></item></items></data>");
    FeedStore store(FeedId);
    QCOMPARE(storedTitles(store), QStringList {"deep"});
    FeedItem current;
    QVERIFY(store.ItemAction(QStringLiteral("abc"), FeedStore::Action::GetInfo, true, &current));
    QCOMPARE(current.Description, QStringLiteral("deep"));
    QVERIFY(store.ItemAction(QStringLiteral("abc"), FeedStore::Action::Delete, true));
    QCOMPARE(storedTitles(store), QStringList());
    QCOMPARE(m_messages->count(), 0);
}

void TestFeedStore::itemActionMessages_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("missing file")
        << ""
        << "Feed Data file is missing!"
        << "Application failed to access Feed Data file. Item details cannot be fetched.";
    QTest::newRow("not XML") << "store/broken.fdb"
                             << "Invalid File format!"
                             << "Failed to load the Feed Data file details.";
    QTest::newRow("no items") << "store/no_items.fdb"
                              << "Invalid File format!"
                              << "Application failed to access Records in Feed Data file!";
    QTest::newRow("item not there") << "store/items.fdb"
                                    << ""
                                    << "";
}

void TestFeedStore::itemActionMessages()
{
    QFETCH(QString, fixture);
    QFETCH(QString, title);
    QFETCH(QString, text);
    if (!fixture.isEmpty())
        m_home->write(DataFile, TempHome::fixture(fixture));
    FeedItem current;
    QVERIFY(
        !FeedStore(FeedId).ItemAction(QStringLiteral("ffff"), FeedStore::Action::GetInfo, true, &current));
    QCOMPARE(current, FeedItem());
    if (title.isEmpty()) {
        QCOMPARE(m_messages->count(), 0);
        return;
    }
    QCOMPARE(m_messages->count(), 1);
    QCOMPARE(m_messages->last().icon, Messages::Icon::Exclamation);
    QCOMPARE(m_messages->last().title, title);
    QCOMPARE(m_messages->last().text, text);
}

void TestFeedStore::splitStoredDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("parts"); // year, month, day, time
    QTest::newRow("written by a merge")
        << "2003-Jun-10T04:00:00" << QStringList {"2003", "Jun", "10", "04:00:00"};
    QTest::newRow("undated") << "--T" << QStringList {"", "", "", ""};
    QTest::newRow("month in capitals")
        << "2003-OCT-10T04:00:00" << QStringList {"2003", "OCT", "10", "04:00:00"};
    QTest::newRow("zone name after the time")
        << "2003-Jun-10T04:00:00 PDT" << QStringList {"2003", "Jun", "10", "04:00:00 PDT"};
    QTest::newRow("no T") << "2003-Jun-10" << QStringList {"2003", "Jun", "10", ""};
}

void TestFeedStore::splitStoredDate()
{
    QFETCH(QString, text);
    QFETCH(QStringList, parts);
    FeedItem item;
    FeedStore::SplitStoredDate(text, item);
    QCOMPARE((QStringList {item.Year, item.Month, item.Day, item.Time}), parts);
}

void TestFeedStore::itemIdFallsBack_data()
{
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("digested");
    QTest::newRow("link") << "T|http://example.com/x|2003-Jun-10T04:00:00|d|http://example.com/x.mp3"
                          << "http://example.com/x";
    QTest::newRow("media link") << "T||2003-Jun-10T04:00:00|d|http://example.com/x.mp3"
                                << "http://example.com/x.mp3";
    QTest::newRow("title, date and description") << "T||2003-Jun-10T04:00:00|d|"
                                                 << "T\n2003-Jun-10T04:00:00\nd";
    QTest::newRow("nothing at all") << ""
                                    << "\n--T\n";
}

void TestFeedStore::itemIdFallsBack()
{
    QFETCH(QString, fields);
    QFETCH(QString, digested);
    QCOMPARE(FeedStore::itemId(entry(fields)), clsMD5().GetMD5(digested));
}

QTEST_GUILESS_MAIN(TestFeedStore)
#include "tst_feedstore.moc"
