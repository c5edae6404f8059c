#pragma once

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
    static EntityTable fromDoctype(std::string_view doctype);

    // The replacement text of a declared entity, or nullptr.
    const std::string *find(std::string_view name) const;
    bool isEmpty() const { return m_entities.empty(); }

private:
    std::vector<std::pair<std::string, std::string>> m_entities;
};

// Appends text with its references resolved once: character references, the
// five XML entities, declared entities and HTML's named entities. A reference
// to an unknown entity and a "&" that starts no reference stay as written; a
// character reference to a character XML does not allow is dropped.
void appendResolved(std::string &out, std::string_view text, const EntityTable &entities);

// Resolves the references of valid UTF-8 text straight into UTF-16, for a
// document without declared entities. out must have room for as many units
// as text has bytes; returns the end of what was written.
char16_t *resolveToUtf16(std::string_view text, char16_t *out);

} // namespace XmlRepair
