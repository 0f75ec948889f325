// The uhid transport where the machine has no uhid (build machines): it must say why it
// could not make a device instead of handing out a dead transport. Its work against the
// kernel is proven by scripts/kernel-test in a guest.
#include "sim/UhidTransport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

namespace {

TEST(UhidTransport, AMissingUhidNodeIsReportedWithItsErrno) {
    const auto made = sim::UhidTransport::Create({}, "/dev/uhid-trimdeck-missing");
    EXPECT_EQ(made.transport, nullptr);
    EXPECT_EQ(made.error, ENOENT);
}

TEST(UhidTransport, ADescriptorTheKernelCannotTakeIsRefusedBeforeOpening) {
    // /dev/null would open and take any write: only the descriptor check can refuse these.
    const std::vector<std::uint8_t> empty;
    const std::vector<std::uint8_t> huge(4097, 0xC0);
    for (const auto& descriptor : {empty, huge}) {
        const auto made = sim::UhidTransport::Create({}, descriptor, "/dev/null");
        EXPECT_EQ(made.transport, nullptr) << descriptor.size();
        EXPECT_EQ(made.error, EINVAL) << descriptor.size();
    }
}

}  // namespace
