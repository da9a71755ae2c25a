// The settings file on a real file system: its exact bytes, the text's code
// page, and what a replacement keeps, waits for and leaves behind.
#include <memory>

#include "app/settings_file.h"
#include "wintk/win_handles.h"
#include "wintk/win_text.h"
#include "tests/support/win_test_support.h"

#include <gmock/gmock.h>

namespace velmoria::test {
namespace {

using namespace testing;

class SettingsFileTest : public testing::Test {
protected:
    std::vector<std::wstring> Files() const { return FilesMatching(folder.path()); }

    TempFolder folder{L"settings"};
    SettingsStore store{folder.path()};
    std::wstring file = folder / L"Velmoria.ini";
};

TEST_F(SettingsFileTest, WritesExactBytesInTheCodePageAndReadsThemBack) {
    EXPECT_EQ(SettingsStore(L"C:\\").SettingsFilePath(), L"C:\\Velmoria.ini");
    ASSERT_EQ(::GetACP(), 1252u);
    const std::pair<const wchar_t*, std::string> cases[] = {
        {L"C:\\SPC\\SPCPLAY.EXE", "C:\\SPC\\SPCPLAY.EXE\r\n 1 \r\n"},
        {L"C:\\Players, old\\ZDSPC.EXE", "\"C:\\Players, old\\ZDSPC.EXE\"\r\n 1 \r\n"},
        {L"C:\\M\u00FCsik\\WINSPC.EXE", "C:\\M\xFCsik\\WINSPC.EXE\r\n 1 \r\n"}};
    for (const auto& [path, bytes] : cases) {
        store.WriteSettings(path, 1);
        EXPECT_EQ(ReadBytes(file), bytes);
        const Settings read = store.ReadSettings();
        EXPECT_EQ(read.playerPath, path);
        EXPECT_EQ(read.compactFlag, 1);
    }
    EXPECT_THAT(Files(), ElementsAre(L"Velmoria.ini"));  // replaced, nothing left beside it
    // Replaced, never rewritten: a kill in mid-write would leave a rewritten file half done.
    auto identity = [&] {
        const UniqueFile opened(::CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                              nullptr, OPEN_EXISTING, 0, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        ::GetFileInformationByHandle(opened.get(), &info);
        return (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    };
    const ULONGLONG before = identity();
    store.WriteSettings(L"D:\\SPCPLAY.EXE", 1);
    EXPECT_NE(identity(), before);

    // The file beside the program comes before the user's, and is written.
    MakeFolder(folder / L"Velmoria");
    WriteBytes(folder / L"Velmoria\\Velmoria.ini", "C:\\USER.EXE\r\n 0 \r\n");
    const SettingsStore both(folder.path(), folder.path());
    EXPECT_EQ(both.ReadSettings().compactFlag, 1);
    both.WriteSettings(L"C:\\NEW.EXE", 0);
    EXPECT_EQ(ReadBytes(file), "C:\\NEW.EXE\r\n 0 \r\n");
    ::DeleteFileW(file.c_str());
    EXPECT_EQ(both.ReadSettings().playerPath, L"C:\\USER.EXE");
}

// A path the code page cannot hold is stored as its short form, which names
// the same file; with no short form to fall back on, nothing is written.
TEST_F(SettingsFileTest, APathOutsideTheCodePageIsStoredShortOrRefusedInEveryKindOfCodePage) {
    const std::wstring players = folder / L"\u041F\u043B\u0435\u0435\u0440";  // Cyrillic
    MakeFolder(players);
    WriteBytes(players + L"\\SPCPLAY.EXE", "MZ");
    store.WriteSettings(players + L"\\SPCPLAY.EXE", 0);
    wchar_t longForm[MAX_PATH] = L"";
    ::GetLongPathNameW(store.ReadSettings().playerPath.c_str(), longForm, MAX_PATH);
    EXPECT_EQ(std::wstring(longForm), players + L"\\SPCPLAY.EXE");

    const std::string before = ReadBytes(file);
    EXPECT_THROW(store.WriteSettings(L"C:\\\u041D\u0435\u0442\\SPCPLAY.EXE", 0), SettingsWriteError);
    // Where Windows uses UTF-8 as the ANSI code page, the flags that ask other
    // code pages for an exact conversion make the call fail.
    EXPECT_EQ(ToAnsi(L"C:\\M\u00FCsik\\\u66F2.EXE", CP_UTF8), "C:\\M\xC3\xBCsik\\\xE6\x9B\xB2.EXE");
    EXPECT_EQ(ToAnsi(std::wstring(L"C:\\\xD800x"), CP_UTF8), std::nullopt);  // a lone surrogate
    EXPECT_EQ(ToAnsi(L"C:\\\u0100", 1252), std::nullopt);  // a best fit would make it "A"
    EXPECT_EQ(ToAnsi(L"\u66F2", 932), "\x8B\xC8");
    // No such code page: every conversion fails, and no empty line is written.
    EXPECT_THROW(SettingsStore(folder.path(), {}, 12345).WriteSettings(L"C:\\NEW\\WINSPC.EXE", 0), SettingsWriteError);
    // A line break or a quote, possible only by editing the file by hand.
    EXPECT_THROW(store.WriteSettings(L"C:\\a\r\nb\\WINSPC.EXE", 0), SettingsWriteError);
    EXPECT_EQ(ReadBytes(file), before);
}

// The message names the file and the reason; the old file and no
// temporary one are left.
TEST_F(SettingsFileTest, AFailedWriteKeepsTheOldFileAndSaysWhichFileAndWhy) {
    store.WriteSettings(L"C:\\OLD\\SPCPLAY.EXE", 1);
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    try {
        store.WriteSettings(L"C:\\NEW\\WINSPC.EXE", 0);
        ADD_FAILURE() << "a read-only settings file was overwritten";
    } catch (const SettingsWriteError& error) {
        EXPECT_THAT(error.UserMessage(), testing::AllOf(HasSubstr(file), HasSubstr(error.reason())));
    }
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(file), "C:\\OLD\\SPCPLAY.EXE\r\n 1 \r\n");
    EXPECT_THROW(SettingsStore(folder / L"no such folder").WriteSettings(L"C:\\P\\X.EXE", 0), SettingsWriteError);
    if (const UniqueFile held(::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)); held) {
        EXPECT_THROW(store.WriteSettings(L"C:\\NEW\\WINSPC.EXE", 0), SettingsWriteError);  // held for too long
    }
    EXPECT_EQ(ReadBytes(file), "C:\\OLD\\SPCPLAY.EXE\r\n 1 \r\n");
    EXPECT_THAT(Files(), ElementsAre(L"Velmoria.ini"));
}

// A virus scanner or sync tool holds the file for a moment: reading and
// writing wait for it, but what will never change fails at once.
TEST_F(SettingsFileTest, AFileHeldForAMomentIsWaitedForAndAFolderOfItsNameIsNot) {
    store.WriteSettings(L"C:\\P\\WINSPC.EXE", 1);
    auto holdFor = [&](DWORD ms) {  // the file is held before this returns
        return std::make_unique<Background>(
            [ms, held = ::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)] {
                ::Sleep(ms);
                ::CloseHandle(held);
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
    EXPECT_LT(std::chrono::steady_clock::now() - start, 400ms);
}

// A leftover temporary file is no obstacle; the hidden attribute and a hard
// link's other name survive a save.
TEST_F(SettingsFileTest, WhatTheUserSetOnTheFileSurvivesASave) {
    WriteBytes(file + L".tmp", "left by a crash");
    ::SetFileAttributesW((file + L".tmp").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    store.WriteSettings(L"C:\\P\\SPCPLAY.EXE", 0);
    ::SetFileAttributesW((file + L".tmp").c_str(), FILE_ATTRIBUTE_NORMAL);
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
    store.WriteSettings(L"C:\\P\\WINSPC.EXE", 1);
    EXPECT_EQ(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(ReadBytes(file), "C:\\P\\WINSPC.EXE\r\n 1 \r\n");
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);

    // A killed writer's leftover goes at the next write; a fresh one (a write
    // under way) and any other name stay.
    FILETIME hourAgo;
    ::GetSystemTimeAsFileTime(&hourAgo);
    hourAgo.dwHighDateTime -= 9;  // 9 x 2^32 x 100 ns: about an hour back
    for (const wchar_t* name : {L".0badc0de.tmp", L".0BADC0DE.tmp.x", L".1234abcd.tmp"}) {
        WriteBytes(file + name, "half");
        const UniqueFile left(::CreateFileW((file + name).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (name[1] == L'0') ::SetFileTime(left.get(), nullptr, nullptr, &hourAgo);
    }
    store.WriteSettings(L"C:\\P\\WINSPC.EXE", 1);

    const std::wstring otherName = folder / L"backup-name.ini";
    ASSERT_TRUE(::CreateHardLinkW(otherName.c_str(), file.c_str(), nullptr));
    store.WriteSettings(L"C:\\P\\ZDSPC.EXE", 0);
    EXPECT_EQ(ReadBytes(otherName), "C:\\P\\ZDSPC.EXE\r\n 0 \r\n");
    EXPECT_THAT(Files(), ElementsAre(L"Velmoria.ini", L"Velmoria.ini.0BADC0DE.tmp.x", L"Velmoria.ini.1234abcd.tmp",
                                     L"Velmoria.ini.tmp", L"backup-name.ini"));
}

}  // namespace
}  // namespace velmoria::test
