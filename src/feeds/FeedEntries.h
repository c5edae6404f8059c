#pragma once

#include "feeds/FeedItem.h"

#include <QByteArray>
#include <QVector>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The entries of one feed: element 0 is empty, the entries follow from 1 in
// document order. Entries read from a document keep their texts in the
// document's UTF-8, character references and the XML and HTML named ones
// unresolved (declared entities are resolved by the parse), until an entry
// is asked for: the
// strings of an entry, and its ID (the digest of its link), are made then.
// So a parse costs little beyond reading the document, whose text stays in
// memory while any copy of its entries lives.
class FeedEntries
{
public:
    // A text of a parsed document: a stretch of its UTF-8, or a string that
    // ends at the first NUL when size is -1. Raw text still has its
    // character and entity references; a null data pointer is no text at all.
    struct Text {
        const char *data = nullptr;
        std::int32_t size = -1;
        bool raw = false;

        bool isNull() const { return data == nullptr; }
        std::string_view view() const
        {
            return size < 0 ? std::string_view(data) : std::string_view(data, size_t(size));
        }
    };

    // What a parse keeps of one entry.
    struct Record {
        Text title;
        Text link; // trimmed and resolved; the digest of a non-empty link is the entry's ID
        Text description;
        Text media; // trimmed and resolved
        Text day; // as written
        Text month; // as written in RSS; null for the English abbreviation
        int year = 0;
        int monthNumber = 0; // 0 for an entry without a date
        int dayNumber = 0;
        char time[8] = {}; // hh:mm:ss
    };

    // A parsed document and the records read from it. The texts point into
    // the buffer, or into resolved, which holds the texts the parse had to
    // resolve or put together out of several pieces.
    struct Document {
        QByteArray buffer;
        std::deque<std::string> resolved;
        std::vector<Record> records;
    };

    // An entry in the form the store writes it: its texts as UTF-8 with
    // their references resolved, its id and its date key.
    struct Stored {
        std::string_view title, link, description, media;
        std::string_view dateText; // Year-Month-DayTTime as stored
        QString id;
        qint64 key = -1; // the date key as a number; -1 when there is none
        char keyText[15] = {}; // and as text
    };
    // The texts a Stored points into; reused from entry to entry.
    struct StoredBuffers {
        std::string title, link, description, media, dateText;
    };

    FeedEntries();
    // Entries made in code; items holds element 0 too.
    FeedEntries(QVector<FeedItem> items); // NOLINT(google-explicit-constructor): a list of items is entries
    explicit FeedEntries(std::shared_ptr<const Document> document);

    // The number of elements, element 0 included.
    qsizetype size() const;
    FeedItem at(qsizetype index) const;
    // The date key of an element (FeedParser::dateKey of it), made from the
    // date as the parse read it.
    QString dateKey(qsizetype index) const;
    FeedItem last() const { return at(size() - 1); }

    // Fills into for an element; its texts stay valid until buffers are used
    // again.
    void stored(qsizetype index, Stored &into, StoredBuffers &buffers) const;

    // A text of the document as a string: null for no text.
    static QString toString(const Text &text);

private:
    QVector<FeedItem> m_items;
    std::shared_ptr<const Document> m_document;
};
