#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <pugixml.hpp>

#include <memory>

// A thin document object model over pugixml for the stored documents and
// downloaded feeds. Nodes are light handles into their document; they stay
// valid while the document lives.
class XmlNode
{
public:
    XmlNode() = default;
    explicit XmlNode(pugi::xml_node node) : m_node(node) { }

    bool isNull() const { return !m_node; }
    explicit operator bool() const { return bool(m_node); }

    // The element's name as written, prefix included.
    QString nodeName() const;
    // The concatenated character data of the node and its descendants.
    QString text() const;
    // Replaces the node's children with one text node.
    void setText(const QString &text) const;

    // Short location paths such as ".//data/items" or "/rss/channel/title",
    // evaluated from this node; prefixed names match literally.
    XmlNode selectSingleNode(const QString &path) const;

    // Element children in document order (comments and processing
    // instructions are not children).
    QList<XmlNode> childNodes() const;
    bool hasChildNodes() const;
    XmlNode parentNode() const;

    int attributeCount() const;
    // The value of the attribute at a position, or a null QString when there
    // is none at that position.
    QString attribute(int index) const;
    QString attribute(const QString &name) const;
    bool hasAttributeAt(int index) const { return index >= 0 && index < attributeCount(); }
    // Sets an attribute; an existing one keeps its position, a new one is
    // appended after the others.
    void setAttribute(const QString &name, const QString &value) const;
    // Sets the value of the attribute at a position (which must exist).
    void setAttributeAt(int index, const QString &value) const;

    // Appends a child; a node of the same document is moved, one of another
    // document copied.
    XmlNode appendChild(const XmlNode &child) const;
    // Adds a new element child with the given name (and text, when given).
    XmlNode appendElement(const QString &name, const QString &text = QString()) const;
    bool removeChild(const XmlNode &child) const;

    pugi::xml_node raw() const { return m_node; }
    bool operator==(const XmlNode &other) const { return m_node == other.m_node; }

private:
    mutable pugi::xml_node m_node; // a handle: editing the node does not change it
};

class XmlDocument
{
public:
    XmlDocument();
    ~XmlDocument();
    XmlDocument(const XmlDocument &) = delete;
    XmlDocument &operator=(const XmlDocument &) = delete;

    // Reads and parses a file; false when it cannot be read or is not
    // well-formed (see parseErrorLine and parseErrorReason).
    bool load(const QString &fileName);
    // Parses a text.
    bool loadXML(const QString &text);
    // Parses bytes as they are (UTF-8 unless they declare otherwise).
    bool loadBytes(const QByteArray &bytes);

    int parseErrorLine() const { return m_errorLine; }
    QString parseErrorReason() const { return m_errorReason; }

    // Writes the document without a declaration and without indentation,
    // through an atomic replace. False when the file cannot be written.
    bool save(const QString &fileName, QString *error = nullptr) const;
    QByteArray toBytes() const;

    XmlNode documentElement() const;
    XmlNode selectSingleNode(const QString &path) const;

    pugi::xml_document &raw() { return *m_doc; }
    const pugi::xml_document &raw() const { return *m_doc; }

private:
    bool finishParse(const pugi::xml_parse_result &result, const char *begin, size_t size);

    std::unique_ptr<pugi::xml_document> m_doc;
    int m_errorLine = 0;
    QString m_errorReason;
};

// Walks over a document that never recurse, so no nesting depth can exhaust
// the stack.
namespace XmlText
{

// Calls visit(node) for every text and CDATA node below top, in document
// order.
template<class Visit> void forEachText(pugi::xml_node top, Visit visit)
{
    pugi::xml_node node = top.first_child();
    while (node) {
        const pugi::xml_node_type type = node.type();
        if (type == pugi::node_pcdata || type == pugi::node_cdata)
            visit(node);
        if (type == pugi::node_element && node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling() && node != top)
            node = node.parent();
        if (!node || node == top)
            break;
        node = node.next_sibling();
    }
}

// Appends the character data of every text below top.
void appendCharacterData(pugi::xml_node top, std::string &out);

// Removes child and everything below it from parent.
void removeSubtree(pugi::xml_node parent, pugi::xml_node child);

} // namespace XmlText

// Conversions between QString and pugixml's UTF-8 strings.
inline QString fromPugi(const char *text)
{
    return QString::fromUtf8(text);
}
