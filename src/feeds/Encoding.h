#pragma once

#include <QByteArray>
#include <QString>

// Turning the bytes of a downloaded feed into UTF-8 for the XML parser.
namespace FeedEncoding
{

struct Detected {
    QByteArray name; // lower-case encoding name, "utf-8" when nothing says otherwise
    int markLength = 0; // bytes of byte-order mark to skip
    bool fromHttp = false;
};

// The encoding of a document: its byte-order mark, else the pattern of its
// first bytes (UTF-16/32 without a mark), else its XML declaration, else the
// HTTP charset, else UTF-8.
Detected detect(const QByteArray &bytes, const QString &httpCharset = QString());

// Converts a document to UTF-8 without its mark and without C0 control
// characters other than tab, LF and CR. False when the document names an
// encoding that is not known or holds bytes that are not valid in its
// encoding. An unknown HTTP charset is ignored.
bool toUtf8(const QByteArray &bytes, const QString &httpCharset, QByteArray &out);

// Checks UTF-8 in place and drops C0 control characters other than tab, LF
// and CR. False when the bytes are not valid UTF-8.
bool sanitizeUtf8(QByteArray &text);

} // namespace FeedEncoding
