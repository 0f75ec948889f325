// Writing the settings file: what each channel element holds, the round trip through the
// reader, and saves that fail without harming the file that was there.
#include "settings/SettingsWriter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <functional>

#include "prompts/ScriptedPrompts.h"
#include "settings/FileFixtures.h"
#include "settings/SettingsReader.h"

using namespace settings_test;
using pedal::CALCTYPE;
using pedal::Channel;

namespace {

// The document with the white space between tags (the layout) taken out.
std::string WithoutLayout(const std::string& xml) {
    std::string out;
    for (std::size_t i = 0; i < xml.size();) {
        std::size_t j = i;
        while (j < xml.size() && std::isspace(static_cast<unsigned char>(xml[j])))
            ++j;
        if (j == i) {
            out += xml[i++];
            continue;
        }
        const bool betweenTags =
            (out.empty() || out.back() == '>') && (j == xml.size() || xml[j] == '<');
        if (!betweenTags) out.append(xml, i, j - i);
        i = j;
    }
    return out;
}

// The nodes of one channel element: "!comment", "Name=text", "Values=[a,b,...]".
std::string NodesOf(const std::string& xml, const char* channel) {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_string(xml.c_str(), pugi::parse_default | pugi::parse_comments));
    std::string out;
    for (pugi::xml_node n : doc.document_element().child(channel).children()) {
        if (!out.empty()) out += "|";
        if (n.type() == pugi::node_comment) {
            out += std::string("!") + n.value();
        } else if (std::string(n.name()) == "Values") {
            out += "Values=[";
            for (pugi::xml_node v : n.children())
                out += std::string(v.name()) + ":" + v.text().get() + ",";
            out += "]";
        } else {
            out += std::string(n.name()) + "=" + n.text().get();
        }
    }
    return out;
}

class WriterTest : public ::testing::Test {
  protected:
    // Saves the three channels, expecting no message; the file's text.
    std::string Save(const Channel& clutch, const Channel& brk, const Channel& throttle) {
        settings::SaveConfigQuorvane(dir / "s.xml", clutch, brk, throttle, prompts);
        EXPECT_TRUE(prompts.Messages.empty()) << prompts.Messages.front();
        return ReadFile(dir / "s.xml");
    }
    TempDir dir;
    prompts::ScriptedPrompts prompts;
};

TEST_F(WriterTest, DefaultsAreSavedAsTheGoldenFile) {
    const std::string saved = Save(Channel(0), Channel(1), Channel(2));
    EXPECT_EQ(saved.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u)
        << "declaration first, no BOM";
    EXPECT_EQ(WithoutLayout(saved), WithoutLayout(ReadFile(TRIMDECK_SETTINGS_GOLDEN)));
}

struct CurveCase {
    const char* name;
    std::function<void(Channel&)> set;
    const char* nodes;  // the clutch element's nodes
};
void PrintTo(const CurveCase& c, std::ostream* os) {
    *os << c.name;
}

constexpr const char* Head =
    "!Range 0 to 10000 (100.0)|DeadZoneMin=-5|!Range 0 to 10000 (100.0)|DeadZoneMax=70000|"
    "!Type: 0 - Linear, 1 - Exponentinal, 2 - Onepoint, 3 - Multipoint|";

class CurveNodes : public WriterTest, public ::testing::WithParamInterface<CurveCase> {};

TEST_P(CurveNodes, OnlyTheParametersOfTheTypeInForceAreWrittenAsTheyAre) {
    Channel clutch(0);
    clutch.DeadZoneMin = -5;  // no range check on writing
    clutch.DeadZoneMax = 70000;
    clutch.Exponent = 1;  // parameters of the other types, never written
    clutch.OnePointOffset = 2;
    clutch.OnePointValue = 3;
    clutch.MultiPointArray.fill(4);
    GetParam().set(clutch);
    EXPECT_EQ(NodesOf(Save(clutch, Channel(1), Channel(2)), "Clutch"),
              std::string(Head) + GetParam().nodes);
}

INSTANTIATE_TEST_SUITE_P(
    Types, CurveNodes,
    ::testing::Values(
        CurveCase{"Linear", [](Channel& c) { c.CalcType = CALCTYPE::Linear; }, "CalcType=0"},
        CurveCase{"Exponential",
                  [](Channel& c) {
                      c.CalcType = CALCTYPE::Exponential;
                      c.Exponent = 31267;
                  },
                  "CalcType=1|!Range -32000 (-32.0) to 32000 (32.0)|ExpValue=-1500"},
        CurveCase{"OnePoint",
                  [](Channel& c) {
                      c.CalcType = CALCTYPE::OnePoint;
                      c.OnePointOffset = 375;
                      c.OnePointValue = 990;
                  },
                  "CalcType=2|!Range -490 (-49.0) to 490 (49.0)|OnePointOffset=-125|"
                  "!Range -490 (-49.0) to 490 (49.0)|OnePointValue=490"},
        CurveCase{"MultiPoint",
                  [](Channel& c) {
                      c.CalcType = CALCTYPE::MultiPoint;
                      c.MultiPointArray = pedal::DefaultMultiPoints;
                  },
                  "CalcType=3|!Range 0 to 1000 (100.0)|Values=[Value:100,Value:200,Value:300,"
                  "Value:400,Value:500,Value:600,Value:700,Value:800,Value:900,]"},
        CurveCase{"UnknownType", [](Channel& c) { c.CalcType = static_cast<CALCTYPE>(7); },
                  "CalcType=7"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WriterTest, EverySettingWithinTheReadersBoundsSurvivesASaveAndALoad) {
    Channel clutch(0), brk(1), throttle(2);
    clutch.DeadZoneMin = 10000;
    clutch.DeadZoneMax = 1;
    clutch.CalcType = CALCTYPE::Exponential;
    clutch.Exponent = 64767;
    brk.DeadZoneMin = 9999;
    brk.DeadZoneMax = 10000;
    brk.BreakOutputLimit = 0;
    brk.CalcType = CALCTYPE::OnePoint;
    brk.OnePointOffset = 10;
    brk.OnePointValue = 990;
    throttle.DeadZoneMin = 123;
    throttle.DeadZoneMax = 4567;
    throttle.CalcType = CALCTYPE::MultiPoint;  // the default points: 100 to 900
    Save(clutch, brk, throttle);

    Channel c(0), b(1), t(2);
    prompts.FilterAnswers = {prompts::LoadFilter{}};
    ASSERT_EQ(settings::LoadConfigQuorvane(dir / "s.xml", c, b, t, prompts), settings::LoadDone);
    EXPECT_TRUE(c.SameSettings(clutch));
    EXPECT_TRUE(b.SameSettings(brk));
    EXPECT_TRUE(t.SameSettings(throttle));
    EXPECT_EQ(t.MultiPointArray, pedal::DefaultMultiPoints);

    clutch.Exponent = 767;  // the other end of the exponent
    throttle.MultiPointArray = {0, 1000, 0, 1000, 0, 1000, 0, 1000, 0};
    Save(clutch, brk, throttle);
    prompts.FilterAnswers = {prompts::LoadFilter{}};
    ASSERT_EQ(settings::LoadConfigQuorvane(dir / "s.xml", c, b, t, prompts), settings::LoadDone);
    EXPECT_EQ(c.Exponent, 767);
    EXPECT_EQ(t.MultiPointArray, throttle.MultiPointArray);
}

TEST_F(WriterTest, AnUnknownTypeSavedIsReadAsMultipointAndFailsForItsMissingPoints) {
    Channel clutch(0);
    clutch.CalcType = static_cast<CALCTYPE>(7);
    Save(clutch, Channel(1), Channel(2));
    Channel c(0), b(1), t(2);
    prompts.FilterAnswers = {prompts::LoadFilter{}};
    EXPECT_EQ(settings::LoadConfigQuorvane(dir / "s.xml", c, b, t, prompts), settings::LoadFailed);
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0], "Missing element: no element <Values> in <Clutch>");
}

// --- saves that fail ----------------------------------------------------------------------

// What a path holds, to see that a failed save left it alone.
std::string StateOf(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return "missing";
    if (S_ISDIR(st.st_mode)) return "folder";
    if (S_ISFIFO(st.st_mode)) return "fifo";
    return "file:" + ReadFile(path);
}

struct SaveFailure {
    const char* name;
    std::function<std::string(const TempDir&)> target;  // prepares and names the target
    rlim_t sizeLimit;                                   // 0: none
    const char* says;                                   // part of the "XML error: " box
};
void PrintTo(const SaveFailure& c, std::ostream* os) {
    *os << c.name;
}

class SaveFails : public WriterTest, public ::testing::WithParamInterface<SaveFailure> {};

TEST_P(SaveFails, TheUserIsToldWhyAndThePreviousFileStaysByteForByte) {
    const auto& p = GetParam();
    const std::string target = p.target(dir);
    const std::string before = StateOf(target);
    const auto namesBefore = dir.Names();
    {
        std::optional<FileSizeLimit> full;
        if (p.sizeLimit) full.emplace(p.sizeLimit);
        settings::SaveConfigQuorvane(target, Channel(0), Channel(1), Channel(2), prompts);
    }
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0].rfind("XML error: ", 0), 0u) << prompts.Messages[0];
    EXPECT_NE(prompts.Messages[0].find(p.says), std::string::npos) << prompts.Messages[0];
    EXPECT_EQ(StateOf(target), before);
    EXPECT_EQ(dir.Names(), namesBefore) << "no new file left behind";
}

const std::string Previous = "<previous file, longer than the size limit of the full disk>";

INSTANTIATE_TEST_SUITE_P(
    Locations, SaveFails,
    ::testing::Values(
        SaveFailure{"DiskFull",
                    [](const TempDir& d) {
                        WriteFile(d / "s.xml", Previous);
                        return d / "s.xml";
                    },
                    32, "File too large"},
        SaveFailure{"FolderDoesNotExist", [](const TempDir& d) { return d / "gone/s.xml"; }, 0,
                    "No such file or directory"},
        // Tests run as root, whom permissions do not stop; /proc refuses new files to all.
        SaveFailure{"ReadOnlyLocation", [](const TempDir&) { return std::string("/proc/version"); },
                    0, "cannot create a file in /proc"},
        SaveFailure{"TargetIsAFolder",
                    [](const TempDir& d) {
                        std::filesystem::create_directory(d / "s.xml");
                        return d / "s.xml";
                    },
                    0, "is not a regular file"},
        SaveFailure{"TargetIsAFifo",
                    [](const TempDir& d) {
                        EXPECT_EQ(::mkfifo((d / "s.xml").c_str(), 0600), 0);
                        return d / "s.xml";
                    },
                    0, "is not a regular file"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WriterTest, ReplacingAFileKeepsItsPermissionsAndFollowsALink) {
    WriteFile(dir / "real.xml", Previous);
    ASSERT_EQ(::chmod((dir / "real.xml").c_str(), 0640), 0);
    ASSERT_EQ(::symlink("real.xml", (dir / "link.xml").c_str()), 0);

    const std::string saved = [&] {
        settings::SaveConfigQuorvane(dir / "link.xml", Channel(0), Channel(1), Channel(2), prompts);
        return ReadFile(dir / "real.xml");
    }();
    EXPECT_TRUE(prompts.Messages.empty());
    EXPECT_EQ(WithoutLayout(saved), WithoutLayout(ReadFile(TRIMDECK_SETTINGS_GOLDEN)));
    struct stat st {};
    ASSERT_EQ(::lstat((dir / "link.xml").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays a link";
    ASSERT_EQ(::stat((dir / "real.xml").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"link.xml", "real.xml"}));
}

}  // namespace
