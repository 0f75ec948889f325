#include "device/linux/ReportDescriptor.h"

#include <algorithm>
#include <array>
#include <vector>

namespace device {
namespace {

// Limits a report descriptor must stay within; the kernel refuses devices beyond them.
constexpr std::uint32_t kMaxReportSize = 256;     // bits per field
constexpr std::uint32_t kMaxReportCount = 12288;  // fields per main item
constexpr std::size_t kMaxGlobalStack = 16;       // Push depth
// A report length (report ID byte included) must fit the 16 bits hosts state it in.
constexpr std::uint64_t kMaxReportBits = (0xFFFFull - 1) * 8;

constexpr std::uint8_t kLongItemPrefix = 0xFE;

enum ItemType : std::uint8_t { Main = 0, Global = 1, Local = 2, Reserved = 3 };

enum MainTag : std::uint8_t {
    TagInput = 0x8,
    TagOutput = 0x9,
    TagCollection = 0xA,
    TagFeature = 0xB,
    TagEndCollection = 0xC,
};

enum GlobalTag : std::uint8_t {
    TagReportSize = 0x7,
    TagReportId = 0x8,
    TagReportCount = 0x9,
    TagPush = 0xA,
    TagPop = 0xB,
    FirstReservedGlobalTag = 0xC,
};

struct GlobalState {
    std::uint32_t ReportSize = 0;
    std::uint32_t ReportCount = 0;
    std::uint8_t ReportId = 0;
};

enum Kind { KindInput, KindOutput, KindFeature, KindCount };

}  // namespace

std::optional<ReportLengths> ParseReportDescriptor(std::span<const std::uint8_t> d) {
    // Bits per report ID and kind.
    std::vector<std::array<std::uint64_t, KindCount>> bits(256, {0, 0, 0});
    GlobalState globals;
    std::vector<GlobalState> stack;
    std::size_t depth = 0;
    bool numbered = false;

    std::size_t pos = 0;
    while (pos < d.size()) {
        const std::uint8_t prefix = d[pos++];
        if (prefix == kLongItemPrefix) {
            // Long item: data size, tag, data. No long item tags are defined; skip it whole.
            if (d.size() - pos < 2) return std::nullopt;
            const std::size_t dataSize = d[pos];
            pos += 2;
            if (d.size() - pos < dataSize) return std::nullopt;
            pos += dataSize;
            continue;
        }

        const std::size_t size = (prefix & 0x3) == 3 ? 4 : (prefix & 0x3);
        if (d.size() - pos < size) return std::nullopt;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < size; ++i)
            value |= std::uint32_t{d[pos + i]} << (8 * i);
        pos += size;
        const auto type = static_cast<ItemType>((prefix >> 2) & 0x3);
        const std::uint8_t tag = prefix >> 4;

        if (type == Main) {
            int kind = -1;
            switch (tag) {
                case TagInput:
                    kind = KindInput;
                    break;
                case TagOutput:
                    kind = KindOutput;
                    break;
                case TagFeature:
                    kind = KindFeature;
                    break;
                case TagCollection:
                    ++depth;
                    break;
                case TagEndCollection:
                    if (depth == 0) return std::nullopt;
                    --depth;
                    break;
                default:
                    break;  // reserved main tags carry no report fields
            }
            if (kind >= 0) {
                auto& total = bits[globals.ReportId][kind];
                total += std::uint64_t{globals.ReportSize} * globals.ReportCount;
                if (total > kMaxReportBits) return std::nullopt;
            }
        } else if (type == Global) {
            switch (tag) {
                case TagReportSize:
                    if (value > kMaxReportSize) return std::nullopt;
                    globals.ReportSize = value;
                    break;
                case TagReportCount:
                    if (value > kMaxReportCount) return std::nullopt;
                    globals.ReportCount = value;
                    break;
                case TagReportId:
                    if (value == 0 || value > 255) return std::nullopt;
                    globals.ReportId = static_cast<std::uint8_t>(value);
                    numbered = true;
                    break;
                case TagPush:
                    if (stack.size() >= kMaxGlobalStack) return std::nullopt;
                    stack.push_back(globals);
                    break;
                case TagPop:
                    if (stack.empty()) return std::nullopt;
                    globals = stack.back();
                    stack.pop_back();
                    break;
                default:
                    if (tag >= FirstReservedGlobalTag) return std::nullopt;
                    break;  // usage page, logical and physical extents, units
            }
        }
        // Local items (usages, designators, strings) and reserved types do not size reports.
    }
    if (depth != 0) return std::nullopt;

    ReportLengths lengths;
    lengths.UsesReportIds = numbered;
    int* const byKind[KindCount] = {&lengths.Input, &lengths.Output, &lengths.Feature};
    for (const auto& report : bits) {
        for (int k = 0; k < KindCount; ++k) {
            if (report[k] == 0) continue;
            const int bytes = static_cast<int>((report[k] + 7) / 8) + 1;
            *byKind[k] = std::max(*byKind[k], bytes);
        }
    }
    return lengths;
}

}  // namespace device
