#pragma once

#include "util/FeedRecord.h"

#include <QList>
#include <QString>

class XmlDocument;
class XmlNode;

// The catalogue in feeds.fdb: ordered categories, each with ordered feeds.
// Every operation opens the file, changes it and saves it back whole
// (atomically); failures are reported through the message seam.

struct CatalogueCategory {
    QString name;
    QList<FeedRecord> feeds; // Category is the category's name
};

namespace mCategories
{

bool AddCategory(const QString &name);
bool CategoryExists(const QString &name);
bool EditCategory(const QString &oldName, const QString &newName);
bool DeleteCategory(const QString &name);

// Reads the catalogue in file order (only "feed" children are listed).
// On a broken entry the "LoadCategories Function" box is shown and the
// entries read before it are kept; returns false on any failure.
bool LoadCategories(QList<CatalogueCategory> &categories);

// The first category element whose name matches (letter case ignored).
XmlNode FindCategoryNode(const XmlNode &root, const QString &name);

} // namespace mCategories

namespace mFeeds
{

bool FeedExists(const FeedRecord &record);
bool AddFeed(const FeedRecord &record);
bool EditFeed(const FeedRecord &record, bool move, const QString &newCategory);
bool DeleteFeed(const FeedRecord &record);
// Deletes Data/<FeedID>.fdb when it exists and the id has the FeedID shape.
// Always false.
bool DeleteFeedDataFile(const QString &feedId);

// The path of feeds.fdb.
QString databaseFile();

} // namespace mFeeds
