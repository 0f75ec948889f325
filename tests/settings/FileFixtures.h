// Files for the settings-file tests: a scratch folder, whole-file reads and writes, a
// settings document made of per-channel bodies, and a stand-in for a full disk.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

namespace settings_test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "trimdeck-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
        EXPECT_FALSE(path_.empty()) << "mkdtemp";
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }
    // The names in the folder (to see that nothing was left behind).
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_))
            names.insert(e.path().filename().string());
        return names;
    }

  private:
    std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Bodies of the three channel elements of a valid file (linear curves).
struct Bodies {
    std::string Clutch =
        "<DeadZoneMin>0</DeadZoneMin><DeadZoneMax>0</DeadZoneMax><CalcType>0</CalcType>";
    std::string Break =
        "<DeadZoneMin>0</DeadZoneMin><MaxBreakForce>0</MaxBreakForce>"
        "<BreakOutputLimit>1000</BreakOutputLimit><CalcType>0</CalcType>";
    std::string Throttle =
        "<DeadZoneMin>0</DeadZoneMin><DeadZoneMax>0</DeadZoneMax><CalcType>0</CalcType>";
    std::string Extra;  // more nodes in the root, after the channels
};

// A settings document with `b`'s channel elements; an empty body leaves its element out.
inline std::string Document(
    const Bodies& b, const std::string& rootAttributes = R"(version="1.0" model="quorvane")") {
    std::ostringstream s;
    s << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<KorvelaxConfig " << rootAttributes << ">\n";
    if (!b.Clutch.empty()) s << "<Clutch>" << b.Clutch << "</Clutch>\n";
    if (!b.Break.empty()) s << "<Break>" << b.Break << "</Break>\n";
    if (!b.Throttle.empty()) s << "<Throttle>" << b.Throttle << "</Throttle>\n";
    s << b.Extra;
    s << "</KorvelaxConfig>\n";
    return s.str();
}

// A channel body with zero dead zones (and an output limit, read by the brake alone) and
// the given curve elements.
inline std::string WithCurve(const std::string& curve) {
    return "<DeadZoneMin>0</DeadZoneMin><DeadZoneMax>0</DeadZoneMax><MaxBreakForce>0</"
           "MaxBreakForce>"
           "<BreakOutputLimit>1000</BreakOutputLimit>" +
           curve;
}

// Nine <Value> elements (or `count`), the first `first`, each 10 more.
inline std::string Values(int first, int count = 9) {
    std::string s = "<Values>";
    for (int i = 0; i < count; ++i)
        s += "<Value>" + std::to_string(first + 10 * i) + "</Value>";
    return s + "</Values>";
}

// While alive, a file may not grow past `bytes`: writes beyond fail as on a full disk
// (EFBIG instead of ENOSPC; the signal that would end the process is ignored meanwhile).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = old_;
        lower.rlim_cur = bytes;
        EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &lower), 0);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, oldHandler_);
    }

  private:
    rlimit old_{};
    sighandler_t oldHandler_ = SIG_DFL;
};

}  // namespace settings_test
