#include "catalogue/FeedDatabase.h"
#include "support/MessageRecorder.h"
#include "support/TempHome.h"

#include <QtTest>

namespace
{
const QString idA = QStringLiteral("AAAAAAAA-0000-0000-0000-000000000001");
const QString idB = QStringLiteral("BBBBBBBB-0000-0000-0000-000000000002");
const QString idC = QStringLiteral("CCCCCCCC-0000-0000-0000-000000000003");

// Two categories, "News" holding two feeds and "Tech" one.
const QByteArray sample
    = "<categories>"
      "<category name=\"News\">"
      "<feed name=\"World\" type=\"0\" id=\"AAAAAAAA-0000-0000-0000-000000000001\">http://a/rss</feed>"
      "<feed name=\"Local\" type=\"1\" id=\"BBBBBBBB-0000-0000-0000-000000000002\">http://b/atom</feed>"
      "</category>"
      "<category name=\"Tech\">"
      "<feed name=\"Gadgets\" type=\"2\" id=\"CCCCCCCC-0000-0000-0000-000000000003\">http://c/pod</feed>"
      "</category>"
      "</categories>";

FeedRecord record(const QString &category, const QString &id, const QString &caption = QString(),
    const QString &url = QString(), qint16 type = 0)
{
    return FeedRecord {category, url, type, id, caption};
}

QStringList names(const QList<CatalogueCategory> &categories)
{
    QStringList out;
    for (const auto &c : categories) {
        out << c.name;
        for (const auto &f : c.feeds)
            out << QStringLiteral("  %1|%2|%3|%4")
                       .arg(f.FeedCaption)
                       .arg(f.FeedType)
                       .arg(f.FeedID, f.FeedURL);
    }
    return out;
}
} // namespace

class TestFeedDatabase : public QObject
{
    Q_OBJECT
private slots:
    void newDatabaseIsEmptyCatalogue();
    void loadInFileOrder();
    void categoryNamesKeepSpacesAndMatchIgnoringCase();
    void duplicateNamesReachTheFirst();
    void addFeedWritesAttributesInOrder();
    void feedExists_data();
    void feedExists();
    void editFeedInPlaceAndMissing();
    void editFeedMoveAppendsToTarget();
    void editFeedMoveToMissingCategory();
    void deleteFeedRemovesDataFile();
    void deleteCategoryKeepsDataFiles();
    void craftedIdNeverNamesAFile();
    void brokenDatabaseReportedAndUntouched_data();
    void brokenDatabaseReportedAndUntouched();
    void nonNumericTypeStopsLoad();
};

void TestFeedDatabase::newDatabaseIsEmptyCatalogue()
{
    TempHome home;
    MessageRecorder messages;
    QList<CatalogueCategory> categories;
    QVERIFY(mCategories::LoadCategories(categories));
    QVERIFY(categories.isEmpty());
    QCOMPARE(home.read("feeds.fdb"), QByteArray("<categories/>\r\n"));
    QCOMPARE(messages.count(), 0);
}

void TestFeedDatabase::loadInFileOrder()
{
    TempHome home;
    home.write("feeds.fdb", sample);
    QList<CatalogueCategory> categories;
    QVERIFY(mCategories::LoadCategories(categories));
    QCOMPARE(names(categories),
        QStringList({"News", "  World|0|" + idA + "|http://a/rss", "  Local|1|" + idB + "|http://b/atom",
            "Tech", "  Gadgets|2|" + idC + "|http://c/pod"}));
    QCOMPARE(categories.first().feeds.first().Category, QStringLiteral("News"));
}

void TestFeedDatabase::categoryNamesKeepSpacesAndMatchIgnoringCase()
{
    TempHome home;
    home.write("feeds.fdb", sample);
    QVERIFY(mCategories::AddCategory(QStringLiteral("  Padded Name ")));
    QVERIFY(home.read("feeds.fdb").contains("<category name=\"  Padded Name \"/>"));
    QVERIFY(mCategories::CategoryExists(QStringLiteral("news")));
    QVERIFY(mCategories::CategoryExists(QStringLiteral("  padded name ")));
    QVERIFY(!mCategories::CategoryExists(QStringLiteral("Padded Name")));
    QVERIFY(mCategories::EditCategory(QStringLiteral("NEWS"), QStringLiteral("World")));
    QVERIFY(!mCategories::CategoryExists(QStringLiteral("News")));
    QVERIFY(mCategories::CategoryExists(QStringLiteral("world")));
    QVERIFY(!mCategories::EditCategory(QStringLiteral("Nothing"), QStringLiteral("X")));
    QVERIFY(!mCategories::DeleteCategory(QStringLiteral("Nothing")));
}

void TestFeedDatabase::duplicateNamesReachTheFirst()
{
    TempHome home;
    home.write("feeds.fdb",
        "<categories><category name=\"Dup\"><feed name=\"one\" type=\"0\" id=\"" + idA.toLatin1()
            + "\">u1</feed></category><category name=\"DUP\"/></categories>");
    QVERIFY(mCategories::EditCategory(QStringLiteral("dup"), QStringLiteral("First")));
    QList<CatalogueCategory> categories;
    mCategories::LoadCategories(categories);
    QCOMPARE(categories.at(0).name, QStringLiteral("First"));
    QCOMPARE(categories.at(1).name, QStringLiteral("DUP"));
    QVERIFY(mCategories::DeleteCategory(QStringLiteral("dup")));
    mCategories::LoadCategories(categories);
    QCOMPARE(categories.size(), 1);
    QCOMPARE(categories.at(0).name, QStringLiteral("First"));
}

void TestFeedDatabase::addFeedWritesAttributesInOrder()
{
    TempHome home;
    QVERIFY(mCategories::AddCategory(QStringLiteral("Cat")));
    QVERIFY(mFeeds::AddFeed(record("cat", idA, "Name & <More>", "http://x/?a=1&b=2", 2)));
    QCOMPARE(home.read("feeds.fdb"),
        QByteArray("<categories><category name=\"Cat\"><feed name=\"Name &amp; &lt;More>\" type=\"2\" id=\""
            + idA.toLatin1() + "\">http://x/?a=1&amp;b=2</feed></category></categories>"));
}

void TestFeedDatabase::feedExists_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("exists");
    QTest::newRow("same name, other url") << "WORLD"
                                          << "http://other" << true;
    QTest::newRow("same url, other case") << "Other"
                                          << "HTTP://B/ATOM" << true;
    QTest::newRow("neither") << "Other"
                             << "http://other" << false;
    QTest::newRow("name of a feed elsewhere") << "Gadgets"
                                              << "http://other" << false;
}

void TestFeedDatabase::feedExists()
{
    QFETCH(QString, caption);
    QFETCH(QString, url);
    QFETCH(bool, exists);
    TempHome home;
    home.write("feeds.fdb", sample);
    QCOMPARE(mFeeds::FeedExists(record("News", QString(), caption, url)), exists);
}

void TestFeedDatabase::editFeedInPlaceAndMissing()
{
    TempHome home;
    home.write("feeds.fdb", sample);
    MessageRecorder messages;
    QVERIFY(mFeeds::EditFeed(record("news", idB, "Renamed", "http://new", 0), false, QString()));
    QList<CatalogueCategory> categories;
    mCategories::LoadCategories(categories);
    QCOMPARE(names(categories).at(2), "  Renamed|0|" + idB + "|http://new");

    // The id exists, but not in the category named: no message.
    QVERIFY(!mFeeds::EditFeed(record("Tech", idA, "X", "u"), false, QString()));
    QCOMPARE(messages.count(), 0);
    QVERIFY(!mFeeds::EditFeed(record("Nowhere", idA, "X", "u"), false, QString()));
    QCOMPARE(messages.titles(), QStringList {"Failed to access specified Category!"});
    QCOMPARE(messages.last().text,
        QStringLiteral("Application failed to locate Feed category \"Nowhere\" in Database!"));
}

void TestFeedDatabase::editFeedMoveAppendsToTarget()
{
    TempHome home;
    home.write("feeds.fdb", sample);
    QVERIFY(mFeeds::EditFeed(record("News", idA, "ignored", "ignored", 1), true, QStringLiteral("tech")));
    QList<CatalogueCategory> categories;
    mCategories::LoadCategories(categories);
    QCOMPARE(names(categories),
        QStringList({"News", "  Local|1|" + idB + "|http://b/atom", "Tech",
            "  Gadgets|2|" + idC + "|http://c/pod", "  World|0|" + idA + "|http://a/rss"}));
}

void TestFeedDatabase::editFeedMoveToMissingCategory()
{
    TempHome home;
    home.write("feeds.fdb", sample);
    MessageRecorder messages;
    QVERIFY(!mFeeds::EditFeed(record("News", idA), true, QStringLiteral("Elsewhere")));
    QCOMPARE(messages.last().title, QStringLiteral("Category not found!"));
    QCOMPARE(messages.last().text, QStringLiteral("Application failed to locate Elsewhere in Database!"));
    QCOMPARE(home.read("feeds.fdb"), sample);
}

void TestFeedDatabase::deleteFeedRemovesDataFile()
{
    TempHome home;
    home.write("feeds.fdb", sample);
    home.write("Data/" + idA + ".fdb", "<data/>");
    QVERIFY(mFeeds::DeleteFeed(record("News", idA)));
    QVERIFY(!QFile::exists(home.file("Data/" + idA + ".fdb")));
    QVERIFY(!home.read("feeds.fdb").contains(idA.toLatin1()));
    QVERIFY(!mFeeds::DeleteFeed(record("News", idA)));
}

void TestFeedDatabase::deleteCategoryKeepsDataFiles()
{
    TempHome home;
    home.write("feeds.fdb", sample);
    home.write("Data/" + idA + ".fdb", "<data/>");
    QVERIFY(mCategories::DeleteCategory(QStringLiteral("News")));
    QVERIFY(QFile::exists(home.file("Data/" + idA + ".fdb")));
    QList<CatalogueCategory> categories;
    mCategories::LoadCategories(categories);
    QCOMPARE(categories.size(), 1);
}

void TestFeedDatabase::craftedIdNeverNamesAFile()
{
    TempHome home;
    home.write("victim.txt", "keep me");
    home.write("feeds.fdb",
        "<categories><category name=\"C\"><feed name=\"evil\" type=\"0\" id=\"../victim.txt\">u"
        "</feed></category></categories>");
    QVERIFY(mFeeds::DeleteFeed(record("C", "../victim.txt")));
    QCOMPARE(home.read("victim.txt"), QByteArray("keep me"));
    QVERIFY(!mFeeds::DeleteFeedDataFile(QStringLiteral("../victim")));
}

void TestFeedDatabase::brokenDatabaseReportedAndUntouched_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("title");
    QTest::newRow("not xml") << QByteArray("<categories><category name=\"x\"></categories>")
                             << "Invalid Database File Format!";
    QTest::newRow("empty") << QByteArray("") << "Invalid Database File Format!";
    QTest::newRow("no catalogue root")
        << QByteArray("<feeds><feed/></feeds>\r\n") << "Invalid Record Structure!";
}

void TestFeedDatabase::brokenDatabaseReportedAndUntouched()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, title);
    TempHome home;
    home.write("feeds.fdb", content);
    MessageRecorder messages;
    QList<CatalogueCategory> categories;
    QVERIFY(!mCategories::LoadCategories(categories));
    QVERIFY(!mCategories::AddCategory(QStringLiteral("New")));
    QVERIFY(!mFeeds::AddFeed(record("x", idA, "n", "u")));
    QVERIFY(!mFeeds::DeleteFeed(record("x", idA)));
    QCOMPARE(messages.count(), 4);
    for (const auto &e : messages.entries()) {
        QCOMPARE(e.title, title);
        QCOMPARE(e.icon, Messages::Icon::Exclamation);
    }
    QCOMPARE(home.read("feeds.fdb"), content);
}

void TestFeedDatabase::nonNumericTypeStopsLoad()
{
    TempHome home;
    home.write("feeds.fdb",
        "<categories><category name=\"A\"><feed name=\"ok\" type=\"1\" id=\"" + idA.toLatin1()
            + "\">u1</feed><feed name=\"bad\" type=\"x\" id=\"" + idB.toLatin1()
            + "\">u2</feed></category><category name=\"B\"/></categories>");
    MessageRecorder messages;
    QList<CatalogueCategory> categories;
    QVERIFY(!mCategories::LoadCategories(categories));
    QCOMPARE(categories.size(), 1);
    QCOMPARE(categories.first().feeds.size(), 1);
    QCOMPARE(messages.last().title, QStringLiteral("LoadCategories Function"));
    QCOMPARE(messages.last().icon, Messages::Icon::Critical);
    QVERIFY(messages.last().text.startsWith(QStringLiteral("Error on Line 0\r\n\r\n")));
}

QTEST_GUILESS_MAIN(TestFeedDatabase)
#include "tst_feeddatabase.moc"
