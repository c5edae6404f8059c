#pragma once

#include "feeds/FeedItem.h"
#include "feeds/FeedStore.h"

#include <QLocale>
#include <QString>
#include <QVector>

// One line of a feed window's item list.
struct ItemRow {
    QString title;
    QString published; // "Published On"
    QString dateSort; // the hidden sort key
    QString id; // the handle by which the stored item is found
    QString link;
    bool read = false;
    // A stored date whose "Published On" text is not built yet: formatting
    // waits until the row is shown, so long lists open quickly.
    QString pendingDate;
};

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
