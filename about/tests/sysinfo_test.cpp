// The registry lookup and the launcher, against a store prepared byte by byte.
#include <gtest/gtest.h>

#include <stdexcept>

#include "about/sysinfo.h"
#include "about/tests/fake_platform.h"
#include "forms/errors.h"

using namespace about;
using about_test::FakePlatform;
using about_test::StoredValue;
using about_test::text;

namespace {

constexpr std::string_view kKey = "SOFTWARE\\Pernadas\\Test";

struct Lookup : ::testing::Test {
    FakePlatform store;

    // The value under kKey named "V", looked up with `result` holding "before".
    std::pair<bool, std::string> lookUp(StoredValue v) {
        store.value(kKey, "V", std::move(v));
        std::string result = "before";
        const bool found = GetKeyValue(store, kLocalMachine, kKey, "V", result);
        return {found, result};
    }
    StoredValue bytes(std::uint32_t type, std::vector<unsigned char> b) {
        return StoredValue{type, std::move(b)};
    }
};

}  // namespace

TEST_F(Lookup, TextKeepsEveryByteLessATerminatingNul) {
    EXPECT_EQ(lookUp(text("C:\\Tools\\info.exe")),
              std::pair(true, std::string("C:\\Tools\\info.exe")));
    EXPECT_EQ(lookUp(text("C:\\Tools\\info.exe", false)),
              std::pair(true, std::string("C:\\Tools\\info.exe")));
    // Only the last written byte is looked at: a NUL before it stays in the text.
    EXPECT_EQ(lookUp(bytes(kTypeText, {'a', 0, 'b', 0, 0})),
              std::pair(true, std::string("a\0b\0", 4)));
    // An empty value, with or without its NUL.
    EXPECT_EQ(lookUp(bytes(kTypeText, {0})), std::pair(true, std::string()));
    EXPECT_EQ(lookUp(bytes(kTypeText, {})), std::pair(true, std::string()));
    // Bytes above 127 pass through as they are.
    EXPECT_EQ(lookUp(text("C:\\Programas\\Informa\xE7\xE3o")),
              std::pair(true, std::string("C:\\Programas\\Informa\xE7\xE3o")));
}

TEST_F(Lookup, AValueLongerThanTheBufferIsMissing) {
    const std::string full(1024, 'a');
    EXPECT_EQ(lookUp(text(full, false)), std::pair(true, full));
    EXPECT_EQ(lookUp(text(std::string(1023, 'a'))), std::pair(true, std::string(1023, 'a')));
    EXPECT_EQ(lookUp(text(full)), std::pair(false, std::string()));
    EXPECT_EQ(lookUp(text(std::string(5000, 'a'))), std::pair(false, std::string()));
}

TEST_F(Lookup, NumbersReadAsUnsignedLittleEndianDecimal) {
    EXPECT_EQ(lookUp(bytes(kTypeNumber, {0x78, 0x56, 0x34, 0x12})),
              std::pair(true, std::string("305419896")));
    EXPECT_EQ(lookUp(bytes(kTypeNumber, {0x00, 0x01, 0x00, 0x00})),
              std::pair(true, std::string("256")));
    EXPECT_EQ(lookUp(bytes(kTypeNumber, {0xFF, 0xFF, 0xFF, 0xFF})),
              std::pair(true, std::string("4294967295")));
    EXPECT_EQ(lookUp(bytes(kTypeNumber, {0, 0, 0, 0})), std::pair(true, std::string("0")));
}

TEST_F(Lookup, OtherTypesCountAsFoundAndLeaveTheResultAsPassedIn) {
    EXPECT_EQ(lookUp(bytes(3, {1, 2, 3})), std::pair(true, std::string("before")));
    EXPECT_EQ(lookUp(bytes(2, {'%', 'x', '%', 0})), std::pair(true, std::string("before")));
    EXPECT_EQ(lookUp(bytes(7, {})), std::pair(true, std::string("before")));
}

TEST_F(Lookup, MissingKeyMissingValueOrRefusalEmptyTheResult) {
    std::string result = "before";
    EXPECT_FALSE(GetKeyValue(store, kLocalMachine, "SOFTWARE\\Nowhere", "V", result));
    EXPECT_EQ(result, "");
    EXPECT_TRUE(store.closed.empty()) << "a key that did not open is not closed";

    store.value(kKey, "Other", text("x"));
    result = "before";
    EXPECT_FALSE(GetKeyValue(store, kLocalMachine, kKey, "V", result));
    EXPECT_EQ(result, "");

    store.keys[{kLocalMachine, std::string(kKey)}].openStatus = kStatusAccessDenied;
    result = "before";
    EXPECT_FALSE(GetKeyValue(store, kLocalMachine, kKey, "Other", result));
    EXPECT_EQ(result, "");

    // The same path under another root is another key.
    store.keys[{kLocalMachine, std::string(kKey)}].openStatus = kStatusOk;
    result = "before";
    EXPECT_FALSE(GetKeyValue(store, 0x80000001, kKey, "Other", result));
    EXPECT_EQ(result, "");

    // A value the store refuses to read.
    StoredValue refused = text("x");
    refused.status = kStatusAccessDenied;
    EXPECT_EQ(lookUp(refused), std::pair(false, std::string()));
}

TEST_F(Lookup, EveryOpenedKeyIsClosedAndOpenedForReadingOnly) {
    lookUp(text("found"));
    lookUp(text(std::string(2000, 'a')));
    EXPECT_EQ(store.opened.size(), 2u);
    EXPECT_TRUE(store.open.empty());
    EXPECT_EQ(store.closed.size(), 2u);
    for (std::uint32_t access : store.accessAsked) {
        EXPECT_EQ(access & 0x1, 0x1u) << "query value";
        EXPECT_EQ(access & (0x2 | 0x4 | 0x20), 0u) << "no set value, create sub-key, create link";
    }
}

namespace {

constexpr std::string_view kPath = "C:\\WINDOWS\\system32\\msinfo32.exe";

struct Launcher : ::testing::Test, forms::Host {
    std::vector<forms::Message> boxes;
    forms::FormsRuntime rt{*this};
    FakePlatform store;

    void messageBox(const forms::Message& m) override { boxes.push_back(m); }

    void start() { StartSysInfo(store, rt); }
    void expectUnavailable() {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "System Information Is Unavailable At This Time");
        EXPECT_EQ(boxes[0].title, forms::kApplicationTitle);
        EXPECT_EQ(boxes[0].style, 0);
        boxes.clear();
    }
    void toolEntry(StoredValue v) { store.value(kToolKey, kToolValue, std::move(v)); }
    void folderEntry(std::string_view folder) {
        store.value(kToolFolderKey, kToolFolderValue, text(folder));
    }
};

}  // namespace

TEST_F(Launcher, TheToolsOwnEntryIsLaunchedWithoutAnExistenceTest) {
    toolEntry(text(kPath));
    folderEntry("C:\\Elsewhere");
    start();
    EXPECT_EQ(store.launched, std::vector<std::string>{std::string(kPath)});
    EXPECT_TRUE(store.existenceTests.empty());
    EXPECT_EQ(store.opened.size(), 1u) << "the folder entry is not consulted";
    EXPECT_TRUE(boxes.empty());

    // Any text at all, even one naming no file; when its launch fails, the box follows.
    store.launched.clear();
    toolEntry(text("nada"));
    store.launchSucceeds = false;
    start();
    EXPECT_EQ(store.launched, std::vector<std::string>{"nada"});
    EXPECT_TRUE(store.existenceTests.empty());
    expectUnavailable();
}

TEST_F(Launcher, TheFolderEntryNeedsTheToolFileInIt) {
    folderEntry("C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo");
    const std::string file =
        "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\MSINFO32.EXE";
    start();
    EXPECT_EQ(store.existenceTests, std::vector<std::string>{file});
    EXPECT_TRUE(store.launched.empty()) << "no launch without the file";
    expectUnavailable();

    store.files.insert(file);
    start();
    EXPECT_EQ(store.launched, std::vector<std::string>{file});
    EXPECT_TRUE(boxes.empty());

    store.launchSucceeds = false;
    start();
    expectUnavailable();
}

TEST_F(Launcher, NeitherEntryShowsTheBoxAndTriesNothing) {
    start();
    EXPECT_EQ(store.opened,
              (std::vector<std::string>{std::string(kToolKey), std::string(kToolFolderKey)}));
    EXPECT_TRUE(store.existenceTests.empty());
    EXPECT_TRUE(store.launched.empty());
    expectUnavailable();
}

namespace {

// Stores that fail by throwing, as a platform whose registry functions cannot be found does.
struct OpenThrows : FakePlatform {
    long openKey(std::uint32_t, std::string_view, std::uint32_t, KeyHandle&) override {
        throw PlatformError("advapi32 cannot be loaded");
    }
};

struct QueryThrows : FakePlatform {
    QueryResult queryValue(KeyHandle, std::string_view,
                           std::span<std::byte, kValueBufferSize>) override {
        throw PlatformError("the registry went away");
    }
};

// A fault of the program's own, not of the machine.
struct QueryIsWrong : FakePlatform {
    QueryResult queryValue(KeyHandle, std::string_view,
                           std::span<std::byte, kValueBufferSize>) override {
        throw std::logic_error("a value asked for in the wrong way");
    }
};

}  // namespace

TEST_F(Launcher, EveryKindOfFailureEndsInTheBox) {
    toolEntry(text(kPath));
    store.onLaunch = [] { throw forms::RuntimeError(forms::ErrorKind::InvalidArgument); };
    start();
    expectUnavailable();

    OpenThrows noRegistry;
    StartSysInfo(noRegistry, rt);
    expectUnavailable();

    QueryThrows queryFails;
    queryFails.value(kToolKey, kToolValue, text(kPath));
    StartSysInfo(queryFails, rt);
    expectUnavailable();
    EXPECT_EQ(queryFails.closed.size(), 1u) << "the key that opened is closed";
    EXPECT_TRUE(queryFails.launched.empty());
}

TEST_F(Launcher, AFaultOfTheProgramIsNotReportedAsAMissingTool) {
    QueryIsWrong wrong;
    wrong.value(kToolKey, kToolValue, text(kPath));
    EXPECT_THROW(StartSysInfo(wrong, rt), std::logic_error);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(wrong.closed.size(), 1u) << "the key that opened is closed all the same";
}
