#pragma once

#include <string_view>

// White space as XML counts it (space, tab, line feed, carriage return),
// for the byte-level readers of feed documents.
namespace XmlSpace
{

constexpr bool is(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

constexpr std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && is(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace XmlSpace
