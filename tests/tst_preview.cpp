#include "feeds/FeedStore.h"
#include "viewer/ItemRows.h"
#include "viewer/PreviewTemplate.h"

#include <QLocale>
#include <QTest>
#include <QTime>

// Filling the preview template and building the rows of the item list.
class tst_Preview : public QObject
{
    Q_OBJECT

private slots:
    void render_data();
    void render();
    void webLink_data();
    void webLink();
    void storedRow_data();
    void storedRow();
    void mergedRow_data();
    void mergedRow();
};

static FeedItem sampleItem()
{
    FeedItem item;
    item.Title = QStringLiteral("Hello");
    item.Link = QStringLiteral("http://example.test/a");
    item.Day = QStringLiteral("10");
    item.Month = QStringLiteral("Jun");
    item.Year = QStringLiteral("2003");
    item.Time = QStringLiteral("04:00:00");
    item.Description = QStringLiteral("<p>body</p>");
    return item;
}

void tst_Preview::render_data()
{
    QTest::addColumn<QString>("templateText");
    QTest::addColumn<FeedItem>("item");
    QTest::addColumn<QString>("expected");

    const FeedItem plain = sampleItem();
    QTest::newRow("every placeholder")
        << "[[title]]|[[link]]|[[app]]|[[desc]]|[[date]]|[[time]]" << plain
        << "Hello|http://example.test/a|Quorvane|<p>body</p>|10 Jun 2003|04:00:00";
    QTest::newRow("twice") << "[[title]] and [[title]]" << plain << "Hello and Hello";
    QTest::newRow("case-sensitive") << "[[Title]] [[TITLE]]" << plain << "[[Title]] [[TITLE]]";

    FeedItem media = plain;
    media.Media = QStringLiteral("http://example.test/a.mp3");
    QTest::newRow("media link wins") << "[[link]]" << media << "http://example.test/a.mp3";
    media.Media = QStringLiteral("   ");
    QTest::newRow("blank media ignored") << "[[link]]" << media << "http://example.test/a";

    FeedItem nested = plain;
    nested.Title = QStringLiteral("see [[link]]");
    QTest::newRow("title placeholder replaced later") << "[[title]]" << nested << "see http://example.test/a";

    FeedItem hostile = plain;
    hostile.Title = QStringLiteral("<script>x</script> & \"q\" 'a'");
    hostile.Link = QStringLiteral("http://e.test/?a=1&b=\"><img src=x>");
    hostile.Time = QStringLiteral("<b>");
    QTest::newRow("values escaped")
        << "[[title]]|<a href=\"[[link]]\">|[[time]]" << hostile
        << "&lt;script&gt;x&lt;/script&gt; &amp; &quot;q&quot; &#39;a&#39;|"
           "<a href=\"http://e.test/?a=1&amp;b=&quot;&gt;&lt;img src=x&gt;\">|&lt;b&gt;";

    FeedItem lines = plain;
    lines.Description = QStringLiteral("a\nb");
    QTest::newRow("bare line feed") << "[[desc]]" << lines << "a\r\nb";
    lines.Description = QStringLiteral("a\r\nb");
    QTest::newRow("CR LF gets another CR") << "[[desc]]" << lines << "a\r\r\nb";
}

void tst_Preview::render()
{
    QFETCH(QString, templateText);
    QFETCH(FeedItem, item);
    QFETCH(QString, expected);
    QCOMPARE(PreviewTemplate::render(templateText, item), expected);
}

void tst_Preview::webLink_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("web");
    QTest::newRow("http") << "http://example.test/x" << true;
    QTest::newRow("https upper case") << "HTTPS://example.test/x" << true;
    QTest::newRow("spaces around") << "  https://example.test/x " << true;
    QTest::newRow("file") << "file:///etc/passwd" << false;
    QTest::newRow("javascript") << "javascript:alert(1)" << false;
    QTest::newRow("mailto") << "mailto:a@example.test" << false;
    QTest::newRow("relative") << "/x/y" << false;
    QTest::newRow("empty") << "" << false;
}

void tst_Preview::webLink()
{
    QFETCH(QString, address);
    QFETCH(bool, web);
    QCOMPARE(PreviewTemplate::isWebLink(address), web);
}

static QString longTime(int h, int m, int s)
{
    const QLocale locale = QLocale::system();
    return locale.toString(QTime(h, m, s), locale.timeFormat(QLocale::LongFormat));
}

void tst_Preview::storedRow_data()
{
    QTest::addColumn<QString>("dateText");
    QTest::addColumn<QString>("dateKey");
    QTest::addColumn<QString>("published");
    QTest::addColumn<QString>("dateSort");

    QTest::newRow("dated") << "2003-Jun-10T04:00:00"
                           << "20030610040000"
                           << "10 Jun 2003 ; " + longTime(4, 0, 0) << "20030610040000";
    QTest::newRow("no time") << "2003-Jun-10T"
                             << ""
                             << ""
                             << "";
    QTest::newRow("not a time") << "2003-Jun-10Tnoon"
                                << ""
                                << ""
                                << "";
    QTest::newRow("no date") << "--T"
                             << ""
                             << ""
                             << "";
}

void tst_Preview::storedRow()
{
    QFETCH(QString, dateText);
    QFETCH(QString, dateKey);
    QFETCH(QString, published);
    QFETCH(QString, dateSort);

    FeedStore::Row stored;
    stored.title = QStringLiteral("T");
    stored.link = QStringLiteral("http://example.test/t");
    stored.id = QStringLiteral("abc");
    stored.dateText = dateText;
    stored.dateKey = dateKey;
    stored.read = true;
    const ItemRowBuilder builder;
    const ItemRow row = builder.fromStored(stored);
    QCOMPARE(builder.published(row), published);
    QCOMPARE(row.dateSort, dateSort);
    QCOMPARE(row.title, stored.title);
    QCOMPARE(row.id, stored.id);
    QVERIFY(row.read);
}

void tst_Preview::mergedRow_data()
{
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("published");
    QTest::addColumn<QString>("dateSort");

    QTest::newRow("dated") << "1"
                           << "04:00:00"
                           << "1 Jun 2003; " + longTime(4, 0, 0) << "20030601040000";
    QTest::newRow("no time") << "1"
                             << ""
                             << "No Date Info Provided"
                             << "0";
    QTest::newRow("no day") << ""
                            << "04:00:00"
                            << "No Date Info Provided"
                            << "0";
    QTest::newRow("bad time") << "1"
                              << "25:99"
                              << "No Date Info Provided"
                              << "0";
}

void tst_Preview::mergedRow()
{
    QFETCH(QString, day);
    QFETCH(QString, time);
    QFETCH(QString, published);
    QFETCH(QString, dateSort);

    FeedItem item = sampleItem();
    item.Day = day;
    item.Time = time;
    item.ID = QStringLiteral("id1");
    const ItemRowBuilder builder;
    const ItemRow row = builder.fromMerged(item);
    QCOMPARE(builder.published(row), published);
    QCOMPARE(row.dateSort, dateSort);
    QCOMPARE(row.id, QStringLiteral("id1"));
    QVERIFY(!row.read);
}

QTEST_APPLESS_MAIN(tst_Preview)
#include "tst_preview.moc"
