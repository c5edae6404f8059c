#include "feeds/FeedStore.h"

#include "feeds/FeedParser.h"
#include "feeds/Md5.h"
#include "util/AppFolder.h"
#include "util/Messages.h"
#include "util/Utilities.h"
#include "util/XmlDocument.h"

#include <QDir>
#include <QSet>
#include <QTime>

namespace
{

const QString InvalidFormatTitle = QStringLiteral("Invalid File format!");
const QString LoadFailedText = QStringLiteral("Failed to load the Feed Data file details.");
const QString NoRecordsText = QStringLiteral("Application failed to access Records in Feed Data file!");

enum class FileState { Missing, Unreadable, NoItems, Ready };

// Loads the data file; latest receives the stored mark whenever the file
// loads, even when its items are missing.
FileState openFile(const QString &fileName, XmlDocument &doc, XmlNode &items, QString &latest)
{
    if (fileName.isEmpty() || !mUtil::FileExists(fileName))
        return FileState::Missing;
    if (!doc.load(fileName))
        return FileState::Unreadable;
    if (const XmlNode mark = doc.selectSingleNode(QStringLiteral(".//data/latest")))
        latest = mark.text();
    items = doc.selectSingleNode(QStringLiteral(".//data/items"));
    return items ? FileState::Ready : FileState::NoItems;
}

// The boxes of the feed window for a file that cannot be used; false when
// there was one to show.
bool reportFileState(FileState state)
{
    switch (state) {
    case FileState::Missing:
        Messages::exclamation(QStringLiteral("Feed Data file is missing!"),
            QStringLiteral("Application failed to access Feed Data file. Item details cannot be fetched."));
        return false;
    case FileState::Unreadable:
        Messages::exclamation(InvalidFormatTitle, LoadFailedText);
        return false;
    case FileState::NoItems:
        Messages::exclamation(InvalidFormatTitle, NoRecordsText);
        return false;
    case FileState::Ready:
        break;
    }
    return true;
}

QString digestOf(const QString &link, const QString &media, const QString &title, const QString &date,
    const QString &description)
{
    const clsMD5 md5;
    if (!link.trimmed().isEmpty())
        return md5.GetMD5(link);
    if (!media.trimmed().isEmpty())
        return md5.GetMD5(media);
    return md5.GetMD5(title + QLatin1Char('\n') + date + QLatin1Char('\n') + description);
}

QString childText(const XmlNode &item, const char *name)
{
    return item.selectSingleNode(QLatin1String(name)).text();
}

// The id of a stored item; an item written without one (by an older
// program, for a linkless entry) gets the digest a merge would give it.
QString storedId(const XmlNode &item)
{
    const QString id = item.attribute(0);
    if (!id.isEmpty())
        return id;
    return digestOf(childText(item, "link"), childText(item, "media"), childText(item, "title"),
        childText(item, "date"), childText(item, "desc"));
}

QSet<QString> storedIds(const XmlNode &items)
{
    QSet<QString> ids;
    for (const XmlNode &item : items.childNodes()) {
        if (item.nodeName() == QLatin1String("item"))
            ids.insert(storedId(item));
    }
    return ids;
}

void appendItem(XmlNode &items, const FeedItem &entry)
{
    XmlNode item = items.appendElement(QStringLiteral("item"));
    item.setAttribute(QStringLiteral("id"), entry.ID);
    item.setAttribute(QStringLiteral("status"), QStringLiteral("0"));
    item.appendElement(QStringLiteral("title"), entry.Title);
    item.appendElement(QStringLiteral("link"), entry.Link);
    item.appendElement(QStringLiteral("date"), FeedStore::dateText(entry));
    item.appendElement(QStringLiteral("desc"), entry.Description);
    item.appendElement(QStringLiteral("media"), entry.Media);
}

void setLatest(XmlDocument &doc, const QString &latest)
{
    XmlNode mark = doc.selectSingleNode(QStringLiteral(".//data/latest"));
    if (!mark)
        mark = doc.selectSingleNode(QStringLiteral(".//data")).appendElement(QStringLiteral("latest"));
    mark.setText(latest);
}

// Fills the fields of the children present; absent ones keep their values.
void readItem(const XmlNode &item, FeedItem &into)
{
    for (const XmlNode &child : item.childNodes()) {
        const QString name = child.nodeName();
        if (name == QLatin1String("title"))
            into.Title = child.text();
        else if (name == QLatin1String("link"))
            into.Link = child.text();
        else if (name == QLatin1String("date"))
            FeedStore::SplitStoredDate(child.text(), into);
        else if (name == QLatin1String("desc"))
            into.Description = child.text();
        else if (name == QLatin1String("media"))
            into.Media = child.text();
    }
}

bool markItemRead(XmlNode &item)
{
    if (item.attribute(1) == QLatin1String("1"))
        return false;
    if (item.hasAttributeAt(1))
        item.setAttributeAt(1, QStringLiteral("1"));
    else
        item.setAttribute(QStringLiteral("status"), QStringLiteral("1"));
    return true;
}

bool isRead(const QString &status)
{
    bool ok = false;
    const double value = status.toDouble(&ok);
    return ok && value != 0;
}

bool isValidTime(const QString &time)
{
    if (time.trimmed().isEmpty())
        return false;
    return QTime::fromString(time, Qt::ISODate).isValid()
        || QTime::fromString(time, QStringLiteral("H:mm:ss")).isValid()
        || QTime::fromString(time, QStringLiteral("H:mm")).isValid();
}

FeedStore::Row makeRow(const XmlNode &item)
{
    const QList<XmlNode> children = item.childNodes();
    const auto text = [&children](int i) { return i < children.size() ? children.at(i).text() : QString(); };
    FeedStore::Row row;
    row.title = text(0);
    row.link = text(1);
    row.dateText = text(2);
    row.read = isRead(item.attribute(1));
    row.id = storedId(item);
    row.dateKey = FeedStore::storedDateKey(row.dateText);
    return row;
}

// Keys compare as numbers; a key that is not one counts as no key at all,
// below every usable key.
bool isGreater(const QString &key, const QString &than)
{
    if (!FeedStore::isUsableKey(key))
        return false;
    return !FeedStore::isUsableKey(than) || key.toDouble() > than.toDouble();
}

} // namespace

FeedStore::FeedStore(const QString &feedId) : m_feedId(feedId)
{
    if (mUtil::IsFeedId(feedId))
        m_fileName = AppFolder::feedDataFile(feedId);
}

QString FeedStore::itemId(const FeedItem &item)
{
    return digestOf(item.Link, item.Media, item.Title, dateText(item), item.Description);
}

QString FeedStore::dateText(const FeedItem &item)
{
    return item.Year + QLatin1Char('-') + item.Month + QLatin1Char('-') + item.Day + QLatin1Char('T')
        + item.Time;
}

void FeedStore::SplitStoredDate(const QString &text, FeedItem &item)
{
    // The "T" that ends the date is the first one after the day's hyphen, so a
    // month written "OCT" or a time with a zone name still splits correctly.
    const int secondHyphen = text.indexOf(QLatin1Char('-'), text.indexOf(QLatin1Char('-')) + 1);
    int t = text.indexOf(QLatin1Char('T'), secondHyphen < 0 ? 0 : secondHyphen);
    if (t < 0)
        t = int(text.size());
    const QStringList pieces = text.left(t).split(QLatin1Char('-'));
    item.Year = pieces.value(0);
    item.Month = pieces.value(1);
    item.Day = pieces.value(2);
    item.Time = text.mid(t + 1);
}

QString FeedStore::storedDateKey(const QString &text)
{
    FeedItem parts;
    SplitStoredDate(text, parts);
    return isValidTime(parts.Time) ? FeedParser::dateKey(parts) : QString();
}

bool FeedStore::isUsableKey(const QString &key)
{
    bool ok = false;
    if (key.isEmpty() || !key.front().isDigit())
        return false;
    key.toDouble(&ok);
    return ok;
}

bool FeedStore::LoadInbox(QVector<Row> &rows)
{
    rows.clear();
    XmlDocument doc;
    XmlNode items;
    const FileState state = openFile(m_fileName, doc, items, m_latest);
    if (state == FileState::Missing)
        return true;
    if (!reportFileState(state))
        return false;
    for (const XmlNode &item : items.childNodes()) {
        if (item.nodeName() == QLatin1String("item"))
            rows.append(makeRow(item));
    }
    return true;
}

FeedStore::MergeResult FeedStore::UpdateItems(const QVector<FeedItem> &items)
{
    MergeResult result;
    if (items.size() <= 1)
        return result;
    if (m_fileName.isEmpty()) {
        result.ok = false;
        result.error = QStringLiteral("\"%1\" is not a valid FeedID.").arg(m_feedId);
        return result;
    }
    XmlDocument doc;
    XmlNode stored;
    QString before;
    switch (openFile(m_fileName, doc, stored, before)) {
    case FileState::Missing:
        doc.loadXML(QStringLiteral("<data><items/></data>"));
        stored = doc.selectSingleNode(QStringLiteral(".//data/items"));
        break;
    case FileState::Unreadable:
        result.ok = false;
        result.error = LoadFailedText;
        return result;
    case FileState::NoItems:
        m_latest = before;
        result.ok = false;
        result.error = NoRecordsText;
        return result;
    case FileState::Ready:
        break;
    }
    m_latest = before;

    QSet<QString> known = storedIds(stored);
    QString latest = before;
    for (qsizetype i = items.size() - 1; i >= 1; --i) {
        FeedItem entry = items.at(i);
        entry.ID = itemId(entry);
        const QString key = FeedParser::dateKey(entry);
        if (isGreater(key, latest))
            latest = key;
        if (known.contains(entry.ID) || (isUsableKey(key) && isGreater(before, key)))
            continue;
        known.insert(entry.ID);
        appendItem(stored, entry);
        result.addedItems.append(entry);
    }

    const bool markRaised = latest != before;
    if (result.addedItems.isEmpty() && !markRaised)
        return result;
    if (markRaised)
        setLatest(doc, latest);
    if (!doc.save(m_fileName)) {
        result.addedItems.clear();
        result.ok = false;
        result.error = QStringLiteral("Failed to save the Feed Data file %1.")
                           .arg(QDir::toNativeSeparators(m_fileName));
        return result;
    }
    result.added = int(result.addedItems.size());
    m_latest = latest;
    return result;
}

bool FeedStore::ItemAction(const QString &id, Action action, bool markRead, FeedItem *current)
{
    XmlDocument doc;
    XmlNode items;
    if (!reportFileState(openFile(m_fileName, doc, items, m_latest)))
        return false;
    for (XmlNode item : items.childNodes()) {
        if (item.nodeName() != QLatin1String("item") || storedId(item) != id)
            continue;
        if (action == Action::Delete) {
            items.removeChild(item);
            return doc.save(m_fileName);
        }
        if (current) {
            current->ID = id;
            readItem(item, *current);
        }
        if (markRead && markItemRead(item))
            doc.save(m_fileName);
        return true;
    }
    return false;
}
