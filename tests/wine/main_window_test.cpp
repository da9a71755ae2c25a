// The main window as a user meets it: its layout at 96 DPI, keyboard order,
// menus, and the three browsing lists over real folders.
#include <gmock/gmock.h>

#include "app/process_setup.h"
#include "app/win_handles.h"
#include "tests/wine/main_window_fixture.h"

namespace velmoria::test {
namespace {

using testing::ElementsAre;

struct Expected {
    int id;
    RECT pixels;  // left, top, right, bottom in client coordinates
};

// The layout at 96 DPI, in pixels, frames' contents moved by their frames.
const Expected kLayout96[] = {
    {IDC_cmdStop, {188, 224, 233, 249}},      {IDC_cmdPlay, {128, 140, 181, 249}},
    {IDC_frmOptions, {128, 0, 241, 137}},     {IDC_chkADSR, {132, 108, 233, 133}},
    {IDC_chk8bit, {132, 92, 209, 109}},       {IDC_chkBuffering, {132, 76, 229, 93}},
    {IDC_chkStereo, {132, 60, 221, 77}},      {IDC_frmSampling, {136, 16, 221, 57}},
    {IDC_listSampling, {140, 32, 217, 53}},   {IDC_spcFrame, {0, 0, 125, 249}},
    {IDC_spcFile, {4, 120, 121, 243}},        {IDC_spcDirectory, {4, 36, 121, 117}},
    {IDC_spcDrive, {4, 12, 121, 33}},         {IDC_Label1, {184, 144, 232, 217}},
};

class MainWindowTest : public MainWindowFixture {};

TEST_F(MainWindowTest, ClientAreaAndEveryControlSitWhereTheLayoutSaysAt96Dpi) {
    SpcMain& window = CreateMain();
    ASSERT_EQ(window.dpi(), 96);
    RECT client;
    ::GetClientRect(window.hwnd(), &client);
    EXPECT_EQ(client.right, 241);
    EXPECT_EQ(client.bottom, 250);
    for (const Expected& control : kLayout96) {
        const RECT actual = ChildRect(Item(control.id));
        EXPECT_EQ(actual.left, control.pixels.left) << control.id;
        EXPECT_EQ(actual.top, control.pixels.top) << control.id;
        EXPECT_EQ(actual.right, control.pixels.right) << control.id;
        EXPECT_EQ(actual.bottom, control.pixels.bottom) << control.id;
    }
}

TEST_F(MainWindowTest, FixedBorderWithMinimizeBoxCentredWhenShown) {
    SpcMain& window = StartWith("C:\\P\\SPCPLAY.EXE\r\n 0 \r\n");
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window.hwnd(), GWL_STYLE));
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_EQ(WindowText(window.hwnd()), L"Velmoria");
    EXPECT_NE(::SendMessageW(window.hwnd(), WM_GETICON, ICON_BIG, 0), 0);

    window.Show();
    RECT outer;
    ::GetWindowRect(window.hwnd(), &outer);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(window.hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    EXPECT_NEAR((outer.left + outer.right) / 2, (monitor.rcWork.left + monitor.rcWork.right) / 2, 1);
    EXPECT_NEAR((outer.top + outer.bottom) / 2, (monitor.rcWork.top + monitor.rcWork.bottom) / 2, 1);
}

TEST_F(MainWindowTest, TabGoesThroughTheControlsInOrderStartingOnTheDriveList) {
    SpcMain& window = StartWith("C:\\P\\SPCPLAY.EXE\r\n 0 \r\n");
    window.Show();
    ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == Item(IDC_spcDrive); }));
    const int order[] = {IDC_spcDirectory, IDC_spcFile,  IDC_listSampling, IDC_chkStereo, IDC_chkBuffering,
                         IDC_chk8bit,      IDC_chkADSR,  IDC_cmdPlay,      IDC_cmdStop,   IDC_spcDrive};
    for (int expected : order) {
        PressKey(VK_TAB);
        EXPECT_TRUE(PumpUntil([&] { return ::GetFocus() == Item(expected); })) << expected;
    }
}

TEST_F(MainWindowTest, DisabledOptionsAreLeftOutOfTheTabOrder) {
    SpcMain& window = StartWith("C:\\P\\WINSPC.EXE\r\n 0 \r\n");
    window.Show();
    ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == Item(IDC_spcDrive); }));
    for (int expected : {IDC_spcDirectory, IDC_spcFile, IDC_cmdPlay, IDC_cmdStop}) {
        PressKey(VK_TAB);
        EXPECT_TRUE(PumpUntil([&] { return ::GetFocus() == Item(expected); })) << expected;
    }
}

TEST_F(MainWindowTest, MenusCarryTheirCaptionsAccessKeysAndShortcut) {
    SpcMain& window = CreateMain();
    const HMENU bar = ::GetMenu(window.hwnd());
    ASSERT_EQ(::GetMenuItemCount(bar), 2);  // the popup "Blegh" is never in the bar
    auto caption = [](HMENU menu, int position) {
        wchar_t text[128] = L"";
        ::GetMenuStringW(menu, static_cast<UINT>(position), text, ARRAYSIZE(text), MF_BYPOSITION);
        return std::wstring(text);
    };
    EXPECT_EQ(caption(bar, 0), L"&File");
    EXPECT_EQ(caption(bar, 1), L"&Help");
    const HMENU file = ::GetSubMenu(bar, 0);
    EXPECT_THAT((std::vector<std::wstring>{caption(file, 0), caption(file, 1), caption(file, 3)}),
                ElementsAre(L"&Chose Different Player", L"Compressed &Mode\tCtrl+M", L"E&xit"));
    EXPECT_TRUE(::GetMenuState(file, 2, MF_BYPOSITION) & MF_SEPARATOR);
    const HMENU help = ::GetSubMenu(bar, 1);
    EXPECT_EQ(caption(help, 0), L"&About...");
    EXPECT_EQ(caption(help, 1), L"&Credits");
    EXPECT_EQ(window.MenuCaption(ID_mnuCompressed), L"Compressed &Mode");
    EXPECT_EQ(window.MenuCaption(ID_mnuPlay), L"&Play");
    EXPECT_EQ(window.MenuCaption(ID_mnuStop), L"&Stop");
    for (HMENU menu : {file, help, window.mnuSPC()}) {
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            const UINT state = ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
            if (!(state & MF_SEPARATOR)) {
                EXPECT_FALSE(state & (MF_CHECKED | MF_GRAYED)) << i;
            }
        }
    }
}

TEST_F(MainWindowTest, AltFXEndsTheProgramWithoutWriting) {
    SpcMain& window = StartWith("C:\\P\\SPCPLAY.EXE\r\n 0 \r\n");
    window.Show();
    ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == window.hwnd(); }));
    // All keys go in at once: the menu loop that Alt+F starts reads the X.
    KeyDown(VK_MENU);
    PressKey('F');
    KeyUp(VK_MENU);
    PressKey('X');
    EXPECT_TRUE(PumpUntil([&] { return !window.IsOpen(); }));
    EXPECT_EQ(StoredSettings(), "C:\\P\\SPCPLAY.EXE\r\n 0 \r\n");
}

// Wine's drop-down list takes F4 for itself even with Alt held, which kept
// Alt+F4 from closing the window while the drive list had the focus.
TEST_F(MainWindowTest, AltF4ClosesTheWindowEvenFromTheDriveList) {
    SpcMain& window = StartWith("C:\\P\\SPCPLAY.EXE\r\n 0 \r\n");
    window.Show();
    ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == Item(IDC_spcDrive); }));
    KeyDown(VK_MENU);
    PressKey(VK_F4);
    KeyUp(VK_MENU);
    EXPECT_TRUE(PumpUntil([&] { return !window.IsOpen(); }));
    EXPECT_EQ(StoredSettings(), "C:\\P\\SPCPLAY.EXE\r\n 0 \r\n");
}

TEST_F(MainWindowTest, SamplingListKeepsItsStoredOrderWithNothingSelectedAtCreation) {
    CreateMain();
    const HWND list = Item(IDC_listSampling);
    std::vector<std::wstring> entries;
    for (int i = 0; i < ::SendMessageW(list, CB_GETCOUNT, 0, 0); ++i) {
        wchar_t text[32] = L"";
        ::SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        entries.emplace_back(text);
    }
    EXPECT_THAT(entries, ElementsAre(L"8000Hz", L"11025Hz", L"22050Hz", L"44100Hz", L"16000Hz", L"32000Hz"));
    EXPECT_EQ(::SendMessageW(list, CB_GETCURSEL, 0, 0), CB_ERR);
    for (int id : {IDC_chkStereo, IDC_chkBuffering, IDC_chk8bit, IDC_chkADSR}) {
        EXPECT_EQ(::IsDlgButtonChecked(main->hwnd(), id), BST_UNCHECKED);
    }
}

// ------------------------------------------------------------ Browsing

class BrowsingTest : public MainWindowFixture {
protected:
    std::vector<std::wstring> Files() {
        std::vector<std::wstring> names;
        for (int i = 0; i < main->spcFile().Count(); ++i) names.push_back(main->spcFile().Entry(i));
        return names;
    }
    std::vector<std::wstring> Folders() {
        std::vector<std::wstring> names;
        for (int i = 0; i < main->spcDirectory().Count(); ++i) names.push_back(main->spcDirectory().Entry(i));
        return names;
    }
    // Where an entry of a list is on the screen.
    POINT EntryPoint(int listId, int index) {
        RECT item;
        ::SendMessageW(Item(listId), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        POINT point{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
        ::ClientToScreen(Item(listId), &point);
        return point;
    }
};

TEST_F(BrowsingTest, FileListShowsOrdinarySpcFilesOfAnyCaseSortedNoneSelected) {
    for (const wchar_t* name : {L"b.SPC", L"a.spc", L"C.Spc", L"hidden.spc", L"system.spc", L"x.txt", L"y.spcx"}) {
        WriteBytes(work / name, "x");
    }
    ::SetFileAttributesW((work / L"hidden.spc").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesW((work / L"system.spc").c_str(), FILE_ATTRIBUTE_SYSTEM);
    ::SetFileAttributesW((work / L"b.SPC").c_str(), FILE_ATTRIBUTE_READONLY);
    MakeFolder(work / L"folder.spc");
    CreateMain();
    EXPECT_THAT(Files(), ElementsAre(L"a.spc", L"b.SPC", L"C.Spc"));
    EXPECT_EQ(main->spcFile().ListIndex(), -1);
    EXPECT_EQ(main->spcFile().Path(), work.path());
}

TEST_F(BrowsingTest, FolderListShowsThePathFromTheRootThenTheSubfolders) {
    MakeFolder(work / L"Music");
    MakeFolder(work / L"albums");
    MakeFolder(work / L".hidden");
    ::SetFileAttributesW((work / L".hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    CreateMain();
    EXPECT_THAT(Folders(), ElementsAre(L"C:\\", L"velmoria-tests", work.path().substr(work.path().rfind(L'\\') + 1),
                                       L"albums", L"Music"));
    EXPECT_EQ(main->spcDirectory().Path(), work.path());
    EXPECT_EQ(main->spcDirectory().ListIndex(), 2);  // the current folder
    EXPECT_EQ(main->spcDrive().Drive(), L"C:");
}

TEST_F(BrowsingTest, OpeningAFolderByDoubleClickOrEnterMovesTheFileListAlong) {
    MakeFolder(work / L"Music");
    WriteBytes(work / L"Music\\song.spc", "x");
    WriteBytes(work / L"top.spc", "x");
    SpcMain& window = StartWith("C:\\P\\SPCPLAY.EXE\r\n 0 \r\n");
    window.Show();
    ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == window.hwnd(); }));
    // Select top.spc, to see the selection cleared when the folder changes.
    ClickAt(EntryPoint(IDC_spcFile, 0));
    ASSERT_TRUE(PumpUntil([&] { return window.spcFile().ListIndex() == 0; }));

    // A single click on the subfolder only marks it.
    ClickAt(EntryPoint(IDC_spcDirectory, 3));
    PumpFor(std::chrono::milliseconds(300));
    EXPECT_EQ(window.spcDirectory().Path(), work.path());
    EXPECT_THAT(Files(), ElementsAre(L"top.spc"));

    DoubleClickAt(EntryPoint(IDC_spcDirectory, 3));
    ASSERT_TRUE(PumpUntil([&] { return window.spcDirectory().Path() == work / L"Music"; }));
    EXPECT_THAT(Files(), ElementsAre(L"song.spc"));
    EXPECT_EQ(window.spcFile().ListIndex(), -1);

    // Back up one level with the keyboard: Up to the parent entry, then Enter.
    PressKey(VK_UP);
    PressKey(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return window.spcDirectory().Path() == work.path(); }));
    EXPECT_THAT(Files(), ElementsAre(L"top.spc"));
}

TEST_F(BrowsingTest, AFolderWithoutSpcFilesGivesAnEmptyList) {
    MakeFolder(work / L"empty");
    CreateMain();
    ::SendMessageW(Item(IDC_spcDirectory), LB_SETCURSEL, 3, 0);
    ::SendMessageW(main->hwnd(), WM_COMMAND, MAKEWPARAM(IDC_spcDirectory, LBN_DBLCLK),
                   reinterpret_cast<LPARAM>(Item(IDC_spcDirectory)));
    EXPECT_EQ(main->spcDirectory().Path(), work / L"empty");
    EXPECT_EQ(main->spcFile().Count(), 0);
}

TEST_F(BrowsingTest, AFolderRemovedWhileShownLeavesTheListsAsTheyWere) {
    MakeFolder(work / L"gone");
    WriteBytes(work / L"kept.spc", "x");
    CreateMain();
    RemoveTree(work / L"gone");
    ::SendMessageW(Item(IDC_spcDirectory), LB_SETCURSEL, 3, 0);
    ::SendMessageW(main->hwnd(), WM_COMMAND, MAKEWPARAM(IDC_spcDirectory, LBN_DBLCLK),
                   reinterpret_cast<LPARAM>(Item(IDC_spcDirectory)));
    EXPECT_EQ(main->spcDirectory().Path(), work.path());
    EXPECT_THAT(Files(), ElementsAre(L"kept.spc"));
}

// A drive letter of this Wine session, for one test.
class ScopedDrive {
public:
    ScopedDrive(const wchar_t* drive, const std::wstring& target) : drive_(drive), target_(target) {
        ::DefineDosDeviceW(0, drive_, target_.c_str());
    }
    ~ScopedDrive() { ::DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, drive_, target_.c_str()); }

private:
    const wchar_t* drive_;
    std::wstring target_;
};

int DriveEntry(HWND combo, wchar_t letter) {
    for (int i = 0; i < ::SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
        wchar_t text[64] = L"";
        ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        if (::towupper(text[0]) == letter) return i;
    }
    return -1;
}

void ChooseDrive(HWND window, HWND combo, int entry) {
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
}

TEST_F(BrowsingTest, AnUnreadableDriveSendsTheListsToTheProgramFolderSilently) {
    // A drive letter that names no reachable folder: listed, but unreadable.
    const ScopedDrive unreadable(L"R:", L"C:\\velmoria-no-such-folder");
    const std::wstring spare = SpareDriveRoot();
    if (spare.empty()) GTEST_SKIP() << "no spare drive V: prepared";
    const TempFolder onSpare(L"V:\\", L"drive");
    WriteBytes(programFolder / L"in-program-folder.spc", "x");
    WriteBytes(onSpare / L"on-v.spc", "x");
    MessageBoxCatcher boxes;
    CreateMain();
    const HWND drives = Item(IDC_spcDrive);
    const int r = DriveEntry(drives, L'R');
    const int v = DriveEntry(drives, L'V');
    ASSERT_GE(r, 0);
    ASSERT_GE(v, 0);

    ChooseDrive(main->hwnd(), drives, r);
    EXPECT_EQ(main->spcDirectory().Path(), programFolder.path());
    EXPECT_THAT(Files(), ElementsAre(L"in-program-folder.spc"));
    EXPECT_EQ(main->spcDrive().Drive(), L"R:");
    EXPECT_EQ(::SendMessageW(drives, CB_GETCURSEL, 0, 0), r);

    // The same drive again raises no change; another one, and back, tries again.
    // Windows keeps a drive's current folder in the "=V:" variable.
    ::SetEnvironmentVariableW(L"=V:", onSpare.path().c_str());
    ChooseDrive(main->hwnd(), drives, v);
    EXPECT_EQ(main->spcDirectory().Path(), onSpare.path());
    EXPECT_THAT(Files(), ElementsAre(L"on-v.spc"));
    EXPECT_EQ(main->spcFile().Path(), onSpare.path());
    ChooseDrive(main->hwnd(), drives, r);
    EXPECT_EQ(main->spcDirectory().Path(), programFolder.path());
    EXPECT_TRUE(boxes.boxes().empty());
    ::SetEnvironmentVariableW(L"=V:", nullptr);
}

// A disconnected network drive answers a label query only after the
// network's timeout: opening the list must not wait for it.
TEST(DriveListTest, OpensAtOnceAndLabelsArriveWhenTheyCome) {
    const UniqueWindow combo(::CreateWindowExW(0, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL, 0, 0, 200, 200,
                                               nullptr, nullptr, nullptr, nullptr));
    const UniqueKernelHandle answer(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<int> asked{0};
    DriveList drives;
    drives.labelReader = [&asked, event = answer.get()](const std::wstring& root) -> std::wstring {
        ++asked;
        ::WaitForSingleObject(event, 10000);
        return root == L"C:\\" ? L"SLOW NET" : L"";
    };
    drives.Attach(combo.get(), L"C:\\velmoria-tests");
    drives.OnNotify(CBN_DROPDOWN);  // returns while every reader still waits
    EXPECT_TRUE(WaitUntil([&] { return asked.load() >= 2; }));
    wchar_t text[64] = L"";
    ::SendMessageW(combo.get(), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"c:");
    ::SetEvent(answer.get());
    EXPECT_TRUE(PumpUntil([&] {
        ::SendMessageW(combo.get(), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
        return std::wstring_view(text) == L"c: [SLOW NET]";
    }));
    EXPECT_EQ(::SendMessageW(combo.get(), CB_GETCURSEL, 0, 0), 0);
}

TEST(ProcessTest, NoDiskBoxesAndTheOtherErrorModeBitsKept) {
    const UINT before = ::SetErrorMode(SEM_NOGPFAULTERRORBOX);
    PrepareProcess();
    EXPECT_EQ(::GetErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS));
    ::SetErrorMode(before);
}

}  // namespace
}  // namespace velmoria::test
