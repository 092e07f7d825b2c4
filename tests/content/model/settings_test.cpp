#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>

#include "content/bytes.h"
#include "content/model/lang.h"
#include "content/model/paths.h"
#include "content/model/settings.h"

using namespace ledsuite;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(dir_), UseFolder(dir_); }
    void TearDown() override {
        unsetenv("LEDSUITE_APPDATA");
        ResetAppDataFolderForTests();
        ResetUiLanguageForTests();
        fs::remove_all(dir_);
    }
    static void UseFolder(const fs::path& p) {
        setenv("LEDSUITE_APPDATA", p.c_str(), 1);
        ResetAppDataFolderForTests();
    }
    // A file as a save writes it, holding a 256-wide screen.
    static Bytes GoodFile() {
        HardwareParams hw;
        hw.width = 256;
        const auto rec = SerializeHardwareParams(hw);
        Bytes f(kSettingsFileSize, 0);
        f[1] = f[5] = 2;  // the words 512 and 512
        std::copy(rec.begin(), rec.end(), f.begin() + 8);
        return f;
    }
    void Write(const Bytes& b) { ASSERT_TRUE(WriteFileAtomic((dir_ / "ini.dat").string(), b.data(), b.size())); }
    Bytes Read() {
        std::ifstream in(dir_ / "ini.dat", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    fs::path dir_ = fs::temp_directory_path() / ("ledsuite-settings-" + std::to_string(::getpid()));
};

}  // namespace

TEST_F(SettingsFile, LoadChecksSizeAndFirstWordOnly) {
    HardwareParams hw;
    hw.width = 999;
    EXPECT_FALSE(LoadSettingsFile(hw));  // no file: untouched
    EXPECT_EQ(hw.width, 999);
    Bytes bad[3] = {GoodFile(), GoodFile(), GoodFile()};
    StoreU32(&bad[0][0], 511);
    bad[1].push_back(0);  // 513 bytes
    bad[2].resize(511);   // cut short, its first word still 512
    for (const Bytes& f : bad) {
        Write(f);
        hw.width = 999;
        EXPECT_FALSE(LoadSettingsFile(hw));
        EXPECT_EQ(hw.width, 128);  // defaults
    }
    Bytes f = GoodFile();
    StoreU32(&f[4], 0);
    f[8 + 90] = f[8 + 91] = 0x55;
    f[8 + 22] = 12;  // baud index 12 is repaired to 5
    Write(f);
    EXPECT_TRUE(LoadSettingsFile(hw));
    // The record bytes 90 and 91 cleared.
    EXPECT_EQ(std::tuple(int(hw.width), int(hw.baudIndex), hw.reserved61[29] | hw.reserved61[30]),
              std::tuple(256, 5, 0));
}

// A FIFO, a folder or a file larger than the settings at "ini.dat": the load returns at once with
// false and the caller's record as it was (start-up then takes the defaults).
TEST_F(SettingsFile, OnlyARegularFileOfBoundedSizeIsRead) {
    const std::string path = SettingsFilePath();
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    HardwareParams hw;
    hw.width = 999;
    auto load = std::async(std::launch::async, [&hw] { return LoadSettingsFile(hw); });
    const bool returned = load.wait_for(std::chrono::seconds(3)) == std::future_status::ready;
    if (!returned) {  // a writer that comes and goes lets a blocked reader end
        const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
    }
    EXPECT_TRUE(returned) << "the load waited for a writer on the FIFO";
    EXPECT_FALSE(load.get());
    EXPECT_EQ(hw.width, 999);

    fs::remove(path);
    fs::create_directory(path);
    EXPECT_FALSE(LoadSettingsFile(hw));
    EXPECT_EQ(hw.width, 999);
    std::vector<uint8_t> bytes{1, 2};
    EXPECT_EQ(ReadFileBytes(path, 1 << 20, bytes), ReadFileResult::Failed);
    EXPECT_EQ(bytes.size(), 2u);  // untouched
    EXPECT_EQ(ReadFileBytes("/dev/zero", 1 << 20, bytes), ReadFileResult::Failed);
    // Exactly at the bound is read; one byte more is too large.
    const std::string file = (dir_ / "f").string();
    ASSERT_TRUE(WriteFileAtomic(file, "abc", 3));
    EXPECT_EQ(ReadFileBytes(file, 3, bytes), ReadFileResult::Ok);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{'a', 'b', 'c'}));
    EXPECT_EQ(ReadFileBytes(file, 2, bytes), ReadFileResult::TooLarge);
    // An empty file reads as empty. One byte comes back also when standard input is closed (the
    // file then gets descriptor 0) and an earlier call left EINTR in errno.
    ASSERT_TRUE(WriteFileAtomic(file, "", 0));
    EXPECT_EQ(ReadFileBytes(file, 3, bytes), ReadFileResult::Ok);
    EXPECT_TRUE(bytes.empty());
    ASSERT_TRUE(WriteFileAtomic(file, "z", 1));
    const int input = ::dup(0);
    ::close(0);
    errno = EINTR;
    const ReadFileResult one = ReadFileBytes(file, 3, bytes);
    if (input >= 0) ::dup2(input, 0), ::close(input);
    EXPECT_EQ(std::pair(one, bytes), std::pair(ReadFileResult::Ok, std::vector<uint8_t>{'z'}));
    // A kernel attribute file holds less than the 4096 bytes it claims: refused at its end, not waited on.
    const std::string attribute = "/sys/kernel/uevent_seqnum";
    ASSERT_TRUE(fs::is_regular_file(attribute) && fs::file_size(attribute) > 64);
    errno = EINTR;
    EXPECT_EQ(ReadFileBytes(attribute, 1 << 20, bytes), ReadFileResult::Failed);
    EXPECT_TRUE(bytes.empty());
}

TEST_F(SettingsFile, SaveWritesTheLanguageInUseAndLoadsBack) {
    SetUiLanguage(3);
    HardwareParams hw;
    hw.height = 64;
    ASSERT_TRUE(SaveSettingsFile(hw));
    EXPECT_EQ(hw.language, 3);
    Bytes f = Read();
    ASSERT_EQ(f.size(), kSettingsFileSize);
    EXPECT_EQ(std::tuple(LoadU32(&f[0]), LoadU32(&f[4]), LoadU16(&f[8 + 30])), std::tuple(512u, 512u, 3));
    EXPECT_TRUE(std::all_of(f.begin() + 100, f.end(), [](uint8_t b) { return b == 0; }));
    HardwareParams back;
    ASSERT_TRUE(LoadSettingsFile(back));
    EXPECT_EQ(back.height, 64);
}

TEST_F(SettingsFile, FailedSaveReportsFalseAndKeepsTheOldFile) {
    Bytes good = GoodFile();
    Write(good);
    // A folder in the temporary file's place makes the write fail.
    fs::create_directory(dir_ / ("ini.dat.tmp-" + std::to_string(::getpid())));
    SetUiLanguage(3);
    HardwareParams hw;
    EXPECT_FALSE(SaveSettingsFile(hw));
    EXPECT_EQ(std::pair(Read(), int(hw.language)), std::pair(good, 0));
}

namespace {

// Sets (or, with nullptr, removes) an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old, had_ = true;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { had_ ? setenv(name_, old_.c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

}  // namespace

TEST_F(SettingsFile, AFreshHomeGetsEveryFolderWithItsParents) {
    const fs::path home = dir_ / "home";
    fs::create_directory(home);  // holds nothing: no .config, no .local
    ScopedEnv h("HOME", home.c_str()), c("XDG_CONFIG_HOME", nullptr), d("XDG_DATA_HOME", nullptr);
    unsetenv("LEDSUITE_APPDATA");
    ResetAppDataFolderForTests();

    HardwareParams hw;
    hw.width = 320;
    ASSERT_TRUE(SaveSettingsFile(hw));
    EXPECT_EQ(fs::file_size(home / ".config" / "KIP ZE2012" / "ini.dat"), kSettingsFileSize);
    HardwareParams back;
    ASSERT_TRUE(LoadSettingsFile(back));
    EXPECT_EQ(back.width, 320);

    FolderResult made;
    EXPECT_EQ(UserDataPath("zu_frame", &made), (home / ".local/share/ledsuite/zu_frame").string());
    EXPECT_TRUE(made.ok && fs::is_directory(home / ".local/share/ledsuite/zu_frame"));

    // A folder removed while the program runs is made again by the next save.
    fs::remove_all(home / ".config");
    EXPECT_TRUE(SaveSettingsFile(hw));
    EXPECT_TRUE(fs::exists(home / ".config" / "KIP ZE2012" / "ini.dat"));
}

TEST_F(SettingsFile, AFolderThatCannotBeMadeIsNamed) {
    const fs::path home = dir_ / "home";
    fs::create_directory(home);
    std::ofstream(home / ".config") << "a file where the folder should be";
    ScopedEnv h("HOME", home.c_str()), c("XDG_CONFIG_HOME", nullptr), d("XDG_DATA_HOME", nullptr);
    unsetenv("LEDSUITE_APPDATA");
    ResetAppDataFolderForTests();

    const FolderResult r = EnsureAppDataFolder();
    EXPECT_FALSE(r);
    EXPECT_EQ(std::tuple(r.folder, r.failed, r.error, r.reason().empty()),
              std::tuple((home / ".config" / "KIP ZE2012").string(), (home / ".config").string(), ENOTDIR, false));
    HardwareParams hw;
    EXPECT_FALSE(SaveSettingsFile(hw));

    ScopedEnv data("XDG_DATA_HOME", (home / ".config" / "share").c_str());
    FolderResult made;
    UserDataPath("zu_lyric", &made);
    EXPECT_EQ(std::pair(made.ok, made.failed), std::pair(false, (home / ".config").string()));  // the file in the way

    // Parts that exist already are fine, a trailing '/' included.
    EXPECT_TRUE(MakeFolderPath(home.string() + "/"));
    EXPECT_TRUE(MakeFolderPath((home / "x" / "y").string()) && fs::is_directory(home / "x" / "y"));
}
