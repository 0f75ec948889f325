// The window's dispatcher on any sequence of 64-byte messages from its units, with the
// window built on Qt's offscreen platform. Two pedal units are connected through a platform
// whose connections take every report and never answer, so nothing but the input reaches
// the window and an iteration costs no waiting. The first two bytes of an input set the
// scene: bit 0 of byte 0 gives the shown unit a firmware image of 1 + 3 x byte 1 bytes to
// hand out in chunks, bit 1 leaves the "loaded from Pedal" confirmation due, bit 2 sends
// every second message from the unit that is not shown. After the messages, the shown
// unit's pedals are drawn from whatever it reported on a recording canvas; with bit 3, the
// window also repaints the pedals the messages marked (the real painter, and the slow part
// of an iteration, so only the inputs that ask for it pay for it).
//
// Besides the sanitizers' checks, the units end in the state the pure decoders give for
// the same messages, and the window says exactly the messages those messages call for.
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>

#include "FuzzCheck.h"
#include "MainForm.h"
#include "PictureBox.h"
#include "device/HidPlatform.h"
#include "drawing/LevelBars.h"
#include "drawing/RecordingCanvas.h"
#include "drawing/ResponseCurvePlot.h"
#include "pedal/Codec.h"
#include "prompts/ScriptedPrompts.h"
#include "sys/EventFd.h"

namespace {

// A connection that takes every report and never has one to read.
class SinkConnection final : public device::Connection {
  public:
    int fd() const override { return idle_.fd(); }  // never signalled
    device::IoResult ReadReport(pedal::Report&) override { return device::IoResult::WouldBlock; }
    device::IoResult WriteReport(const pedal::Report&, std::chrono::milliseconds, int) override {
        return device::IoResult::Ok;
    }
    void Close() override {}

  private:
    sys::EventFd idle_;
};

// Two pedal units that open as sinks; no arrivals.
class SinkPlatform final : public device::HidPlatform {
  public:
    std::optional<std::vector<device::HidInterfaceInfo>> Enumerate() override {
        std::vector<device::HidInterfaceInfo> list;
        for (const char* path : {"/dev/fuzz0", "/dev/fuzz1"})
            list.push_back({path, pedal::PedalVendorId, pedal::PedalProductId,
                            pedal::PedalOutputReportLength});
        return list;
    }
    device::OpenResult Open(const std::string&) override {
        return device::OpenResult::Opened(std::make_unique<SinkConnection>());
    }
    int arrivalFd() const override { return -1; }
    int ReadArrivals() override { return 0; }
};

// The application and the window, made once (in member order) and kept for the run.
struct World {
    int argc = 1;
    char name[16] = "fuzz_dispatcher";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> app;
    SinkPlatform platform;
    prompts::ScriptedPrompts prompts;
    std::unique_ptr<MainForm> form;

    World() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        app = std::make_unique<QApplication>(argc, argv);
        QApplication::setFont(MainForm::WindowFont());
        form = std::make_unique<MainForm>(platform, prompts);
        form->timer_communication->stop();  // the input alone drives the window
        form->show();
        form->FindNewDevice();
        FUZZ_CHECK(form->global().HidDevList.size() == 2);
        FUZZ_CHECK(form->global().CurrentDevice == form->global().HidDevList[0].get());
        // Until the window is exposed, a repaint paints nothing.
        for (int i = 0; i < 100 && !form->pb_Clutch_Adjustment->isVisible(); ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        FUZZ_CHECK(form->pb_Clutch_Adjustment->isVisible());
        FUZZ_CHECK(!form->timer_communication->isActive());
    }
    ~World() { form.reset(); }
};

World& TheWorld() {
    static World world;
    return world;
}

// What the decoders alone make of a unit's messages.
struct Model {
    pedal::Channel channels[3] = {pedal::Channel{pedal::ClutchIndex},
                                  pedal::Channel{pedal::BreakIndex},
                                  pedal::Channel{pedal::ThrottleIndex}};
    pedal::Identity identity;

    void Take(const pedal::Message& m) {
        switch (m[0]) {
            case pedal::CmdComStart:
                identity = pedal::DecodeIdentity(m);
                break;
            case pedal::CmdLoadConfig:
                pedal::ComFW_ProecessConfig(channels[m[1] <= 2 ? m[1] : 0], m);
                break;
            case pedal::CmdValues: {
                bool changed[3];
                pedal::DecodeValues(m, channels[0], channels[1], channels[2], changed[0],
                                    changed[1], changed[2]);
                break;
            }
            default:
                break;
        }
    }
};

void Reset(device::HidDevice& dev) {
    dev.ClutchChannel = pedal::Channel{pedal::ClutchIndex};
    dev.BreakChannel = pedal::Channel{pedal::BreakIndex};
    dev.ThrottleChannel = pedal::Channel{pedal::ThrottleIndex};
    dev.SerialNum = 0;
    dev.BuildNum = 0;
    dev.BuildDate = 0;
    dev.FWData.reset();
    dev.FWDataSendPos = 0;
}

void CheckUnit(const device::HidDevice& dev, const Model& model) {
    const pedal::Channel* channels[3] = {&dev.ClutchChannel, &dev.BreakChannel,
                                         &dev.ThrottleChannel};
    for (int i = 0; i < 3; ++i) {
        const pedal::Channel& c = *channels[i];
        const pedal::Channel& m = model.channels[i];
        FUZZ_CHECK(c.SameSettings(m));
        FUZZ_CHECK(c.ChannelValue == m.ChannelValue);
        FUZZ_CHECK(c.ChannelValueDeadZone == m.ChannelValueDeadZone);
        FUZZ_CHECK(c.ChannelValueCalculated == m.ChannelValueCalculated);
    }
    FUZZ_CHECK(dev.SerialNum == model.identity.SerialNum);
    FUZZ_CHECK(dev.BuildNum == model.identity.BuildNum);
    FUZZ_CHECK(dev.BuildDate == model.identity.BuildDate);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    TheWorld();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    World& w = TheWorld();
    MainForm& form = *w.form;
    Global& global = form.global();
    device::HidDevice& shown = *global.HidDevList[0];
    device::HidDevice& other = *global.HidDevList[1];
    FUZZ_CHECK(global.CurrentDevice == &shown && !shown.HasError && !other.HasError);

    // The scene: both units fresh, the window showing the first one's settings.
    const std::uint8_t flags = data[0];
    Reset(shown);
    Reset(other);
    std::size_t imageLength = 0;
    if (flags & 0x01) {
        imageLength = 1 + 3 * std::size_t{data[1]};
        shown.FWData.emplace(imageLength, std::uint8_t{0x5A});
    }
    global.ShowMessageLoadFromFW = (flags & 0x02) != 0;
    const bool fromBoth = (flags & 0x04) != 0;
    const bool paintWindow = (flags & 0x08) != 0;
    form.UpdateGUIFromClutchChannel();
    form.UpdateGUIFromBreakChannel();
    form.UpdateGUIFromThrottleChannel();
    form.NeedRedrawClutch = form.NeedRedrawBreak = form.NeedRedrawThrottle = false;
    w.prompts.Shown.clear();
    w.prompts.Messages.clear();

    Model shownModel, otherModel;
    int saved = 0, wrongBuild = 0, chunkRequests = 0;
    bool confirmDue = global.ShowMessageLoadFromFW;
    int confirmations = 0;
    std::size_t index = 0;
    fuzz::ForEachMessage(std::span(data + 2, size - 2), [&](const pedal::Message& m) {
        const bool fromOther = fromBoth && index++ % 2 == 1;
        device::HidDevice& dev = fromOther ? other : shown;
        (fromOther ? otherModel : shownModel).Take(m);
        if (m[0] == pedal::CmdSaveConfig) ++saved;
        if (m[0] == pedal::CmdComStart && pedal::Get16(m, 4) != pedal::RequiredBuildNum)
            ++wrongBuild;
        if (m[0] == pedal::CmdUpdateStart && !fromOther) ++chunkRequests;
        if (m[0] == pedal::CmdLoadConfig && m[1] == 2 && confirmDue) {
            // The confirmation follows the throttle's settings of any unit while one is shown.
            confirmDue = false;
            ++confirmations;
        }
        form.ProcessCommand(dev, m);
    });

    CheckUnit(shown, shownModel);
    CheckUnit(other, otherModel);
    FUZZ_CHECK(global.ShowMessageLoadFromFW == confirmDue);

    // Every message the window said, and nothing else: build warnings, save
    // acknowledgements, the load confirmation and, for every request after the whole image
    // went out, the completion; each request before that hands out the next chunk.
    const std::size_t requests = static_cast<std::size_t>(chunkRequests);
    const std::size_t chunks =
        (imageLength + pedal::FirmwareChunkSize - 1) / pedal::FirmwareChunkSize;
    const int completions =
        imageLength > 0 && requests > chunks ? static_cast<int>(requests - chunks) : 0;
    FUZZ_CHECK(w.prompts.Messages.size() ==
               static_cast<std::size_t>(saved + wrongBuild + confirmations + completions));
    for (const std::string& text : w.prompts.Messages)
        FUZZ_CHECK(!text.empty());
    if (imageLength > 0) {
        const std::size_t sent = std::min(imageLength, requests * pedal::FirmwareChunkSize);
        FUZZ_CHECK(static_cast<std::size_t>(shown.FWDataSendPos) == sent);
    }

    // Every area of every pedal drawn from whatever the unit reported, on a recording canvas
    // (fast, and it tells unbalanced saves); the window then repaints the pedals the
    // messages marked, as the poll does after a drain, when the input asks for it.
    for (const pedal::Channel* c :
         {&shown.ClutchChannel, &shown.BreakChannel, &shown.ThrottleChannel}) {
        drawing::RecordingCanvas canvas;
        drawing::PaintDeadZone(*c, canvas);
        drawing::PaintInput(*c, canvas);
        drawing::PaintOutput(*c, canvas);
        drawing::PaintAdjustment(*c, canvas);
        FUZZ_CHECK(canvas.SaveDepth() == 0 && canvas.UnmatchedRestores() == 0);
        FUZZ_CHECK(canvas.State() == drawing::CanvasState{});
    }
    const struct {
        bool& marked;
        PictureBox* boxes[4];
    } pedals[] = {
        {form.NeedRedrawClutch,
         {form.pb_Clutch_Deadzone, form.pb_Clutch_Input, form.pb_Clutch_Output,
          form.pb_Clutch_Adjustment}},
        {form.NeedRedrawBreak,
         {form.pb_Break_Deadzone, form.pb_Break_Input, form.pb_Break_Output,
          form.pb_Break_Adjustment}},
        {form.NeedRedrawThrottle,
         {form.pb_Throttle_Deadzone, form.pb_Throttle_Input, form.pb_Throttle_Output,
          form.pb_Throttle_Adjustment}},
    };
    for (const auto& p : pedals) {
        if (!p.marked) continue;
        if (paintWindow)
            for (PictureBox* box : p.boxes)
                box->repaint();
        p.marked = false;
    }
    // Posted update requests are left alone: they merge into one per window, and serving
    // them would repaint the whole window every iteration.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    FUZZ_CHECK(!form.timer_communication->isActive());
    return 0;
}
