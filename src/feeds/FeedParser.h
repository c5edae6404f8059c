#pragma once

#include "feeds/FeedEntries.h"
#include "i18n/DefaultTexts.h"
#include "i18n/Languages.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// RSS (2.0, 0.9x and RDF) and Atom parsing. One parser serves the feed
// window and the scheduled check; each reports a failure its own way.
namespace FeedParser
{

enum class Kind { Invalid, Rss, Rdf, Atom };

enum class Failure {
    None,
    Empty, // "Server returned empty data stream!"
    NotXml, // "Server returned Feed data in invalid XML format!"
    NotRss, // no rss element (nor an RDF root)
    NotAtom, // no Atom feed element
};

struct Result {
    int count = -1; // number of entries, -1 after a failure
    FeedEntries items; // element 0 empty, entries from 1 in document order
    Failure failure = Failure::None;
    Kind kind = Kind::Invalid;
    QString feedTitle; // null when the feed has none
    bool podcast = false; // an RSS channel with itunes:summary
};

// Turns raw feed bytes into text: byte-order mark (or the zero bytes of
// UTF-16/32), else the XML declaration's encoding, else httpCharset, else
// UTF-8. Null when the declared encoding is unknown or the bytes are not
// valid in their encoding.
QString decode(const QByteArray &bytes, const QString &httpCharset = QString());

// The RSS rules (also for RDF documents); podcast feeds parse the same way.
Result ParseRSS(const QByteArray &data, bool isPodcast, const QString &httpCharset = QString());
// The Atom rules.
Result ParseATOM(const QByteArray &data, const QString &httpCharset = QString());
// Parses a document whose root is a feed element by the Atom rules, any other
// by the RSS rules.
Result parseAny(const QByteArray &data, const QString &httpCharset = QString());
// The parser a feed type chooses: 0 and 2 RSS, 1 Atom; any other type is not
// parsed (count 0, no failure).
Result parseByType(int feedType, const QByteArray &data, const QString &httpCharset = QString());
// The parser of the stored type; when the document is of the other kind
// (an Atom feed stored as RSS, as imported subscriptions often are), the
// parser of its kind, with the type it shows in correctedType (else -1).
Result parseCorrecting(int feedType, const QByteArray &data, const QString &httpCharset = QString(),
    int *correctedType = nullptr);

// Title and text of the message box for a failure (the text also goes to
// the scheduler's log, in English).
QString failureTitle(Failure failure);
QString failureText(Failure failure, DefaultTexts::Source texts = getMessages);
// Shows the failure's box through the message seam.
void reportFailure(Failure failure);

// The date key of an entry: year, month number, two-digit day and the time
// without colons ("20030610040000"); "" when a part is missing.
QString dateKey(const FeedItem &item);

} // namespace FeedParser
