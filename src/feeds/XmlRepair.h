#pragma once

#include <QString>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Reading character data the way feeds in the wild need it: references are
// resolved by hand, so the common slips (HTML entity names, a bare "&") cost
// a character instead of the whole feed.
namespace XmlRepair
{

// The general entities a document declares in its internal DTD subset.
class EntityTable
{
public:
    // Reads the declarations from the text of a DOCTYPE (name and internal
    // subset); external and parameter entities are left out, never fetched.
    // The first declaration of a name counts.
    static EntityTable fromDoctype(std::string_view doctype);

    // The replacement text of a declared entity, or nullptr.
    const std::string *find(std::string_view name) const;
    bool isEmpty() const { return m_entities.empty(); }

private:
    std::vector<std::pair<std::string, std::string>> m_entities; // sorted by name
};

// How many bytes the declared entities of one document may still add to its
// texts, shared by every text read from it: a few declarations used over and
// over cannot blow the document up.
class ExpansionBudget
{
public:
    explicit ExpansionBudget(size_t bytes) : m_left(bytes) { }

    // False (and spent for good) when bytes no longer fit.
    bool take(size_t bytes)
    {
        if (m_exceeded || bytes > m_left) {
            m_exceeded = true;
            return false;
        }
        m_left -= bytes;
        return true;
    }
    bool exceeded() const { return m_exceeded; }

private:
    size_t m_left;
    bool m_exceeded = false;
};

// Appends text with its references resolved once: character references, the
// five XML entities, declared entities and HTML's named entities. A reference
// to an unknown entity and a "&" that starts no reference stay as written; a
// character reference to a character XML does not allow is dropped. Each use
// of a declared entity is charged to the budget; once it is spent, the
// reference stays as written and the budget tells.
void appendResolved(
    std::string &out, std::string_view text, const EntityTable &entities, ExpansionBudget &budget);

// Resolves the references of valid UTF-8 text straight into UTF-16, for a
// document without declared entities. out must have room for as many units
// as text has bytes; returns the end of what was written.
char16_t *resolveToUtf16(std::string_view text, char16_t *out);
// The same for a QString: HTML text outside a document (an attribute of a
// web page, an item's description made plain).
QString resolveReferences(const QString &text);

} // namespace XmlRepair
