// Writing the settings of a unit's three channels to a settings file (XML, comments kept).
#pragma once

#include <cstdint>
#include <string>

#include <pugixml.hpp>

#include "pedal/Channel.h"
#include "prompts/Prompts.h"

namespace settings {

// Writes the clutch, brake and throttle settings to `filename`, replacing the file whole or
// not at all. Failures are told to the user through `prompts` ("XML save error: ..." while
// making the document, "XML error: ..." while writing the file); the channels are only read.
void SaveConfigQuorvane(const std::string& filename, const pedal::Channel& clutch,
                        const pedal::Channel& brk, const pedal::Channel& throttle,
                        prompts::Prompts& prompts);

// The whole document SaveConfigQuorvane writes, as UTF-8 text.
std::string ConfigDocumentText(const pedal::Channel& clutch, const pedal::Channel& brk,
                               const pedal::Channel& throttle);

// Appends to `xml` the channel element `name` for `c`: the dead zones (for the element named
// "Break": the maximum force and the output limit), the curve type and its parameters, each
// after its comment. Returns the element.
pugi::xml_node CreateChannelElement(pugi::xml_node xml, const pedal::Channel& c, const char* name);

// Appends to the channel element `e` the comments and elements of the parameters of `c`'s
// curve type (none for linear or an unknown type).
void CreateElementValue(pugi::xml_node e, const pedal::Channel& c);

// Appends to `xml` an element `name` whose text is `value` in decimal; returns it.
pugi::xml_node CreateElementValue(pugi::xml_node xml, const char* name, std::int32_t value);

}  // namespace settings
