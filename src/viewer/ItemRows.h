#pragma once

#include "feeds/FeedItem.h"
#include "feeds/FeedStore.h"

#include <QLocale>
#include <QString>
#include <QVector>

#include <limits>

// One line of a feed window's item list.
struct ItemRow {
    QString title;
    QString published; // "Published On"
    QString dateSort; // the hidden sort key
    // The key as a number that orders as its text does: -2 for none, -1
    // for "0", NoDateOrder for a key of another form.
    qint64 dateOrder = -2;
    QString id; // the handle by which the stored item is found
    QString link;
    bool read = false;
    // A stored date whose "Published On" text is not built yet: formatting
    // waits until the row is shown, so long lists open quickly.
    QString pendingDate;
    // What the list's filter looks in: the title, and the description once
    // it is known, case-folded.
    QString filterText;
};

inline constexpr qint64 NoDateOrder = std::numeric_limits<qint64>::min();

// The number that orders date keys as their texts do: keys are fourteen
// digits, "0" or empty.
qint64 dateOrderOf(const QString &dateSort);

// The text the filter looks in for an item: its title and the words of its
// description (markup left out), case-folded.
QString filterTextOf(const QString &title, const QString &description = QString());

// Builds list rows from stored items and from freshly merged entries.
class ItemRowBuilder
{
public:
    ItemRowBuilder();

    // A row of the stored list: "d M y ; time" and the date key when the
    // stored time is a valid time, else both empty. The text is pending
    // until published() builds it.
    ItemRow fromStored(const FeedStore::Row &stored) const;
    QVector<ItemRow> fromStored(const QVector<FeedStore::Row> &stored) const;
    // A row of a newly merged entry (unread): "d M y; time" and the date key,
    // or "No Date Info Provided" and "0".
    ItemRow fromMerged(const FeedItem &item) const;

    // The row's "Published On" text.
    QString published(const ItemRow &row) const;

    // The time in the system's long time format; "" when it is not a time.
    QString longTime(const QString &time) const;

private:
    QString publishedText(const FeedItem &date, const QString &separator) const;

    QLocale m_locale;
    QString m_format;
};
