#pragma once

#include "feeds/FeedStore.h"
#include "feeds/PoliteFetch.h"
#include "util/XmlDocument.h"

#include <QHash>
#include <QString>
#include <QVector>

// A feed data file's document in memory: its stored items and mark, read
// and changed the way the feed window and the merge do. Loading and saving
// are the caller's; nothing here shows a box or touches anything global, so
// it may be used on any thread (one at a time).
class FeedDocument
{
public:
    using State = FeedStore::FileState;

    // Reads the file. A missing file leaves an empty document.
    State load(const QString &fileName);
    State state() const { return m_state; }

    // The stored mark, "" when there is none.
    QString latest() const;
    // Every stored item in file order.
    QVector<FeedStore::Row> rows() const;

    // Fills the fields of the item's children (absent ones keep their
    // values); false when no item has that id.
    bool read(const QString &id, FeedItem &into) const;
    // Marks the item read; false when it was read already or is not there.
    bool markRead(const QString &id);
    // Marks the item unread again; false when it is unread already or not there.
    bool markUnread(const QString &id);
    bool remove(const QString &id);
    // The merge rules (see FeedStore::UpdateItems). A missing file becomes a
    // new document; an unusable one takes nothing.
    FeedStore::MergeResult merge(const FeedEntries &entries);

    // The fetch state kept after "latest" ("etag", "lastmodified",
    // "notbefore"); a file without them gives an empty state.
    FetchState fetchState() const;
    // Stores the validators of a merged response and ends any pause; false
    // when nothing changed. A missing file becomes a new document; an
    // unusable one takes nothing.
    bool setValidators(const FetchState &validators);
    // Keeps the feed from being fetched before the time.
    bool setNotBefore(const QDateTime &notBefore);

    QByteArray toBytes() const { return m_doc.toBytes(); }
    // Writes the document to the file through an atomic replace.
    bool save(const QString &fileName, QString *error) const { return m_doc.save(fileName, error); }

private:
    // The first item of the file with that id, or a null node.
    pugi::xml_node find(const QString &id) const;
    void indexItem(pugi::xml_node item) const;
    // A new document for a missing file; false when the file is unusable.
    bool makeReady();
    bool setField(const char *name, const QString &text);

    XmlDocument m_doc;
    XmlNode m_items;
    State m_state = State::Missing;
    mutable QHash<QString, pugi::xml_node> m_index; // made at the first lookup
    mutable bool m_indexed = false;
};
