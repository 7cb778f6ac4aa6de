// The POSIX platform for real: the stand-in store searches PATH, the existence test looks at the
// file system, and the launch starts a program that outlives nothing of ours.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "about/sysinfo.h"

namespace fs = std::filesystem;
using namespace about;

namespace {

struct PosixPlatform : ::testing::Test, forms::Host {
    std::vector<forms::Message> boxes;
    forms::FormsRuntime rt{*this};
    Platform& platform = machinePlatform();
    fs::path dir;
    std::string savedPath;
    bool hadPath = false;

    void messageBox(const forms::Message& m) override { boxes.push_back(m); }

    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "pernadas-about-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        if (const char* p = std::getenv("PATH")) {
            hadPath = true;
            savedPath = p;
        }
    }
    void TearDown() override {
        if (hadPath)
            ::setenv("PATH", savedPath.c_str(), 1);
        else
            ::unsetenv("PATH");
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    fs::path sub(const std::string& name) {
        fs::create_directories(dir / name);
        return dir / name;
    }
    // A shell script that writes `marker` when it runs.
    fs::path script(const fs::path& at, const fs::path& marker = {},
                    fs::perms perms = fs::perms::owner_all) {
        std::ofstream(at) << "#!/bin/sh\necho started > '" << marker.string() << "'\n";
        fs::permissions(at, perms);
        return at;
    }
    void usePath(const std::string& path) { ::setenv("PATH", path.c_str(), 1); }

    std::pair<bool, std::string> lookUpTool() {
        std::string result = "before";
        const bool found = GetKeyValue(platform, kLocalMachine, kToolKey, kToolValue, result);
        return {found, result};
    }

    static bool appears(const fs::path& marker) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < until) {
            std::error_code ec;
            if (fs::exists(marker, ec) && fs::file_size(marker, ec) > 0) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    // No child of ours is left, running or as a zombie.
    static void expectNoChildren() {
        errno = 0;
        EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
        EXPECT_EQ(errno, ECHILD);
    }
};

}  // namespace

TEST_F(PosixPlatform, TheStoreNamesTheFirstToolInPreferenceOrder) {
    const fs::path a = sub("a"), b = sub("b");
    script(a / "gnome-system-monitor");
    script(b / "hardinfo");
    usePath(a.string() + ":" + b.string() + "/");
    EXPECT_EQ(lookUpTool(), std::pair(true, (b / "hardinfo").string()));

    // Among equals, the earlier PATH entry wins.
    script(a / "hardinfo");
    EXPECT_EQ(lookUpTool(), std::pair(true, (a / "hardinfo").string()));

    // A link to a program counts as the program.
    fs::create_symlink(a / "hardinfo", b / "hardinfo2");
    EXPECT_EQ(lookUpTool(), std::pair(true, (b / "hardinfo2").string()));

    // The store has nothing under the folder key.
    std::string result = "before";
    EXPECT_FALSE(GetKeyValue(platform, kLocalMachine, kToolFolderKey, kToolFolderValue, result));
    EXPECT_EQ(result, "");
}

TEST_F(PosixPlatform, OnlyExecutableRegularFilesOnAbsoluteEntriesAreFound) {
    const fs::path a = sub("a");
    script(a / "hardinfo2", {}, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_directories(a / "hardinfo");
    fs::permissions(a / "hardinfo", fs::perms::owner_all);
    // Relative entries (an empty one is the working directory) are not searched.
    const fs::path here = sub("here");
    script(here / "kinfocenter");
    const fs::path cwd = fs::current_path();
    fs::current_path(here);
    usePath(a.string() + "::.");
    const auto found = lookUpTool();
    fs::current_path(cwd);
    EXPECT_EQ(found, std::pair(false, std::string()));

    StartSysInfo(platform, rt);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kUnavailable);
}

TEST_F(PosixPlatform, AToolPathLongerThanTheBufferIsMissing) {
    fs::path deep = dir;
    for (int i = 0; i < 5; ++i) deep /= std::string(240, 'd');
    fs::create_directories(deep);
    script(deep / "hardinfo2");
    usePath(deep.string());
    EXPECT_EQ(lookUpTool(), std::pair(false, std::string()));
}

TEST_F(PosixPlatform, TheToolIsReallyLaunchedAndLeftToItself) {
    const fs::path bin = sub("bin");
    const fs::path marker = dir / "marker";
    script(bin / "hardinfo2", marker);
    usePath(bin.string());
    StartSysInfo(platform, rt);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(appears(marker)) << "the tool did not run within 5 seconds";
    expectNoChildren();
}

TEST_F(PosixPlatform, ALaunchThatCannotStartFails) {
    const fs::path marker = dir / "marker";
    const fs::path good = script(dir / "good", marker);
    EXPECT_FALSE(platform.launch(""));
    EXPECT_FALSE(platform.launch((dir / "missing").string()));
    EXPECT_FALSE(platform.launch(dir.string()));
    EXPECT_FALSE(platform.launch(
        script(dir / "plain", marker, fs::perms::owner_read | fs::perms::owner_write).string()));
    {
        std::ofstream(dir / "badinterp") << "#!/nonexistent/interpreter\n";
        fs::permissions(dir / "badinterp", fs::perms::owner_all);
    }
    EXPECT_FALSE(platform.launch((dir / "badinterp").string()));
    // A NUL inside the path does not start what the path's first part names.
    EXPECT_FALSE(platform.launch(good.string() + std::string("\0x", 2)));
    expectNoChildren();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(fs::exists(marker));
}

TEST_F(PosixPlatform, TheExistenceTestWantsAVisibleRegularFile) {
    std::ofstream(dir / "MSINFO32.EXE") << "x";
    std::ofstream(dir / ".hidden") << "x";
    fs::create_directories(dir / "folder");
    fs::create_symlink(dir / "MSINFO32.EXE", dir / "link");
    EXPECT_TRUE(platform.fileExists((dir / "MSINFO32.EXE").string()));
    EXPECT_TRUE(platform.fileExists((dir / "link").string()));
    EXPECT_FALSE(platform.fileExists((dir / ".hidden").string()));
    EXPECT_FALSE(platform.fileExists((dir / "folder").string()));
    EXPECT_FALSE(platform.fileExists((dir / "missing").string()));
    EXPECT_FALSE(platform.fileExists(""));
    EXPECT_FALSE(platform.fileExists((dir / "MSINFO32.EXE").string() + std::string("\0", 1)));
}
