#include "mail/MailMessage.h"

#include "feeds/XmlRepair.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimeZone>

namespace
{

constexpr int maxEncodedBytes = 45; // 60 base64 characters in one encoded-word
constexpr int maxQuotedLine = 76;

// Header values never carry a line break of their own: a CR or LF typed
// into a subject or a name would start a header of its choosing.
QString oneLine(const QString &text)
{
    QString line = text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

bool isPlainAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 32 || c.unicode() > 126)
            return false;
    }
    return true;
}

QByteArray crlfLines(const QString &text)
{
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines.toUtf8().replace('\n', "\r\n");
}

void appendQuotedLine(QByteArray &out, const QByteArray &line)
{
    int width = 0;
    for (int i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line.at(i));
        const bool last = i == line.size() - 1;
        const bool plain = (c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last);
        const QByteArray piece = plain
            ? QByteArray(1, char(c))
            : QByteArray("=") + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
        if (width + piece.size() > maxQuotedLine - 1) {
            out += "=\r\n";
            width = 0;
        }
        out += piece;
        width += int(piece.size());
    }
}

// Quoted-printable, the text's own line breaks kept as hard breaks.
QByteArray quotedPrintable(const QString &text)
{
    QByteArray out;
    const QList<QByteArray> lines = crlfLines(text).split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray line = lines.at(i);
        if (line.endsWith('\r'))
            line.chop(1);
        appendQuotedLine(out, line);
        if (i < lines.size() - 1)
            out += "\r\n";
    }
    return out;
}

QString domainOf(const QString &address)
{
    const int at = address.lastIndexOf(QLatin1Char('@'));
    const QString domain = at >= 0 ? address.mid(at + 1).trimmed() : QString();
    static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9.-]+$"));
    return safe.match(domain).hasMatch() ? domain : QStringLiteral("quorvane.localhost");
}

QByteArray randomHex(int bytes)
{
    QByteArray raw(bytes, Qt::Uninitialized);
    for (char &b : raw)
        b = char(QRandomGenerator::global()->bounded(256));
    return raw.toHex();
}

QByteArray dateHeader(const QDateTime &when)
{
    const QDateTime local = when.isValid() ? when : QDateTime::currentDateTime();
    const int offset = local.offsetFromUtc() / 60;
    const QString zone = QStringLiteral("%1%2%3")
                             .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                             .arg(qAbs(offset) / 60, 2, 10, QLatin1Char('0'))
                             .arg(qAbs(offset) % 60, 2, 10, QLatin1Char('0'));
    return (
        QLocale::c().toString(local, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss")) + QLatin1Char(' ') + zone)
        .toLatin1();
}

QByteArray mailbox(const QString &name, const QString &address)
{
    const QByteArray addr = oneLine(address).trimmed().toUtf8();
    const QString display = oneLine(name).trimmed();
    if (display.isEmpty())
        return addr;
    QByteArray phrase;
    if (isPlainAscii(display)) {
        QString quoted = display;
        quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
            .replace(QLatin1Char('"'), QLatin1String("\\\""));
        phrase = '"' + quoted.toLatin1() + '"';
    } else {
        phrase = MailMessage::encodeHeaderText(display);
    }
    return phrase + " <" + addr + '>';
}

QByteArray partHeader(const char *type)
{
    return QByteArray("Content-Type: ") + type
        + "; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n";
}

} // namespace

QStringList MailMessage::splitRecipients(const QString &text, const QString &separator)
{
    QStringList recipients;
    for (const QString &part : text.split(separator)) {
        const QString address = oneLine(part).trimmed();
        if (!address.isEmpty())
            recipients << address;
    }
    return recipients;
}

QByteArray MailMessage::encodeHeaderText(const QString &text)
{
    if (isPlainAscii(text))
        return text.toLatin1();
    // Whole characters in each word, so no word ends inside one.
    QList<QByteArray> words;
    QByteArray chunk;
    for (const uint code : text.toUcs4()) {
        const QByteArray bytes = QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1).toUtf8();
        if (chunk.size() + bytes.size() > maxEncodedBytes) {
            words << chunk;
            chunk.clear();
        }
        chunk += bytes;
    }
    if (!chunk.isEmpty())
        words << chunk;
    QByteArray out;
    for (const QByteArray &word : std::as_const(words)) {
        if (!out.isEmpty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + word.toBase64() + "?=";
    }
    return out;
}

QString MailMessage::plainText(const QString &html)
{
    QString text = html;
    static const QRegularExpression hidden(QStringLiteral("<(script|style|head)\\b[^>]*>.*?</\\1\\s*>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    static const QRegularExpression lineBreak(
        QStringLiteral("<br\\s*/?>|<hr\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression block(
        QStringLiteral("</?(p|div|h[1-6]|tr|table|blockquote|pre|ul|ol|center)\\b[^>]*>"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression listItem(
        QStringLiteral("<li\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    static const QRegularExpression lineEdges(QStringLiteral("[ \\t]*\\n[ \\t]*"));
    static const QRegularExpression manyBreaks(QStringLiteral("\\n{3,}"));
    text.remove(hidden);
    text.replace(blanks, QStringLiteral(" "));
    text.replace(lineBreak, QStringLiteral("\n"));
    text.replace(block, QStringLiteral("\n\n"));
    text.replace(listItem, QStringLiteral("\n- "));
    text.remove(tag);
    // A no-break space is a space in plain text.
    text = XmlRepair::resolveReferences(text).replace(QChar(0x00A0), QLatin1Char(' '));
    text.replace(lineEdges, QStringLiteral("\n"));
    text.replace(manyBreaks, QStringLiteral("\n\n"));
    return text.trimmed().replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

QByteArray MailMessage::toBytes() const
{
    const QByteArray boundary = "=_quorvane_" + randomHex(12);
    const QString id = messageId.isEmpty()
        ? QStringLiteral("%1.%2@%3")
              .arg(QDateTime::currentMSecsSinceEpoch())
              .arg(QString::fromLatin1(randomHex(6)), domainOf(fromAddress))
        : messageId;
    QStringList to;
    for (const QString &address : recipients)
        to << oneLine(address).trimmed();

    QByteArray out;
    out += "Date: " + dateHeader(date) + "\r\n";
    out += "Message-ID: <" + oneLine(id).toUtf8() + ">\r\n";
    out += "From: " + mailbox(fromName, fromAddress) + "\r\n";
    out += "To: " + to.join(QStringLiteral(", ")).toUtf8() + "\r\n";
    out += "Subject: " + encodeHeaderText(oneLine(subject)) + "\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: multipart/alternative;\r\n boundary=\"" + boundary + "\"\r\n\r\n";
    out += "--" + boundary + "\r\n" + partHeader("text/plain") + quotedPrintable(plainText(html)) + "\r\n";
    out += "--" + boundary + "\r\n" + partHeader("text/html") + quotedPrintable(html) + "\r\n";
    out += "--" + boundary + "--\r\n";
    return out;
}
