// A settings file is untrusted: huge, deeply nested, binary, hostile or odd files give a
// correct load or the general report, never a hang, a crash or an expanded entity.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <random>

#include "settings/ReaderFixture.h"

using namespace settings_test;

namespace {

struct UntrustedCase {
    const char* name;
    std::function<std::string(const TempDir&)> file;  // writes the file, gives its path
    int result;
    std::string firstMessage;  // what the first message starts with ("" for none)
    std::function<void(const Channels&)> check;
};
void PrintTo(const UntrustedCase& c, std::ostream* os) {
    *os << c.name;
}

class Untrusted : public ReaderFixture, public ::testing::WithParamInterface<UntrustedCase> {};

TEST_P(Untrusted, FileGivesACorrectLoadOrTheGeneralReport) {
    const auto& p = GetParam();
    EXPECT_EQ(LoadPath(p.file(dir)), p.result);
    if (p.firstMessage.empty()) {
        EXPECT_TRUE(prompts.Messages.empty()) << prompts.Messages.front();
    } else {
        ASSERT_FALSE(prompts.Messages.empty());
        EXPECT_EQ(prompts.Messages[0].rfind(p.firstMessage, 0), 0u) << prompts.Messages[0];
    }
    if (p.check) p.check(ch);
}

// Writes `bytes` as s.xml.
std::function<std::string(const TempDir&)> Bytes(std::function<std::string()> make) {
    return [make](const TempDir& d) {
        WriteFile(d / "s.xml", make());
        return d / "s.xml";
    };
}

std::string WithClutchMin(const std::string& content, const std::string& prolog = "") {
    Bodies b;
    b.Clutch = "<DeadZoneMin>" + content +
               "</DeadZoneMin><DeadZoneMax>0</DeadZoneMax><CalcType>0</CalcType>";
    std::string doc = Document(b);
    if (!prolog.empty()) doc.insert(doc.find("<KorvelaxConfig"), prolog);
    return doc;
}

void ClutchMinIs5(const Channels& c) {
    EXPECT_EQ(c.Clutch.DeadZoneMin, 5);
}

std::string Nested(int depth, bool closed) {
    std::string s;
    for (int i = 0; i < depth; ++i)
        s += "<a>";
    s += "5";
    if (closed)
        for (int i = 0; i < depth; ++i)
            s += "</a>";
    return s;
}

std::string Utf16Le(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii)
        out += std::string{c, '\0'};
    return out;
}

const std::string Laughs =
    "<!DOCTYPE KorvelaxConfig [<!ENTITY l0 \"lol\">"
    "<!ENTITY l1 \"&l0;&l0;&l0;&l0;&l0;&l0;&l0;&l0;&l0;&l0;\">"
    "<!ENTITY l2 \"&l1;&l1;&l1;&l1;&l1;&l1;&l1;&l1;&l1;&l1;\">"
    "<!ENTITY l3 \"&l2;&l2;&l2;&l2;&l2;&l2;&l2;&l2;&l2;&l2;\">"
    "<!ENTITY l4 \"&l3;&l3;&l3;&l3;&l3;&l3;&l3;&l3;&l3;&l3;\">"
    "<!ENTITY l5 \"&l4;&l4;&l4;&l4;&l4;&l4;&l4;&l4;&l4;&l4;\">"
    "<!ENTITY l6 \"&l5;&l5;&l5;&l5;&l5;&l5;&l5;&l5;&l5;&l5;\">"
    "<!ENTITY l7 \"&l6;&l6;&l6;&l6;&l6;&l6;&l6;&l6;&l6;&l6;\">"
    "<!ENTITY l8 \"&l7;&l7;&l7;&l7;&l7;&l7;&l7;&l7;&l7;&l7;\">"
    "<!ENTITY l9 \"&l8;&l8;&l8;&l8;&l8;&l8;&l8;&l8;&l8;&l8;\">]>\n";

INSTANTIATE_TEST_SUITE_P(
    Reader, Untrusted,
    ::testing::Values(
        UntrustedCase{"FiftyMegabytes", Bytes([] {
                          return WithClutchMin("5", "<!--" + std::string(50'000'000, 'x') + "-->");
                      }),
                      100, "File error: ", nullptr},
        UntrustedCase{
            "JustUnderTheLimit", Bytes([] {
                return WithClutchMin(
                    "5", "<!--" + std::string(settings::MaxSettingsFileBytes - 1000, 'x') + "-->");
            }),
            0, "", ClutchMinIs5},
        UntrustedCase{"DeeplyNestedText",
                      Bytes([] { return WithClutchMin(Nested(100'000, true)); }), 0, "",
                      ClutchMinIs5},
        UntrustedCase{"DeeplyNestedUnclosed",
                      Bytes([] { return WithClutchMin(Nested(300'000, false)); }), 100,
                      "XML error: ", nullptr},
        UntrustedCase{"Binary", Bytes([] {
                          std::mt19937 random(6);
                          std::string s(65536, '\0');
                          for (char& c : s)
                              c = static_cast<char>(random());
                          return s;
                      }),
                      100, "XML error: ", nullptr},
        UntrustedCase{"ByteOrderMarkAndCrLf", Bytes([] {
                          std::string crlf = "\xEF\xBB\xBF";
                          for (char c : WithClutchMin("\r\n5\r\n"))
                              crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
                          return crlf;
                      }),
                      0, "", ClutchMinIs5},
        UntrustedCase{"Utf16", Bytes([] { return Utf16Le(WithClutchMin("5")); }), 0, "",
                      ClutchMinIs5},
        UntrustedCase{"EntityIsNotExpanded", Bytes([] {
                          return WithClutchMin(
                              "&five;", "<!DOCTYPE KorvelaxConfig [<!ENTITY five \"5\">]>\n");
                      }),
                      100, "Numeric convert error \"&five;\" in DeadZoneMin", nullptr},
        UntrustedCase{
            "ExternalEntityIsNotFetched", Bytes([] {
                return WithClutchMin(
                    "&ext;",
                    "<!DOCTYPE KorvelaxConfig [<!ENTITY ext SYSTEM \"file:///etc/hostname\">]>\n");
            }),
            100, "Numeric convert error \"&ext;\" in DeadZoneMin", nullptr},
        UntrustedCase{"BillionLaughs", Bytes([] { return WithClutchMin("&l9;", Laughs); }), 100,
                      "Numeric convert error \"&l9;\" in DeadZoneMin", nullptr},
        UntrustedCase{"LongTextIsShortenedInTheBox",
                      Bytes([] { return WithClutchMin(std::string(100'000, '7') + "x"); }), 100,
                      "Numeric convert error \"" + std::string(100, '7') + "...\" in DeadZoneMin",
                      nullptr},
        UntrustedCase{"Empty", Bytes([] { return std::string(); }), 100, "XML error: ", nullptr},
        UntrustedCase{"TwoRoots", Bytes([] {
                          return WithClutchMin("5") +
                                 "<KorvelaxConfig version=\"1.0\" model=\"quorvane\"/>";
                      }),
                      100, "XML error: the document has more than one root element", nullptr},
        UntrustedCase{"Missing", [](const TempDir& d) { return d / "none.xml"; }, 100,
                      "File error: cannot open ", nullptr},
        UntrustedCase{"Folder", [](const TempDir& d) { return d.path(); }, 100,
                      "File error: ", nullptr},
        UntrustedCase{"Fifo",
                      [](const TempDir& d) {
                          EXPECT_EQ(::mkfifo((d / "s.xml").c_str(), 0600), 0);
                          return d / "s.xml";
                      },
                      100, "File error: ", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReaderFixture, AParseErrorSaysWhereInTheFile) {
    EXPECT_EQ(
        Load("<KorvelaxConfig version=\"1.0\" model=\"quorvane\">\n  <Clutch>\n</KorvelaxConfig>"),
        settings::LoadFailed);
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0], "XML error: Start-end tags mismatch at line 3, column 3");
}

}  // namespace
