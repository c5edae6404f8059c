// The forwarded item's body from the template, and the message as it goes
// over the wire.

#include "mail/MailComposer.h"
#include "mail/MailMessage.h"

#include <QRegularExpression>
#include <QtTest>

namespace
{

const QString crlf = QStringLiteral("\r\n");

MailComposer::ItemMail item()
{
    return {QStringLiteral("Harbour News"), QStringLiteral("Lighthouse restored"),
        QStringLiteral("<p>The lantern shines.</p>"), QStringLiteral("http://example.org/light")};
}

// The message split into its headers (unfolded) and the decoded text of
// each part, in order.
struct Parsed {
    QMap<QByteArray, QByteArray> headers;
    QList<QPair<QByteArray, QString>> parts; // content type, decoded text
};

QByteArray decodeQuotedPrintable(const QByteArray &in)
{
    QByteArray out;
    for (int i = 0; i < in.size(); ++i) {
        if (in.at(i) != '=') {
            out += in.at(i);
        } else if (in.mid(i + 1, 2) == "\r\n") {
            i += 2;
        } else {
            out += char(in.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        }
    }
    return out;
}

Parsed parse(const QByteArray &message)
{
    Parsed parsed;
    const qsizetype split = message.indexOf("\r\n\r\n");
    QByteArray head = message.left(split);
    head.replace("\r\n ", " ");
    for (const QByteArray &line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        parsed.headers.insert(line.left(colon), line.mid(colon + 2).trimmed());
    }
    const QByteArray type = parsed.headers.value("Content-Type");
    const QByteArray boundary = "--" + type.mid(type.indexOf("boundary=\"") + 10).chopped(1);
    const QByteArray body = message.mid(split + 4);
    qsizetype at = 0;
    while ((at = body.indexOf(boundary + "\r\n", at)) >= 0) {
        const qsizetype start = at + boundary.size() + 2;
        const qsizetype end = body.indexOf("\r\n" + boundary, start);
        const QByteArray part = body.mid(start, end - start);
        const qsizetype partSplit = part.indexOf("\r\n\r\n");
        const QByteArray partHead = part.left(partSplit);
        const QByteArray partType = partHead.mid(14, partHead.indexOf(';') - 14);
        parsed.parts.append({partType, QString::fromUtf8(decodeQuotedPrintable(part.mid(partSplit + 4)))});
        at = end;
    }
    return parsed;
}

QString decodeWords(const QByteArray &header)
{
    QString out;
    static const QRegularExpression word(QStringLiteral("=\\?UTF-8\\?B\\?([^?]*)\\?="));
    for (auto it = word.globalMatch(QString::fromLatin1(header)); it.hasNext();)
        out += QString::fromUtf8(QByteArray::fromBase64(it.next().captured(1).toLatin1()));
    return out;
}

} // namespace

class TestMail : public QObject
{
    Q_OBJECT

private slots:
    void bodyFromTheTemplate_data();
    void bodyFromTheTemplate();
    void disclaimerEndsEveryBody();
    void mediaLinkStandsForTheLink();
    void messageHeadersAndParts();
    void nonAsciiSubjectIsEncoded();
    void lineBreaksCannotStartHeaders();
    void recipientsSplitAtSemicolons();
    void plainTextOfHtml_data();
    void plainTextOfHtml();
};

void TestMail::bodyFromTheTemplate_data()
{
    QTest::addColumn<QString>("templateText");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QString>("expected");
    const QString all = QStringLiteral("[[from_name]]|[[personal_message]]|[[title]]|[[description]]");
    QTest::newRow("all placeholders")
        << all << "Hi" << true << "Ann|Hi|Lighthouse restored|<p>The lantern shines.</p>";
    QTest::newRow("blank message") << all << "  \r\n " << true
                                   << "Ann|- None -|Lighthouse restored|<p>The lantern shines.</p>";
    QTest::newRow("empty message") << "[[personal_message]]"
                                   << "" << true << "- None -";
    QTest::newRow("two lines") << "[[personal_message]]"
                               << "one\r\ntwo" << true << "one\r\n<br>\r\ntwo";
    QTest::newRow("lines typed with LF") << "[[personal_message]]"
                                         << "one\ntwo" << true << "one\r\n<br>\r\ntwo";
    QTest::newRow("link only")
        << "[[description]]"
        << "" << false << "View Online: <a href='http://example.org/light'>http://example.org/light</a>";
    QTest::newRow("no description placeholder") << "[[title]]"
                                                << "" << true << "Lighthouse restored";
    QTest::newRow("app stays in the template")
        << "[[app]] [[title]] [[title]]"
        << "" << true << "[[app]] Lighthouse restored Lighthouse restored";
    QTest::newRow("placeholders are case-sensitive") << "[[TITLE]]"
                                                     << "" << true << "[[TITLE]]";
}

void TestMail::bodyFromTheTemplate()
{
    QFETCH(QString, templateText);
    QFETCH(QString, message);
    QFETCH(bool, complete);
    QFETCH(QString, expected);
    const QString body
        = MailComposer::composeBody(templateText, QStringLiteral("Ann"), message, item(), complete);
    QCOMPARE(body, expected + crlf + MailComposer::disclaimer());
}

void TestMail::disclaimerEndsEveryBody()
{
    QCOMPARE(MailComposer::disclaimer(),
        QStringLiteral(
            "<p><font face='Verdana' size='1' color='#666666'><center>:: <u>Disclaimer</u> :: <br>This "
            "Email is manually sent using Quorvane. In case of dispute, please contact Sender "
            "directly.</center></font></p><hr size='1' color='#666666'>"));
    QCOMPARE(MailComposer::defaultSubject(QStringLiteral("Harbour News")),
        QStringLiteral("An Article from \"Harbour News\""));
    QVERIFY(MailComposer::defaultMessage().startsWith(QStringLiteral("Hello,\r\n\r\nI have found")));
}

void TestMail::mediaLinkStandsForTheLink()
{
    FeedItem stored;
    stored.Title = QStringLiteral("Episode 4");
    stored.Link = QStringLiteral("http://example.org/4");
    stored.Media = QStringLiteral("http://example.org/4.mp3");
    QCOMPARE(MailComposer::itemMail(QStringLiteral("Talks"), stored).itemLink, stored.Media);
    stored.Media = QStringLiteral("  ");
    QCOMPARE(MailComposer::itemMail(QStringLiteral("Talks"), stored).itemLink, stored.Link);
}

void TestMail::messageHeadersAndParts()
{
    MailMessage message;
    message.fromName = QStringLiteral("Ann \"the reader\" Lee");
    message.fromAddress = QStringLiteral("ann@example.org");
    message.recipients = {QStringLiteral("bob@example.org"), QStringLiteral("cy@example.net")};
    message.subject = QStringLiteral("An Article from \"Harbour News\"");
    message.html = QStringLiteral("<p>Caf\u00e9 &amp; quay</p><p>") + QString(100, QLatin1Char('x')) + "</p>";
    const QByteArray bytes = message.toBytes();
    QVERIFY(!bytes.contains("\n\n"));
    QVERIFY(!QRegularExpression(QStringLiteral("[^\r]\n")).match(QString::fromLatin1(bytes)).hasMatch());
    const Parsed parsed = parse(bytes);

    QVERIFY(
        QRegularExpression(QStringLiteral("^\\w{3}, \\d{2} \\w{3} \\d{4} \\d{2}:\\d{2}:\\d{2} [+-]\\d{4}$"))
            .match(QString::fromLatin1(parsed.headers.value("Date")))
            .hasMatch());
    QVERIFY(parsed.headers.value("Message-ID").endsWith("@example.org>"));
    QCOMPARE(parsed.headers.value("From"), QByteArray("\"Ann \\\"the reader\\\" Lee\" <ann@example.org>"));
    QCOMPARE(parsed.headers.value("To"), QByteArray("bob@example.org, cy@example.net"));
    QCOMPARE(parsed.headers.value("Subject"), QByteArray("An Article from \"Harbour News\""));
    QCOMPARE(parsed.headers.value("MIME-Version"), QByteArray("1.0"));
    QVERIFY(parsed.headers.value("Content-Type").startsWith("multipart/alternative; boundary="));
    QCOMPARE(parsed.parts.size(), 2);
    QCOMPARE(parsed.parts.at(0).first, QByteArray("text/plain"));
    QCOMPARE(parsed.parts.at(0).second,
        QStringLiteral("Caf\u00e9 & quay\r\n\r\n") + QString(100, QLatin1Char('x')));
    QCOMPARE(parsed.parts.at(1).first, QByteArray("text/html"));
    QCOMPARE(parsed.parts.at(1).second, message.html);
    for (const QByteArray &line : bytes.split('\n'))
        QVERIFY2(line.size() <= 78, line.constData());
}

void TestMail::nonAsciiSubjectIsEncoded()
{
    MailMessage message;
    message.fromName = QStringLiteral("\u00c5sa");
    message.fromAddress = QStringLiteral("asa@example.org");
    message.recipients = {QStringLiteral("bob@example.org")};
    message.subject
        = QStringLiteral("Ein Artikel aus \u201eHafen\u201c: \u0421\u0442\u0430\u0442\u044c\u044f ")
        + QString(40, QChar(0x00e9));
    const Parsed parsed = parse(message.toBytes());
    const QByteArray subject = parsed.headers.value("Subject");
    QVERIFY(subject.startsWith("=?UTF-8?B?"));
    QCOMPARE(decodeWords(subject), message.subject);
    QVERIFY(parsed.headers.value("From").endsWith(" <asa@example.org>"));
    QCOMPARE(decodeWords(parsed.headers.value("From")), message.fromName);
}

void TestMail::lineBreaksCannotStartHeaders()
{
    MailMessage message;
    message.fromAddress = QStringLiteral("ann@example.org");
    message.recipients
        = MailMessage::splitRecipients(QStringLiteral("bob@example.org\r\nBcc: eve@example.org"));
    message.subject = QStringLiteral("Hi\r\nBcc: eve@example.org");
    const QByteArray bytes = message.toBytes();
    QVERIFY(!bytes.contains("\r\nBcc:"));
    QCOMPARE(parse(bytes).headers.value("Subject"), QByteArray("Hi  Bcc: eve@example.org"));
}

void TestMail::recipientsSplitAtSemicolons()
{
    QCOMPARE(MailMessage::splitRecipients(QStringLiteral(" bob@example.org ;cy@example.net;; ")),
        QStringList({QStringLiteral("bob@example.org"), QStringLiteral("cy@example.net")}));
    QVERIFY(MailMessage::splitRecipients(QStringLiteral(" ; ")).isEmpty());
}

void TestMail::plainTextOfHtml_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("text");
    QTest::newRow("line breaks") << "a<br>b<BR/>c"
                                 << "a\r\nb\r\nc";
    QTest::newRow("paragraphs") << "<p>one</p>\n  <p>two   words</p>"
                                << "one\r\n\r\ntwo words";
    QTest::newRow("entities") << "&lt;tag&gt; &amp; &#233;&#x20AC;&nbsp;&quot;q&quot; &bogus;"
                              << "<tag> & \u00e9\u20ac \"q\" &bogus;";
    QTest::newRow("hidden content") << "<style>p{}</style><script>x()</script>shown"
                                    << "shown";
    QTest::newRow("list") << "<ul><li>a</li><li>b</li></ul>"
                          << "- a\r\n- b";
}

void TestMail::plainTextOfHtml()
{
    QFETCH(QString, html);
    QFETCH(QString, text);
    QCOMPARE(MailMessage::plainText(html), text);
}

QTEST_GUILESS_MAIN(TestMail)
#include "tst_mail.moc"
