#pragma once

// The feed the parse benchmarks read: 10,000 items in 10 MB, each with a
// headline, a link, a permalink guid, a date, a creator, an enclosure and a
// paragraph of escaped markup, as busy feeds carry them.
#include <QByteArray>
#include <QHash>

namespace BenchFeed
{

constexpr int itemCount = 10000;

inline QByteArray paragraph(int item)
{
    QByteArray text;
    while (text.size() < 640) {
        text += "&lt;p&gt;Item " + QByteArray::number(item)
            + " says something about feeds &amp; readers, with &quot;quotes&quot; and "
              "&lt;a href=&quot;https://example.com/&quot;&gt;a link&lt;/a&gt;.&lt;/p&gt;";
    }
    return text;
}

inline QByteArray document()
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<rss version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n<channel>\n"
                     "<title>Benchmark feed</title>\n<link>https://example.com/</link>\n"
                     "<description>Generated</description>\n";
    for (int i = 0; i < itemCount; ++i) {
        const QByteArray n = QByteArray::number(i);
        xml += "<item>\n<title>Item " + n + ": a headline of ordinary length</title>\n"
            + "<link>https://example.com/articles/" + n + ".html</link>\n"
            + "<guid isPermaLink=\"true\">https://example.com/articles/" + n + ".html</guid>\n"
            + "<pubDate>Tue, 10 Jun 2003 04:" + QByteArray::number(10 + i % 50) + ":00 GMT</pubDate>\n"
            + "<dc:creator>Writer " + n + "</dc:creator>\n" + "<description>" + paragraph(i)
            + "</description>\n" + "<enclosure url=\"https://example.com/media/" + n
            + ".mp3\" length=\"123456\" type=\"audio/mpeg\"/>\n</item>\n";
    }
    return xml + "</channel>\n</rss>\n";
}

// A feed data file of count items dated before every entry of document(),
// each with its id, a title, a link, a date and a paragraph.
inline QByteArray dataFile(int count, int firstUnread = 0)
{
    static const char *const months[]
        = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    QByteArray xml = "<data><items>";
    for (int i = 0; i < count; ++i) {
        const QByteArray n = QByteArray::number(i);
        const QByteArray link = "http://example.test/stored/" + n;
        QByteArray id = QByteArray::number(qHash(link), 16).rightJustified(32, '0');
        const QByteArray date = "2002-" + QByteArray(months[i % 12]) + "-" + QByteArray::number(1 + i % 28)
            + "T" + QByteArray::number(10 + i % 14) + ":" + QByteArray::number(10 + i % 50) + ":"
            + QByteArray::number(10 + (i * 7) % 50);
        xml += "<item id=\"" + id + "\" status=\"" + QByteArray(i >= firstUnread ? "0" : "1")
            + "\"><title>Stored article number " + n + " about something worth reading</title><link>" + link
            + "</link><date>" + date
            + "</date><desc>&lt;p&gt;A paragraph of text that stands for the body of item " + n
            + ", with &lt;b&gt;markup&lt;/b&gt; as feeds carry them.&lt;/p&gt;</desc><media></media></item>";
    }
    return xml + "</items><latest>20021231235959</latest></data>";
}

} // namespace BenchFeed
