// A reader test: a file written into a scratch folder, loaded into three channels with a
// scripted load filter.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "prompts/ScriptedPrompts.h"
#include "settings/FileFixtures.h"
#include "settings/SettingsReader.h"

namespace settings_test {

struct Channels {
    pedal::Channel Clutch{pedal::ClutchIndex};
    pedal::Channel Break{pedal::BreakIndex};
    pedal::Channel Throttle{pedal::ThrottleIndex};

    bool Same(const Channels& o) const {
        return Clutch.SameSettings(o.Clutch) && Break.SameSettings(o.Break) &&
               Throttle.SameSettings(o.Throttle);
    }
};

class ReaderFixture : public ::testing::Test {
  protected:
    int Load(const std::string& bytes,
             std::optional<prompts::LoadFilter> filter = prompts::LoadFilter{}) {
        WriteFile(dir / "s.xml", bytes);
        return LoadPath(dir / "s.xml", filter);
    }
    int LoadPath(const std::string& path,
                 std::optional<prompts::LoadFilter> filter = prompts::LoadFilter{}) {
        prompts.FilterAnswers = {filter};
        return settings::LoadConfigQuorvane(path, ch.Clutch, ch.Break, ch.Throttle, prompts);
    }
    bool FilterShown() const {
        return std::count(prompts.Shown.begin(), prompts.Shown.end(), "load filter") > 0;
    }
    // The one message shown, which must start with `kind` ("Missing element: ...").
    void ExpectReport(const std::string& kind) {
        ASSERT_EQ(prompts.Messages.size(), 1u);
        EXPECT_EQ(prompts.Messages[0].rfind(kind + ": ", 0), 0u) << prompts.Messages[0];
    }

    TempDir dir;
    prompts::ScriptedPrompts prompts;
    Channels ch;
};

}  // namespace settings_test
