// The report-descriptor parser on any bytes. Besides the sanitizers' checks, the answer must
// hold what the parser promises: lengths a report can have, and items that do not size
// reports (a leading long item, a trailing usage) changing nothing.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "FuzzCheck.h"
#include "device/linux/ReportDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> d(data, size);
    const auto lengths = device::ParseReportDescriptor(d);
    if (lengths) {
        // Lengths count the report ID byte: a declared report has at least 2 bytes, and no
        // length exceeds the 16 bits hosts state it in.
        for (const int n : {lengths->Input, lengths->Output, lengths->Feature})
            FUZZ_CHECK(n == 0 || (n >= 2 && n <= 0xFFFF));
    }

    // A long item with no data in front is skipped whole: same answer, valid or not.
    std::vector<std::uint8_t> longFirst{0xFE, 0x00, 0x00};
    longFirst.insert(longFirst.end(), d.begin(), d.end());
    FUZZ_CHECK(device::ParseReportDescriptor(longFirst) == lengths);

    // A local item (Usage 1) after a complete descriptor sizes no report.
    if (lengths) {
        std::vector<std::uint8_t> usageLast(d.begin(), d.end());
        usageLast.insert(usageLast.end(), {0x09, 0x01});
        FUZZ_CHECK(device::ParseReportDescriptor(usageLast) == lengths);
    }
    return 0;
}
