#include "feeds/FeedParser.h"

#include "feeds/XmlSpace.h"

#include "feeds/Encoding.h"
#include "feeds/FeedDateText.h"
#include "feeds/XmlRepair.h"
#include "util/HttpRequest.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"
#include "util/Utilities.h"
#include "util/XmlDocument.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace FeedParser
{

namespace
{

constexpr std::string_view rdfNamespace = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
constexpr std::string_view rss10Namespace = "http://purl.org/rss/1.0/";
constexpr std::string_view rss090Namespace = "http://my.netscape.com/rdf/simple/0.9/";
constexpr std::string_view atom10Namespace = "http://www.w3.org/2005/Atom";
constexpr std::string_view atom03Namespace = "http://purl.org/atom/ns#";
constexpr std::string_view dcNamespace = "http://purl.org/dc/elements/1.1/";
constexpr std::string_view contentNamespace = "http://purl.org/rss/1.0/modules/content/";
constexpr std::string_view xmlNamespace = "http://www.w3.org/XML/1998/namespace";

constexpr int maxEntries = 32767;

// Declared entities may make a document's texts grow by this many times its
// own size, and never past what a download may bring.
constexpr size_t ExpansionFactor = 4;
constexpr size_t MaxResolvedBytes = size_t(HttpRequest::MaxBodyBytes);

// References are resolved when a text is read, so that a reference the XML
// parser would not know does not cost the document. Text nodes of white space
// alone are not kept: between the children of an element they would double
// the nodes of a typical feed, for the rare field written as markup. Line
// ends are normalized only in a text that has a CR.
constexpr unsigned parseOptions = (pugi::parse_default & ~pugi::parse_escapes) | pugi::parse_doctype;

bool hasColon(const char *name)
{
    for (; *name; ++name) {
        if (*name == ':')
            return true;
    }
    return false;
}

// The prefix an attribute declares ("" for the default namespace), or false
// when it declares none.
bool declaresPrefix(const char *name, std::string_view &prefix)
{
    if (name[0] != 'x' || std::strncmp(name, "xmlns", 5) != 0 || (name[5] != 0 && name[5] != ':'))
        return false;
    prefix = name[5] ? std::string_view(name + 6) : std::string_view();
    return true;
}

// What a prefix means when nothing declares it: no namespace for none, the
// XML namespace for "xml", nullptr (not bound) for any other.
const char *undeclared(std::string_view prefix)
{
    if (prefix.empty())
        return "";
    return prefix == "xml" ? xmlNamespace.data() : nullptr;
}

struct QualifiedName {
    std::string_view local;
    std::string_view space;
    bool bound = true; // false for a prefix that no enclosing element declares
};

template<class Resolve> QualifiedName splitName(const char *name, Resolve resolve)
{
    // One pass finds both the colon and the end.
    const char *colon = nullptr;
    const char *end = name;
    for (; *end; ++end) {
        if (*end == ':' && !colon)
            colon = end;
    }
    const std::string_view prefix = colon ? std::string_view(name, size_t(colon - name)) : std::string_view();
    const char *space = resolve(prefix);
    return {colon ? std::string_view(colon + 1, size_t(end - colon - 1))
                  : std::string_view(name, size_t(end - name)),
        space ? space : "", space || prefix == "xmlns"};
}

// What a walk does after visiting an element.
enum class Step { Descend, Skip, Stop };

// The namespace declarations in scope while walking down the tree, where
// looking up every name through the ancestors would cost too much. A name
// whose prefix nothing declares makes the document ill-formed: the scope
// notes one among the names it is asked about. So does a scope holding more
// declarations than any feed needs, which would make every lookup slow.
class NamespaceScope
{
public:
    static constexpr size_t MaxBindings = 128;

    // Takes in the declarations of an element and checks the prefixes of its
    // attributes; returns the mark to leave it by.
    size_t enter(pugi::xml_node element)
    {
        const size_t mark = m_bindings.size();
        bool prefixed = false;
        for (pugi::xml_attribute attribute = element.first_attribute(); attribute;
             attribute = attribute.next_attribute()) {
            const char *name = attribute.name();
            std::string_view prefix;
            if (declaresPrefix(name, prefix)) {
                if (m_bindings.size() >= MaxBindings) {
                    m_overflow = true;
                    continue;
                }
                m_bindings.push_back({prefix, attribute.value()});
            } else
                prefixed = prefixed || hasColon(name);
        }
        // A declaration may follow its use on the same element.
        if (prefixed) {
            for (pugi::xml_attribute attribute = element.first_attribute(); attribute;
                 attribute = attribute.next_attribute())
                name(attribute.name());
        }
        return mark;
    }

    // Enters an element and all its ancestors.
    void enterPath(pugi::xml_node element)
    {
        std::vector<pugi::xml_node> path;
        for (; element.type() == pugi::node_element; element = element.parent())
            path.push_back(element);
        for (auto node = path.rbegin(); node != path.rend(); ++node)
            enter(*node);
    }

    void leave(size_t mark) { m_bindings.resize(mark); }

    // The namespace bound to a prefix: "" for no namespace, nullptr for a
    // prefix that is not bound.
    const char *resolve(std::string_view prefix) const
    {
        for (auto binding = m_bindings.rbegin(); binding != m_bindings.rend(); ++binding) {
            if (binding->prefix == prefix)
                return binding->uri;
        }
        return undeclared(prefix);
    }

    QualifiedName name(const char *name)
    {
        const QualifiedName split
            = splitName(name, [this](std::string_view prefix) { return resolve(prefix); });
        m_unbound = m_unbound || !split.bound;
        return split;
    }

    // Walks the elements below top (entered already) in document order, each
    // with its own declarations in scope, without recursion: visit(element,
    // name) tells whether to go below it. A scope that overflowed ends the walk.
    template<class Visit> void walkBelow(pugi::xml_node top, Visit visit)
    {
        const size_t depth = m_marks.size();
        pugi::xml_node node = top.first_child();
        while (node && !m_overflow) {
            if (node.type() == pugi::node_element) {
                const size_t mark = enter(node);
                const Step step = visit(node, name(node.name()));
                if (step == Step::Stop) {
                    leave(mark);
                    break;
                }
                if (const pugi::xml_node child
                    = step == Step::Descend ? node.first_child() : pugi::xml_node()) {
                    m_marks.push_back(mark);
                    node = child;
                    continue;
                }
                leave(mark);
            }
            pugi::xml_node next = node.next_sibling();
            for (; !next && m_marks.size() > depth; next = node.next_sibling()) {
                node = node.parent();
                leave(m_marks.back());
                m_marks.pop_back();
            }
            node = next;
        }
        for (; m_marks.size() > depth; m_marks.pop_back())
            leave(m_marks.back());
    }

    // Checks the names of every element below top (entered already) in
    // document order, but for what is below the elements of checked, which
    // come in document order too.
    void checkBelow(pugi::xml_node top, const std::vector<pugi::xml_node> &checked = {})
    {
        size_t nextChecked = 0;
        walkBelow(top, [&](pugi::xml_node node, const QualifiedName &) {
            const bool below = nextChecked < checked.size() && node == checked[nextChecked];
            nextChecked += below;
            return below ? Step::Skip : Step::Descend;
        });
    }

    // False after an unbound prefix or too many declarations.
    bool wellFormed() const { return !m_unbound && !m_overflow; }

private:
    struct Binding {
        std::string_view prefix;
        const char *uri;
    };
    std::vector<Binding> m_bindings;
    std::vector<size_t> m_marks;
    bool m_unbound = false;
    bool m_overflow = false;
};

pugi::xml_node nextElement(pugi::xml_node node)
{
    while (node && node.type() != pugi::node_element)
        node = node.next_sibling();
    return node;
}

// The first element of the document, in document order, that match(element,
// name, scope) accepts, with the element's declarations in scope.
template<class Match> pugi::xml_node findElement(const pugi::xml_document &xml, Match match)
{
    NamespaceScope scope;
    pugi::xml_node found;
    scope.walkBelow(xml, [&](pugi::xml_node element, const QualifiedName &name) {
        if (!match(element, name, scope))
            return Step::Descend;
        found = element;
        return Step::Stop;
    });
    return found;
}

bool isBlankBytes(const QByteArray &data)
{
    return std::all_of(data.begin(), data.end(), XmlSpace::is);
}

// A feed document while it is read: the tree points into the buffer of what
// the entries keep.
struct Document {
    std::shared_ptr<FeedEntries::Document> kept = std::make_shared<FeedEntries::Document>();
    pugi::xml_document xml;
    XmlRepair::EntityTable entities;
};

Failure load(const QByteArray &data, const QString &httpCharset, Document &document)
{
    if (isBlankBytes(data))
        return Failure::Empty;
    bool carriageReturns = false;
    QByteArray &buffer = document.kept->buffer;
    if (!FeedEncoding::toUtf8(data, httpCharset, buffer, &carriageReturns))
        return Failure::NotXml;
    const pugi::xml_parse_result parsed
        = document.xml.load_buffer_inplace(buffer.data(), size_t(buffer.size()),
            carriageReturns ? parseOptions : parseOptions & ~pugi::parse_eol, pugi::encoding_utf8);
    if (!parsed)
        return Failure::NotXml;
    int roots = 0;
    for (pugi::xml_node node = document.xml.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_element)
            ++roots;
        else if (node.type() == pugi::node_doctype)
            document.entities = XmlRepair::EntityTable::fromDoctype(node.value());
    }
    return roots == 1 ? Failure::None : Failure::NotXml;
}

// The day of a date the date reader accepted: its one or two digits.
int dayNumber(std::string_view text)
{
    int day = 0;
    for (const char c : text) {
        if (c >= '0' && c <= '9')
            day = day * 10 + (c - '0');
    }
    return day;
}

bool isPermaLink(pugi::xml_node guid)
{
    return QString::fromUtf8(guid.attribute("isPermaLink").value())
               .trimmed()
               .compare(QLatin1String("false"), Qt::CaseInsensitive)
        != 0;
}

// A result without entries: only the empty element 0.
Result emptyResult(Failure failure)
{
    Result result;
    result.failure = failure;
    return result;
}

using Text = FeedEntries::Text;
using Record = FeedEntries::Record;

Text plainText(std::string_view text)
{
    return {text.data(), std::int32_t(text.size()), false};
}

// Whether raw text starts with a reference to one of the entities XML
// predefines, none of which is white space.
bool startsWithXmlEntity(const char *text)
{
    for (const char *entity : {"&lt;", "&gt;", "&amp;", "&quot;", "&apos;"}) {
        if (std::strncmp(text, entity, std::strlen(entity)) == 0)
            return true;
    }
    return false;
}

// The walk over the entries reads their nodes, and names and short texts
// scattered through the document, long after the parser left them. Asking
// for the memory of the entry two ahead (guessed from the length of the last
// one) spares waiting for each piece in turn.
class ReadAhead
{
public:
    void passing(const char *here)
    {
        const auto at = reinterpret_cast<std::uintptr_t>(here);
        if (m_last != 0 && at > m_last) {
            const std::uintptr_t step = std::min<std::uintptr_t>(at - m_last, maxStep);
            for (std::uintptr_t ahead = 2 * step; ahead < 3 * step; ahead += cacheLine)
                __builtin_prefetch(reinterpret_cast<const void *>(at + ahead));
        }
        m_last = at;
    }

private:
    static constexpr std::uintptr_t maxStep = 4096;
    static constexpr std::uintptr_t cacheLine = 64;
    std::uintptr_t m_last = 0;
};

// An element child of an entry or feed, with its content as far as reading
// it needs: a single piece of text, the common case, is read where it stands.
struct Field {
    enum class Content { Absent, Empty, Text, CData, Mixed };

    pugi::xml_node element;
    pugi::xml_node text; // the only child, for Text and CData
    Content content = Content::Absent;

    bool present() const { return content != Content::Absent; }
};

// Reads entries out of a loaded document by the rules of its format.
class FeedReader
{
public:
    explicit FeedReader(Document &document)
        : m_document(document),
          m_kept(*document.kept),
          m_budget(std::min(ExpansionFactor * size_t(document.kept->buffer.size()), MaxResolvedBytes))
    {
    }

    Result readRss();
    Result readAtom();
    // False when a name anywhere in the document has a prefix that is not
    // bound; the entries read were checked on the way.
    bool namespacesBound() const;
    // False when the declared entities would have made the document's texts
    // grow past their allowance.
    bool withinExpansionBudget() const { return !m_budget.exceeded(); }
    // Resolves the declared entities in the texts the records keep raw, so
    // that the entries never need the document's declarations.
    void resolveDeclaredEntities();

private:
    // Calls visit(element, name) for each element child, with the child's
    // own declarations in scope; stops when visit returns false.
    template<class Visit> void forEachChild(pugi::xml_node parent, Visit visit)
    {
        for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
            if (child.type() != pugi::node_element)
                continue;
            const size_t mark = m_scope.enter(child);
            const bool more = visit(child, m_scope.name(child.name()));
            m_scope.leave(mark);
            if (!more)
                break;
        }
    }

    bool isFeed(const QualifiedName &name, std::string_view local) const
    {
        return name.local == local && name.space == m_space;
    }

    std::string_view keep(std::string &&text);
    Field fieldOf(pugi::xml_node element);
    Text textOf(const Field &field);
    std::string_view textView(const Field &field);
    std::string_view valueView(const char *value);
    std::string_view attributeView(pugi::xml_node element, const char *name);
    Text attributeOf(pugi::xml_node element, const char *name);
    bool isBlank(const Text &text);
    QString stringOf(const Text &text);
    void resolveRaw(Text &text);

    Result start(Kind kind);
    void readFeedTitle(pugi::xml_node container, Result &result);
    template<class Read> bool readEntry(Result &result, pugi::xml_node child, bool isEntry, Read read);
    void checkedAll(pugi::xml_node container);
    template<class Read> bool add(Result &result, pugi::xml_node element, Read read);
    void rssItem(pugi::xml_node element, Record &record);
    void atomEntry(pugi::xml_node element, Record &record);
    static void setLink(Record &record, std::string_view link);
    void setDate(Record &record, const Field &preferred, const Field &fallback, bool writtenMonth);

    Document &m_document;
    FeedEntries::Document &m_kept;
    XmlRepair::ExpansionBudget m_budget;
    NamespaceScope m_scope;
    ReadAhead m_textAhead;
    ReadAhead m_nodesAhead;
    // Elements below which every name was checked while reading: the
    // entries, or the whole container once all its children were read.
    std::vector<pugi::xml_node> m_checked;
    bool m_stopped = false; // the entry limit cut the reading short
    std::string_view m_space;
};

// Texts made while reading live as long as the entries.
std::string_view FeedReader::keep(std::string &&text)
{
    return m_kept.resolved.emplace_back(std::move(text));
}

// Sorts out the content of an element, whose own declarations are in scope,
// and checks the names of any elements in it.
Field FeedReader::fieldOf(pugi::xml_node element)
{
    Field field;
    field.element = element;
    field.content = Field::Content::Empty;
    const pugi::xml_node first = element.first_child();
    if (!first)
        return field;
    const pugi::xml_node_type type = first.type();
    if ((type == pugi::node_pcdata || type == pugi::node_cdata) && !first.next_sibling()) {
        field.text = first;
        field.content = type == pugi::node_pcdata ? Field::Content::Text : Field::Content::CData;
        return field;
    }
    field.content = Field::Content::Mixed;
    m_scope.checkBelow(element);
    return field;
}

// The character data of a field and its descendants. One piece of text is
// left where it stands with its references, to be resolved when it is used;
// several pieces are put together now.
Text FeedReader::textOf(const Field &field)
{
    switch (field.content) {
    case Field::Content::Absent:
        return Text();
    case Field::Content::Empty:
        return plainText("");
    case Field::Content::Text:
        return {field.text.value(), -1, true};
    case Field::Content::CData:
        return {field.text.value(), -1, false};
    case Field::Content::Mixed:
        break;
    }
    std::string joined;
    XmlText::forEachText(field.element, [&](pugi::xml_node text) {
        if (text.type() == pugi::node_pcdata)
            XmlRepair::appendResolved(joined, text.value(), m_document.entities, m_budget);
        else
            joined += text.value();
    });
    return plainText(keep(std::move(joined)));
}

// The text of a field with its references resolved; it stays valid with the
// entries.
std::string_view FeedReader::textView(const Field &field)
{
    const Text text = textOf(field);
    return text.raw ? valueView(text.data) : text.view();
}

// The text is never changed where it stands, so nothing is resolved twice.
std::string_view FeedReader::valueView(const char *value)
{
    const std::string_view text(value);
    if (text.find('&') == std::string_view::npos)
        return text;
    std::string resolved;
    XmlRepair::appendResolved(resolved, text, m_document.entities, m_budget);
    return keep(std::move(resolved));
}

// The value of an attribute, trimmed; empty when there is none.
std::string_view FeedReader::attributeView(pugi::xml_node element, const char *name)
{
    return XmlSpace::trimmed(valueView(element.attribute(name).value()));
}

Text FeedReader::attributeOf(pugi::xml_node element, const char *name)
{
    return element.attribute(name) ? plainText(attributeView(element, name)) : Text();
}

// Empty or white space alone. Nearly every text shows otherwise by its first
// character that is not white space, without being made into a string.
bool FeedReader::isBlank(const Text &text)
{
    if (text.isNull())
        return true;
    const char *end = text.size < 0 ? nullptr : text.data + text.size;
    const char *at = text.data;
    while (at != end && *at && XmlSpace::is(*at))
        ++at;
    if (at == end || !*at)
        return true;
    if (uchar(*at) < 0x80 && (*at != '&' || !text.raw))
        return false;
    if (text.raw && startsWithXmlEntity(at))
        return false;
    const QString whole = stringOf(text);
    return std::all_of(whole.begin(), whole.end(), [](QChar c) { return c.isSpace(); });
}

// A text as a string, with the document's declared entities resolved.
QString FeedReader::stringOf(const Text &text)
{
    if (!text.raw || m_document.entities.isEmpty())
        return FeedEntries::toString(text);
    std::string resolved;
    XmlRepair::appendResolved(resolved, text.view(), m_document.entities, m_budget);
    return QString::fromUtf8(resolved.data(), qsizetype(resolved.size()));
}

void FeedReader::resolveRaw(Text &text)
{
    if (!text.raw)
        return;
    std::string resolved;
    XmlRepair::appendResolved(resolved, text.view(), m_document.entities, m_budget);
    text = plainText(keep(std::move(resolved)));
}

void FeedReader::resolveDeclaredEntities()
{
    if (m_document.entities.isEmpty())
        return;
    for (Record &record : m_kept.records) {
        for (Text *text :
            {&record.title, &record.link, &record.description, &record.media, &record.day, &record.month}) {
            resolveRaw(*text);
            if (m_budget.exceeded())
                return;
        }
    }
}

// The records are not reserved ahead: counting the entries first would cost
// a walk over the whole tree, more than letting the records grow.
Result FeedReader::start(Kind kind)
{
    Result result;
    result.count = 0;
    result.kind = kind;
    return result;
}

void FeedReader::readFeedTitle(pugi::xml_node container, Result &result)
{
    forEachChild(container, [&](pugi::xml_node child, const QualifiedName &name) {
        if (!isFeed(name, "title"))
            return true;
        result.feedTitle = stringOf(textOf(fieldOf(child)));
        return false;
    });
}

// Reads a child of the container: an entry while there is room, else only
// the names below it. False once the document has given as many entries as
// one parse takes.
template<class Read> bool FeedReader::readEntry(Result &result, pugi::xml_node child, bool isEntry, Read read)
{
    if (isEntry)
        return add(result, child, read);
    m_scope.checkBelow(child);
    return true;
}

// Once every child of the container was read, the names below it need no
// second look.
void FeedReader::checkedAll(pugi::xml_node container)
{
    if (!m_stopped)
        m_checked.assign(1, container);
}

// Reads an entry while there is room; false once the document has given as
// many as one parse takes.
template<class Read> bool FeedReader::add(Result &result, pugi::xml_node element, Read read)
{
    if (result.count >= maxEntries) {
        m_stopped = true;
        return false;
    }
    m_textAhead.passing(element.name());
    m_nodesAhead.passing(reinterpret_cast<const char *>(element.internal_object()));
    (this->*read)(element, m_kept.records.emplace_back());
    ++result.count;
    return true;
}

void FeedReader::setLink(Record &record, std::string_view link)
{
    if (link.empty())
        return;
    record.link = plainText(link);
}

void FeedReader::setDate(Record &record, const Field &preferred, const Field &fallback, bool writtenMonth)
{
    FeedDate date;
    if (preferred.present())
        date = parseFeedDate(textView(preferred));
    if (!date.isValid() && fallback.present())
        date = parseFeedDate(textView(fallback));
    if (!date.isValid())
        return;
    record.monthNumber = date.month;
    record.dayNumber = dayNumber(date.dayText);
    if (writtenMonth && !date.monthText.empty())
        record.month = plainText(date.monthText);
    record.day = plainText(date.dayText);
    record.year = date.year;
    std::memcpy(record.time, date.time, sizeof record.time);
}

// When an element repeats in an entry, the last one counts.
void FeedReader::rssItem(pugi::xml_node element, Record &record)
{
    Field title, link, description, pubDate, enclosure, guid, dcDate, encoded;
    forEachChild(element, [&](pugi::xml_node child, const QualifiedName &name) {
        const Field field = fieldOf(child);
        if (name.space == m_space) {
            if (name.local == "title")
                title = field;
            else if (name.local == "link")
                link = field;
            else if (name.local == "description")
                description = field;
            else if (name.local == "pubDate")
                pubDate = field;
            else if (name.local == "enclosure")
                enclosure = field;
            else if (name.local == "guid")
                guid = field;
        } else if (name.space == dcNamespace && name.local == "date") {
            dcDate = field;
        } else if (name.space == contentNamespace && name.local == "encoded") {
            encoded = field;
        }
        return true;
    });
    m_checked.push_back(element);
    if (title.present())
        record.title = textOf(title);
    std::string_view linkText = link.present() ? XmlSpace::trimmed(textView(link)) : std::string_view();
    if (linkText.empty() && guid.present() && isPermaLink(guid.element))
        linkText = textView(guid);
    setLink(record, XmlSpace::trimmed(linkText));
    setDate(record, pubDate, dcDate, true);
    if (description.present())
        record.description = textOf(description);
    if (encoded.present() && isBlank(record.description))
        record.description = textOf(encoded);
    if (enclosure.present())
        record.media = attributeOf(enclosure.element, "url");
}

bool isRdfSpace(std::string_view space)
{
    return space == rss10Namespace || space == rss090Namespace || space.empty();
}

// The RSS container: the first rss element, or an RDF root. Its channel is
// the first channel child of the container's namespace (for RDF, of an RSS
// 1.0 or 0.90 namespace); a container without one is still a feed.
Result FeedReader::readRss()
{
    const pugi::xml_node root = m_document.xml.document_element();
    pugi::xml_node channel;
    Kind kind = Kind::Rss;
    const auto isContainer = [&](pugi::xml_node candidate, const QualifiedName &name, NamespaceScope &scope) {
        const bool rdf = candidate == root && name.local == "RDF" && name.space == rdfNamespace;
        if (!rdf && name.local != "rss")
            return false;
        kind = rdf ? Kind::Rdf : Kind::Rss;
        m_space = rdf ? rss10Namespace : name.space;
        for (pugi::xml_node child = nextElement(candidate.first_child()); child;
             child = nextElement(child.next_sibling())) {
            const size_t mark = scope.enter(child);
            const QualifiedName childName = scope.name(child.name());
            scope.leave(mark);
            if (childName.local == "channel"
                && (rdf ? isRdfSpace(childName.space) : childName.space == name.space)) {
                channel = child;
                m_space = childName.space;
                break;
            }
        }
        return true;
    };
    const pugi::xml_node container = findElement(m_document.xml, isContainer);
    if (!container) {
        return emptyResult(Failure::NotRss);
    }
    m_scope.enterPath(container);
    Result result = start(kind);
    // RDF puts the items beside the channel, RSS inside it; either is taken
    // from both places.
    forEachChild(container, [&](pugi::xml_node child, const QualifiedName &name) {
        if (child == channel) {
            readFeedTitle(channel, result);
            result.podcast = bool(channel.child("itunes:summary"));
            forEachChild(channel, [&](pugi::xml_node item, const QualifiedName &itemName) {
                return readEntry(result, item, isFeed(itemName, "item"), &FeedReader::rssItem);
            });
            return !m_stopped;
        }
        return readEntry(result, child, isFeed(name, "item"), &FeedReader::rssItem);
    });
    checkedAll(container);
    return result;
}

// The link is the first one without rel or with rel "alternate", else the
// last one; a link with rel "enclosure" gives the media.
void FeedReader::atomEntry(pugi::xml_node element, Record &record)
{
    Field title, content, summary, published, updated;
    pugi::xml_node alternate, lastLink, enclosure;
    forEachChild(element, [&](pugi::xml_node child, const QualifiedName &name) {
        const Field field = fieldOf(child);
        if (name.space != m_space)
            return true;
        if (name.local == "title") {
            title = field;
        } else if (name.local == "link") {
            const std::string_view rel = attributeView(child, "rel");
            if (!alternate && (rel.empty() || rel == "alternate"))
                alternate = child;
            if (!enclosure && rel == "enclosure" && child.attribute("href"))
                enclosure = child;
            lastLink = child;
        } else if (name.local == "content") {
            content = field;
        } else if (name.local == "summary") {
            summary = field;
        } else if (name.local == "published" || name.local == "issued") {
            published = field;
        } else if (name.local == "updated" || name.local == "modified") {
            updated = field;
        }
        return true;
    });
    m_checked.push_back(element);
    if (title.present())
        record.title = textOf(title);
    if (enclosure)
        record.media = attributeOf(enclosure, "href");
    const pugi::xml_node link = alternate ? alternate : lastLink;
    setLink(record, attributeView(link, "href"));
    setDate(record, published, updated, false);
    if (content.present())
        record.description = textOf(content);
    if (summary.present() && isBlank(record.description))
        record.description = textOf(summary);
}

Result FeedReader::readAtom()
{
    const auto isFeedElement = [](pugi::xml_node, const QualifiedName &name, NamespaceScope &) {
        return name.local == "feed"
            && (name.space == atom10Namespace || name.space == atom03Namespace || name.space.empty());
    };
    const pugi::xml_node feed = findElement(m_document.xml, isFeedElement);
    if (!feed) {
        return emptyResult(Failure::NotAtom);
    }
    m_scope.enterPath(feed);
    m_space = m_scope.name(feed.name()).space;
    Result result = start(Kind::Atom);
    readFeedTitle(feed, result);
    forEachChild(feed, [&](pugi::xml_node child, const QualifiedName &name) {
        return readEntry(result, child, isFeed(name, "entry"), &FeedReader::atomEntry);
    });
    checkedAll(feed);
    return result;
}

bool FeedReader::namespacesBound() const
{
    NamespaceScope whole;
    whole.checkBelow(m_document.xml, m_checked);
    return m_scope.wellFormed() && whole.wellFormed();
}

enum class Rules { Rss, Atom, ByRoot };

bool hasAtomRoot(const Document &document)
{
    const pugi::xml_node root = document.xml.document_element();
    const char *colon = std::strchr(root.name(), ':');
    return std::strcmp(colon ? colon + 1 : root.name(), "feed") == 0;
}

Result parse(const QByteArray &data, const QString &httpCharset, Rules rules)
{
    Document document;
    const Failure failure = load(data, httpCharset, document);
    if (failure != Failure::None) {
        return emptyResult(failure);
    }
    FeedReader reader(document);
    Result result = rules == Rules::Atom || (rules == Rules::ByRoot && hasAtomRoot(document))
        ? reader.readAtom()
        : reader.readRss();
    reader.resolveDeclaredEntities();
    if (!reader.namespacesBound() || !reader.withinExpansionBudget())
        return emptyResult(Failure::NotXml);
    if (result.failure == Failure::None)
        result.items = FeedEntries(std::move(document.kept));
    return result;
}

} // namespace

QString decode(const QByteArray &bytes, const QString &httpCharset)
{
    QByteArray text;
    if (!FeedEncoding::toUtf8(bytes, httpCharset, text))
        return QString();
    return QString::fromUtf8(text);
}

Result ParseRSS(const QByteArray &data, bool isPodcast, const QString &httpCharset)
{
    Q_UNUSED(isPodcast) // a podcast is read like any other RSS feed
    return parse(data, httpCharset, Rules::Rss);
}

Result ParseATOM(const QByteArray &data, const QString &httpCharset)
{
    return parse(data, httpCharset, Rules::Atom);
}

Result parseAny(const QByteArray &data, const QString &httpCharset)
{
    return parse(data, httpCharset, Rules::ByRoot);
}

Result parseByType(int feedType, const QByteArray &data, const QString &httpCharset)
{
    switch (feedType) {
    case 0:
    case 2:
        return ParseRSS(data, feedType == 2, httpCharset);
    case 1:
        return ParseATOM(data, httpCharset);
    default:
        break;
    }
    Result none = emptyResult(Failure::None);
    none.count = 0;
    return none;
}

Result parseCorrecting(int feedType, const QByteArray &data, const QString &httpCharset, int *correctedType)
{
    if (correctedType)
        *correctedType = -1;
    Result result = parseByType(feedType, data, httpCharset);
    if (result.failure != Failure::NotRss && result.failure != Failure::NotAtom)
        return result;
    Result other = parseAny(data, httpCharset);
    if (other.failure != Failure::None)
        return result;
    const int found = other.kind == Kind::Atom ? 1 : 0;
    if (found == feedType || (found == 0 && feedType == 2))
        return result;
    if (correctedType)
        *correctedType = found;
    return other;
}

QString failureTitle(Failure failure)
{
    switch (failure) {
    case Failure::Empty:
        return getMessages(Msg::EMPTYRESPONSE_TITLE);
    case Failure::NotXml:
        return getMessages(Msg::NOTXML_TITLE);
    case Failure::NotRss:
    case Failure::NotAtom:
        return getMessages(Msg::INVALIDFEED_TITLE);
    case Failure::None:
        break;
    }
    return QString();
}

QString failureText(Failure failure, DefaultTexts::Source texts)
{
    switch (failure) {
    case Failure::Empty:
        return texts(Msg::EMPTYRESPONSE);
    case Failure::NotXml:
        return texts(Msg::NOTXML);
    case Failure::NotRss:
        return texts(Msg::NOTRSS);
    case Failure::NotAtom:
        return texts(Msg::NOTATOM);
    case Failure::None:
        break;
    }
    return QString();
}

void reportFailure(Failure failure)
{
    if (failure != Failure::None)
        Messages::exclamation(failureTitle(failure), failureText(failure));
}

QString dateKey(const FeedItem &item)
{
    const QString month = mUtil::MonthNumber(item.Month);
    QString time = item.Time;
    time.remove(QLatin1Char(':'));
    bool dayOk = false;
    const int day = item.Day.toInt(&dayOk);
    bool yearOk = false;
    item.Year.toInt(&yearOk);
    if (month.isEmpty() || !dayOk || day < 1 || day > 31 || !yearOk || item.Year.size() != 4
        || time.size() != 6)
        return QString();
    QString key;
    key.reserve(14);
    key += item.Year;
    key += month;
    key += QChar(u'0' + day / 10);
    key += QChar(u'0' + day % 10);
    key += time;
    return key;
}

} // namespace FeedParser
