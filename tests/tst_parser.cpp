#include "feeds/FeedParser.h"
#include "feeds/ItemId.h"
#include "feeds/Md5.h"
#include "support/MessageRecorder.h"

#include <QtTest>

using namespace FeedParser;

Q_DECLARE_METATYPE(FeedParser::Failure)
Q_DECLARE_METATYPE(FeedParser::Kind)

// Feed parsing: the entries, dates, links and media of RSS, RDF and Atom
// documents, their encodings, the malformations feeds carry and the
// documents that are refused.
class TestParser : public QObject
{
    Q_OBJECT
private slots:
    void rssChannel();
    void rssEntry_data();
    void rssEntry();
    void rssDate_data();
    void rssDate();
    void atomLink_data();
    void atomLink();
    void atomEntry_data();
    void atomEntry();
    void rdf();
    void withoutEntries_data();
    void withoutEntries();
    void failures_data();
    void failures();
    void encodings_data();
    void encodings();
    void malformations_data();
    void malformations();
    void longText_data();
    void longText();
    void lineEnds_data();
    void lineEnds();
    void rejected_data();
    void rejected();
    void hostileDocuments_data();
    void hostileDocuments();
    void namespaces_data();
    void namespaces();
    void parseByType_data();
    void parseByType();
    void entryLimit();
    void entriesOutliveResult();
    void dateKey_data();
    void dateKey();
};

namespace
{

QByteArray rss(const QByteArray &items)
{
    return "<rss version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\""
           " xmlns:content=\"http://purl.org/rss/1.0/modules/content/\""
           " xmlns:atom=\"http://www.w3.org/2005/Atom\">"
           "<channel><title>Channel</title><link>http://example.com/</link>"
        + items + "</channel></rss>";
}

QByteArray atom(const QByteArray &entries, const QByteArray &space = "http://www.w3.org/2005/Atom")
{
    return "<feed xmlns=\"" + space + "\"><title>Feed</title><link href=\"http://example.com/\"/>" + entries
        + "</feed>";
}

QByteArray fixture(const QString &name)
{
    QFile file(QStringLiteral(QUORVANE_FIXTURES "/parser/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The one entry of a document that must parse.
FeedItem onlyEntry(const Result &result)
{
    if (result.failure != Failure::None || result.count != 1 || result.items.size() != 2)
        return {};
    return result.items.at(1);
}

} // namespace

void TestParser::rssChannel()
{
    const Result result = ParseRSS(rss("<item><title>One</title></item><item><title>Two</title></"
                                       "item><item><title>Three</title></item>"),
        false);
    QCOMPARE(result.failure, Failure::None);
    QCOMPARE(result.kind, Kind::Rss);
    QCOMPARE(result.count, 3);
    QCOMPARE(result.items.size(), 4);
    QCOMPARE(result.items.at(0), FeedItem());
    QCOMPARE(result.items.at(1).Title, QStringLiteral("One"));
    QCOMPARE(result.items.at(3).Title, QStringLiteral("Three"));
    QCOMPARE(result.feedTitle, QStringLiteral("Channel"));
}

void TestParser::rssEntry_data()
{
    QTest::addColumn<QByteArray>("item");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("media");

    QTest::newRow("plain") << QByteArray(
        "<title>T</title><link>http://e.com/1</link><description>D</description>")
                           << "T"
                           << "http://e.com/1"
                           << "D" << QString();
    QTest::newRow("no link") << QByteArray("<title>T</title>") << "T" << QString() << QString() << QString();
    QTest::newRow("two links: the last")
        << QByteArray("<link>http://e.com/1</link><link>http://e.com/2</link>") << QString()
        << "http://e.com/2" << QString() << QString();
    QTest::newRow("link trimmed") << QByteArray("<link>\n   http://e.com/1 \n</link>") << QString()
                                  << "http://e.com/1" << QString() << QString();
    QTest::newRow("link beyond ASCII")
        << QByteArray("<link>http://e.com/caf\xC3\xA9?a=1&amp;b=2</link>") << QString()
        << QString::fromUtf8("http://e.com/café?a=1&b=2") << QString() << QString();
    QTest::newRow("guid for a missing link") << QByteArray("<guid>http://e.com/g</guid>") << QString()
                                             << "http://e.com/g" << QString() << QString();
    QTest::newRow("guid not a permalink") << QByteArray("<guid isPermaLink=\"false\">tag:e.com,1</guid>")
                                          << QString() << QString() << QString() << QString();
    QTest::newRow("link before guid") << QByteArray("<guid>http://e.com/g</guid><link>http://e.com/1</link>")
                                      << QString() << "http://e.com/1" << QString() << QString();
    QTest::newRow("enclosure url by name")
        << QByteArray("<enclosure type=\"audio/mpeg\" length=\"12\" url=\"http://e.com/a.mp3?x=1&amp;y=2\"/>")
        << QString() << QString() << QString() << "http://e.com/a.mp3?x=1&y=2";
    QTest::newRow("content:encoded for a missing description")
        << QByteArray("<content:encoded>&lt;p&gt;Full&lt;/p&gt;</content:encoded>") << QString() << QString()
        << "<p>Full</p>" << QString();
    QTest::newRow("description before content:encoded")
        << QByteArray("<description>Short</description><content:encoded>Full</content:encoded>") << QString()
        << QString() << "Short" << QString();
    QTest::newRow("other namespaces do not count")
        << QByteArray("<dc:title>DC</dc:title><title>T</title><atom:link href=\"http://e.com/a\"/>") << "T"
        << QString() << QString() << QString();
    QTest::newRow("CDATA is literal") << QByteArray("<description><![CDATA[<b>&amp;</b>]]></description>")
                                      << QString() << QString() << "<b>&amp;</b>" << QString();
    QTest::newRow("references resolved once")
        << QByteArray("<title>&amp;lt;b&amp;gt; &#233;&#x263A; &quot;&apos;</title>")
        << QString::fromUtf8("&lt;b&gt; é☺ \"'") << QString() << QString() << QString();
    QTest::newRow("text of descendants") << QByteArray("<title>A <b>bold <i>new</i></b> move</title>")
                                         << "A bold new move" << QString() << QString() << QString();
}

void TestParser::rssEntry()
{
    QFETCH(QByteArray, item);
    QFETCH(QString, title);
    QFETCH(QString, link);
    QFETCH(QString, description);
    QFETCH(QString, media);

    const FeedItem entry = onlyEntry(ParseRSS(rss("<item>" + item + "</item>"), false));
    QCOMPARE(entry.Title, title);
    QCOMPARE(entry.Link, link);
    // The id the store gives it: the digest of the link, else by the fallbacks.
    QCOMPARE(entry.ID, ItemId::of(entry));
    if (!link.isEmpty())
        QCOMPARE(entry.ID, clsMD5().GetMD5(link));
    QCOMPARE(entry.Description, description);
    QCOMPARE(entry.Media, media);
}

void TestParser::rssDate_data()
{
    QTest::addColumn<QByteArray>("date");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("time");

    const auto pubDate = [](const char *text) { return "<pubDate>" + QByteArray(text) + "</pubDate>"; };
    QTest::newRow("RFC 822") << pubDate("Tue, 10 Jun 2003 04:00:00 GMT") << "10"
                             << "Jun"
                             << "2003"
                             << "04:00:00";
    QTest::newRow("offset ignored") << pubDate("Tue, 10 Jun 2003 04:00:00 +0000") << "10"
                                    << "Jun"
                                    << "2003"
                                    << "04:00:00";
    QTest::newRow("negative offset ignored") << pubDate("Tue, 10 Jun 2003 23:15:00 -0500") << "10"
                                             << "Jun"
                                             << "2003"
                                             << "23:15:00";
    QTest::newRow("no weekday") << pubDate("10 Jun 2003 04:00:00 GMT") << "10"
                                << "Jun"
                                << "2003"
                                << "04:00:00";
    QTest::newRow("one-digit day") << pubDate("Tue, 3 Jun 2003 04:00:00 GMT") << "3"
                                   << "Jun"
                                   << "2003"
                                   << "04:00:00";
    QTest::newRow("two-digit year, 2000s") << pubDate("Tue, 10 Jun 03 04:00:00 GMT") << "10"
                                           << "Jun"
                                           << "2003"
                                           << "04:00:00";
    QTest::newRow("two-digit year, 1900s") << pubDate("Thu, 10 Jun 99 04:00:00 GMT") << "10"
                                           << "Jun"
                                           << "1999"
                                           << "04:00:00";
    QTest::newRow("no seconds") << pubDate("Thu, 01 Aug 2019 16:15 EDT") << "01"
                                << "Aug"
                                << "2019"
                                << "16:15:00";
    QTest::newRow("full month name") << pubDate("Tuesday, 10 June 2003 04:00:00 GMT") << "10"
                                     << "June"
                                     << "2003"
                                     << "04:00:00";
    QTest::newRow("other cut of a month name") << pubDate("10 Sept. 2003 04:00:00 GMT") << "10"
                                               << "Sep"
                                               << "2003"
                                               << "04:00:00";
    QTest::newRow("local weekday, lower case") << pubDate("mer, 16 nov 2022 00:38:15 +0100") << "16"
                                               << "nov"
                                               << "2022"
                                               << "00:38:15";
    QTest::newRow("dc:date for a missing pubDate")
        << QByteArray("<dc:date>2003-06-10T04:00:00+02:00</dc:date>") << "10"
        << "Jun"
        << "2003"
        << "04:00:00";
    QTest::newRow("dc:date for an unusable pubDate")
        << QByteArray("<pubDate>soon</pubDate><dc:date>2003-06-10</dc:date>") << "10"
        << "Jun"
        << "2003"
        << "00:00:00";
    QTest::newRow("upper-case month") << pubDate("Tue, 10 JUN 2003 04:00:00 GMT") << "10"
                                      << "JUN"
                                      << "2003"
                                      << "04:00:00";
    QTest::newRow("fraction of a second") << pubDate("Tue, 10 Jun 2003 04:00:00.250 GMT") << "10"
                                          << "Jun"
                                          << "2003"
                                          << "04:00:00";
    QTest::newRow("hour out of range")
        << pubDate("Tue, 10 Jun 2003 25:00:00 GMT") << QString() << QString() << QString() << QString();
    QTest::newRow("day out of range")
        << pubDate("Tue, 32 Jun 2003 04:00:00 GMT") << QString() << QString() << QString() << QString();
    QTest::newRow("no pubDate") << QByteArray() << QString() << QString() << QString() << QString();
    QTest::newRow("unusable pubDate")
        << pubDate("yesterday") << QString() << QString() << QString() << QString();
}

void TestParser::rssDate()
{
    QFETCH(QByteArray, date);
    QFETCH(QString, day);
    QFETCH(QString, month);
    QFETCH(QString, year);
    QFETCH(QString, time);

    const Result result = ParseRSS(rss("<item><title>T</title>" + date + "</item>"), false);
    const FeedItem entry = onlyEntry(result);
    QCOMPARE(entry.Title, QStringLiteral("T"));
    QCOMPARE(entry.Day, day);
    QCOMPARE(entry.Month, month);
    QCOMPARE(entry.Year, year);
    QCOMPARE(entry.Time, time);
    // The key the merge takes from the parse is the key of the fields.
    QCOMPARE(result.items.dateKey(1), FeedParser::dateKey(entry));
}

void TestParser::atomLink_data()
{
    QTest::addColumn<QByteArray>("links");
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("media");

    QTest::newRow("rel, type, href") << QByteArray(
        "<link rel=\"alternate\" type=\"text/html\" href=\"http://e.com/1\"/>")
                                     << "http://e.com/1" << QString();
    QTest::newRow("href alone") << QByteArray("<link href=\"http://e.com/1\"/>") << "http://e.com/1"
                                << QString();
    QTest::newRow("alternate after self") << QByteArray(
        "<link rel=\"self\" href=\"http://e.com/feed\"/><link rel=\"alternate\" href=\"http://e.com/1\"/>")
                                          << "http://e.com/1" << QString();
    QTest::newRow("first alternate") << QByteArray(
        "<link href=\"http://e.com/1\"/><link href=\"http://e.com/2\"/>")
                                     << "http://e.com/1" << QString();
    QTest::newRow("no alternate: the last link") << QByteArray(
        "<link rel=\"self\" href=\"http://e.com/a\"/><link rel=\"related\" href=\"http://e.com/b\"/>")
                                                 << "http://e.com/b" << QString();
    QTest::newRow("enclosure gives the media") << QByteArray(
        "<link rel=\"enclosure\" type=\"audio/mpeg\" href=\"http://e.com/a.mp3\"/><link "
        "href=\"http://e.com/1\"/>") << "http://e.com/1"
                                               << "http://e.com/a.mp3";
    QTest::newRow("enclosure without href")
        << QByteArray("<link rel=\"enclosure\"/><link rel=\"alternate\" href=\" http://e.com/1\"/>")
        << "http://e.com/1" << QString();
    QTest::newRow("no link") << QByteArray() << QString() << QString();
}

void TestParser::atomLink()
{
    QFETCH(QByteArray, links);
    QFETCH(QString, link);
    QFETCH(QString, media);

    const FeedItem entry = onlyEntry(ParseATOM(atom("<entry><title>T</title>" + links + "</entry>")));
    QCOMPARE(entry.Title, QStringLiteral("T"));
    QCOMPARE(entry.Link, link);
    // The id the store gives it: the digest of the link, else by the fallbacks.
    QCOMPARE(entry.ID, ItemId::of(entry));
    if (!link.isEmpty())
        QCOMPARE(entry.ID, clsMD5().GetMD5(link));
    QCOMPARE(entry.Media, media);
}

void TestParser::atomEntry_data()
{
    QTest::addColumn<QByteArray>("space");
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("time");

    const QByteArray atom10 = "http://www.w3.org/2005/Atom";
    const QByteArray atom03 = "http://purl.org/atom/ns#";
    QTest::newRow("published") << atom10 << QByteArray("<published>2003-12-13T18:30:02Z</published>")
                               << QString() << "13"
                               << "Dec"
                               << "2003"
                               << "18:30:02";
    QTest::newRow("fraction and offset")
        << atom10 << QByteArray("<published>2003-12-13T18:30:02.25+01:00</published>") << QString() << "13"
        << "Dec"
        << "2003"
        << "18:30:02";
    QTest::newRow("negative offset") << atom10
                                     << QByteArray("<published>2003-01-05T08:30:02-05:00</published>")
                                     << QString() << "05"
                                     << "Jan"
                                     << "2003"
                                     << "08:30:02";
    QTest::newRow("updated for a missing published")
        << atom10 << QByteArray("<updated>2019-07-31T11:54:28Z</updated>") << QString() << "31"
        << "Jul"
        << "2019"
        << "11:54:28";
    QTest::newRow("published before updated")
        << atom10
        << QByteArray("<updated>2019-07-31T11:54:28Z</updated><published>2019-07-30T16:00:00Z</published>")
        << QString() << "30"
        << "Jul"
        << "2019"
        << "16:00:00";
    QTest::newRow("no date") << atom10 << QByteArray() << QString() << QString() << QString() << QString()
                             << QString();
    QTest::newRow("content")
        << atom10 << QByteArray("<summary>S</summary><content type=\"html\">&lt;p&gt;C&lt;/p&gt;</content>")
        << "<p>C</p>" << QString() << QString() << QString() << QString();
    QTest::newRow("summary for a missing content") << atom10 << QByteArray("<summary>S</summary>") << "S"
                                                   << QString() << QString() << QString() << QString();
    QTest::newRow("0.3 issued") << atom03
                                << QByteArray("<modified>2004-01-02T10:00:00Z</modified>"
                                              "<issued>2004-01-01T19:48:21Z</issued>")
                                << QString() << "01"
                                << "Jan"
                                << "2004"
                                << "19:48:21";
    QTest::newRow("0.3 modified, RFC 822")
        << atom03 << QByteArray("<modified>Thu, 01 Jan 2004 19:48:21 GMT</modified>") << QString() << "01"
        << "Jan"
        << "2004"
        << "19:48:21";
}

void TestParser::atomEntry()
{
    QFETCH(QByteArray, space);
    QFETCH(QByteArray, entry);
    QFETCH(QString, description);
    QFETCH(QString, day);
    QFETCH(QString, month);
    QFETCH(QString, year);
    QFETCH(QString, time);

    const Result result = ParseATOM(atom("<entry><title>T</title>" + entry + "</entry>", space));
    QCOMPARE(result.feedTitle, QStringLiteral("Feed"));
    const FeedItem item = onlyEntry(result);
    QCOMPARE(item.Title, QStringLiteral("T"));
    QCOMPARE(item.Description, description);
    QCOMPARE(item.Day, day);
    QCOMPARE(item.Month, month);
    QCOMPARE(item.Year, year);
    QCOMPARE(item.Time, time);
    QCOMPARE(result.items.dateKey(1), FeedParser::dateKey(item));
}

void TestParser::rdf()
{
    const QByteArray document
        = "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
          "xmlns=\"http://purl.org/rss/1.0/\""
          " xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
          "<channel rdf:about=\"http://e.com/\"><title>RDF channel</title><items><rdf:Seq>"
          "<rdf:li resource=\"http://e.com/1\"/></rdf:Seq></items></channel>"
          "<item rdf:about=\"http://e.com/1\"><title>First</title><link>http://e.com/1</link>"
          "<dc:date>2003-06-10T04:00:00Z</dc:date></item>"
          "<item rdf:about=\"http://e.com/2\"><title>Second</title><link>http://e.com/2</link></item>"
          "</rdf:RDF>";
    for (const Result &result : {ParseRSS(document, false), parseAny(document)}) {
        QCOMPARE(result.kind, Kind::Rdf);
        QCOMPARE(result.count, 2);
        QCOMPARE(result.feedTitle, QStringLiteral("RDF channel"));
        QCOMPARE(result.items.at(1).Link, QStringLiteral("http://e.com/1"));
        QCOMPARE(FeedParser::dateKey(result.items.at(1)), QStringLiteral("20030610040000"));
        QCOMPARE(result.items.at(2).Title, QStringLiteral("Second"));
    }
}

void TestParser::withoutEntries_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<Kind>("kind");

    QTest::newRow("empty channel") << rss(QByteArray()) << Kind::Rss;
    QTest::newRow("rss without channel") << QByteArray("<rss version=\"2.0\"></rss>") << Kind::Rss;
    QTest::newRow("RDF without channel")
        << QByteArray("<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"/>") << Kind::Rdf;
    QTest::newRow("feed without entries") << atom(QByteArray()) << Kind::Atom;
}

void TestParser::withoutEntries()
{
    QFETCH(QByteArray, document);
    QFETCH(Kind, kind);

    const Result result = parseAny(document);
    QCOMPARE(result.failure, Failure::None);
    QCOMPARE(result.kind, kind);
    QCOMPARE(result.count, 0);
    QCOMPARE(result.items.size(), 1);
}

void TestParser::failures_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<bool>("asAtom");
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    const QString empty = "Server returned empty data stream!";
    const QString notXml = "Server returned Feed data in invalid XML format!";
    QTest::newRow("blank") << QByteArray("   ") << false << Failure::Empty << "Invalid Server Response!"
                           << empty;
    QTest::newRow("line breaks only")
        << QByteArray("\r\n") << true << Failure::Empty << "Invalid Server Response!" << empty;
    QTest::newRow("HTML page") << QByteArray("<html><body>Not found") << false << Failure::NotXml
                               << "Invalid Data Format!" << notXml;
    QTest::newRow("plain text") << QByteArray("Not found") << true << Failure::NotXml
                                << "Invalid Data Format!" << notXml;
    QTest::newRow("RSS rules, Atom document")
        << atom("<entry/>") << false << Failure::NotRss << "Invalid Feed XML!"
        << "Server returned invalid Feed XML! Either Feed Type is not RSS or Feed XML is not well-formed.";
    QTest::newRow("Atom rules, RSS document")
        << rss("<item/>") << true << Failure::NotAtom << "Invalid Feed XML!"
        << "Server returned invalid Feed XML! Either Feed Type is not ATOM or Feed XML is not well-formed.";
}

void TestParser::failures()
{
    QFETCH(QByteArray, document);
    QFETCH(bool, asAtom);
    QFETCH(Failure, failure);
    QFETCH(QString, title);
    QFETCH(QString, text);

    MessageRecorder recorder;
    const Result result = asAtom ? ParseATOM(document) : ParseRSS(document, false);
    QCOMPARE(result.failure, failure);
    QCOMPARE(result.count, -1);
    QCOMPARE(result.items.size(), 1);
    QCOMPARE(recorder.count(), 0);

    reportFailure(result.failure);
    QCOMPARE(recorder.count(), 1);
    QCOMPARE(recorder.last().icon, Messages::Icon::Exclamation);
    QCOMPARE(recorder.last().title, title);
    QCOMPARE(recorder.last().text, text);
}

void TestParser::encodings_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("httpCharset");
    QTest::addColumn<QString>("title");

    const QString latin = QString::fromUtf8("Café crème à la carte");
    const QString cyrillic = QString::fromUtf8("Новости дня");
    const QString unicode = QString::fromUtf8("Ünïcødé ☃");
    QTest::newRow("ISO-8859-1") << fixture("encoding-latin1.xml") << QString() << latin;
    QTest::newRow("windows-1252") << fixture("encoding-windows-1252.xml") << QString()
                                  << QString::fromUtf8("“Smart” quotes – 5 €");
    QTest::newRow("windows-1251") << fixture("encoding-windows-1251.xml") << QString() << cyrillic;
    QTest::newRow("KOI8-R") << fixture("encoding-koi8-r.xml") << QString() << cyrillic;
    QTest::newRow("EUC-KR") << fixture("encoding-euc-kr.xml") << QString()
                            << QString::fromUtf8("한국어 뉴스");
    QTest::newRow("UTF-16 with mark") << fixture("encoding-utf-16-bom.xml") << QString() << unicode;
    QTest::newRow("UTF-16BE without mark") << fixture("encoding-utf-16be-no-bom.xml") << QString() << unicode;
    QTest::newRow("UTF-16LE without mark or declaration")
        << fixture("encoding-utf-16le-no-bom.xml") << QString() << unicode;
    QTest::newRow("UTF-32 with mark") << fixture("encoding-utf-32-bom.xml") << QString() << unicode;
    QTest::newRow("UTF-8 with mark") << "\xEF\xBB\xBF"
            + rss("<item><title>" + unicode.toUtf8() + "</title></item>")
                                     << QString() << unicode;
    QTest::newRow("HTTP charset without declaration")
        << fixture("encoding-undeclared-1251.xml") << "windows-1251" << cyrillic;
    QTest::newRow("declaration before HTTP charset")
        << fixture("encoding-latin1.xml") << "windows-1251" << latin;
    QTest::newRow("control characters dropped from a converted document")
        << "<?xml version=\"1.0\" encoding=\"windows-1252\"?>"
            + rss("<item><title>Caf\xE9\x01 cr\xE8me \x02\x03\x7F\xE0 la carte, d\xE9j\xE0 vu</title></item>")
        << QString() << QString::fromUtf8("Café crème \u007Fà la carte, déjà vu");
    QTest::newRow("unknown HTTP charset ignored")
        << rss("<item><title>" + unicode.toUtf8() + "</title></item>") << "x-no-such-charset" << unicode;
}

void TestParser::encodings()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, httpCharset);
    QFETCH(QString, title);

    QVERIFY(!document.isEmpty());
    const FeedItem entry = onlyEntry(ParseRSS(document, false, httpCharset));
    QCOMPARE(entry.Title, title);
    QVERIFY(decode(document, httpCharset).contains(title));
}

void TestParser::malformations_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("title");

    const auto titled
        = [](const QByteArray &title) { return rss("<item><title>" + title + "</title></item>"); };
    QTest::newRow("HTML entity names")
        << titled("a&nbsp;b&hellip; caf&eacute; &euro;") << QString::fromUtf8("a\u00a0b\u2026 café €");
    QTest::newRow("unknown entity kept")
        << titled("testing &doesnotexist; entity") << "testing &doesnotexist; entity";
    QTest::newRow("bare ampersand kept")
        << titled("Fish & Chips &amp; more &lt;3") << "Fish & Chips & more <3";
    QTest::newRow("name without semicolon kept")
        << titled("?page=1&copy=2;mode=x") << "?page=1&copy=2;mode=x";
    QTest::newRow("control characters dropped") << titled("ab\x08"
                                                          "cd\x01")
                                                << "abcd";
    QTest::newRow("white space before the declaration")
        << "\n  \t<?xml version=\"1.0\" encoding=\"utf-8\"?>" + titled("T") << "T";
    QTest::newRow("internal DTD entity")
        << "<!DOCTYPE rss [<!ENTITY who \"World\"><!ENTITY both \"&who; &amp; &#169;\">]>"
            + titled("Hello &both;")
        << QString::fromUtf8("Hello World & ©");
    QTest::newRow("declared entity before HTML's")
        << "<!DOCTYPE rss [<!ENTITY hellip \"...\">]>" + titled("Wait&hellip;") << "Wait...";
    QTest::newRow("self-reference ends")
        << "<!DOCTYPE rss [<!ENTITY loop \"&loop;\">]>" + titled("&loop;") << "&loop;";
    QTest::newRow("external DTD not fetched")
        << "<!DOCTYPE rss PUBLIC \"-//Netscape Communications//DTD RSS 0.91//EN\" "
           "\"http://127.0.0.1:9/rss-0.91.dtd\">"
            + titled("T")
        << "T";
}

void TestParser::malformations()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, title);

    QCOMPARE(onlyEntry(parseAny(document)).Title, title);
}

void TestParser::longText_data()
{
    QTest::addColumn<int>("offset");

    // Long texts are read a block at a time; every piece must come out
    // whole wherever a block boundary falls.
    for (int offset = 0; offset < 17; ++offset)
        QTest::addRow("offset %d", offset) << offset;
}

void TestParser::longText()
{
    QFETCH(int, offset);

    const QList<QPair<QByteArray, QString>> pieces = {
        {"plain words, ", "plain words, "},
        {"&lt;b&gt;", "<b>"},
        {"&amp;", "&"},
        {"&quot;&apos;", "\"'"},
        {"caf\xC3\xA9 ", QString::fromUtf8("café ")},
        {"\xE2\x82\xAC", QString::fromUtf8("€")},
        {"\xF0\x9F\x98\x80", QString::fromUtf8("😀")},
        {"&#233;&#x1F600;", QString::fromUtf8("é😀")},
        {"&nbsp;", QString::fromUtf8("\u00a0")},
        {"&unknown; & ", "&unknown; & "},
        {"&#0;", QString()},
    };
    QByteArray written(offset, 'x');
    QString expected(offset, QLatin1Char('x'));
    for (int round = 0; round < 3; ++round) {
        for (const auto &[piece, text] : pieces) {
            written += piece;
            expected += text;
        }
    }
    const Result result = ParseRSS(rss("<item><description>" + written + "</description></item>"), false);
    QCOMPARE(onlyEntry(result).Description, expected);
}

void TestParser::lineEnds_data()
{
    QTest::addColumn<QByteArray>("description");
    QTest::addColumn<QString>("text");

    QTest::newRow("CR LF") << QByteArray("one\r\ntwo") << "one\ntwo";
    QTest::newRow("CR alone") << QByteArray("one\rtwo") << "one\ntwo";
    QTest::newRow("LF alone") << QByteArray("one\ntwo") << "one\ntwo";
    QTest::newRow("CR in CDATA") << QByteArray("<![CDATA[one\r\ntwo]]>") << "one\ntwo";
    QTest::newRow("reference to CR kept") << QByteArray("one&#13;\ntwo") << "one\r\ntwo";
    QTest::newRow("reference to CR beside a CR LF") << QByteArray("one&#13;\r\ntwo") << "one\r\ntwo";
}

void TestParser::lineEnds()
{
    QFETCH(QByteArray, description);
    QFETCH(QString, text);

    const Result result = ParseRSS(rss("<item><description>" + description + "</description></item>"), false);
    QCOMPARE(onlyEntry(result).Description, text);
}

void TestParser::rejected_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<Failure>("failure");

    QTest::newRow("truncated end tag") << QByteArray("<rss version=\"2.0\">\n</rss") << Failure::NotXml;
    QTest::newRow("truncated document") << QByteArray("<rss><channel><title>T</title>") << Failure::NotXml;
    QTest::newRow("no root element") << QByteArray("<!-- nothing -->\n") << Failure::NotXml;
    QTest::newRow("unterminated CDATA")
        << QByteArray("<rss><channel><title><![CDATA[T</title></channel></rss>") << Failure::NotXml;
    QTest::newRow("unbound element prefix")
        << QByteArray("<rss><channel><itunes:subtitle>S</itunes:subtitle></channel></rss>")
        << Failure::NotXml;
    QTest::newRow("unbound attribute prefix")
        << QByteArray("<rss><channel><item><enclosure media:url=\"x\"/></item></channel></rss>")
        << Failure::NotXml;
    QTest::newRow("unbound prefix inside an entry's field")
        << QByteArray("<rss><channel><item><description>a <x:b>b</x:b></description></item></channel></rss>")
        << Failure::NotXml;
    QTest::newRow("prefix declared by a sibling only")
        << QByteArray("<rss><channel><item><a xmlns:x=\"urn:x\"/><x:b/></item></channel></rss>")
        << Failure::NotXml;
    QByteArray items;
    for (int i = 0; i < 32767; ++i)
        items += "<item><title>T</title></item>";
    QTest::newRow("unbound prefix beyond the entries taken")
        << QByteArray("<rss><channel>" + items + "<item><x:title/></item></channel></rss>")
        << Failure::NotXml;
    QTest::newRow("unbound prefix on the feed's own element")
        << QByteArray("<rss x:a=\"1\"><channel><item><title>T</title></item></channel></rss>")
        << Failure::NotXml;
    QTest::newRow("unbound prefix of the feed's own element")
        << QByteArray("<x:rss><channel><item><title>T</title></item></channel></x:rss>") << Failure::NotXml;
    QTest::newRow("unbound prefix after the entries")
        << QByteArray("<rss><channel><item><title>T</title></item><x:note/></channel></rss>")
        << Failure::NotXml;
    QTest::newRow("unbound prefix outside the feed")
        << QByteArray("<envelope><rss><channel/></rss><x:note/></envelope>") << Failure::NotXml;
    QTest::newRow("unknown declared encoding")
        << QByteArray("<?xml version=\"1.0\" encoding=\"bogus\"?><rss/>") << Failure::NotXml;
    QTest::newRow("invalid UTF-8") << QByteArray("<rss><channel><title>\xC3\x28</title></channel></rss>")
                                   << Failure::NotXml;
    QTest::newRow("overlong UTF-8") << QByteArray("<rss><channel><title>\xC0\xBC</title></channel></rss>")
                                    << Failure::NotXml;
    QTest::newRow("UTF-8 surrogate") << QByteArray(
        "<rss><channel><title>\xED\xA0\x80</title></channel></rss>")
                                     << Failure::NotXml;
    QTest::newRow("two root elements") << QByteArray("<rss/><rss/>") << Failure::NotXml;
    QTest::newRow("empty file") << QByteArray() << Failure::Empty;
    QTest::newRow("root that is no feed") << QByteArray("<note><to>Tove</to></note>") << Failure::NotRss;
}

// Markup nested deeper than any stack, or entities declared to blow the
// document up.
QByteArray nested(const QByteArray &open, const QByteArray &close, int depth, const QByteArray &inner = "x")
{
    return open.repeated(depth) + inner + close.repeated(depth);
}

QByteArray entityDocument(const QByteArray &declarations, const QByteArray &items)
{
    return "<!DOCTYPE rss [" + declarations + "]>" + rss(items);
}

void TestParser::hostileDocuments_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<QString>("description"); // of the first entry, when it parses

    constexpr int deep = 200000;
    QTest::newRow("deeply nested description")
        << rss("<item><description>" + nested("<i>", "</i>", deep) + "</description></item>") << Failure::None
        << "x";
    QTest::newRow("deeply nested markup before the feed")
        << "<x>" + nested("<a>", "</a>", deep, "") + rss("<item><description>d</description></item>") + "</x>"
        << Failure::None << "d";
    QTest::newRow("deeply nested CDATA and text") << rss(
        "<item><description>" + nested("<b>a", "</b>", deep, "<![CDATA[<c>]]>") + "</description></item>")
                                                  << Failure::None << QString(deep, QLatin1Char('a')) + "<c>";
    QTest::newRow("namespace declarations nested without end") << rss(
        "<item><description>" + nested("<i xmlns:p=\"urn:p\">", "</i>", deep) + "</description></item>")
                                                               << Failure::NotXml << "";

    const QByteArray big = "<!ENTITY big \"" + QByteArray(100000, 'A') + "\">";
    QTest::newRow("declared entity used within its allowance")
        << entityDocument(big, "<item><description>&big;&big;</description></item>") << Failure::None
        << QString(200000, QLatin1Char('A'));
    QTest::newRow("declared entity used once per entry, past the allowance")
        << entityDocument(big, QByteArray("<item><description>&big;</description></item>").repeated(10000))
        << Failure::NotXml << "";
    QTest::newRow("declared entity in an attribute, past the allowance")
        << entityDocument(big, QByteArray("<item><enclosure url=\"&big;\"/></item>").repeated(10))
        << Failure::NotXml << "";
    QByteArray laughs = "<!ENTITY l0 \"lol\">";
    for (int i = 1; i <= 8; ++i)
        laughs += "<!ENTITY l" + QByteArray::number(i) + " \""
            + ("&l" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
    QTest::newRow("entities nested to a billion laughs")
        << entityDocument(laughs, "<item><title>&l8;</title></item>") << Failure::NotXml << "";
    QByteArray many;
    for (int i = 0; i < 20000; ++i)
        many += "<!ENTITY e" + QByteArray::number(i) + " \"v\">";
    QTest::newRow("many declarations, each used")
        << entityDocument(many, "<item><description>&e0;&e19999;&e7;</description></item>") << Failure::None
        << "vvv";
}

// Each of these once crashed the parser, took minutes, or took gigabytes.
void TestParser::hostileDocuments()
{
    QFETCH(QByteArray, document);
    QFETCH(Failure, failure);
    QFETCH(QString, description);

    const Result result = ParseRSS(document, false);
    QCOMPARE(result.failure, failure);
    if (failure == Failure::None)
        QCOMPARE(onlyEntry(result).Description, description);
    else
        QCOMPARE(result.count, -1);
}

void TestParser::rejected()
{
    QFETCH(QByteArray, document);
    QFETCH(Failure, failure);

    const Result result = parseAny(document);
    QCOMPARE(result.failure, failure);
    QCOMPARE(result.kind, Kind::Invalid);
    QCOMPARE(result.count, -1);
}

void TestParser::namespaces_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("title");

    QTest::newRow("RSS 1.0 with prefixes")
        << QByteArray("<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\""
                      " xmlns:rss=\"http://purl.org/rss/1.0/\"><rss:channel/>"
                      "<rss:item><title>Not this</title><rss:title>T</rss:title></rss:item></rdf:RDF>")
        << Kind::Rdf << "T";
    QTest::newRow("RSS 0.90") << QByteArray(
        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\""
        " xmlns=\"http://my.netscape.com/rdf/simple/0.9/\"><channel/>"
        "<item><title>T</title></item></rdf:RDF>")
                              << Kind::Rdf << "T";
    QTest::newRow("RSS 2.0 in a namespace")
        << QByteArray("<rss xmlns=\"http://backend.userland.com/rss2\" version=\"2.0\"><channel>"
                      "<item><title>T</title></item></channel></rss>")
        << Kind::Rss << "T";
    QTest::newRow("RSS 2.0 with prefixes")
        << QByteArray("<r:rss xmlns:r=\"http://backend.userland.com/rss2\" version=\"2.0\"><r:channel>"
                      "<r:item><title>Not this</title><r:title>T</r:title></r:item></r:channel></r:rss>")
        << Kind::Rss << "T";
    QTest::newRow("element in another default namespace")
        << rss("<item><title xmlns=\"http://www.w3.org/1999/xhtml\">Not this</title><title>T</title></item>")
        << Kind::Rss << "T";
    QTest::newRow("prefix declared where it is used")
        << rss("<item><x:a xmlns:x=\"urn:x\" x:b=\"1\"><x:c/></x:a><title>T</title></item>") << Kind::Rss
        << "T";
    QTest::newRow("rss inside another root")
        << QByteArray("<envelope><rss><channel><item><title>T</title></item></channel></rss></envelope>")
        << Kind::Rss << "T";
    QTest::newRow("Atom with prefixes") << QByteArray(
        "<a:feed xmlns:a=\"http://www.w3.org/2005/Atom\"><a:entry><a:title>T</a:title></a:entry></a:feed>")
                                        << Kind::Atom << "T";
    QTest::newRow("Atom 0.3") << atom("<entry><title>T</title></entry>", "http://purl.org/atom/ns#")
                              << Kind::Atom << "T";
}

void TestParser::namespaces()
{
    QFETCH(QByteArray, document);
    QFETCH(Kind, kind);
    QFETCH(QString, title);

    const Result result = parseAny(document);
    QCOMPARE(result.kind, kind);
    QCOMPARE(onlyEntry(result).Title, title);
}

void TestParser::parseByType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("corrected"); // the type parseCorrecting finds, -1 none

    const QByteArray rssDocument = rss("<item><title>T</title></item>");
    const QByteArray atomDocument = atom("<entry><title>T</title></entry>");
    QTest::newRow("RSS") << 0 << rssDocument << Failure::None << 1 << -1;
    QTest::newRow("podcast") << 2 << rssDocument << Failure::None << 1 << -1;
    QTest::newRow("Atom") << 1 << atomDocument << Failure::None << 1 << -1;
    QTest::newRow("Atom type, RSS document") << 1 << rssDocument << Failure::NotAtom << -1 << 0;
    QTest::newRow("RSS type, Atom document") << 0 << atomDocument << Failure::NotRss << -1 << 1;
    QTest::newRow("unknown type") << 7 << rssDocument << Failure::None << 0 << -1;
}

void TestParser::parseByType()
{
    QFETCH(int, type);
    QFETCH(QByteArray, document);
    QFETCH(Failure, failure);
    QFETCH(int, count);

    const Result result = FeedParser::parseByType(type, document);
    QCOMPARE(result.failure, failure);
    QCOMPARE(result.count, count);
    QCOMPARE(result.items.size(), qMax(count, 0) + 1);

    QFETCH(int, corrected);
    int found = 7;
    const Result correcting = FeedParser::parseCorrecting(type, document, QString(), &found);
    QCOMPARE(found, corrected);
    QCOMPARE(correcting.failure, Failure::None);
    QCOMPARE(correcting.count, count < 0 ? 1 : count);
}

// Entries keep their texts in the document until read: they must stay
// readable, references and declared entities included, after the parse
// result and every other copy are gone.
void TestParser::entriesOutliveResult()
{
    FeedEntries entries;
    {
        const Result result = ParseRSS("<!DOCTYPE rss [<!ENTITY who \"Ann &amp; Bob\">]>"
                + rss("<item><title>By &who;</title><link> http://e.com/a?x=1&amp;y=2 </link>"
                      "<description>&lt;p&gt;caf&#233;&lt;/p&gt;</description></item>"),
            false);
        QCOMPARE(result.count, 1);
        entries = result.items;
    }
    const FeedItem entry = entries.at(1);
    QCOMPARE(entry.Title, QStringLiteral("By Ann & Bob"));
    QCOMPARE(entry.Link, QStringLiteral("http://e.com/a?x=1&y=2"));
    QCOMPARE(entry.ID, clsMD5().GetMD5(QStringLiteral("http://e.com/a?x=1&y=2")));
    QCOMPARE(entry.Description, QStringLiteral("<p>caf\u00e9</p>"));
    QCOMPARE(entries.size(), 2);
}

void TestParser::entryLimit()
{
    QByteArray items;
    for (int i = 1; i <= 32768; ++i)
        items += "<item><title>" + QByteArray::number(i) + "</title></item>";
    const Result result = ParseRSS(rss(items), false);
    QCOMPARE(result.count, 32767);
    QCOMPARE(result.items.size(), 32768);
    QCOMPARE(result.items.last().Title, QStringLiteral("32767"));
}

void TestParser::dateKey_data()
{
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("key");

    QTest::newRow("abbreviation") << "10"
                                  << "Jun"
                                  << "2003"
                                  << "04:00:00"
                                  << "20030610040000";
    QTest::newRow("one-digit day") << "3"
                                   << "Dec"
                                   << "2003"
                                   << "18:30:02"
                                   << "20031203183002";
    QTest::newRow("full month name") << "10"
                                     << "june"
                                     << "2003"
                                     << "04:00:00"
                                     << "20030610040000";
    QTest::newRow("unknown month") << "10"
                                   << "Foo"
                                   << "2003"
                                   << "04:00:00" << QString();
    QTest::newRow("no time") << "10"
                             << "Jun"
                             << "2003" << QString() << QString();
    QTest::newRow("no date") << QString() << QString() << QString() << QString() << QString();
}

void TestParser::dateKey()
{
    QFETCH(QString, day);
    QFETCH(QString, month);
    QFETCH(QString, year);
    QFETCH(QString, time);
    QFETCH(QString, key);

    FeedItem item;
    item.Day = day;
    item.Month = month;
    item.Year = year;
    item.Time = time;
    QCOMPARE(FeedParser::dateKey(item), key);
}

QTEST_GUILESS_MAIN(TestParser)
#include "tst_parser.moc"
