#include "feeds/FeedDocument.h"

#include "feeds/FeedParser.h"
#include "feeds/ItemId.h"
#include "util/Utilities.h"

#include <QStringEncoder>

#include <cstring>

namespace
{

// What ".//data/NAME" selects: the first element NAME whose parent is a
// "data" element. In a file whose root is "data" (every file this program
// writes) that is the root's child, found without a walk over the document;
// any other file is walked in document order.
pugi::xml_node dataChild(const pugi::xml_document &doc, const char *name)
{
    const pugi::xml_node root = doc.document_element();
    if (std::strcmp(root.name(), "data") == 0) {
        if (const pugi::xml_node child = root.child(name))
            return child;
    }
    pugi::xml_node node = doc.first_child();
    while (node) {
        if (node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0
            && std::strcmp(node.parent().name(), "data") == 0)
            return node;
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling())
            node = node.parent();
        if (node)
            node = node.next_sibling();
    }
    return {};
}

// What ".//data" selects.
pugi::xml_node firstData(const pugi::xml_document &doc)
{
    if (std::strcmp(doc.document_element().name(), "data") == 0)
        return doc.document_element();
    pugi::xml_node node = doc.first_child();
    while (node) {
        if (node.type() == pugi::node_element && std::strcmp(node.name(), "data") == 0)
            return node;
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling())
            node = node.parent();
        if (node)
            node = node.next_sibling();
    }
    return {};
}

QString childText(pugi::xml_node item, const char *name)
{
    return XmlNode(item).selectSingleNode(QLatin1String(name)).text();
}

// The id of a stored item; an item written without one (by an older
// program, for a linkless entry) gets the id a merge would give it.
QString storedId(pugi::xml_node item)
{
    const char *id = item.first_attribute().value();
    if (*id)
        return QString::fromUtf8(id);
    return ItemId::of(childText(item, "link"), childText(item, "media"), childText(item, "title"),
        childText(item, "date"), childText(item, "desc"));
}

void appendField(pugi::xml_node item, const char *name, std::string_view text)
{
    pugi::xml_node element = item.append_child(name);
    if (!text.empty())
        element.append_child(pugi::node_pcdata).set_value(text.data(), text.size());
}

// The stored form of an entry, written straight into the document.
void appendItem(XmlNode &items, const FeedEntries::Stored &entry)
{
    pugi::xml_node item = items.raw().append_child("item");
    // Ids are digests, ASCII; any other text takes the long way.
    char ascii[64];
    const qsizetype length = entry.id.size();
    bool plain = length < qsizetype(sizeof ascii);
    for (qsizetype i = 0; plain && i < length; ++i) {
        const char16_t c = entry.id.at(i).unicode();
        plain = c < 0x80;
        ascii[i] = char(c);
    }
    if (plain)
        item.append_attribute("id").set_value(ascii, size_t(length));
    else
        item.append_attribute("id").set_value(entry.id.toUtf8().constData());
    item.append_attribute("status").set_value("0");
    appendField(item, "title", entry.title);
    appendField(item, "link", entry.link);
    appendField(item, "date", entry.dateText);
    appendField(item, "desc", entry.description);
    appendField(item, "media", entry.media);
}

// "latest" follows "items" directly, also when the fetch state was stored
// first, so that readers that take the children by position find it.
void setLatest(XmlDocument &doc, const QString &latest)
{
    XmlNode mark(dataChild(doc.raw(), "latest"));
    if (!mark) {
        const pugi::xml_node items = dataChild(doc.raw(), "items");
        if (items && items.next_sibling())
            mark = XmlNode(items.parent().insert_child_after("latest", items));
        else
            mark = XmlNode(firstData(doc.raw())).appendElement(QStringLiteral("latest"));
    }
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
    row.id = storedId(item);
    if (!quickDateKey(row.dateText, row.dateKey))
        row.dateKey = FeedStore::storedDateKey(row.dateText);
    return row;
}

} // namespace

FeedDocument::State FeedDocument::load(const QString &fileName)
{
    m_index.clear();
    m_indexed = false;
    m_items = XmlNode();
    m_doc.loadXML(QString());
    if (fileName.isEmpty() || !mUtil::FileExists(fileName))
        return m_state = State::Missing;
    if (!m_doc.load(fileName))
        return m_state = State::Unreadable;
    m_items = XmlNode(dataChild(m_doc.raw(), "items"));
    return m_state = m_items ? State::Ready : State::NoItems;
}

QString FeedDocument::latest() const
{
    const XmlNode mark(dataChild(m_doc.raw(), "latest"));
    return mark ? mark.text() : QString();
}

QVector<FeedStore::Row> FeedDocument::rows() const
{
    QVector<FeedStore::Row> rows;
    if (m_state != State::Ready)
        return rows;
    const auto children = m_items.raw().children("item");
    rows.reserve(std::distance(children.begin(), children.end()));
    for (const pugi::xml_node item : children)
        rows.append(makeRow(item));
    return rows;
}

void FeedDocument::indexItem(pugi::xml_node item) const
{
    m_index.insert(storedId(item), item); // the first of a repeated id is found: see find()
}

pugi::xml_node FeedDocument::find(const QString &id) const
{
    if (m_state != State::Ready)
        return {};
    if (!m_indexed) {
        // Walked from the last so that the first of a repeated id stays.
        for (pugi::xml_node item = m_items.raw().last_child(); item; item = item.previous_sibling()) {
            if (item.type() == pugi::node_element && std::strcmp(item.name(), "item") == 0)
                indexItem(item);
        }
        m_indexed = true;
    }
    return m_index.value(id);
}

bool FeedDocument::read(const QString &id, FeedItem &into) const
{
    const pugi::xml_node item = find(id);
    if (!item)
        return false;
    into.ID = id;
    readItem(XmlNode(item), into);
    return true;
}

bool FeedDocument::markRead(const QString &id)
{
    XmlNode item(find(id));
    return item && markItemRead(item);
}

bool FeedDocument::markUnread(const QString &id)
{
    XmlNode item(find(id));
    if (!item || !item.hasAttributeAt(1) || !isRead(item.attribute(1).toUtf8().constData()))
        return false;
    item.setAttributeAt(1, QStringLiteral("0"));
    return true;
}

bool FeedDocument::remove(const QString &id)
{
    const pugi::xml_node item = find(id);
    if (!item)
        return false;
    m_index.remove(id);
    m_items.removeChild(XmlNode(item));
    // A later item with the same id is found from now on.
    for (pugi::xml_node other = m_items.raw().first_child(); other; other = other.next_sibling()) {
        if (other.type() == pugi::node_element && std::strcmp(other.name(), "item") == 0
            && storedId(other) == id) {
            m_index.insert(id, other);
            break;
        }
    }
    return true;
}

FeedStore::MergeResult FeedDocument::merge(const FeedEntries &items)
{
    FeedStore::MergeResult result;
    if (items.size() <= 1)
        return result;
    if (!makeReady()) {
        result.ok = false;
        result.error = FeedStore::failureText(m_state, DefaultTexts::english);
        return result;
    }

    // Keys compare as numbers; one that is not counts as no key at all, below
    // every usable key.
    const std::optional<double> before = FeedStore::keyValue(latest());
    std::optional<double> mark = before;
    QString markText;
    find(QString()); // every stored id indexed
    FeedEntries::Stored entry;
    FeedEntries::StoredBuffers buffers;
    for (qsizetype i = items.size() - 1; i >= 1; --i) {
        items.stored(i, entry, buffers);
        const bool dated = entry.key >= 0;
        if (dated && (!mark || double(entry.key) > *mark)) {
            mark = double(entry.key);
            markText = QString::fromLatin1(entry.keyText);
        }
        if (m_index.contains(entry.id) || (dated && before && *before > double(entry.key)))
            continue;
        appendItem(m_items, entry);
        m_index.insert(entry.id, m_items.raw().last_child());
        result.addedIndexes.append(i);
    }
    result.markRaised = !markText.isEmpty();
    if (result.markRaised)
        setLatest(m_doc, markText);
    result.added = int(result.addedIndexes.size());
    result.entries = items;
    return result;
}

bool FeedDocument::makeReady()
{
    if (m_state == State::Missing) {
        m_doc.loadXML(QStringLiteral("<data><items/></data>"));
        m_items = XmlNode(dataChild(m_doc.raw(), "items"));
        m_state = State::Ready;
        m_index.clear();
        m_indexed = true;
    }
    return m_state == State::Ready;
}

namespace
{

const char *const EtagField = "etag";
const char *const LastModifiedField = "lastmodified";
const char *const NotBeforeField = "notbefore";

} // namespace

FetchState FeedDocument::fetchState() const
{
    const auto text = [this](const char *name) {
        const XmlNode field(dataChild(m_doc.raw(), name));
        return field ? field.text() : QString();
    };
    FetchState state;
    state.etag = text(EtagField);
    state.lastModified = text(LastModifiedField);
    state.notBefore = QDateTime::fromString(text(NotBeforeField), Qt::ISODate);
    return state;
}

// Sets a field of the fetch state, appended to "data" when new; an empty
// text removes it.
bool FeedDocument::setField(const char *name, const QString &text)
{
    XmlNode field(dataChild(m_doc.raw(), name));
    if (text.isEmpty()) {
        if (!field)
            return false;
        field.raw().parent().remove_child(field.raw());
        return true;
    }
    if (field && field.text() == text)
        return false;
    if (!field)
        field = XmlNode(firstData(m_doc.raw())).appendElement(QString::fromLatin1(name));
    field.setText(text);
    return true;
}

bool FeedDocument::setValidators(const FetchState &validators)
{
    if (!makeReady())
        return false;
    bool changed = setField(EtagField, validators.etag);
    changed = setField(LastModifiedField, validators.lastModified) || changed;
    return setField(NotBeforeField, QString()) || changed;
}

bool FeedDocument::setNotBefore(const QDateTime &notBefore)
{
    return makeReady() && setField(NotBeforeField, notBefore.toUTC().toString(Qt::ISODate));
}
