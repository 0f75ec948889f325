// What the reader takes from the XML tree: elements found by name in no namespace, an
// element's whole text, and whole numbers read the same way in every locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace settings {

// True when the element is in no namespace: its name has no prefix (the names looked for
// have none) and the nearest `xmlns` declaration around it, if any, is empty.
bool InNoNamespace(pugi::xml_node element);

// The first child element of `parent` named exactly `name` (case included) that is in no
// namespace; a null node when there is none (also when `parent` is null).
pugi::xml_node ChildElement(pugi::xml_node parent, const char* name);

// All the text inside `element`: its text and CDATA descendants joined in document order,
// comments and processing instructions left out. Walks without recursion.
std::string TextContent(pugi::xml_node element);

enum class NumberStatus { Ok, NotANumber, OutOfRange };
struct ParsedNumber {
    NumberStatus Status;
    std::int32_t Value;  // 0 unless Ok
};

// A signed 32-bit decimal: optional ASCII white space, an optional '+' or '-', one or more
// ASCII digits, optional white space, and nothing else. A text of that form whose value
// does not fit is OutOfRange; any other text is NotANumber.
ParsedNumber ParseInt32(std::string_view text);

// `text` cut to at most `maxBytes` bytes at a character boundary, with "..." after a cut:
// what a message box can show of a text from a file.
std::string Shortened(std::string_view text, std::size_t maxBytes = 100);

}  // namespace settings
