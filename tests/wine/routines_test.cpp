// FileExists, ShortPathName and FindTitledWindow against real files and real
// windows: Wine makes genuine 8.3 names and keeps a real window order.
#include <gmock/gmock.h>

#include "app/win_handles.h"
#include "app/win_text.h"
#include "player/win_routines.h"
#include "player/paths.h"
#include "tests/support/win_test_support.h"

namespace velmoria::test {
namespace {

// ------------------------------------------------------------ FileExists

class FileExistsTest : public testing::Test {
protected:
    std::wstring File(std::wstring_view name, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        const std::wstring path = folder / name;
        WriteBytes(path, "x");
        ::SetFileAttributesW(path.c_str(), attributes);
        return path;
    }
    TempFolder folder{L"exists"};
};

TEST_F(FileExistsTest, OrdinaryFilesCountReadOnlyAndArchivedIncluded) {
    EXPECT_TRUE(FileExists(File(L"plain.ini")));
    EXPECT_TRUE(FileExists(File(L"readonly.ini", FILE_ATTRIBUTE_READONLY)));
    EXPECT_TRUE(FileExists(File(L"archived.ini", FILE_ATTRIBUTE_ARCHIVE)));
}

TEST_F(FileExistsTest, FoldersHiddenAndSystemFilesAndNothingAtAllDoNot) {
    MakeFolder(folder / L"sub");
    EXPECT_FALSE(FileExists(folder / L"sub"));
    EXPECT_FALSE(FileExists(File(L"hidden.ini", FILE_ATTRIBUTE_HIDDEN)));
    EXPECT_FALSE(FileExists(File(L"system.ini", FILE_ATTRIBUTE_SYSTEM)));
    EXPECT_FALSE(FileExists(folder / L"missing.ini"));
    EXPECT_FALSE(FileExists(folder / L"no folder\\missing.ini"));
}

TEST_F(FileExistsTest, AWildcardMatchesAnyOrdinaryFile) {
    File(L"a.SPC", FILE_ATTRIBUTE_HIDDEN);
    MakeFolder(folder / L"b.spc");
    EXPECT_FALSE(FileExists(folder / L"*.SPC"));  // only a hidden file and a folder so far
    File(L"c.spc");
    EXPECT_TRUE(FileExists(folder / L"*.SPC"));
    EXPECT_TRUE(FileExists(folder / L"?.spc"));
    EXPECT_FALSE(FileExists(folder / L"??.spc"));
}

// ---------------------------------------------------------- ShortPathName

TEST(ShortPathNameTest, GivesTheEightDotThreeFormWithoutSpaces) {
    TempFolder folder(L"short");
    const std::wstring longFolder = folder / L"My Music Folder";
    MakeFolder(longFolder);
    const std::wstring song = longFolder + L"\\Long Song Name.spc";
    WriteBytes(song, "x");
    const std::wstring shortForm = ShortPathName(song);
    ASSERT_FALSE(shortForm.empty());
    EXPECT_EQ(shortForm.find(L' '), std::wstring::npos);
    EXPECT_TRUE(Exists(shortForm));
    wchar_t longForm[MAX_PATH] = L"";
    ::GetLongPathNameW(shortForm.c_str(), longForm, MAX_PATH);
    EXPECT_EQ(std::wstring(longForm), song);
    EXPECT_EQ(ShortPathName(song + L" "), shortForm);  // trailing spaces are not part of the name
    EXPECT_EQ(ShortPathName(song + L"   "), shortForm);
}

TEST(ShortPathNameTest, NamesOutsideTheCodePageWork) {
    TempFolder folder(L"unicode");
    const std::wstring song = folder / L"\u66F2 \u0418\u0433\u0440\u0430.spc";  // Japanese and Cyrillic
    WriteBytes(song, "x");
    const std::wstring shortForm = ShortPathName(song);
    ASSERT_FALSE(shortForm.empty());
    EXPECT_TRUE(Exists(shortForm));
}

TEST(ShortPathNameTest, IsEmptyForAMissingPath) {
    EXPECT_EQ(ShortPathName(L"C:\\no such folder\\no such file.spc"), L"");
    EXPECT_EQ(ShortPathName(L""), L"");
    EXPECT_EQ(ShortPathName(L"   "), L"");
}

TEST(ShortPathNameTest, AShortFormLongerThan300CharactersIsFetchedWhole) {
    TempFolder folder(L"deep");
    std::wstring path = folder.path();
    while (path.size() < 900) {
        path += L"\\A folder with a long name";
        MakeFolder(path);
    }
    const std::wstring file = path + L"\\The song at the bottom.spc";
    WriteBytes(file, "x");
    ASSERT_TRUE(Exists(file));
    const std::wstring shortForm = ShortPathName(file);
    EXPECT_GT(shortForm.size(), 300u);
    EXPECT_EQ(shortForm.find(L' '), std::wstring::npos);
    EXPECT_TRUE(Exists(shortForm));
}

// -------------------------------------------------------- FindTitledWindow

// A window of this test, top-level unless given an owner or a parent.
UniqueWindow MakeWindow(const wchar_t* title, DWORD style = WS_OVERLAPPEDWINDOW, HWND ownerOrParent = nullptr) {
    UniqueWindow window(::CreateWindowExW(0, L"STATIC", title, style, 10, 10, 100, 50, ownerOrParent, nullptr,
                                          ::GetModuleHandleW(nullptr), nullptr));
    ::ShowWindow(window.get(), SW_SHOWNOACTIVATE);
    return window;
}

void Raise(HWND window) {
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TEST(FindTitledWindowTest, MatchesByModeIgnoringCase) {
    const UniqueWindow play = MakeWindow(L"SPCPlay 2");
    const UniqueWindow about = MakeWindow(L"About SPCPlay zz");
    const UniqueWindow song = MakeWindow(L"Song - WinSPC");
    const UniqueWindow other = MakeWindow(L"WinSPC - Song qq");

    EXPECT_EQ(FindTitledWindow(L"spcplay", TitleStarts, 0), play.get());
    Raise(about.get());
    EXPECT_EQ(FindTitledWindow(L"spcplay", TitleContains, 0), about.get());
    EXPECT_EQ(FindTitledWindow(L"spcplay zz", TitleEnds, 0), about.get());
    EXPECT_EQ(FindTitledWindow(L"winspc", TitleEnds, 0), song.get());
    EXPECT_EQ(FindTitledWindow(L"WINSPC - SONG Q", TitleStarts, 0), other.get());
}

TEST(FindTitledWindowTest, TheFirstMatchInTheWindowOrderWins) {
    const UniqueWindow first = MakeWindow(L"Velmoria probe twin");
    const UniqueWindow second = MakeWindow(L"Velmoria probe twin");
    Raise(first.get());
    EXPECT_EQ(FindTitledWindow(L"Velmoria probe twin", TitleStarts, 0), first.get());
    Raise(second.get());
    EXPECT_EQ(FindTitledWindow(L"Velmoria probe twin", TitleStarts, 0), second.get());
}

TEST(FindTitledWindowTest, ChildOwnedAndUntitledWindowsNeverMatch) {
    const UniqueWindow owner = MakeWindow(L"an owner of things");
    const UniqueWindow popup = MakeWindow(L"Owned ZDSpc probe", WS_POPUP | WS_CAPTION, owner.get());
    const UniqueWindow child = MakeWindow(L"Child ZDSpc probe", WS_CHILD | WS_VISIBLE, owner.get());
    EXPECT_EQ(FindTitledWindow(L"ZDSpc probe", TitleEnds, 0), nullptr);
    const UniqueWindow untitled = MakeWindow(L"");
    Raise(untitled.get());
    // An empty search text matches the first window that has a title at all.
    const HWND any = FindTitledWindow(L"", TitleStarts, 0);
    ASSERT_NE(any, nullptr);
    EXPECT_NE(any, untitled.get());
    EXPECT_GT(::GetWindowTextLengthW(any), 0);
    EXPECT_EQ(FindTitledWindow(L"", TitleContains, 0), any);
    EXPECT_EQ(FindTitledWindow(L"", TitleEnds, 0), any);
}

TEST(FindTitledWindowTest, OnlyTheFirst255TitleCharactersCount) {
    std::wstring title(290, L'q');
    title += L"WinSPC";
    const UniqueWindow window = MakeWindow(title.c_str());
    EXPECT_EQ(FindTitledWindow(L"WinSPC", TitleEnds, 0), nullptr);
    EXPECT_EQ(FindTitledWindow(std::wstring(255, L'Q'), TitleStarts, 0), window.get());
    EXPECT_EQ(FindTitledWindow(std::wstring(256, L'Q'), TitleStarts, 0), nullptr);
}

TEST(FindTitledWindowTest, UnknownModesFindNothing) {
    const UniqueWindow window = MakeWindow(L"SPCPlay mode probe");
    EXPECT_EQ(FindTitledWindow(L"SPCPlay mode probe", 3, 0), nullptr);
    EXPECT_EQ(FindTitledWindow(L"SPCPlay mode probe", -1, 0), nullptr);
}

TEST(FindTitledWindowTest, TheProcessFilterKeepsToThatProcess) {
    // Another program's window with the same title, above ours in the order.
    TempFolder folder(L"filter");
    const std::wstring player = folder / L"SPCPLAY.EXE";
    ::CopyFileW((ParentFolder(ModuleFilePath()) + L"\\standins\\SPCPLAY.EXE").c_str(), player.c_str(), FALSE);
    const UniqueWindow ours = MakeWindow(L"SPCPlay - (no tag)");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring line = L"\"" + player + L"\"";
    ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &process));
    const UniqueKernelHandle processHandle(process.hProcess);
    const UniqueKernelHandle threadHandle(process.hThread);
    HWND theirs = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (theirs = FindProcessWindow(process.dwProcessId, L"")) != nullptr; }));
    Raise(theirs);

    EXPECT_EQ(FindTitledWindow(L"spcplay", TitleStarts, 0), theirs);
    EXPECT_EQ(FindTitledWindow(L"spcplay", TitleStarts, ::GetCurrentProcessId()), ours.get());
    EXPECT_EQ(FindTitledWindow(L"spcplay", TitleStarts, process.dwProcessId), theirs);
    ::PostMessageW(theirs, WM_CLOSE, 0, 0);
    EXPECT_EQ(::WaitForSingleObject(process.hProcess, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(FindTitledWindow(L"spcplay", TitleStarts, process.dwProcessId), nullptr);
}

}  // namespace
}  // namespace velmoria::test
