#include "util/XmlDocument.h"

#include "util/Utilities.h"

#include <QFile>
#include <QHash>

#include <sstream>

namespace
{

QByteArray utf8(const QString &text)
{
    return text.toUtf8();
}

// Compiled location paths, kept because the same few are asked again and
// again; one cache per thread, so documents can be read on any of them.
const pugi::xpath_query *compiledPath(const QString &path)
{
    static thread_local QHash<QString, std::shared_ptr<pugi::xpath_query>> cache;
    auto found = cache.find(path);
    if (found != cache.end())
        return found->get();
    auto query = std::make_shared<pugi::xpath_query>(path.toUtf8().constData());
    cache.insert(path, query);
    return query.get();
}

} // namespace

void XmlText::appendCharacterData(pugi::xml_node top, std::string &out)
{
    forEachText(top, [&out](pugi::xml_node text) { out += text.value(); });
}

void XmlText::removeSubtree(pugi::xml_node parent, pugi::xml_node child)
{
    // The library frees a subtree recursively; taking the leaves off first
    // keeps that to one level however deep the document.
    pugi::xml_node node = child;
    for (;;) {
        if (const pugi::xml_node last = node.last_child()) {
            node = last;
            continue;
        }
        if (node == child)
            break;
        pugi::xml_node up = node.parent();
        up.remove_child(node);
        node = up;
    }
    parent.remove_child(child);
}

namespace
{

struct ByteWriter : pugi::xml_writer {
    QByteArray bytes;
    void write(const void *data, size_t size) override
    {
        bytes.append(static_cast<const char *>(data), qsizetype(size));
    }
};

// Hands the text to a file as it is made, a large piece at a time, so that a
// large document is never held twice over.
struct DeviceWriter : pugi::xml_writer {
    static constexpr qsizetype Piece = 1 << 20;
    QIODevice &device;
    QByteArray pending;
    bool ok = true;
    explicit DeviceWriter(QIODevice &to) : device(to) { pending.reserve(Piece); }
    void write(const void *data, size_t size) override
    {
        pending.append(static_cast<const char *>(data), qsizetype(size));
        if (pending.size() >= Piece)
            flush();
    }
    bool flush()
    {
        ok = ok && device.write(pending) == pending.size();
        pending.clear();
        return ok;
    }
};

constexpr unsigned parseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;
constexpr unsigned saveOptions = pugi::format_raw | pugi::format_no_declaration;

} // namespace

QString XmlNode::nodeName() const
{
    return QString::fromUtf8(m_node.name());
}

QString XmlNode::text() const
{
    if (!m_node)
        return QString();
    if (m_node.type() == pugi::node_pcdata || m_node.type() == pugi::node_cdata)
        return QString::fromUtf8(m_node.value());
    pugi::xml_node first = m_node.first_child();
    if (first && !first.next_sibling()
        && (first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata))
        return QString::fromUtf8(first.value());
    std::string out;
    XmlText::appendCharacterData(m_node, out);
    return QString::fromStdString(out);
}

void XmlNode::setText(const QString &text) const
{
    while (pugi::xml_node child = m_node.first_child())
        XmlText::removeSubtree(m_node, child);
    if (!text.isEmpty())
        m_node.append_child(pugi::node_pcdata).set_value(utf8(text).constData());
}

XmlNode XmlNode::selectSingleNode(const QString &path) const
{
    if (!m_node)
        return XmlNode();
    const pugi::xpath_query *query = compiledPath(path);
    if (!query || !*query)
        return XmlNode();
    return XmlNode(query->evaluate_node(m_node).node());
}

QList<XmlNode> XmlNode::childNodes() const
{
    QList<XmlNode> out;
    for (pugi::xml_node child : m_node.children()) {
        if (child.type() == pugi::node_element)
            out.append(XmlNode(child));
    }
    return out;
}

bool XmlNode::hasChildNodes() const
{
    return bool(m_node.first_child());
}

XmlNode XmlNode::parentNode() const
{
    return XmlNode(m_node.parent());
}

int XmlNode::attributeCount() const
{
    int count = 0;
    for (pugi::xml_attribute a = m_node.first_attribute(); a; a = a.next_attribute())
        ++count;
    return count;
}

QString XmlNode::attribute(int index) const
{
    int i = 0;
    for (pugi::xml_attribute a = m_node.first_attribute(); a; a = a.next_attribute(), ++i) {
        if (i == index)
            return QString::fromUtf8(a.value());
    }
    return QString();
}

QString XmlNode::attribute(const QString &name) const
{
    pugi::xml_attribute a = m_node.attribute(utf8(name).constData());
    return a ? QString::fromUtf8(a.value()) : QString();
}

void XmlNode::setAttribute(const QString &name, const QString &value) const
{
    const QByteArray key = utf8(name);
    pugi::xml_attribute a = m_node.attribute(key.constData());
    if (!a)
        a = m_node.append_attribute(key.constData());
    a.set_value(utf8(value).constData());
}

void XmlNode::setAttributeAt(int index, const QString &value) const
{
    int i = 0;
    for (pugi::xml_attribute a = m_node.first_attribute(); a; a = a.next_attribute(), ++i) {
        if (i == index) {
            a.set_value(utf8(value).constData());
            return;
        }
    }
}

XmlNode XmlNode::appendChild(const XmlNode &child) const
{
    if (child.m_node.root() == m_node.root() && child.m_node.parent())
        return XmlNode(m_node.append_move(child.m_node));
    return XmlNode(m_node.append_copy(child.m_node));
}

XmlNode XmlNode::appendElement(const QString &name, const QString &text) const
{
    XmlNode element(m_node.append_child(utf8(name).constData()));
    if (!text.isEmpty())
        element.setText(text);
    return element;
}

bool XmlNode::removeChild(const XmlNode &child) const
{
    if (!child.m_node || child.m_node.parent() != m_node)
        return false;
    XmlText::removeSubtree(m_node, child.m_node);
    return true;
}

XmlDocument::XmlDocument() : m_doc(std::make_unique<pugi::xml_document>())
{
}

XmlDocument::~XmlDocument() = default;

bool XmlDocument::finishParse(const pugi::xml_parse_result &result, const char *begin, size_t size)
{
    m_errorLine = 0;
    m_errorReason.clear();
    if (result && m_doc->document_element())
        return true;
    if (result) {
        m_errorReason = QStringLiteral("No root element");
    } else {
        m_errorReason = QString::fromUtf8(result.description());
        const size_t offset = std::min<size_t>(size_t(std::max<ptrdiff_t>(result.offset, 0)), size);
        m_errorLine = 1 + int(std::count(begin, begin + offset, '\n'));
    }
    m_doc->reset();
    return false;
}

bool XmlDocument::loadBytes(const QByteArray &bytes)
{
    m_doc->reset();
    const auto result = m_doc->load_buffer(bytes.constData(), size_t(bytes.size()), parseOptions);
    return finishParse(result, bytes.constData(), size_t(bytes.size()));
}

bool XmlDocument::loadXML(const QString &text)
{
    m_doc->reset();
    const QByteArray bytes = text.toUtf8();
    const auto result
        = m_doc->load_buffer(bytes.constData(), size_t(bytes.size()), parseOptions, pugi::encoding_utf8);
    return finishParse(result, bytes.constData(), size_t(bytes.size()));
}

bool XmlDocument::load(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_doc->reset();
        m_errorLine = 0;
        m_errorReason = file.errorString();
        return false;
    }
    return loadBytes(file.readAll());
}

QByteArray XmlDocument::toBytes() const
{
    ByteWriter writer;
    m_doc->save(writer, "", saveOptions, pugi::encoding_utf8);
    return writer.bytes;
}

bool XmlDocument::save(const QString &fileName, QString *error) const
{
    return mUtil::saveFileAtomically(
        fileName,
        [this](QIODevice &file) {
            DeviceWriter writer(file);
            m_doc->save(writer, "", saveOptions, pugi::encoding_utf8);
            return writer.flush();
        },
        error);
}

XmlNode XmlDocument::documentElement() const
{
    return XmlNode(m_doc->document_element());
}

XmlNode XmlDocument::selectSingleNode(const QString &path) const
{
    return XmlNode(*m_doc).selectSingleNode(path);
}
