#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// One e-mail as it goes over the wire: the headers (Date, Message-ID, From
// with the display name, To with every recipient, the subject encoded when
// it is not ASCII, MIME-Version) and a multipart/alternative body, a plain
// text rendering of the HTML first and the HTML second, both UTF-8.
struct MailMessage {
    QString fromName;
    QString fromAddress;
    QStringList recipients;
    QString subject;
    QString html;
    QDateTime date; // now when not set
    QString messageId; // made from the time and the sender's domain when empty

    // The addresses of a recipient text: split at ";", blanks around each
    // dropped, empty entries skipped.
    static QStringList splitRecipients(const QString &text, const QString &separator = QStringLiteral(";"));
    // An RFC 2047 encoded-word for a header text that is not plain ASCII;
    // plain ASCII stays as it is.
    static QByteArray encodeHeaderText(const QString &text);
    // A plain text rendering of HTML: tags dropped, line breaks for the
    // block elements and <br>, entities decoded, runs of blanks folded.
    static QString plainText(const QString &html);

    // The whole message, lines ending in CR LF.
    QByteArray toBytes() const;
};
