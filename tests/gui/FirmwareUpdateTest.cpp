// The window's firmware update on simulated units.
#include <unistd.h>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include "FormFixture.h"
#include "UpdateProgressForm.h"
#include "firmware/Crc32.h"
#include "firmware/FirmwareImage.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

const char* const Completion =
    "Firmware data has been sent, now the device will restart, and update a oneself!\r\n"
    "Please wait 1 minute for update progress to finish.\r\n"
    "If the device doesn't detect the computer, then reconnect it.";

Bytes Pattern(std::size_t n, std::uint8_t seed = 1) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(seed + i * 13);
    return b;
}

// The image the unit should receive: the file from 2048 on, CRC field zeroed.
Bytes ImageOf(const Bytes& file) {
    Bytes image(file.begin() + 2048, file.end());
    std::fill(image.begin() + 8, image.begin() + 12, 0);
    return image;
}

class FirmwareUpdateTest : public FormFixture {
protected:
    FirmwareUpdateTest() {
        dir_ = fs::temp_directory_path() /
               ("trimdeck-fw-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    ~FirmwareUpdateTest() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // A unit that waits `chunkDelay` before each chunk request; an hour means "never".
    void AddPacedUnit(int n, std::chrono::microseconds chunkDelay) {
        sim::SimulatedUnit::Options o;
        o.Identity.SerialNum = 0x2A + static_cast<std::uint32_t>(n);
        o.ValuesHz = 200;
        o.ChunkDelay = chunkDelay;
        units[n] = &platform.AddUnit(Path(n), o);
    }

    std::string WriteFile(const std::string& name, const Bytes& bytes) {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    UpdateProgressForm* Window() { return form->global().updateForm; }

    // Clicks "Firmware update" and returns when its handler does. Once the progress window
    // shows, `whileOpen` runs inside its modal loop. A window still open at the deadline is
    // closed by force and the test fails, so no test can hang. True when a window opened.
    bool ClickUpdate(const std::function<void(UpdateProgressForm&)>& whileOpen = {},
                     std::chrono::milliseconds deadline = 20s) {
        UpdateProgressForm* before = Window();
        QTimer watch;
        watch.setInterval(5);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            UpdateProgressForm* f = Window();
            if (!f || f == before || !f->isVisible()) return;
            watch.stop();
            if (whileOpen) whileOpen(*f);
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            if (UpdateProgressForm* f = Window(); f && f->isVisible()) {
                ADD_FAILURE() << "the progress window was still open at the deadline";
                f->CloseForGood();
            }
        });
        watch.start();
        watchdog.start(deadline);
        Find<QPushButton>("bt_FWUpdate")->click();
        return Window() && Window() != before;
    }

    // Whether unit `n` received no firmware message (32, 33) so far: a marker queued now
    // arrives after everything queued before it.
    bool SentNoFirmware(int n) {
        const std::uint8_t marker[] = {0x7E};
        Unit(n).SendData(marker);
        EXPECT_TRUE(RunUntil([&] { return Received(n, 0x7E) == 1; }));
        return Received(n, pedal::CmdUpdateStart) == 0 && Received(n, pedal::CmdUpdateData) == 0;
    }

    int CompletionsShown() {
        return static_cast<int>(
            std::count(prompts.Messages.begin(), prompts.Messages.end(), Completion));
    }

    fs::path dir_;
};

TEST_F(FirmwareUpdateTest, ValidImageIsPulledVerifiedAndTheUnitComesBackAsANewUnitWithItsBuild) {
    AddPacedUnit(0, 0us);
    ASSERT_TRUE(StartAndSettle(1));
    const Bytes file = firmware::MakeFirmwareFile(Pattern(1000), 19, Pattern(2048, 5));
    const Bytes image = ImageOf(file);
    prompts.FileAnswers = {WriteFile("fw.bin", file)};
    prompts.YesNoAnswers = {true};
    bool openAtCompletion = false;
    QString labelAtCompletion;
    int barAtCompletion = -1;
    prompts.WhileMessageOpen = [&](const std::string& text) {
        if (text != Completion || !Window()) return;
        openAtCompletion = Window()->isVisible();
        labelAtCompletion = Window()->lb_byte->text();
        barAtCompletion = Window()->pb_update->value();
    };

    ASSERT_TRUE(ClickUpdate());

    ASSERT_GE(prompts.Shown.size(), 3u);
    EXPECT_EQ(prompts.Shown[0], "open: bin (*.bin)|*.bin|All files (*.*)|*.* []");
    EXPECT_EQ(prompts.Shown[1],
              "Update comfirm!: Are you sure you want to update?\r\nDevice current BuildNum: 18\r\n"
              "File BuildNum: 19");
    EXPECT_EQ(prompts.Shown[2], Completion);
    EXPECT_TRUE(openAtCompletion) << "the window closes after the message, not before";
    EXPECT_EQ(labelAtCompletion, "1012 b /1012 b");
    EXPECT_EQ(barAtCompletion, 1000);
    EXPECT_FALSE(Window()->isVisible());

    const auto start = ReceivedOf(0, pedal::CmdUpdateStart);
    ASSERT_EQ(start.size(), 1u);
    EXPECT_EQ(pedal::Get32(start[0], 2), image.size());
    EXPECT_EQ(pedal::Get32(start[0], 6), firmware::Crc32Of(image));
    Bytes pulled;
    for (const auto& r : ReceivedOf(0, pedal::CmdUpdateData))
        pulled.insert(pulled.end(), r.begin() + 2, r.begin() + 34);
    ASSERT_EQ(pulled.size(), 32u * 32u) << "one chunk per request, 32 chunks for 1012 bytes";
    EXPECT_EQ(Bytes(pulled.begin(), pulled.begin() + 1012), image);

    // The unit checks length and CRC, restarts, and is found again on a page of its own.
    ASSERT_TRUE(RunUntil([&] {
        auto& list = form->global().HidDevList;
        return list.size() == 1 && list[0]->BuildNum == 19;
    }));
    EXPECT_EQ(units[0]->State().UpdatesVerified, 1);
    EXPECT_EQ(units[0]->ConnectionCount(), 2);
    EXPECT_EQ(Find<QTabWidget>("tc_Product")->tabText(0), "Quorvane #2");
    EXPECT_EQ(prompts.Messages.back(),
              "FW Build Number is not correct!!\r\nCurrent FW: 19\r\nRequired Build Num: 18");
}

struct ChunkCase {
    std::size_t imageLength;  // what the unit pulls: header and payload
    int chunks;
    const char* firstLabel;
    int firstBar;
    const char* lastLabel;
};
void PrintTo(const ChunkCase& c, std::ostream* os) {
    *os << c.imageLength << " bytes";
}

class ChunkTable : public FirmwareUpdateTest, public ::testing::WithParamInterface<ChunkCase> {};

// The test plays the unit's requests one at a time: each moves the label and the bar on,
// the request after the last chunk completes, and every later one completes again.
TEST_P(ChunkTable, EachRequestGetsTheNextChunkAndTheOneAfterTheLastCompletes) {
    const ChunkCase& c = GetParam();
    AddPacedUnit(0, std::chrono::hours(1));  // the unit itself never asks
    ASSERT_TRUE(StartAndSettle(1));
    const Bytes file = firmware::MakeFirmwareFile(Pattern(c.imageLength - 12), 20);
    prompts.FileAnswers = {WriteFile("fw.bin", file)};
    prompts.YesNoAnswers = {true};
    const std::array<std::uint8_t, 1> request{pedal::CmdUpdateStart};

    std::vector<QString> labels;
    std::vector<int> bars;
    bool openUntilLastRequest = true, closedByIt = false;
    ASSERT_TRUE(ClickUpdate([&](UpdateProgressForm& f) {
        for (int k = 0; k < c.chunks; ++k) {
            const std::int32_t before = Unit(0).FWDataSendPos;
            units[0]->SendMessage(request);
            if (!RunUntil([&] { return Unit(0).FWDataSendPos != before; })) return;
            labels.push_back(f.lb_byte->text());
            bars.push_back(f.pb_update->value());
            openUntilLastRequest = openUntilLastRequest && f.isVisible();
        }
        units[0]->SendMessage(request);
        closedByIt = RunUntil([&] { return !f.isVisible(); });
    }));

    ASSERT_EQ(static_cast<int>(labels.size()), c.chunks);
    EXPECT_EQ(labels.front(), c.firstLabel);
    EXPECT_EQ(bars.front(), c.firstBar);
    EXPECT_EQ(labels.back(), c.lastLabel);
    EXPECT_EQ(bars.back(), 1000);
    EXPECT_TRUE(std::is_sorted(bars.begin(), bars.end()));
    EXPECT_TRUE(openUntilLastRequest);
    EXPECT_TRUE(closedByIt);
    EXPECT_EQ(CompletionsShown(), 1);

    // Every chunk reached the unit in order; the rest of a short last chunk is zero.
    ASSERT_TRUE(RunUntil([&] { return Received(0, pedal::CmdUpdateData) == c.chunks; }));
    const Bytes image = ImageOf(file);
    Bytes expected = image;
    expected.resize(static_cast<std::size_t>(c.chunks) * 32, 0);
    Bytes pulled;
    for (const auto& r : ReceivedOf(0, pedal::CmdUpdateData)) {
        pulled.insert(pulled.end(), r.begin() + 2, r.begin() + 34);
        EXPECT_TRUE(std::all_of(r.begin() + 34, r.end(), [](auto b) { return b == 0; }));
    }
    EXPECT_EQ(pulled, expected);

    units[0]->SendMessage(request);  // after completion: the message once more
    EXPECT_TRUE(RunUntil([&] { return CompletionsShown() == 2; }));
    EXPECT_EQ(Received(0, pedal::CmdUpdateData), c.chunks) << "no chunk after the last";
}

INSTANTIATE_TEST_SUITE_P(FirmwareUpdate, ChunkTable,
                         ::testing::Values(ChunkCase{64, 2, "32 b /64 b", 500, "64 b /64 b"},
                                           ChunkCase{33, 2, "32 b /33 b", 969, "33 b /33 b"},
                                           ChunkCase{1600, 50, "32 b /1600 b", 20,
                                                     "1600 b /1600 b"}));

// Refused images and a No: nothing is sent, no window opens, the unit keeps no image.
struct NotSent {
    const char* name;
    std::function<void(Bytes&)> corrupt;
    const char* message;  // none: the file is fine and the user answers No
};
void PrintTo(const NotSent& r, std::ostream* os) {
    *os << r.name;
}

class NotSentTable : public FirmwareUpdateTest, public ::testing::WithParamInterface<NotSent> {};

TEST_P(NotSentTable, RefusedBeforeTheQuestionOrDeclinedSendsNothingAndOpensNoWindow) {
    const NotSent& c = GetParam();
    AddPacedUnit(0, 0us);
    ASSERT_TRUE(StartAndSettle(1));
    Bytes file = firmware::MakeFirmwareFile(Pattern(300), 19);
    if (c.corrupt) c.corrupt(file);
    prompts.FileAnswers = {WriteFile("fw.bin", file)};
    prompts.YesNoAnswers = {c.message != nullptr};  // a corrupt file would be accepted

    EXPECT_FALSE(ClickUpdate());

    EXPECT_EQ(prompts.Messages,
              c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
    EXPECT_EQ(prompts.YesNoAnswers.empty(), !c.message) << "a refused file is never asked about";
    EXPECT_EQ(prompts.Shown.size(), 2u) << "the file dialog, then the message or the question";
    EXPECT_FALSE(Unit(0).FWData) << "no byte of a refused file is kept for chunk requests";
    EXPECT_TRUE(SentNoFirmware(0));
}

const auto Code = [](int n) { return "Not valid Firmware file, error code: " + std::to_string(n); };
const std::string Codes[] = {Code(5), Code(1), Code(2), Code(3)};

INSTANTIATE_TEST_SUITE_P(
    FirmwareUpdate, NotSentTable,
    ::testing::Values(
        NotSent{"2047 bytes", [](Bytes& f) { f.resize(2047); }, Codes[0].c_str()},
        NotSent{"2055 bytes, header cut", [](Bytes& f) { f.resize(2055); }, Codes[0].c_str()},
        NotSent{"marker swapped", [](Bytes& f) { std::swap(f[2048], f[2049]); }, Codes[1].c_str()},
        NotSent{"stated length one more",
                [](Bytes& f) { pedal::Put32(f, 2052, static_cast<std::uint32_t>(f.size() + 1)); },
                Codes[2].c_str()},
        NotSent{"byte in the leading block", [](Bytes& f) { f[1000] ^= 0x10; }, Codes[3].c_str()},
        NotSent{"answered No", nullptr, nullptr}));

// Nothing reaches the unit from a file that cannot be read, a cancelled file dialog, or a
// chunk request of a unit that has no image.
TEST_F(FirmwareUpdateTest, UnreadableFileCancelledDialogAndStrayRequestSendNothing) {
    AddPacedUnit(0, 0us);
    ASSERT_TRUE(StartAndSettle(1));
    prompts.FileAnswers = {(dir_ / "missing.bin").string(), dir_.string(), std::nullopt};
    prompts.YesNoAnswers = {true, true, true};
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(ClickUpdate());
    units[0]->SendMessage(std::array<std::uint8_t, 1>{pedal::CmdUpdateStart});
    // A save acknowledgment behind the request shows once the request has been handled.
    units[0]->SendMessage(std::array<std::uint8_t, 1>{pedal::CmdSaveConfig});
    ASSERT_TRUE(RunUntil([&] { return prompts.Messages.size() == 3; }));

    EXPECT_EQ(prompts.Messages,
              (std::vector<std::string>{"No such file or directory", "Is a directory",
                                        "Settings successfully saved to Pedal"}));
    EXPECT_EQ(prompts.YesNoAnswers.size(), 3u) << "never asked";
    EXPECT_EQ(Window(), nullptr);
    EXPECT_TRUE(SentNoFirmware(0));
}

TEST_F(FirmwareUpdateTest, WithoutACurrentUnitTheUserIsToldSoAfterChoosingTheFile) {
    Start();
    ASSERT_TRUE(RunUntil([&] { return platform.EnumerateCount() > 0; }));
    prompts.FileAnswers = {WriteFile("fw.bin", firmware::MakeFirmwareFile(Pattern(100), 19))};
    prompts.YesNoAnswers = {true};

    EXPECT_FALSE(ClickUpdate());

    EXPECT_EQ(prompts.Messages, std::vector<std::string>{"No pedal unit is connected."});
    EXPECT_EQ(prompts.YesNoAnswers.size(), 1u);
}

// Scripted answers, plus a hook that runs while the question is open.
class AskingPrompts : public prompts::ScriptedPrompts {
public:
    std::function<void()> WhileAsked;
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        if (WhileAsked) WhileAsked();
        return ScriptedPrompts::AskYesNo(text, caption);
    }
};

// While the user is asked, the poll is held: a unit that fails meanwhile is not dropped (and
// destroyed) under the question about it; it is dropped once the progress window is open.
TEST_F(FirmwareUpdateTest, UnitThatFailsDuringTheQuestionIsDroppedOnlyAfterIt) {
    AddPacedUnit(0, 0us);
    AskingPrompts asking;
    form = std::make_unique<MainForm>(platform, asking);
    form->show();
    ASSERT_TRUE(RunUntil([&] {
        return form->global().HidDevList.size() == 1 && Unit(0).BuildNum == 18 &&
               Received(0, pedal::CmdLoadConfig) > 0;
    }));
    asking.FileAnswers = {WriteFile("fw.bin", firmware::MakeFirmwareFile(Pattern(100), 19))};
    asking.YesNoAnswers = {true};
    bool pollHeld = false, keptWhileAsked = false;
    asking.WhileAsked = [&] {
        pollHeld = !form->timer_communication->isActive();
        platform.Unplug(Path(0));
        ASSERT_TRUE(RunUntil([&] { return Unit(0).HasError.load(); }));
        keptWhileAsked = !RunUntil([&] { return form->global().HidDevList.empty(); }, 200);
    };

    bool droppedUnderWindow = false;
    ASSERT_TRUE(ClickUpdate([&](UpdateProgressForm& f) {
        droppedUnderWindow = RunUntil([&] { return form->global().HidDevList.empty(); });
        f.findChild<QPushButton*>("bt_updisable")->click();  // no current unit: nothing to tell
    }));

    EXPECT_TRUE(pollHeld);
    EXPECT_TRUE(keptWhileAsked);
    EXPECT_TRUE(droppedUnderWindow);
    EXPECT_EQ(Current(), nullptr);
    EXPECT_TRUE(asking.Messages.empty());
    EXPECT_EQ(Received(0, pedal::CmdUpdateStart), 0) << "the unit was gone before the announcement";
    EXPECT_TRUE(form->timer_communication->isActive()) << "the poll runs again";
}

// Until the unit asks, the window waits with "0/0" while the poll goes on; it refuses to be
// closed; "Cancel" in the middle sends [34], keeps the position and leaves the unit working.
TEST_F(FirmwareUpdateTest, WindowWaitsRefusesClosingAndCancelLeavesTheUnitWorking) {
    AddPacedUnit(0, std::chrono::hours(1));  // the test plays the unit's requests
    ASSERT_TRUE(StartAndSettle(1));
    prompts.FileAnswers = {WriteFile("fw.bin", firmware::MakeFirmwareFile(Pattern(4000), 21))};
    prompts.YesNoAnswers = {true};

    bool pollRan = false, waited = false, refused = false;
    std::int32_t before = -1, after = -2;
    ASSERT_TRUE(ClickUpdate([&](UpdateProgressForm& f) {
        EXPECT_EQ(f.objectName(), "UpdateProgressForm");
        EXPECT_EQ(f.windowTitle(), "Device update...");
        EXPECT_TRUE(f.isModal());
        EXPECT_EQ(f.minimumSize(), f.maximumSize()) << "fixed size";
        EXPECT_EQ(f.windowType(), Qt::Tool);
        EXPECT_FALSE(f.windowFlags().testAnyFlags(
            Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint | Qt::WindowSystemMenuHint));
        EXPECT_EQ(f.findChild<QPushButton*>("bt_updisable")->text(), "Cancel");
        EXPECT_EQ(f.pb_update->minimum(), 0);
        EXPECT_EQ(f.pb_update->maximum(), 1000);

        // The unit's live values keep coming in: the poll runs under the modal window.
        const auto clutch = Unit(0).ClutchChannel.ChannelValue;
        pollRan = RunUntil([&] { return Unit(0).ClutchChannel.ChannelValue != clutch; });
        waited = f.isVisible() && f.lb_byte->text() == "0/0" && f.pb_update->value() == 0;

        for (int k = 0; k < 10; ++k)
            units[0]->SendMessage(std::array<std::uint8_t, 1>{pedal::CmdUpdateStart});
        if (!RunUntil([&] { return Unit(0).FWDataSendPos == 320; })) return;
        QTest::keyClick(&f, Qt::Key_Escape);
        f.close();
        refused = f.isVisible();

        before = Unit(0).FWDataSendPos;
        f.findChild<QPushButton*>("bt_updisable")->click();
        after = Unit(0).FWDataSendPos;
    }));

    EXPECT_TRUE(pollRan);
    EXPECT_TRUE(waited);
    EXPECT_TRUE(refused) << "neither Escape nor close() ends the window";
    EXPECT_EQ(before, 320);
    EXPECT_EQ(after, before);
    EXPECT_FALSE(Window()->isVisible());
    ASSERT_TRUE(RunUntil([&] { return Received(0, pedal::CmdUpdateDisable) == 1; }));
    ASSERT_TRUE(RunUntil([&] { return !units[0]->State().Pull; })) << "the unit dropped its pull";

    // Still the same unit, on its first connection and old firmware, and answering.
    Find<QPushButton>("bt_SavePedal")->click();
    EXPECT_TRUE(RunUntil([&] {
        return !prompts.Messages.empty() &&
               prompts.Messages.back() == "Settings successfully saved to Pedal";
    }));
    EXPECT_EQ(form->global().HidDevList.size(), 1u);
    EXPECT_FALSE(Unit(0).HasError);
    EXPECT_EQ(units[0]->ConnectionCount(), 1);
    EXPECT_EQ(units[0]->State().UpdatesVerified + units[0]->State().UpdatesRejected, 0);
    EXPECT_EQ(Unit(0).BuildNum, 18);
}

}  // namespace
