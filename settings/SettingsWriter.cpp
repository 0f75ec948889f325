#include "settings/SettingsWriter.h"

#include <charconv>
#include <cstring>
#include <exception>

#include "settings/SafeFile.h"
#include "settings/SettingsTexts.h"

namespace settings {

namespace {

void AppendComment(pugi::xml_node parent, const char* text) {
    parent.append_child(pugi::node_comment).set_value(text);
}

class StringWriter : public pugi::xml_writer {
  public:
    std::string text;
    void write(const void* data, std::size_t size) override {
        text.append(static_cast<const char*>(data), size);
    }
};

}  // namespace

pugi::xml_node CreateElementValue(pugi::xml_node xml, const char* name, std::int32_t value) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;  // no locale
    pugi::xml_node e = xml.append_child(name);
    e.append_child(pugi::node_pcdata).set_value(std::string(digits, end).c_str());
    return e;
}

void CreateElementValue(pugi::xml_node e, const pedal::Channel& c) {
    switch (c.CalcType) {
        case pedal::CALCTYPE::Exponential:
            AppendComment(e, CommentExponent);
            CreateElementValue(e, "ExpValue", c.Exponent - 32767);
            break;
        case pedal::CALCTYPE::OnePoint:
            AppendComment(e, CommentOnePoint);
            CreateElementValue(e, "OnePointOffset", c.OnePointOffset - 500);
            AppendComment(e, CommentOnePoint);
            CreateElementValue(e, "OnePointValue", c.OnePointValue - 500);
            break;
        case pedal::CALCTYPE::MultiPoint: {
            AppendComment(e, CommentTenths);
            pugi::xml_node values = e.append_child("Values");
            for (std::int32_t point : c.MultiPointArray)
                CreateElementValue(values, "Value", point);
            break;
        }
        default:  // linear, or a type this program does not know: no parameters
            break;
    }
}

pugi::xml_node CreateChannelElement(pugi::xml_node xml, const pedal::Channel& c, const char* name) {
    pugi::xml_node e = xml.append_child(name);
    AppendComment(e, CommentDeadZone);
    CreateElementValue(e, "DeadZoneMin", c.DeadZoneMin);
    if (std::strcmp(name, "Break") == 0) {
        AppendComment(e, CommentBreakForce);
        CreateElementValue(e, "MaxBreakForce", c.DeadZoneMax);
        AppendComment(e, CommentTenths);
        CreateElementValue(e, "BreakOutputLimit", c.BreakOutputLimit);
    } else {
        AppendComment(e, CommentDeadZone);
        CreateElementValue(e, "DeadZoneMax", c.DeadZoneMax);
    }
    AppendComment(e, CommentCalcType);
    CreateElementValue(e, "CalcType", static_cast<std::int32_t>(c.CalcType));
    CreateElementValue(e, c);
    return e;
}

std::string ConfigDocumentText(const pedal::Channel& clutch, const pedal::Channel& brk,
                               const pedal::Channel& throttle) {
    pugi::xml_document xml;
    pugi::xml_node declaration = xml.append_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("UTF-8");
    pugi::xml_node root = xml.append_child(RootName);
    root.append_attribute("version").set_value(FileVersion);
    root.append_attribute("model").set_value(FileModel);
    CreateChannelElement(root, clutch, "Clutch");
    CreateChannelElement(root, brk, "Break");
    CreateChannelElement(root, throttle, "Throttle");
    StringWriter out;
    xml.save(out, "  ", pugi::format_indent, pugi::encoding_utf8);
    return out.text;
}

void SaveConfigQuorvane(const std::string& filename, const pedal::Channel& clutch,
                        const pedal::Channel& brk, const pedal::Channel& throttle,
                        prompts::Prompts& prompts) {
    std::string text;
    try {
        text = ConfigDocumentText(clutch, brk, throttle);
    } catch (const std::exception& e) {  // the XML library runs out of memory
        prompts.Message(std::string(SaveXmlErrorText) + e.what());
        return;
    }
    std::string error;
    try {
        if (const auto failed = ReplaceFile(filename, text)) error = *failed;
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (!error.empty()) prompts.Message(SaveErrorText + error);
}

}  // namespace settings
