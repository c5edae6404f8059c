#pragma once

#include <QString>

// One parsed entry of a feed.
struct FeedItem {
    QString Title;
    QString Link;
    QString Day;
    QString Month;
    QString Year;
    QString Time;
    QString Description;
    QString Media;
    QString ID;

    bool operator==(const FeedItem &) const = default;
};
