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
// encoding. An unknown HTTP charset is ignored. carriageReturns, when given,
// tells whether the text holds a CR, whose line ends then need normalizing.
bool toUtf8(
    const QByteArray &bytes, const QString &httpCharset, QByteArray &out, bool *carriageReturns = nullptr);

} // namespace FeedEncoding
