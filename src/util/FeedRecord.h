#pragma once

#include <QString>

// A feed of the catalogue, also an element of the scheduled-feed list.
struct FeedRecord {
    QString Category;
    QString FeedURL;
    qint16 FeedType = 0; // 0 RSS or RDF, 1 Atom, 2 podcast
    QString FeedID;
    QString FeedCaption;

    bool operator==(const FeedRecord &) const = default;
};
