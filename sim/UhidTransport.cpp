#include "sim/UhidTransport.h"

#include <fcntl.h>
#include <linux/input.h>
#include <linux/uhid.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "pedal/PedalReportDescriptor.h"

namespace sim {
namespace {

// Writes one event whole; the kernel takes an event in one write or refuses it.
int WriteEvent(int fd, const uhid_event& ev) {
    for (;;) {
        if (::write(fd, &ev, sizeof ev) >= 0) return 0;
        if (errno != EINTR) return errno;
    }
}

// Copies `text` into a fixed, zero-terminated field, cut to fit.
template <std::size_t N>
void CopyText(__u8 (&field)[N], const std::string& text) {
    const std::size_t n = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), n);
    field[n] = 0;
}

}  // namespace

UhidTransport::CreateResult UhidTransport::Create(const Identity& identity,
                                                  const std::string& uhidPath) {
    return Create(identity, pedal::PedalReportDescriptor, uhidPath);
}

UhidTransport::CreateResult UhidTransport::Create(const Identity& identity,
                                                  std::span<const std::uint8_t> descriptor,
                                                  const std::string& uhidPath) {
    if (descriptor.empty() || descriptor.size() > HID_MAX_DESCRIPTOR_SIZE) return {nullptr, EINVAL};
    sys::UniqueFd fd(::open(uhidPath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return {nullptr, errno};

    auto ev = std::make_unique<uhid_event>();  // about 4 KiB: not on the caller's stack
    std::memset(ev.get(), 0, sizeof *ev);
    ev->type = UHID_CREATE2;
    auto& req = ev->u.create2;
    CopyText(req.name, identity.Name);
    CopyText(req.uniq, identity.Uniq);
    req.rd_size = static_cast<__u16>(descriptor.size());
    std::copy(descriptor.begin(), descriptor.end(), req.rd_data);
    req.bus = BUS_USB;
    req.vendor = identity.VendorId;
    req.product = identity.ProductId;
    if (const int error = WriteEvent(fd.get(), *ev)) return {nullptr, error};
    return {std::unique_ptr<UhidTransport>(new UhidTransport(std::move(fd))), 0};
}

UhidTransport::~UhidTransport() {
    uhid_event ev;
    std::memset(&ev, 0, sizeof ev);
    ev.type = UHID_DESTROY;
    WriteEvent(fd_.get(), ev);  // closing the fd destroys it too; this says so first
}

TransportResult UhidTransport::Receive(pedal::Report& report) {
    uhid_event ev;
    for (;;) {
        std::memset(&ev, 0, sizeof ev);
        const ssize_t n = ::read(fd_.get(), &ev, sizeof ev);
        if (n < 0) {
            if (errno == EINTR) continue;
            return (errno == EAGAIN || errno == EWOULDBLOCK) ? TransportResult::WouldBlock
                                                             : TransportResult::Closed;
        }
        if (n == 0) return TransportResult::Closed;

        switch (ev.type) {
            case UHID_OUTPUT:
                if (ev.u.output.rtype != UHID_OUTPUT_REPORT) break;
                report.fill(0);
                std::copy_n(ev.u.output.data,
                            std::min<std::size_t>({ev.u.output.size, report.size(), UHID_DATA_MAX}),
                            report.begin());
                return TransportResult::Ok;
            case UHID_GET_REPORT: {
                const __u32 id = ev.u.get_report.id;
                std::memset(&ev, 0, sizeof ev);
                ev.type = UHID_GET_REPORT_REPLY;
                ev.u.get_report_reply.id = id;
                ev.u.get_report_reply.err = EIO;  // the unit has no feature reports
                if (WriteEvent(fd_.get(), ev)) return TransportResult::Closed;
                break;
            }
            case UHID_SET_REPORT: {
                const __u32 id = ev.u.set_report.id;
                std::memset(&ev, 0, sizeof ev);
                ev.type = UHID_SET_REPORT_REPLY;
                ev.u.set_report_reply.id = id;
                ev.u.set_report_reply.err = EIO;
                if (WriteEvent(fd_.get(), ev)) return TransportResult::Closed;
                break;
            }
            default:
                break;  // start, stop, open, close: nothing for the unit to do
        }
    }
}

TransportResult UhidTransport::Send(std::span<const std::uint8_t> packet) {
    // An unnumbered report travels without its report ID byte.
    if (packet.size() <= 1) return TransportResult::Ok;  // nothing the kernel could carry
    const auto payload = packet.subspan(1, std::min<std::size_t>(packet.size() - 1, UHID_DATA_MAX));
    uhid_event ev;
    std::memset(&ev, 0, sizeof ev);
    ev.type = UHID_INPUT2;
    ev.u.input2.size = static_cast<__u16>(payload.size());
    std::copy(payload.begin(), payload.end(), ev.u.input2.data);
    return WriteEvent(fd_.get(), ev) ? TransportResult::Closed : TransportResult::Ok;
}

}  // namespace sim
