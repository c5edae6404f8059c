#pragma once

#include "feeds/FeedItem.h"

#include <QString>

// The identity of an item, made by this one rule wherever an item is made
// (the parser, the merge, a stored item written without one): the digest of
// its link, else of its media link, else of its title, stored date text and
// description.
namespace ItemId
{

QString of(const QString &link, const QString &media, const QString &title, const QString &dateText,
    const QString &description);
QString of(const FeedItem &item);

// The stored date text of an entry: Year-Month-DayTTime.
QString dateText(const FeedItem &item);

} // namespace ItemId
