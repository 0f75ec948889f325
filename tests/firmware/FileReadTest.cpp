#include "fwupdate/FileRead.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class FileReadTest : public ::testing::Test {
protected:
    FileReadTest() {
        dir_ = fs::temp_directory_path() /
               ("trimdeck-fileread-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    ~FileReadTest() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Path(const char* name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

TEST_F(FileReadTest, ReadsEveryByteOfAFile) {
    std::vector<std::uint8_t> bytes(200'000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 31);
    std::ofstream(Path("image.bin"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    std::ofstream(Path("empty.bin"), std::ios::binary);

    const auto whole = fwupdate::ReadWholeFile(Path("image.bin"));
    EXPECT_EQ(whole.Error, 0);
    EXPECT_EQ(whole.Bytes, bytes);
    const auto empty = fwupdate::ReadWholeFile(Path("empty.bin"));
    EXPECT_EQ(empty.Error, 0);
    EXPECT_TRUE(empty.Bytes.empty());
}

TEST_F(FileReadTest, FailuresCarryTheSystemsDescription) {
    // Larger than a transfer can count: refused from its size, nothing is read or allocated.
    {
        const int fd = ::open(Path("huge.bin").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(fwupdate::MaxFileSize) + 1), 0);  // sparse
        ::close(fd);
    }
    struct Case {
        std::string path;
        int error;
        const char* text;
    } cases[] = {
        {Path("missing.bin"), ENOENT, "No such file or directory"},
        {dir_.string(), EISDIR, "Is a directory"},
        {Path("huge.bin"), EFBIG, "File too large"},
    };
    for (const Case& c : cases) {
        const auto r = fwupdate::ReadWholeFile(c.path);
        EXPECT_EQ(r.Error, c.error) << c.path;
        EXPECT_TRUE(r.Bytes.empty()) << c.path;
        EXPECT_EQ(fwupdate::ErrorText(r.Error), c.text) << c.path;
    }
}

}  // namespace
