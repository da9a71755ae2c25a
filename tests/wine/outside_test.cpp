// Velmoria as other programs reach it: started with a path ("Open with"), its
// lists read from another process as a screen reader does, files dropped on it.
#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "base/paths.h"
#include "wintk/win_text.h"
#include "tests/wine/fixture.h"
#include "ui/single_instance.h"

namespace velmoria::test {
namespace {

using namespace testing;

class OutsideTest : public WindowTest {
protected:
    // Velmoria.exe, run from the program folder with WinSPC as its player, by
    // default in the player folder.
    DWORD Start(const std::wstring& argument, const std::wstring& folder = {}, std::string settings = {}) {
        const std::wstring exe = programFolder / L"Velmoria.exe";
        ::CopyFileW((ParentFolder(ModuleFilePath()) + L"\\Velmoria.exe").c_str(), exe.c_str(), FALSE);
        StoreSettings(settings.empty() ? Ascii(players.Path(L"WINSPC")) + "\r\n 0 \r\n" : settings);
        DWORD id = 0;
        processes_.push_back(StartProgram(L"\"" + exe + L"\" " + argument, folder.empty() ? playerFolder.path() : folder, &id));
        EXPECT_NE(processes_.back(), nullptr);
        return id;
    }
    void TearDown() override {
        for (const HANDLE process : processes_) {
            ::TerminateProcess(process, 0);
            ::WaitForSingleObject(process, 5000);
            ::CloseHandle(process);
        }
        WindowTest::TearDown();
    }
    // An entry as a screen reader gets it: LB_GETTEXTLEN, then LB_GETTEXT.
    static std::wstring EntryText(HWND list, int index) {
        const auto length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
        if (length == LB_ERR) return L"<none>";
        std::wstring text(static_cast<std::size_t>(length) + 1, L'?');
        const auto copied = ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied == LB_ERR ? 0 : static_cast<std::size_t>(copied));
        return text;
    }
    // What Explorer hands over when files are dropped on a window.
    static HGLOBAL DropOf(const std::vector<std::wstring>& paths) {
        std::wstring names;
        for (const std::wstring& path : paths) names += path + L'\0';
        names += L'\0';
        const HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
        auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
        drop->pFiles = sizeof(DROPFILES);
        drop->fWide = TRUE;
        std::memcpy(drop + 1, names.data(), names.size() * sizeof(wchar_t));
        ::GlobalUnlock(memory);
        return memory;
    }

private:
    std::vector<HANDLE> processes_;
};

// A second start with a song, unquoted spaces and all, relative to its own
// working folder, hands it to the Velmoria already running (in another
// folder), which plays it; a path that names nothing is said so.
TEST_F(OutsideTest, ASongOnTheCommandLineIsOpenedAndPlayedAndItsListReadsFromOutside) {
    Song(L"a.spc");
    const std::wstring song = Song(L"b song with a long name.spc");
    const DWORD process = Start(L"C:\\no such folder\\x.spc");
    HWND window = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (window = FindProcessWindow(process, L"Velmoria")); }, 10s));
    EXPECT_TRUE(WaitUntil([&] { return EntryText(::GetDlgItem(window, IDC_spcDirectory), 2) == FileNameOf(playerFolder.path()); }));
    HWND box = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (box = ::FindWindowExW(nullptr, nullptr, L"#32770", L"Velmoria")) != nullptr; }));
    EXPECT_EQ(WindowText(::GetDlgItem(box, 0xFFFF)), L"There is no folder or SPC file at\nC:\\no such folder\\x.spc");
    // A burst of such hand-overs while it is up puts no second box on top of it.
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(HandOver(window, L"Velmoria.exe C:\\missing\\x.spc"));
    int shown = 0;
    for (HWND up = nullptr; (up = ::FindWindowExW(nullptr, up, L"#32770", L"Velmoria"));) shown += up != window;
    EXPECT_EQ(shown, 1);

    // A RAR set opened from Explorer (its Open With runs "Velmoria.exe" "%1")
    // opens like a folder; a song inside it, handed over the same way, plays
    // from its copy.
    ::CopyFileW((ParentFolder(ModuleFilePath()) + L"\\sets\\Green Game.rsn").c_str(), (work / L"Green Game.rsn").c_str(), FALSE);
    const DWORD set = Start(L"\"" + work / L"Green Game.rsn\"");
    EXPECT_TRUE(WaitUntil([&] { return !ProcessRunning(set); }, 10s));
    EXPECT_TRUE(WaitUntil([&] { return EntryText(::GetDlgItem(window, IDC_spcFile), 1) == L"03 Third.sp1"; }, 10s));
    const DWORD packed = Start(L"\"" + work / L"Green Game.rsn\\Disc 2\\02 Second.spc\"");
    EXPECT_TRUE(WaitUntil([&] { return !ProcessRunning(packed); }, 10s));
    ASSERT_TRUE(players.WaitForLog(L"WINSPC", L"song=[Second]"));
    EXPECT_EQ(EntryText(::GetDlgItem(window, IDC_spcFile), 0), L"02 Second.spc");

    const DWORD second = Start(FileNameOf(song), work.path());
    EXPECT_TRUE(WaitUntil([&] { return !ProcessRunning(second); }, 10s));
    ASSERT_TRUE(WaitUntil([&] { return WindowText(window) == L"[Running WinSPC]"; }, 10s));
    ASSERT_TRUE(players.WaitForLog(L"WINSPC", ShortForm(song)));

    const HWND files = ::GetDlgItem(window, IDC_spcFile);
    EXPECT_EQ(::SendMessageW(files, LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(EntryText(files, 0), L"a.spc");
    EXPECT_EQ(EntryText(files, 1), L"b song with a long name.spc");
    EXPECT_EQ(EntryText(files, 2), L"<none>");
    const HWND folders = ::GetDlgItem(window, IDC_spcDirectory);
    EXPECT_EQ(EntryText(folders, 1), L"velmoria-tests");
    // Controls that show no caption still have a name to be read out.
    EXPECT_EQ(WindowText(files), L"SPC files");
    EXPECT_EQ(WindowText(folders), L"Folders");
    EXPECT_EQ(WindowText(::GetDlgItem(window, IDC_cmdPlay)), L"Play");
}

// While a start-up message is up the window is not ready: a second start
// runs by itself (and says so too) rather than hand it a song it would lose.
TEST_F(OutsideTest, ASecondStartDuringAStartUpMessageRunsByItself) {
    // No player: each start says to delete the file, in a box of its own (the main window is hidden).
    const DWORD first = Start(L"", {}, "\r\n 0 \r\n");
    ASSERT_TRUE(WaitUntil([&] { return FindProcessWindow(first, L"Velmoria") != nullptr; }, 10s));
    const DWORD second = Start(L"\"" + Song(L"a.spc") + L"\"", {}, "\r\n 0 \r\n");
    EXPECT_TRUE(WaitUntil([&] { return FindProcessWindow(second, L"Velmoria") != nullptr; }, 10s));
}

// Wine cannot carry a drop's memory from one process to another, so the drop
// comes from this process, to the real window.
TEST_F(OutsideTest, ADropOpensTheFirstFolderOrSongAmongTheItems) {
    MakeFolder(work / L"album");
    WriteBytes(work / L"album\\z.spc", SpcFileBytes("Z", "G"));
    Song(L"c.spc");
    StartWith(players.Path(L"WINSPC"));
    const HWND folders = Item(IDC_spcDirectory);
    const HWND files = Item(IDC_spcFile);
    Song(L"d.spc");  // after the list was filled: a drop in the same folder refills it

    ::PostMessageW(main->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({work / L"d.spc"})), 0);
    ASSERT_TRUE(Pump([&] { return ::SendMessageW(files, LB_GETCURSEL, 0, 0) == 1; }));
    EXPECT_EQ(EntryText(files, 1), L"d.spc");

    ::PostMessageW(main->hwnd(), WM_DROPFILES,
                   reinterpret_cast<WPARAM>(DropOf({work / L"notes.txt", work / L"album", work / L"c.spc"})), 0);
    ASSERT_TRUE(Pump([&] { return EntryText(files, 0) == L"z.spc"; }));
    EXPECT_EQ(EntryText(folders, 2), FileNameOf(work.path()));
    EXPECT_EQ(EntryText(folders, 3), L"album");
    EXPECT_EQ(Caption(), L"Velmoria");  // a drop opens, it does not play

    // A set dropped opens as a folder does.
    ::CopyFileW((ParentFolder(ModuleFilePath()) + L"\\sets\\Stored.rsn").c_str(), (work / L"Stored.rsn").c_str(), FALSE);
    ::PostMessageW(main->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({work / L"Stored.rsn"})), 0);
    ASSERT_TRUE(Pump([&] { return EntryText(files, 0) == L"01 First.spc" && EntryText(folders, 3) == L"Stored.rsn"; }));

    // Anyone may post WM_DPICHANGED, with a pointer that points nowhere: it is not read.
    ::PostMessageW(main->hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), 16);
    PumpUntil([] { return false; }, 200ms);
    EXPECT_EQ(main->dpi(), 96);

    // Named like devices, the folder CON and the song COM1.spc stay a folder
    // and a file, and the player gets a copy: COM1.spc would open the port.
    MakeFolder(L"\\\\?\\" + work / L"CON");
    WriteBytes(L"\\\\?\\" + work / L"CON\\COM1.spc", SpcFileBytes("Port", "G"));
    ::PostMessageW(main->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({work / L"CON\\COM1.spc"})), 0);
    ASSERT_TRUE(Pump([&] { return EntryText(files, 0) == L"COM1.spc" && EntryText(folders, 3) == L"CON"; }));
    Settled([&] { main->cmdPlay_Click(); });
    EXPECT_TRUE(players.WaitForLog(L"WINSPC", L"song=[Port]"));
    EXPECT_THAT(players.CommandLines(L"WINSPC"), ElementsAre(Not(HasSubstr(L"COM1"))));
}

// File, Offer in Explorer's Open With: this user's Open With lists Velmoria
// for SPC files, ticked at the next start too; unticking takes back exactly
// that, and what was there before (the extension's program, another
// program's offer) stays.
TEST_F(OutsideTest, OpenWithIsOfferedForThisUserAndTakenBackExactly) {
    const std::wstring classes = L"Software\\Classes\\";
    auto value = [&](const std::wstring& key, const wchar_t* name) {
        wchar_t text[512];
        DWORD bytes = sizeof text;
        if (::RegGetValueW(HKEY_CURRENT_USER, (classes + key).c_str(), name, RRF_RT_ANY, nullptr, text, &bytes) != ERROR_SUCCESS) {
            return std::wstring(L"<none>");
        }
        return std::wstring(std::wstring(text, bytes / sizeof(wchar_t)).c_str());
    };
    ::RegSetKeyValueW(HKEY_CURRENT_USER, (classes + L".spc").c_str(), nullptr, REG_SZ, L"Other.spc", 20);
    ::RegSetKeyValueW(HKEY_CURRENT_USER, (classes + L".spc\\OpenWithProgids").c_str(), L"Other.spc", REG_NONE, nullptr, 0);
    const std::wstring exe = ModuleFilePath(), application = L"Applications\\" + FileNameOf(exe);
    auto ticked = [&] { return (::GetMenuState(::GetMenu(main->hwnd()), ID_mnuOpenWith, MF_BYCOMMAND) & MF_CHECKED) != 0; };
    StartWith(players.Path(L"WINSPC"));
    EXPECT_FALSE(ticked());
    ::SendMessageW(main->hwnd(), WM_COMMAND, ID_mnuOpenWith, 0);
    EXPECT_TRUE(ticked());
    EXPECT_EQ(value(L"Velmoria.SpcFile\\shell\\open\\command", nullptr), L"\"" + exe + L"\" \"%1\"");
    EXPECT_EQ(value(L".spc\\OpenWithProgids", L"Velmoria.SpcFile"), L"");
    EXPECT_EQ(value(application + L"\\SupportedTypes", L".spc"), L"");
    EXPECT_EQ(value(L".rsn\\OpenWithProgids", L"Velmoria.SpcFile"), L"");
    EXPECT_EQ(value(application + L"\\SupportedTypes", L".rsn"), L"");
    main.reset();
    StartWith(players.Path(L"WINSPC"));
    EXPECT_TRUE(ticked());
    ::SendMessageW(main->hwnd(), WM_COMMAND, ID_mnuOpenWith, 0);
    EXPECT_FALSE(ticked());
    for (const std::wstring& key : {std::wstring(L"Velmoria.SpcFile"), application}) {
        HKEY left = nullptr;
        EXPECT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, (classes + key).c_str(), 0, KEY_READ, &left), ERROR_SUCCESS) << Ascii(key);
        if (left) ::RegCloseKey(left);
    }
    EXPECT_EQ(value(L".spc\\OpenWithProgids", L"Velmoria.SpcFile"), L"<none>");
    EXPECT_EQ(value(L".rsn\\OpenWithProgids", L"Velmoria.SpcFile"), L"<none>");
    EXPECT_EQ(value(L".spc\\OpenWithProgids", L"Other.spc"), L"");
    EXPECT_EQ(value(L".spc", nullptr), L"Other.spc");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, (classes + L".spc").c_str());
}

}  // namespace
}  // namespace velmoria::test
