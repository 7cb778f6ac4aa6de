// The system-information launcher end to end under Wine: the two registry entries stored with
// Wine's reg.exe, the tool a real program (the marker program, copied where the entries point),
// really started, and the message box when it cannot be.
#include <gtest/gtest.h>

#include "about/sysinfo.h"
#include "forms/runtime.h"
#include "windows/windows_support.h"

using namespace about;
using windows_test::ScratchFolder;

namespace {

const std::string kToolKeyForReg = "HKLM\\" + std::string(kToolKey);
const std::string kFolderKeyForReg = "HKLM\\" + std::string(kToolFolderKey);

struct SysInfo : ::testing::Test, forms::Host {
    std::vector<std::string> boxes;
    forms::FormsRuntime rt{*this};
    ScratchFolder folder;
    std::string marker = folder / "marker.txt";

    void messageBox(const forms::Message& m) override { boxes.push_back(m.text); }

    void SetUp() override {
        // The entries are the machine's own: they are only changed in a throw-away Wine prefix.
        if (!windows_test::underWine()) GTEST_SKIP() << "changes the machine's registry entries";
        forget();
        ASSERT_TRUE(::SetEnvironmentVariableA("PERNADAS_MARKER", marker.c_str()));
    }
    void TearDown() override {
        if (!windows_test::underWine()) return;
        forget();
        ::SetEnvironmentVariableA("PERNADAS_MARKER", nullptr);
    }
    static void forget() {
        windows_test::reg({"delete", kToolKeyForReg, "/f"});
        windows_test::reg({"delete", kFolderKeyForReg, "/v", kToolFolderValue, "/f"});
    }
    static void store(const std::string& key, std::string_view value, std::string_view text) {
        ASSERT_EQ(windows_test::reg({"add", key, "/v", value, "/t", "REG_SZ", "/d", text, "/f"}),
                  0);
    }
    // A copy of the marker program at `path`.
    static void tool(const std::string& path) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        ASSERT_TRUE(std::filesystem::copy_file(windows_test::markerProgram(), path)) << path;
    }

    // Runs the launcher; the boxes it showed.
    std::vector<std::string> start() {
        boxes.clear();
        StartSysInfo(machinePlatform(), rt);
        return boxes;
    }
    // What the started program left: its command line and how its window was shown.
    std::optional<std::string> started() { return windows_test::waitForFile(marker); }
    static std::string launchedAs(const std::string& path) { return "\"" + path + "\"\nshow 1\n"; }
};

const std::vector<std::string> kTheBox{std::string(about::kUnavailable)};
const std::vector<std::string> kNoBox{};

}  // namespace

TEST_F(SysInfo, TheToolsOwnEntryIsStartedAsItStands) {
    const std::string program = folder / "Ferramentas do Sistema\\info tool.exe";
    tool(program);
    store(kToolKeyForReg, kToolValue, program);
    // A folder entry with a tool in it is not consulted.
    tool(folder / "Shared\\MSINFO32.EXE");
    store(kFolderKeyForReg, kToolFolderValue, folder / "Shared");

    EXPECT_EQ(start(), kNoBox) << machinePlatform().lastFailure();
    EXPECT_EQ(started(), launchedAs(program));
}

TEST_F(SysInfo, AToolEntryThatCannotBeStartedShowsTheBox) {
    tool(folder / "Shared\\MSINFO32.EXE");
    store(kFolderKeyForReg, kToolFolderValue, folder / "Shared");

    store(kToolKeyForReg, kToolValue, folder / "nada.exe");
    EXPECT_EQ(start(), kTheBox);
    store(kToolKeyForReg, kToolValue, "nada");
    EXPECT_EQ(start(), kTheBox);
    store(kToolKeyForReg, kToolValue, "");
    EXPECT_EQ(start(), kTheBox);
    EXPECT_FALSE(windows_test::readFile(marker)) << "nothing was started";
}

TEST_F(SysInfo, TheFolderEntryNeedsAnOrdinaryToolFileInIt) {
    const std::string shared = folder / "Common Files\\Microsoft Shared\\MSInfo";
    const std::string program = shared + "\\MSINFO32.EXE";
    std::filesystem::create_directories(shared);
    store(kFolderKeyForReg, kToolFolderValue, shared);
    EXPECT_EQ(start(), kTheBox);

    std::filesystem::create_directory(program);
    EXPECT_EQ(start(), kTheBox) << "a folder of the tool's name";
    std::filesystem::remove(program);

    tool(program);
    ASSERT_TRUE(::SetFileAttributesA(program.c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(start(), kTheBox) << "a hidden tool file";
    EXPECT_FALSE(windows_test::readFile(marker)) << "nothing was started";

    ASSERT_TRUE(::SetFileAttributesA(program.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(start(), kNoBox) << machinePlatform().lastFailure();
    EXPECT_EQ(started(), launchedAs(program));
}

TEST_F(SysInfo, NeitherEntryShowsTheBox) {
    EXPECT_EQ(start(), kTheBox);
    // A number in the tool entry is found, and names no program.
    ASSERT_EQ(windows_test::reg(
                  {"add", kToolKeyForReg, "/v", kToolValue, "/t", "REG_DWORD", "/d", "1", "/f"}),
              0);
    EXPECT_EQ(start(), kTheBox);
}
