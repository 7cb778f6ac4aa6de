// The Windows platform for real: the registry lookup against values that the system's reg.exe
// stored under a key of the tests' own, the file attributes, and the process launch. The key is
// under HKEY_LOCAL_MACHINE, so on Windows itself these tests need an administrator.
#include <gtest/gtest.h>

#include <array>
#include <fstream>

#include "about/sysinfo.h"
#include "windows/windows_support.h"

using namespace about;
using windows_test::ScratchFolder;

namespace {

constexpr std::string_view kTestRoot = "HKLM\\SOFTWARE\\PernadasTest";
constexpr std::string_view kValues = "SOFTWARE\\PernadasTest\\Values";
const std::string kValuesForReg = "HKLM\\SOFTWARE\\PernadasTest\\Values";

struct WindowsRegistry : ::testing::Test {
    static void add(std::string_view name, std::string_view type, std::string_view data) {
        EXPECT_EQ(
            windows_test::reg({"add", kValuesForReg, "/v", name, "/t", type, "/d", data, "/f"}), 0)
            << "reg add " << name;
    }

    static void SetUpTestSuite() {
        windows_test::reg({"delete", kTestRoot, "/f"});
        add("Text", "REG_SZ", "C:\\Program Files\\Ferramentas\\info.exe");
        add("Empty", "REG_SZ", "");
        add("Fits", "REG_SZ", std::string(1023, 'a'));  // 1024 bytes with its NUL
        add("OneOver", "REG_SZ", std::string(1024, 'b'));
        add("Long", "REG_SZ", std::string(1100, 'c'));
        add("Number", "REG_DWORD", "305419896");
        add("Largest", "REG_DWORD", "0xffffffff");
        add("Zero", "REG_DWORD", "0");
        add("Expandable", "REG_EXPAND_SZ", "%SystemRoot%\\info.exe");
        add("Binary", "REG_BINARY", "0102ff");
    }
    static void TearDownTestSuite() { windows_test::reg({"delete", kTestRoot, "/f"}); }

    Platform& platform = machinePlatform();

    // The value `name` of `key`, looked up with the result holding "before".
    std::pair<bool, std::string> lookUp(std::string_view name, std::string_view key = kValues,
                                        std::uint32_t root = kLocalMachine) {
        std::string result = "before";
        const bool found = GetKeyValue(platform, root, key, name, result);
        return {found, result};
    }
};

}  // namespace

TEST_F(WindowsRegistry, TextValuesComeWithoutTheirTerminatingNul) {
    EXPECT_EQ(lookUp("Text"),
              std::pair(true, std::string("C:\\Program Files\\Ferramentas\\info.exe")));
    EXPECT_EQ(lookUp("Empty"), std::pair(true, std::string()));
}

TEST_F(WindowsRegistry, AValueLongerThanTheBufferIsMissing) {
    EXPECT_EQ(lookUp("Fits"), std::pair(true, std::string(1023, 'a')));
    EXPECT_EQ(lookUp("OneOver"), std::pair(false, std::string()));
    EXPECT_EQ(lookUp("Long"), std::pair(false, std::string()));

    // The platform reports the size the value needs, NUL included.
    KeyHandle key{};
    ASSERT_EQ(platform.openKey(kLocalMachine, kValues, kKeyRead, key), kStatusOk);
    std::array<std::byte, kValueBufferSize> buffer{};
    const QueryResult q = platform.queryValue(key, "Long", buffer);
    platform.closeKey(key);
    EXPECT_EQ(q.status, kStatusMoreData);
    EXPECT_EQ(q.bytes, 1101u);
}

TEST_F(WindowsRegistry, NumbersReadAsUnsignedDecimal) {
    EXPECT_EQ(lookUp("Number"), std::pair(true, std::string("305419896")));
    EXPECT_EQ(lookUp("Largest"), std::pair(true, std::string("4294967295")));
    EXPECT_EQ(lookUp("Zero"), std::pair(true, std::string("0")));
}

TEST_F(WindowsRegistry, OtherTypesAreFoundAndLeaveTheResultAsPassedIn) {
    EXPECT_EQ(lookUp("Expandable"), std::pair(true, std::string("before")));
    EXPECT_EQ(lookUp("Binary"), std::pair(true, std::string("before")));
}

TEST_F(WindowsRegistry, MissingKeysAndValuesEmptyTheResult) {
    EXPECT_EQ(lookUp("Nothing"), std::pair(false, std::string()));
    EXPECT_EQ(lookUp("Text", "SOFTWARE\\PernadasTest\\Nowhere"), std::pair(false, std::string()));
    // The same path under the user's root is another key.
    EXPECT_EQ(lookUp("Text", kValues, 0x80000001), std::pair(false, std::string()));
    // A NUL in the path would cut it to a key that exists.
    EXPECT_EQ(lookUp("Text", std::string_view("SOFTWARE\\PernadasTest\0\\Values", 30)),
              std::pair(false, std::string()));
    EXPECT_EQ(lookUp(std::string_view("Text\0Long", 9)), std::pair(false, std::string()));
}

TEST(WindowsFiles, OnlyAnOrdinaryFileExists) {
    ScratchFolder folder;
    Platform& platform = machinePlatform();
    const auto file = [&](std::string_view name, DWORD attributes) {
        const std::string path = folder / name;
        std::ofstream(path) << "x";
        EXPECT_TRUE(::SetFileAttributesA(path.c_str(), attributes)) << path;
        return path;
    };
    EXPECT_TRUE(platform.fileExists(file("ordinary.exe", FILE_ATTRIBUTE_NORMAL)));
    EXPECT_TRUE(platform.fileExists(file("read-only.exe", FILE_ATTRIBUTE_READONLY)));
    EXPECT_TRUE(platform.fileExists(file("archive.exe", FILE_ATTRIBUTE_ARCHIVE)));
    EXPECT_FALSE(platform.fileExists(file("hidden.exe", FILE_ATTRIBUTE_HIDDEN)));
    EXPECT_FALSE(platform.fileExists(file("system.exe", FILE_ATTRIBUTE_SYSTEM)));
    std::filesystem::create_directory(folder / "folder.exe");
    EXPECT_FALSE(platform.fileExists(folder / "folder.exe"));
    EXPECT_FALSE(platform.fileExists(folder / "missing.exe"));
    EXPECT_FALSE(platform.fileExists(""));
    EXPECT_FALSE(platform.fileExists(std::string(folder / "ordinary.exe") + std::string(1, '\0')));
}

TEST(WindowsLaunch, StartsAProgramInANormalWindowAndFailsForAnythingElse) {
    ScratchFolder folder;
    Platform& platform = machinePlatform();
    const std::string program = folder / "with spaces.exe";
    ASSERT_TRUE(std::filesystem::copy_file(windows_test::markerProgram(), program));
    const std::string marker = folder / "marker.txt";
    ASSERT_TRUE(::SetEnvironmentVariableA("PERNADAS_MARKER", marker.c_str()));

    ASSERT_TRUE(platform.launch(program));
    // The launch does not wait: the program runs on its own and leaves its marker.
    EXPECT_EQ(windows_test::waitForFile(marker), "\"" + program + "\"\nshow 1\n");

    std::ofstream(folder / "text.exe") << "not a program";
    EXPECT_FALSE(platform.launch(folder / "text.exe"));
    std::filesystem::create_directory(folder / "folder.exe");
    EXPECT_FALSE(platform.launch(folder / "folder.exe"));
    EXPECT_FALSE(platform.launch(folder / "missing.exe"));
    EXPECT_FALSE(platform.launch(""));
    EXPECT_FALSE(platform.launch(program + "\""));
    ::SetEnvironmentVariableA("PERNADAS_MARKER", nullptr);
}
