#pragma once

#include "feeds/FeedEntries.h"
#include "i18n/DefaultTexts.h"

#include <QString>
#include <QVector>

#include <optional>

// The data file of one feed (Data/<FeedID>.fdb): its stored items, the
// high-water mark "latest", the merge of freshly parsed entries and the
// per-item operations. The only writer of that file.
class FeedStore
{
public:
    // One stored item as the item list shows it.
    struct Row {
        QString title;
        QString link;
        QString dateText; // as stored, e.g. "2003-Jun-10T04:00:00"
        bool read = false;
        QString id; // the handle by which the item is found again
        QString dateKey; // "" when the stored date has no usable time
    };

    struct MergeResult {
        int added = 0;
        bool ok = true; // false when the file could not be read or saved
        QString error; // why, for a log
        bool markRaised = false; // the file's mark "latest" went up
        FeedEntries entries; // what was merged
        QVector<qsizetype> addedIndexes; // the elements of entries stored, in the order appended

        // The stored entries as items, with their ids (made when asked).
        QVector<FeedItem> addedItems() const;
    };

    enum class Action { Delete, GetInfo };

    // What a data file is like when it is opened.
    enum class FileState { Missing, Unreadable, NoItems, Ready };

    // A feedId without the FeedID shape names no file: loading finds nothing,
    // merging fails and item actions report the file as missing.
    explicit FeedStore(const QString &feedId);

    QString fileName() const { return m_fileName; }
    // The mark as last read from or written to the file.
    QString latest() const { return m_latest; }

    // Reads every stored item in file order. A missing file gives no rows and
    // no message; an unreadable one gives the "Invalid File format!" box.
    bool LoadInbox(QVector<Row> &rows);

    // Merges parsed entries (element 0 unused) with one load and one save.
    // An entry is stored when its id is not stored yet and its date key is
    // not below the mark as it stood before, or it has no usable key; the
    // mark becomes the greatest usable key seen. Entries are walked from the
    // last to the first and appended in that order. Silent: failures are
    // returned, not shown.
    MergeResult UpdateItems(const FeedEntries &items);

    // Finds the item whose id is the given handle and deletes it or reads it
    // into current (marking it read when asked). Shows the defined boxes on
    // file problems; false without a message when the item is not there or
    // a deletion cannot be saved.
    bool ItemAction(const QString &id, Action action, bool markRead, FeedItem *current = nullptr);

    // The boxes of the feed window for a file it cannot use ("Feed Data file
    // is missing!", "Invalid File format!"); false when there was one to
    // show. The text for them, from texts (English for a log).
    static bool reportFileState(FileState state);
    static QString failureText(FileState state, DefaultTexts::Source texts);
    // The box and the text for a change of the file that could not be saved.
    static void reportSaveFailure(const QString &fileName, const QString &error);
    static QString saveFailureText(const QString &fileName, DefaultTexts::Source texts);

    // The identity of an entry (ItemId::of) and its stored date text.
    static QString itemId(const FeedItem &item);
    static QString dateText(const FeedItem &item);
    // Splits a stored date text into its four parts.
    static void SplitStoredDate(const QString &text, FeedItem &item);
    // The sort key of a stored date text: "" unless its time is a valid time.
    static QString storedDateKey(const QString &text);
    // Whether a date key reads as a number, and the number.
    static bool isUsableKey(const QString &key);
    static std::optional<double> keyValue(const QString &key);

private:
    QString m_feedId;
    QString m_fileName;
    QString m_latest;
};
