#pragma once

#include "catalogue/FeedDatabase.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class Catalogue;

// Subscription lists in OPML (1.0 and 2.0), the format other feed readers
// import and export. Every outline with an xmlUrl is a feed; its nearest
// enclosing outlines without one name its category ("Parent / Child"), and
// feeds outside any go to "Imported". The file is read whole and checked
// before the catalogue is touched, and the catalogue adds the feeds in one
// change.
namespace Opml
{

// Files larger than this are not read.
constexpr qint64 MaxFileSize = 16 * 1024 * 1024;
// Outlines nested deeper than this are skipped with everything below them.
constexpr int MaxDepth = 64;

// The category of feeds that no outline encloses.
QString importedCategory();

enum class Reason {
    NoUrl, // an outline of a feed without an xmlUrl
    NotHttp, // an xmlUrl that is not an http or https address
    Empty, // an outline with neither a name nor an address
    TooDeep, // nested deeper than MaxDepth
    NameTaken, // its category holds another feed of that name
};

// An outline that did not become a feed.
struct Skipped {
    QString label; // its name, else its address
    Reason reason = Reason::NoUrl;
    QString category; // for NameTaken
};

// What a file asks for.
struct Plan {
    QString error; // why the file is not read as OPML; empty when it is
    QList<FeedRecord> feeds; // Category, FeedURL, FeedType and FeedCaption; no FeedID
    QStringList categories; // every category it fills, empty ones too, in document order
    QList<Skipped> skipped;
};

// What an import did.
struct ImportResult {
    QString error; // why nothing was imported; empty when the import ran
    int imported = 0;
    int present = 0; // the URL was already in the category
    QList<Skipped> skipped;
    bool ok() const { return error.isEmpty(); }
};

// Reads a document; name is the file's name for the messages.
Plan parse(const QByteArray &bytes, const QString &name);
// Reads a file (at most MaxFileSize bytes).
Plan readFile(const QString &path);
// Adds the planned feeds (with new FeedIDs) and categories to the catalogue.
ImportResult apply(Catalogue &catalogue, const Plan &plan);
// readFile and apply: a file that is not OPML changes nothing.
ImportResult importFile(Catalogue &catalogue, const QString &path);

// The File menu's import: importFile, then its report in a box titled
// "Import Feeds (OPML)" (information, or exclamation when nothing was
// imported).
ImportResult importAndReport(Catalogue &catalogue, const QString &path);

// The words of a result: the error, or the summary and one line per skipped
// outline (CR LF between lines).
QString reportText(const ImportResult &result);
QString reasonText(const Skipped &skipped);

// The categories and their feeds as an OPML 2.0 document in UTF-8.
QByteArray exportDocument(const QList<CatalogueCategory> &categories);
// Saves exportDocument atomically; false with the message in error.
bool exportFile(const QList<CatalogueCategory> &categories, const QString &path, QString *error = nullptr);

// The File menu's export: exportFile of the catalogue; a failure in a box
// titled "Export Feeds (OPML)".
bool exportAndReport(const Catalogue &catalogue, const QString &path);

// The file dialogs' name filter for OPML files.
QString fileFilter();

} // namespace Opml
