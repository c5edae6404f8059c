#include "feeds/FeedStore.h"

#include "feeds/FeedParser.h"
#include "feeds/Md5.h"
#include "util/AppFolder.h"
#include "util/Messages.h"
#include "util/Utilities.h"
#include "util/XmlDocument.h"

#include <QDir>
#include <QSet>

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

bool isRead(const char *status)
{
    // "0" and "1" are what this program writes; anything else is read as a
    // number, non-zero meaning read.
    if (status[0] && !status[1])
        return status[0] != '0' && (status[0] >= '1' && status[0] <= '9');
    bool ok = false;
    const double value = QString::fromUtf8(status).toDouble(&ok);
    return ok && value != 0;
}

// The next element sibling (stored files hold no comments, but a foreign
// one may).
pugi::xml_node nextElement(pugi::xml_node node)
{
    while (node && node.type() != pugi::node_element)
        node = node.next_sibling();
    return node;
}

// The date key of the common stored form "2003-Jun-10T04:00:00" without
// building any text on the way; false for any other form.
bool quickDateKey(const QString &date, QString &key)
{
    static const char months[] = "janfebmaraprmayjunjulaugsepoctnovdec";
    if (date.size() < 19 || date.size() > 20)
        return false;
    const QChar *c = date.constData();
    const auto digits = [c](int from, int count) {
        for (int i = from; i < from + count; ++i) {
            if (c[i] < QLatin1Char('0') || c[i] > QLatin1Char('9'))
                return false;
        }
        return true;
    };
    const int dayDigits = int(date.size()) - 18; // one or two
    const int t = 9 + dayDigits;
    if (!digits(0, 4) || c[4] != QLatin1Char('-') || c[8] != QLatin1Char('-') || !digits(9, dayDigits)
        || c[t] != QLatin1Char('T') || !digits(t + 1, 2) || c[t + 3] != QLatin1Char(':') || !digits(t + 4, 2)
        || c[t + 6] != QLatin1Char(':') || !digits(t + 7, 2))
        return false;
    int month = 0;
    for (int m = 0; m < 12 && !month; ++m) {
        if (c[5].toLower() == QLatin1Char(months[3 * m]) && c[6].toLower() == QLatin1Char(months[3 * m + 1])
            && c[7].toLower() == QLatin1Char(months[3 * m + 2]))
            month = m + 1;
    }
    const auto number = [c](int at) { return (c[at].unicode() - '0') * 10 + (c[at + 1].unicode() - '0'); };
    const int day = dayDigits == 1 ? c[9].unicode() - '0' : number(9);
    if (!month || day < 1 || day > 31 || number(t + 1) > 23 || number(t + 4) > 59 || number(t + 7) > 59)
        return false;
    const char16_t out[14] = {c[0].unicode(), c[1].unicode(), c[2].unicode(), c[3].unicode(),
        char16_t(u'0' + month / 10), char16_t(u'0' + month % 10), char16_t(u'0' + day / 10),
        char16_t(u'0' + day % 10), c[t + 1].unicode(), c[t + 2].unicode(), c[t + 4].unicode(),
        c[t + 5].unicode(), c[t + 7].unicode(), c[t + 8].unicode()};
    key = QString(reinterpret_cast<const QChar *>(out), 14);
    return true;
}

// One row from the item's first three children and its second attribute,
// reading the document directly: this runs once per stored item.
FeedStore::Row makeRow(const pugi::xml_node item)
{
    FeedStore::Row row;
    QString *fields[] = {&row.title, &row.link, &row.dateText};
    pugi::xml_node child = nextElement(item.first_child());
    for (QString *field : fields) {
        if (!child)
            break;
        *field = XmlNode(child).text();
        child = nextElement(child.next_sibling());
    }
    const pugi::xml_attribute status = item.first_attribute().next_attribute();
    row.read = status && isRead(status.value());
    const char *id = item.first_attribute().value();
    row.id = *id ? QString::fromLatin1(id) : storedId(XmlNode(item));
    if (!quickDateKey(row.dateText, row.dateKey))
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
    // Only a time of the form hh:mm:ss gives a key; anything else has none.
    FeedItem parts;
    SplitStoredDate(text, parts);
    const QString &t = parts.Time;
    const auto digit = [&t](int i) { return t.at(i).isDigit() ? t.at(i).unicode() - '0' : 99; };
    if (t.size() != 8 || t.at(2) != QLatin1Char(':') || t.at(5) != QLatin1Char(':'))
        return QString();
    if (digit(0) * 10 + digit(1) > 23 || digit(3) * 10 + digit(4) > 59 || digit(6) * 10 + digit(7) > 59)
        return QString();
    return FeedParser::dateKey(parts);
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
    const auto children = items.raw().children("item");
    rows.reserve(std::distance(children.begin(), children.end()));
    for (const pugi::xml_node item : children)
        rows.append(makeRow(item));
    return true;
}

FeedStore::MergeResult FeedStore::UpdateItems(const FeedEntries &items)
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
