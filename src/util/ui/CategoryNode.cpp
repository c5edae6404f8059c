#include "util/ui/CategoryNode.h"

#include <QTreeWidgetItem>

static_assert(CategoryNode::KeyRole == Qt::UserRole + 1);

namespace CategoryNode
{

QString key(const QTreeWidgetItem *node)
{
    return node ? node->data(0, KeyRole).toString() : QString();
}

int image(const QTreeWidgetItem *node)
{
    return node ? node->data(0, ImageRole).toInt() : 0;
}

QString tag(const QTreeWidgetItem *node)
{
    return node ? node->data(0, TagRole).toString() : QString();
}

bool isRoot(const QTreeWidgetItem *node)
{
    return key(node) == rootKey;
}

bool isFeed(const QTreeWidgetItem *node)
{
    return key(node).contains(QLatin1Char('-'));
}

bool isCategory(const QTreeWidgetItem *node)
{
    return node && isRoot(node->parent());
}

FeedRecord record(const QTreeWidgetItem *node)
{
    FeedRecord feed;
    if (!node)
        return feed;
    feed.Category = node->parent() ? node->parent()->text(0) : QString();
    feed.FeedURL = tag(node);
    feed.FeedType = qint16(feedTypeOf(image(node)));
    feed.FeedID = key(node);
    feed.FeedCaption = node->text(0);
    return feed;
}

} // namespace CategoryNode
