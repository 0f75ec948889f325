#include "settings/SettingsReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

#include "settings/SafeFile.h"
#include "settings/SettingsTexts.h"
#include "settings/XmlText.h"

namespace settings {

namespace {

LoadError MissingElement(pugi::xml_node parent, const char* name) {
    const std::string where = parent ? std::string(" in <") + parent.name() + ">" : "";
    return {"Missing element", std::string("no element <") + name + ">" + where};
}

LoadError NotANumber(const std::string& text, const char* name) {
    return {"Number format error",
            "\"" + Shortened(text) + "\" in <" + name + "> is not a whole number"};
}

LoadError OutOfRange(const std::string& text, const char* name) {
    return {"Number out of range",
            "\"" + Shortened(text) + "\" in <" + name + "> is outside the signed 32-bit range"};
}

std::int32_t Bounded(std::int32_t value, std::int32_t limitMin, std::int32_t limitMax) {
    if (value >= limitMax) return limitMax;
    if (value <= limitMin) return limitMin;
    return value;
}

// Where the parser stopped, as a person editing the file counts: line and column.
std::string Position(const std::vector<char>& bytes, const pugi::xml_parse_result& parsed) {
    const auto offset = static_cast<std::size_t>(std::max<std::ptrdiff_t>(parsed.offset, 0));
    if (parsed.encoding != pugi::encoding_utf8 || offset > bytes.size())
        return "at character " + std::to_string(offset + 1);
    const auto begin = bytes.begin(), at = begin + static_cast<std::ptrdiff_t>(offset);
    const auto line = std::count(begin, at, '\n') + 1;
    const auto lineStart =
        std::find(std::make_reverse_iterator(at), std::make_reverse_iterator(begin), '\n').base();
    return "at line " + std::to_string(line) + ", column " + std::to_string(at - lineStart + 1);
}

// The nine points of a multipoint curve: the children <Value> of <Values>.
std::optional<LoadError> LoadPoints(pugi::xml_node nodemodel, pedal::Channel& c) {
    const pugi::xml_node values = ChildElement(nodemodel, "Values");
    if (!values) return MissingElement(nodemodel, "Values");
    std::array<pugi::xml_node, 9> points;
    std::size_t count = 0;
    for (pugi::xml_node point : values.children("Value")) {
        if (point.type() != pugi::node_element || !InNoNamespace(point)) continue;
        if (count < points.size()) points[count] = point;
        ++count;
    }
    if (count != points.size())
        return LoadError{"Invalid settings", std::string(ValuesCountErrorText) +
                                                 std::to_string(count) + ValuesCountNeedText};
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::string text = TextContent(points[i]);
        const ParsedNumber n = ParseInt32(text);
        if (n.Status == NumberStatus::NotANumber) return NotANumber(text, "Value");
        if (n.Status == NumberStatus::OutOfRange) return OutOfRange(text, "Value");
        c.MultiPointArray[i] = Bounded(n.Value, 0, 1000);
    }
    return std::nullopt;
}

// Steps up to the filter: a result code, or the failure to report.
Loaded<int> Load(const std::string& filename, pedal::Channel& clutch, pedal::Channel& brk,
                 pedal::Channel& throttle, prompts::Prompts& prompts) {
    std::vector<char> bytes;
    if (auto error = ReadWholeFile(filename, MaxSettingsFileBytes, bytes))
        return LoadError{"File error", *error};
    pugi::xml_document xml;
    // No DTD is read and no entity but XML's own is expanded; nothing is fetched.
    const pugi::xml_parse_result parsed =
        xml.load_buffer(bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_ws_pcdata);
    if (!parsed)
        return LoadError{"XML error",
                         std::string(parsed.description()) + " " + Position(bytes, parsed)};
    int roots = 0;
    for (pugi::xml_node n : xml.children())
        roots += n.type() == pugi::node_element;
    if (roots > 1) return LoadError{"XML error", "the document has more than one root element"};

    const pugi::xml_node root = xml.document_element();
    if (std::strcmp(root.name(), RootName) != 0) return LoadNotSettings;
    // Each attribute in turn: a wrong version is told before a missing model.
    struct Check {
        const char* name;
        const char* expected;
        int otherwise;
    };
    for (const Check& c : {Check{"version", FileVersion, LoadWrongVersion},
                           Check{"model", FileModel, LoadWrongModel}}) {
        const pugi::xml_attribute a = root.attribute(c.name);
        if (!a)
            return LoadError{"Missing attribute",
                             std::string("no attribute ") + c.name + " in <" + RootName + ">"};
        if (std::strcmp(a.value(), c.expected) != 0) return c.otherwise;
    }

    const std::optional<prompts::LoadFilter> f = prompts.ChooseLoadFilter();
    if (!f) return LoadCancelled;

    struct Step {
        const char* name;
        pedal::Channel& channel;
        bool isBreak, min, max, limit, adj;
    };
    const Step steps[] = {
        {"Clutch", clutch, false, f->ClutchStartDead, f->ClutchEndDead, false, f->ClutchAdj},
        {"Break", brk, true, f->BreakStartDead, f->BreakEndDead, f->BreakBreakLimit, f->BreakAdj},
        {"Throttle", throttle, false, f->ThrottleStartDead, f->ThrottleEndDead, false,
         f->ThrottleAdj},
    };
    for (const Step& s : steps) {
        const pugi::xml_node element = ChildElement(root, s.name);
        if (!element && (s.min || s.max || s.limit || s.adj)) return MissingElement(root, s.name);
        if (auto error =
                LoadChannel(element, s.channel, s.isBreak, s.min, s.max, s.limit, s.adj, prompts))
            return *error;
    }
    return LoadDone;
}

}  // namespace

Loaded<std::int32_t> LoadValue(pugi::xml_node nodemodel, const char* name, std::int32_t limitMin,
                               std::int32_t limitMax, prompts::Prompts& prompts) {
    const pugi::xml_node e = ChildElement(nodemodel, name);
    if (!e) return MissingElement(nodemodel, name);
    const std::string text = TextContent(e);
    const ParsedNumber n = ParseInt32(text);
    if (n.Status == NumberStatus::NotANumber) {
        prompts.Message(NumericConvertErrorText + ("\"" + Shortened(text) + "\" in ") + name);
        return NotANumber(text, name);
    }
    if (n.Status == NumberStatus::OutOfRange) return OutOfRange(text, name);
    return Bounded(n.Value, limitMin, limitMax);
}

std::optional<LoadError> LoadChannel(pugi::xml_node nodemodel, pedal::Channel& c, bool IsBreak,
                                     bool LoadMin, bool LoadMax, bool LoadLimit, bool LoadAdj,
                                     prompts::Prompts& prompts) {
    std::optional<LoadError> failure;
    // Reads one element into `field` (plus `offset`); false once the load has failed.
    const auto take = [&](const char* name, std::int32_t lo, std::int32_t hi, std::int32_t& field,
                          std::int32_t offset = 0) {
        const Loaded<std::int32_t> v = LoadValue(nodemodel, name, lo, hi, prompts);
        if (!v) {
            failure = v.error();
            return false;
        }
        field = *v + offset;
        return true;
    };
    if (LoadMin && !take("DeadZoneMin", 0, 10000, c.DeadZoneMin)) return failure;
    if (IsBreak) {
        if (LoadMax && !take("MaxBreakForce", 0, 10000, c.DeadZoneMax)) return failure;
        if (LoadLimit && !take("BreakOutputLimit", 0, 1000, c.BreakOutputLimit)) return failure;
    } else if (LoadMax && !take("DeadZoneMax", 0, 10000, c.DeadZoneMax)) {
        return failure;
    }
    if (!LoadAdj) return std::nullopt;

    std::int32_t type = 0;
    if (!take("CalcType", 0, 3, type)) return failure;
    c.CalcType = static_cast<pedal::CALCTYPE>(type);
    switch (c.CalcType) {
        case pedal::CALCTYPE::Exponential:
            if (!take("ExpValue", -32000, 32000, c.Exponent, 32767)) return failure;
            break;
        case pedal::CALCTYPE::OnePoint:
            if (!take("OnePointOffset", -490, 490, c.OnePointOffset, 500)) return failure;
            if (!take("OnePointValue", -490, 490, c.OnePointValue, 500)) return failure;
            break;
        case pedal::CALCTYPE::MultiPoint:
            return LoadPoints(nodemodel, c);
        default:
            break;
    }
    return std::nullopt;
}

int LoadConfigQuorvane(const std::string& filename, pedal::Channel& clutch, pedal::Channel& brk,
                       pedal::Channel& throttle, prompts::Prompts& prompts) {
    std::optional<LoadError> failure;
    try {
        const Loaded<int> result = Load(filename, clutch, brk, throttle, prompts);
        if (result) return *result;
        failure = result.error();
    } catch (const std::bad_alloc&) {
        failure = LoadError{"Out of memory", "the file is too large to read"};
    } catch (const std::exception& e) {
        failure = LoadError{"Error", e.what()};
    }
    prompts.Message(failure->Describe());
    return LoadFailed;
}

const char* LoadResultMessage(int result) {
    switch (result) {
        case LoadNotSettings:
            return NotSettingsFileText;
        case LoadWrongVersion:
            return UnsupportedVersionText;
        case LoadWrongModel:
            return OtherModelText;
        default:
            return nullptr;
    }
}

}  // namespace settings
