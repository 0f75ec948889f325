#include "pedal/ChannelGlobal.h"

#include <array>
#include <mutex>

namespace pedal {
namespace {

struct Registry {
    std::mutex mutex;
    std::array<std::shared_ptr<const ChannelGUIInfo>, 3> pedals{
        std::make_shared<const ChannelGUIInfo>(), std::make_shared<const ChannelGUIInfo>(),
        std::make_shared<const ChannelGUIInfo>()};
};

Registry& registry() {
    static Registry r;
    return r;
}

}  // namespace

std::shared_ptr<const ChannelGUIInfo> ChannelGlobal::GuiInfoFor(int index) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    return r.pedals[(index >= 0 && index <= 2) ? index : 0];
}

void ChannelGlobal::Register(const ChannelGUIInfo& ch1, const ChannelGUIInfo& ch2,
                             const ChannelGUIInfo& ch3) {
    auto& r = registry();
    {
        std::lock_guard lock(r.mutex);
        r.pedals = {std::make_shared<const ChannelGUIInfo>(ch1),
                    std::make_shared<const ChannelGUIInfo>(ch2),
                    std::make_shared<const ChannelGUIInfo>(ch3)};
    }
    Gray = Brush{{255, 230, 230, 230}};
    LightBlue = Brush{{255, 54, 182, 227}};
    CoverBlack = Brush{{60, 0, 0, 0}};
    LightBlueSelect = Brush{{255, 54, 220, 120}};
    LinePen = Pen{LightBlue.Color, 2.0f};
    LinePen2 = Pen{Gray.Color, 2.0f};
}

}  // namespace pedal
