#include "device/linux/SysfsHid.h"

#include <charconv>
#include <fstream>

#include "device/linux/ReportDescriptor.h"

namespace device {
namespace {

// sysfs attributes are at most a page; a report descriptor at most 4096 bytes.
constexpr std::size_t kMaxAttributeSize = 64 * 1024;

std::optional<std::string> ReadAttribute(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string data;
    char chunk[4096];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        data.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (data.size() > kMaxAttributeSize) return std::nullopt;
    }
    if (in.bad()) return std::nullopt;
    return data;
}

std::optional<std::uint16_t> ParseHex16(std::string_view field) {
    if (field.empty()) return std::nullopt;
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value, 16);
    if (ec != std::errc{} || end != field.data() + field.size() || value > 0xFFFF)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

}  // namespace

std::optional<std::string_view> UeventValue(std::string_view uevent, std::string_view key) {
    while (!uevent.empty()) {
        const auto eol = uevent.find('\n');
        const auto line = uevent.substr(0, eol);
        uevent = eol == std::string_view::npos ? std::string_view{} : uevent.substr(eol + 1);
        if (line.size() > key.size() && line.starts_with(key) && line[key.size()] == '=')
            return line.substr(key.size() + 1);
    }
    return std::nullopt;
}

std::optional<HidId> ParseHidId(std::string_view value) {
    const auto first = value.find(':');
    if (first == std::string_view::npos) return std::nullopt;
    const auto second = value.find(':', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    // from_chars takes no sign or prefix, so "+1" or "0x1" are refused as they should be.
    const auto bus = ParseHex16(value.substr(0, first));
    const auto vendor = ParseHex16(value.substr(first + 1, second - first - 1));
    const auto product = ParseHex16(value.substr(second + 1));
    if (!bus || !vendor || !product) return std::nullopt;
    return HidId{*bus, *vendor, *product};
}

std::optional<HidIdentity> ReadHidIdentity(const std::string& hidSysPath) {
    const auto uevent = ReadAttribute(hidSysPath + "/uevent");
    if (!uevent) return std::nullopt;
    const auto hidId = UeventValue(*uevent, "HID_ID");
    if (!hidId) return std::nullopt;
    const auto id = ParseHidId(*hidId);
    if (!id) return std::nullopt;

    HidIdentity identity{*id, 0};
    if (const auto raw = ReadAttribute(hidSysPath + "/report_descriptor")) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(raw->data());
        if (const auto lengths = ParseReportDescriptor({bytes, raw->size()}))
            identity.OutputReportLength = lengths->Output;
    }
    return identity;
}

}  // namespace device
