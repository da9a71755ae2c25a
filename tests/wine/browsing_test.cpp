// The three browsing lists over real folders and drives, driven with the
// real mouse and keyboard.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>

#include "wintk/win_handles.h"
#include "tests/wine/fixture.h"

namespace velmoria::test {
namespace {

using testing::ElementsAre;

class BrowsingTest : public WindowTest {
protected:
    std::wstring Selected() const { return main->spcFile().Entry(main->spcFile().ListIndex()); }
};

TEST_F(BrowsingTest, ListsShowTheFolderPathSubfoldersAndOrdinarySpcFilesSorted) {
    for (const wchar_t* name : {L"b.SPC", L"a.spc", L"C.Spc", L"\u00C9b.spc", L"\u00E9a.spc", L"hidden.spc", L"x.txt", L"y.spcx"}) {
        WriteBytes(work / name, "x");
    }
    for (const wchar_t* name : {L"Music", L"albums", L"folder.spc", L".hidden"}) MakeFolder(work / name);
    for (const wchar_t* name : {L"hidden.spc", L".hidden"}) ::SetFileAttributesW((work / name).c_str(), FILE_ATTRIBUTE_HIDDEN);
    CreateMain();
    ASSERT_TRUE(ListsShown());
    EXPECT_THAT(Entries(main->spcFile()), ElementsAre(L"a.spc", L"b.SPC", L"C.Spc", L"\u00E9a.spc", L"\u00C9b.spc"));
    EXPECT_EQ(main->spcFile().ListIndex(), -1);
    EXPECT_THAT(Entries(main->spcDirectory()),
                ElementsAre(L"C:\\", L"velmoria-tests", work.path().substr(work.path().rfind(L'\\') + 1), L"albums",
                            L"folder.spc", L"Music"));
    EXPECT_EQ(main->spcDirectory().ListIndex(), 2);  // the current folder
    EXPECT_EQ(main->spcDrive().Drive(), L"C:");
}

// The whole name at once, wrapped where the tip would cut it, and the tag
// of the entry the pointer rests on when a pool thread has read it: a slow
// drive never holds the window. A file that is no SPC, or has gone since the
// list was filled, shows its name alone; a song named like a device is a song.
TEST_F(BrowsingTest, ThePointerRestingOnASongShowsItsNameAndTag) {
    std::string song = SpcFileBytes("Green Hills", "A Game");
    song.replace(0xA9, 3, "160");
    song.replace(0xAC, 5, "10000");
    song.replace(0xB1, 8, "Composer");
    WriteBytes(work / L"bsd-01.spc", song);
    const std::wstring longName = L"not really a song, and a name far too long for the list or a tip to show.spc";
    WriteBytes(work / longName, "hello");
    WriteBytes(work / L"vanishing.spc", song);
    for (const wchar_t* device : {L"AUX.spc", L"COM1.spc", L"CON.spc", L"LPT1.spc", L"NUL.spc"}) {
        WriteBytes(L"\\\\?\\" + work / device, song);
    }
    StartWith(players.Path(L"WINSPC"));
    const UniqueKernelHandle slowDrive(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    main->spcFile().songReader = [event = slowDrive.get(), read = main->spcFile().songReader](const std::wstring& path, auto stamp) {
        ::WaitForSingleObject(event, 10000);
        return read(path, stamp);
    };
    auto tip = [&]() -> std::wstring {
        const HWND window = main->spcFile().tipWindow();
        if (!window || !::IsWindowVisible(window)) return L"<hidden>";
        wchar_t text[512] = L"";
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = Item(IDC_spcFile);
        tool.uId = 1;
        tool.lpszText = text;
        ::SendMessageW(window, TTM_GETTEXTW, ARRAYSIZE(text), reinterpret_cast<LPARAM>(&tool));
        return text;
    };
    const std::wstring details = L"\nTitle: Green Hills\nGame: A Game\nArtist: Composer\nLength: 2:40 + 10 s fade";
    ::SendMessageW(main->hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_spcFile)), TRUE);  // the keys go to the list
    MoveMouseTo(EntryPoint(IDC_spcFile, 1));
    EXPECT_TRUE(Pump([&] { return tip() == L"bsd-01.spc"; })) << Ascii(tip());  // while the drive sleeps
    ::SetEvent(slowDrive.get());
    EXPECT_TRUE(Pump([&] { return tip() == L"bsd-01.spc" + details; })) << Ascii(tip());
    PressKey(VK_END);  // the rows move: the tip goes
    EXPECT_TRUE(Pump([&] { return tip() == L"<hidden>"; }));
    PressKey(VK_HOME);
    auto pointAt = [&](int index) {  // scrolled to the top, where it is surely in sight
        ::SendMessageW(Item(IDC_spcFile), LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
        MoveMouseTo(EntryPoint(IDC_spcFile, index));
    };
    for (const int i : {0, 2, 3, 4, 6}) {  // AUX, COM1, CON, LPT1, NUL
        pointAt(i);
        EXPECT_TRUE(Pump([&] { return tip().ends_with(details); })) << i << Ascii(tip());
    }
    pointAt(5);
    EXPECT_TRUE(Pump([&] {
        return tip() == L"not really a song, and a name far too long for the list or \na tip to show.spc";
    })) << Ascii(tip());
    ::DeleteFileW((work / L"vanishing.spc").c_str());
    pointAt(7);
    EXPECT_TRUE(Pump([&] { return tip() == L"vanishing.spc"; })) << Ascii(tip());
    MoveMouseTo(CentreOf(Item(IDC_cmdStop)));
    EXPECT_TRUE(Pump([&] { return tip() == L"<hidden>"; }));
}

TEST_F(BrowsingTest, ADoubleClickOrEnterOpensAFolderAndTheFileListFollows) {
    MakeFolder(work / L"Music");
    WriteBytes(work / L"Music\\song.spc", "x");
    WriteBytes(work / L"top.spc", "x");
    StartWith(L"C:\\P\\SPCPLAY.EXE");
    ClickAt(EntryPoint(IDC_spcDirectory, 3));  // a single click only marks it
    PumpUntil([] { return false; }, 300ms);
    EXPECT_EQ(main->spcDirectory().Path(), work.path());
    DoubleClickAt(EntryPoint(IDC_spcDirectory, 3));
    ASSERT_TRUE(Pump([&] { return main->spcDirectory().Path() == work / L"Music"; }));
    EXPECT_THAT(Entries(main->spcFile()), ElementsAre(L"song.spc"));
    PressKey(VK_UP);  // the parent's entry
    ASSERT_TRUE(Pump([&] { return main->spcDirectory().ListIndex() == 2; }));
    // The folder is read on a pool thread: the key comes back at once, the
    // lists as they were and saying that they are reading.
    ::SendMessageW(Item(IDC_spcDirectory), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(main->spcDirectory().Reading());
    EXPECT_EQ(main->spcDirectory().Path(), work / L"Music");
    ASSERT_TRUE(Pump([&] { return main->spcDirectory().Path() == work.path(); }));
    EXPECT_FALSE(main->spcDirectory().Reading());
    EXPECT_THAT(Entries(main->spcFile()), ElementsAre(L"top.spc"));
}

// Song Titles (Ctrl+T): each song's title from its tag, in the names' order,
// or its name where it has none; type-ahead and LB_GETTEXT follow what is
// shown. The choices (Shuffle too), and the folder last browsed, are
// there at the next start (the folder when started from the program's own).
TEST_F(BrowsingTest, SongTitlesShowTheTagsTitlesAndAreKept) {
    WriteBytes(work / L"a-01.spc", SpcFileBytes("Zebra Theme", "G"));
    WriteBytes(work / L"a-02.spc", SpcFileBytes("\x83\x7D\x83\x8A\x83\x49", "G"));  // Shift-JIS
    WriteBytes(work / L"a-03.spc", SpcFileBytes("", "G"));
    WriteBytes(work / L"a-04.spc", "no song");
    StartWith(players.Path(L"WINSPC"));
    auto shown = [&] {
        std::vector<std::wstring> texts;
        for (int i = 0; i < main->spcFile().Count(); ++i) texts.push_back(main->spcFile().Shown(i));
        return texts;
    };
    auto reads = std::make_shared<std::atomic<int>>(0);
    main->spcFile().songReader = [reads, read = main->spcFile().songReader](const std::wstring& path, auto stamp) {
        ++*reads;
        return read(path, stamp);
    };
    ClickAt(EntryPoint(IDC_spcFile, 3));
    PressKey('T', true);
    std::vector<std::wstring> titles{L"Zebra Theme", L"\u30DE\u30EA\u30AA", L"a-03.spc", L"a-04.spc"};
    EXPECT_TRUE(Pump([&] { return shown() == titles; })) << Ascii(shown()[0]);
    Reread();  // the folder read again: its files are not
    EXPECT_TRUE(Pump([&] { return shown() == titles; }));
    EXPECT_EQ(reads->load(), 4);
    WriteBytes(work / L"a-03.spc", SpcFileBytes("Now Titled", "G"));  // changed since: read again
    titles[2] = L"Now Titled";
    Reread();
    EXPECT_TRUE(Pump([&] { return shown() == titles; }));
    EXPECT_EQ(reads->load(), 5);
    PressKey('Z');
    EXPECT_TRUE(Pump([&] { return main->spcFile().ListIndex() == 0; }));
    wchar_t text[64] = L"";
    ::SendMessageW(Item(IDC_spcFile), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"Zebra Theme");
    main->mnuShuffle_Click();
    main->mnuExit_Click();
    main.reset();

    ::SetCurrentDirectoryW(programFolder.path().c_str());
    StartWith(players.Path(L"WINSPC"));
    main->OpenLastFolder();
    EXPECT_TRUE(Pump([&] { return main->spcDirectory().Path() == work.path(); }));
    EXPECT_TRUE(Pump([&] { return shown() == titles; }));
    for (const UINT id : {ID_mnuTitles, ID_mnuShuffle}) {
        EXPECT_EQ(::GetMenuState(::GetMenu(main->hwnd()), id, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    }
    PressKey('T', true);
    EXPECT_TRUE(Pump([&] { return shown()[0] == L"a-01.spc"; }));
    // A log-off never passes Exit: the folder is kept all the same.
    MakeFolder(work / L"later");
    main->OpenPath(work / L"later", false);
    ASSERT_TRUE(Pump([&] { return main->spcDirectory().Path() == work / L"later"; }));
    ::SendMessageW(main->hwnd(), WM_ENDSESSION, TRUE, 0);
    main.reset();
    StartWith(players.Path(L"WINSPC"));
    main->OpenLastFolder();
    EXPECT_TRUE(Pump([&] { return main->spcDirectory().Path() == work / L"later"; }));
}

// A drive that cannot be read sends the lists to the program's folder,
// without a word; another drive and back tries again.
TEST_F(BrowsingTest, AnUnreadableDriveFallsBackToTheProgramFolderSilently) {
    ::DefineDosDeviceW(0, L"R:", L"C:\\velmoria-no-such-folder");
    WriteBytes(programFolder / L"in-program-folder.spc", "x");
    CreateMain();
    const HWND drives = Item(IDC_spcDrive);
    for (const wchar_t* drive : {L"r:", L"c:", L"r:"}) {
        const auto entry = ::SendMessageW(drives, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(drive));
        ASSERT_GE(entry, 0);
        ::SendMessageW(drives, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
        ::SendMessageW(main->hwnd(), WM_COMMAND, MAKEWPARAM(IDC_spcDrive, CBN_SELCHANGE), reinterpret_cast<LPARAM>(drives));
        if (drive[0] != L'r') {
            EXPECT_TRUE(Pump([&] { return main->spcDirectory().Path() != programFolder.path(); }));
            continue;
        }
        // Once the drive's read has failed.
        EXPECT_TRUE(Pump([&] { return main->spcDirectory().Path() == programFolder.path(); }));
        EXPECT_THAT(Entries(main->spcFile()), ElementsAre(L"in-program-folder.spc"));
        EXPECT_EQ(main->spcDrive().Drive(), L"R:");
    }
    ::DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, L"R:", L"C:\\velmoria-no-such-folder");
}

// A disconnected network drive answers a label query only after the
// network's timeout: neither filling nor opening the list waits for it.
TEST_F(BrowsingTest, TheDriveListOpensAtOnceAndLabelsArriveWhenTheyCome) {
    const UniqueWindow combo(::CreateWindowExW(0, L"COMBOBOX", L"", CBS_DROPDOWNLIST, 0, 0, 200, 200, nullptr,
                                               nullptr, nullptr, nullptr));
    // Shared with the readers, which may outlive this test.
    struct Readers {
        std::atomic<int> asked{0}, answered{0};
        UniqueKernelHandle answer{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    };
    const auto readers = std::make_shared<Readers>();
    struct NoEvents : BrowseEvents {} owner;
    DriveList drives(owner);
    drives.labelReader = [readers](const std::wstring& root) {
        ++readers->asked;
        ::WaitForSingleObject(readers->answer.get(), 3000);
        ++readers->answered;
        return std::wstring(root == L"C:\\" ? L"SLOW NET" : L"");
    };
    drives.Attach(combo.get(), L"C:\\velmoria-tests");
    drives.OnNotify(CBN_DROPDOWN);
    EXPECT_EQ(readers->answered.load(), 0);  // nothing above waited for a reader
    wchar_t entry[64] = L"";
    auto first = [&] { return ::SendMessageW(combo.get(), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(entry)), entry; };
    EXPECT_TRUE(WaitUntil([&] { return readers->asked.load() >= 2; }));
    EXPECT_STREQ(first(), L"c:");
    ::SetEvent(readers->answer.get());
    EXPECT_TRUE(PumpUntil([&] { return std::wstring_view(first()) == L"c: [SLOW NET]"; }));
}

// Letters typed quickly spell one prefix; after a pause a new search starts.
// Other keys move the selection and play nothing.
TEST_F(BrowsingTest, TypeAheadSearchesByThePrefixTypedQuickly) {
    for (const wchar_t* name : {L"Alpha.spc", L"Echo.spc", L"Zap.spc", L"Zelda.spc"}) Song(name);
    StartWith(players.Path(L"WINSPC"));
    ClickAt(EntryPoint(IDC_spcFile, 0));
    ASSERT_TRUE(Pump([&] { return main->spcFile().ListIndex() == 0; }));
    PressKey('Z');
    PressKey('E');
    EXPECT_TRUE(Pump([&] { return Selected() == L"Zelda.spc"; }));
    ::Sleep(::GetDoubleClickTime() + 100);
    PressKey('E');
    EXPECT_TRUE(Pump([&] { return Selected() == L"Echo.spc"; }));
    PressKey(VK_DOWN);
    EXPECT_TRUE(Pump([&] { return Selected() == L"Zap.spc"; }));
    EXPECT_EQ(players.Log(L"WINSPC"), L"");
}

}  // namespace
}  // namespace velmoria::test
