// The settings file on a real file system: its exact bytes, where it lives,
// and what a failed write leaves behind.
#include <gmock/gmock.h>

#include "app/settings_file.h"
#include "app/win_handles.h"
#include "app/win_text.h"
#include "tests/support/win_test_support.h"

namespace velmoria::test {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;

class SettingsFileTest : public testing::Test {
protected:
    TempFolder folder{L"settings"};
    SettingsStore store{folder.path()};
    std::wstring file = folder / L"Velmoria.ini";
};

TEST_F(SettingsFileTest, LivesInTheProgramFolderWithOneSeparator) {
    EXPECT_EQ(store.SettingsFilePath(), file);
    EXPECT_EQ(SettingsStore(L"C:\\").SettingsFilePath(), L"C:\\Velmoria.ini");
}

TEST_F(SettingsFileTest, WritesExactBytesAndReadsThemBack) {
    store.WriteSettings(L"C:\\SPC\\SPCPLAY.EXE", 1);
    EXPECT_EQ(ReadBytes(file), "C:\\SPC\\SPCPLAY.EXE\r\n 1 \r\n");
    const Settings read = store.ReadSettings();
    EXPECT_EQ(read.playerPath, L"C:\\SPC\\SPCPLAY.EXE");
    EXPECT_EQ(read.compactFlag, 1);

    store.WriteSettings(L"C:\\SPC\\WINSPC.EXE", 0);  // replaces, never appends
    EXPECT_EQ(ReadBytes(file), "C:\\SPC\\WINSPC.EXE\r\n 0 \r\n");
    EXPECT_THAT(FilesMatching(folder / L"*"), ElementsAre(L"Velmoria.ini"));
}

TEST_F(SettingsFileTest, APathWithACommaIsQuotedAndReadsBackWhole) {
    store.WriteSettings(L"C:\\Players, old\\ZDSPC.EXE", 1);
    EXPECT_EQ(ReadBytes(file), "\"C:\\Players, old\\ZDSPC.EXE\"\r\n 1 \r\n");
    EXPECT_EQ(store.ReadSettings().playerPath, L"C:\\Players, old\\ZDSPC.EXE");
}

TEST_F(SettingsFileTest, TextIsInTheAnsiCodePage) {
    store.WriteSettings(L"C:\\M\u00FCsik\\SPCPLAY.EXE", 0);  // u-umlaut is 0xFC in code page 1252
    ASSERT_EQ(::GetACP(), 1252u);
    EXPECT_EQ(ReadBytes(file), "C:\\M\xFCsik\\SPCPLAY.EXE\r\n 0 \r\n");
    EXPECT_EQ(store.ReadSettings().playerPath, L"C:\\M\u00FCsik\\SPCPLAY.EXE");
}

TEST_F(SettingsFileTest, APathTheCodePageCannotHoldIsStoredAsItsShortForm) {
    const std::wstring players = folder / L"\u041F\u043B\u0435\u0435\u0440";  // Cyrillic
    MakeFolder(players);
    const std::wstring player = players + L"\\SPCPLAY.EXE";
    WriteBytes(player, "MZ");
    store.WriteSettings(player, 0);
    const std::string bytes = ReadBytes(file);
    for (char c : bytes) EXPECT_GT(static_cast<unsigned char>(c), 0u);
    const Settings read = store.ReadSettings();
    EXPECT_NE(read.playerPath, player);
    wchar_t longForm[MAX_PATH] = L"";
    ::GetLongPathNameW(read.playerPath.c_str(), longForm, MAX_PATH);
    EXPECT_EQ(std::wstring(longForm), player);  // the same file
}

TEST_F(SettingsFileTest, APathThatCannotBeStoredAtAllIsRefusedAndTheOldFileKept) {
    store.WriteSettings(L"C:\\OLD\\SPCPLAY.EXE", 0);
    // No such file, so no short form to fall back on.
    EXPECT_THROW(store.WriteSettings(L"C:\\\u041D\u0435\u0442\\SPCPLAY.EXE", 0), SettingsWriteError);
    EXPECT_EQ(ReadBytes(file), "C:\\OLD\\SPCPLAY.EXE\r\n 0 \r\n");
}

TEST_F(SettingsFileTest, AFailedWriteKeepsTheOldFileAndSaysWhichFileAndWhy) {
    store.WriteSettings(L"C:\\OLD\\SPCPLAY.EXE", 1);
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    try {
        store.WriteSettings(L"C:\\NEW\\WINSPC.EXE", 0);
        FAIL() << "a read-only settings file was overwritten";
    } catch (const SettingsWriteError& error) {
        EXPECT_EQ(error.file(), file);
        EXPECT_FALSE(error.reason().empty());
        EXPECT_THAT(error.UserMessage(), HasSubstr(file));
        EXPECT_THAT(error.UserMessage(), HasSubstr(error.reason()));
    }
    EXPECT_EQ(ReadBytes(file), "C:\\OLD\\SPCPLAY.EXE\r\n 1 \r\n");
    EXPECT_THAT(FilesMatching(folder / L"*"), ElementsAre(L"Velmoria.ini"));
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SettingsFileTest, AMissingFolderIsAFailureNotASuccess) {
    const SettingsStore nowhere(folder / L"no such folder");
    EXPECT_THROW(nowhere.WriteSettings(L"C:\\P\\SPCPLAY.EXE", 0), SettingsWriteError);
}

TEST_F(SettingsFileTest, ReadingNeverFails) {
    EXPECT_EQ(store.ReadSettings().playerPath, L"");  // absent
    WriteBytes(file, "");
    EXPECT_EQ(store.ReadSettings().playerPath, L"");
    WriteBytes(file, std::string("C:\\P\0X\\SPCPLAY.EXE\r\n 1 \r\n", 24));
    EXPECT_EQ(store.ReadSettings().playerPath, L"");  // a NUL names no file
    WriteBytes(file, std::string(3 << 20, 'x'));     // far larger than any settings file
    const Settings huge = store.ReadSettings();
    EXPECT_EQ(huge.compactFlag, 0);
    EXPECT_LE(huge.playerPath.size(), 64u * 1024u);
}

TEST_F(SettingsFileTest, ADriveRootHoldsTheFileWithoutADoubledSeparator) {
    const std::wstring root = SpareDriveRoot();
    if (root.empty()) GTEST_SKIP() << "no spare drive V: prepared";
    const SettingsStore atRoot(root);
    EXPECT_EQ(atRoot.SettingsFilePath(), L"V:\\Velmoria.ini");
    atRoot.WriteSettings(L"V:\\ZDSPC.EXE", 1);
    EXPECT_EQ(ReadBytes(L"V:\\Velmoria.ini"), "V:\\ZDSPC.EXE\r\n 1 \r\n");
    ::DeleteFileW(L"V:\\Velmoria.ini");
}

// Where Windows uses UTF-8 as the ANSI code page, the flags that ask other
// code pages for an exact conversion make the call fail.
TEST(ToAnsi, ConvertsExactlyOrNotAtAllInEachKindOfCodePage) {
    EXPECT_EQ(ToAnsi(L"C:\\M\u00FCsik\\SPCPLAY.EXE", CP_UTF8), "C:\\M\xC3\xBCsik\\SPCPLAY.EXE");
    EXPECT_EQ(ToAnsi(L"C:\\\u66F2\\X.EXE", CP_UTF8), "C:\\\xE6\x9B\xB2\\X.EXE");
    EXPECT_EQ(ToAnsi(std::wstring(L"C:\\\xD800x"), CP_UTF8), std::nullopt);  // a lone surrogate
    EXPECT_EQ(ToAnsi(L"C:\\M\u00FCsik", 1252), "C:\\M\xFCsik");
    EXPECT_EQ(ToAnsi(L"C:\\\u0100", 1252), std::nullopt);  // a best fit would make it "A"
    EXPECT_EQ(ToAnsi(L"\u66F2", 932), "\x8B\xC8");
    EXPECT_EQ(FromAnsi("C:\\M\xC3\xBCsik", CP_UTF8), L"C:\\M\u00FCsik");
}

TEST_F(SettingsFileTest, AConversionThatGivesNothingFailsRatherThanWriteAnEmptyLine) {
    store.WriteSettings(L"C:\\OLD\\SPCPLAY.EXE", 0);
    const SettingsStore noCodePage(folder.path(), 12345);  // no such code page: every conversion fails
    EXPECT_THROW(noCodePage.WriteSettings(L"C:\\NEW\\WINSPC.EXE", 0), SettingsWriteError);
    EXPECT_EQ(ReadBytes(file), "C:\\OLD\\SPCPLAY.EXE\r\n 0 \r\n");
}

// Such a path comes only from editing the file by hand.
TEST_F(SettingsFileTest, APathWithALineBreakOrAQuoteIsRefusedAndTheOldFileKept) {
    store.WriteSettings(L"C:\\OLD\\SPCPLAY.EXE", 1);
    for (const wchar_t* path : {L"C:\\a\r\nb\\WINSPC.EXE", L"C:\\a\"b\\WINSPC.EXE"}) {
        try {
            store.WriteSettings(path, 0);
            ADD_FAILURE() << "written";
        } catch (const SettingsWriteError& error) {
            EXPECT_THAT(error.UserMessage(), HasSubstr(file));
        }
    }
    EXPECT_EQ(ReadBytes(file), "C:\\OLD\\SPCPLAY.EXE\r\n 1 \r\n");
}

// A virus scanner or sync tool holds the file for a moment: reading and
// writing wait for it, but something that will never change fails at once.
TEST_F(SettingsFileTest, AFileHeldForAMomentIsWaitedForAndAFolderOfItsNameIsNot) {
    store.WriteSettings(L"C:\\P\\WINSPC.EXE", 1);
    auto holdFor = [&](DWORD ms) {
        auto held = std::make_shared<UniqueFile>(
            ::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_TRUE(*held);
        return std::make_unique<Background>([held, ms] {
            ::Sleep(ms);
            held->reset();
        });
    };
    auto release = holdFor(200);
    EXPECT_EQ(store.ReadSettings().playerPath, L"C:\\P\\WINSPC.EXE");
    release->Join();
    release = holdFor(200);
    store.WriteSettings(L"C:\\P\\ZDSPC.EXE", 0);
    release->Join();
    EXPECT_EQ(ReadBytes(file), "C:\\P\\ZDSPC.EXE\r\n 0 \r\n");

    TempFolder other(L"folder named so");
    MakeFolder(other / L"Velmoria.ini");
    const SettingsStore blocked(other.path());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(blocked.ReadSettings().playerPath, L"");
    EXPECT_THROW(blocked.WriteSettings(L"C:\\P\\ZDSPC.EXE", 0), SettingsWriteError);
    // Waiting as for a busy file would take half a second for each.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
}

TEST_F(SettingsFileTest, ALeftoverTemporaryFileIsNoObstacle) {
    WriteBytes(file + L".tmp", "left by a crash");
    ::SetFileAttributesW((file + L".tmp").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    store.WriteSettings(L"C:\\P\\SPCPLAY.EXE", 1);
    EXPECT_EQ(ReadBytes(file), "C:\\P\\SPCPLAY.EXE\r\n 1 \r\n");
    EXPECT_THAT(FilesMatching(folder / L"*"), testing::UnorderedElementsAre(L"Velmoria.ini", L"Velmoria.ini.tmp"));
    ::SetFileAttributesW((file + L".tmp").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The hidden attribute, a hard link's other name and a symbolic link all
// keep showing the new settings after a save.
TEST_F(SettingsFileTest, WhatTheUserSetOnTheFileSurvivesASave) {
    store.WriteSettings(L"C:\\P\\SPCPLAY.EXE", 0);
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
    store.WriteSettings(L"C:\\P\\WINSPC.EXE", 1);
    EXPECT_EQ(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(ReadBytes(file), "C:\\P\\WINSPC.EXE\r\n 1 \r\n");
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);

    const std::wstring otherName = folder / L"backup-name.ini";
    ASSERT_TRUE(::CreateHardLinkW(otherName.c_str(), file.c_str(), nullptr));
    store.WriteSettings(L"C:\\P\\ZDSPC.EXE", 0);
    EXPECT_EQ(ReadBytes(otherName), "C:\\P\\ZDSPC.EXE\r\n 0 \r\n");
    EXPECT_EQ(ReadBytes(file), "C:\\P\\ZDSPC.EXE\r\n 0 \r\n");
}

}  // namespace
}  // namespace velmoria::test
