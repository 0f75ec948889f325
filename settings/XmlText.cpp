#include "settings/XmlText.h"

#include <cstring>
#include <limits>

namespace settings {

namespace {

bool IsWhite(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

bool InNoNamespace(pugi::xml_node element) {
    // An unprefixed element is in the default namespace its nearest declaration gives.
    for (pugi::xml_node n = element; n.type() == pugi::node_element; n = n.parent())
        if (pugi::xml_attribute xmlns = n.attribute("xmlns")) return *xmlns.value() == '\0';
    return true;
}

pugi::xml_node ChildElement(pugi::xml_node parent, const char* name) {
    for (pugi::xml_node child : parent.children(name))
        if (child.type() == pugi::node_element && InNoNamespace(child)) return child;
    return {};
}

std::string TextContent(pugi::xml_node element) {
    std::string text;
    pugi::xml_node n = element.first_child();
    while (n) {
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) text += n.value();
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n != element && !n.next_sibling())
            n = n.parent();
        if (n == element) break;
        n = n.next_sibling();
    }
    return text;
}

ParsedNumber ParseInt32(std::string_view text) {
    std::size_t i = 0, end = text.size();
    while (i < end && IsWhite(text[i]))
        ++i;
    while (end > i && IsWhite(text[end - 1]))
        --end;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == end) return {NumberStatus::NotANumber, 0};

    // Magnitude up to 2^31 fits in 64 bits; past that only the form is still checked.
    const std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    bool tooLarge = false;
    for (; i < end; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return {NumberStatus::NotANumber, 0};
        if (!tooLarge) {
            magnitude = magnitude * 10 + (c - '0');
            tooLarge = magnitude > limit;
        }
    }
    if (tooLarge || (!negative && magnitude == limit)) return {NumberStatus::OutOfRange, 0};
    return {NumberStatus::Ok, static_cast<std::int32_t>(negative ? -magnitude : magnitude)};
}

std::string Shortened(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return std::string(text);
    std::size_t cut = maxBytes;
    // Not inside a UTF-8 sequence: back up over continuation bytes.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return std::string(text.substr(0, cut)) + "...";
}

}  // namespace settings
