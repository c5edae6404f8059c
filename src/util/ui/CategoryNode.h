#pragma once

#include "util/FeedRecord.h"

#include <QString>

class QTreeWidgetItem;

// What a node of the category tree carries: a key ("main", "cat_<n>" or a
// FeedID), an image index (1 root, 2 category, feed type + 3) and, for a
// feed, its URL as tag.
namespace CategoryNode
{

enum Role { KeyRole = 0x0100 + 1, ImageRole, TagRole, UnreadRole };

inline const QString rootKey = QStringLiteral("main");

// The image index of a feed of a type, and the type of a feed image.
constexpr int feedImage(int feedType)
{
    return feedType + 3;
}
constexpr int feedTypeOf(int image)
{
    return image - 3;
}

QString key(const QTreeWidgetItem *node);
int image(const QTreeWidgetItem *node);
QString tag(const QTreeWidgetItem *node);

bool isRoot(const QTreeWidgetItem *node);
// FeedIDs always contain "-"; the root and category keys never do.
bool isFeed(const QTreeWidgetItem *node);
bool isCategory(const QTreeWidgetItem *node);

// The feed a node stands for: parent's text, tag, image - 3, key, text.
FeedRecord record(const QTreeWidgetItem *node);

} // namespace CategoryNode
