#include "ui/spc_main.h"

#include <commctrl.h>

#include <array>
#include <memory>
#include <mutex>
#include <utility>

#include "app/message.h"
#include "app/player_dialog.h"
#include "base/paths.h"
#include "base/trace.h"
#include "spc/spc_tag.h"
#include "ui/about.h"
#include "ui/open_with.h"
#include "ui/single_instance.h"
#include "wintk/win_text.h"
#include "ui/spc_main_ids.h"

namespace velmoria {
namespace {

// The layout in twips, relative to the client area (the frames' contents
// already moved by their frame's position).
constexpr TwipsRect kSpcFrame{0, 0, 1875, 3735};
constexpr TwipsRect kFrmOptions{1920, 0, 1695, 2055};
constexpr TwipsRect kFrmSampling = TwipsRect{120, 240, 1275, 615}.In(kFrmOptions);

constexpr TwipsRect kSpcDrive = TwipsRect{60, 180, 1755, 315}.In(kSpcFrame);
constexpr TwipsRect kSpcDirectory = TwipsRect{60, 540, 1755, 1215}.In(kSpcFrame);
constexpr TwipsRect kSpcFile = TwipsRect{60, 1800, 1755, 1845}.In(kSpcFrame);
constexpr TwipsRect kListSampling = TwipsRect{60, 240, 1155, 315}.In(kFrmSampling);
constexpr TwipsRect kChkStereo = TwipsRect{60, 900, 1335, 255}.In(kFrmOptions);
constexpr TwipsRect kChkBuffering = TwipsRect{60, 1140, 1455, 255}.In(kFrmOptions);
constexpr TwipsRect kChk8bit = TwipsRect{60, 1380, 1155, 255}.In(kFrmOptions);
constexpr TwipsRect kChkADSR = TwipsRect{60, 1620, 1515, 375}.In(kFrmOptions);
constexpr TwipsRect kCmdPlay{1920, 2100, 795, 1635};
constexpr TwipsRect kLabel1{2760, 2160, 720, 1095};
constexpr TwipsRect kCmdStop{2820, 3360, 675, 375};

// The rate list's entries stand at the position SPCPlay's rate code gives them.
constexpr std::array<const wchar_t*, 6> kSamplingRates = {L"8000Hz",  L"11025Hz", L"22050Hz",
                                                          L"44100Hz", L"16000Hz", L"32000Hz"};

constexpr SIZE kPipPixels96{44, 103};
constexpr int kSamplingVisibleItems = 6;

constexpr DWORD kCheckStyle = BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP;

// The media keys and the commands they give.
constexpr std::pair<int, UINT> kMediaKeys[] = {{ID_mnuNext, VK_MEDIA_NEXT_TRACK},
                                               {ID_mnuPrevious, VK_MEDIA_PREV_TRACK},
                                               {IDC_cmdStop, VK_MEDIA_STOP},
                                               {ID_mnuPlayAll, VK_MEDIA_PLAY_PAUSE}};

// A menu item or accelerator comes with no control, and its code is of no account.
constexpr int kFromMenu = -1;

struct Command {
    int id;
    int code;
    void (SpcMain::*handler)();
};

// Menu items, the Ctrl+M accelerator, the two buttons and the file list's
// double-click. Every click is a play request: a quick second one arrives as
// a double-click and plays again (a new WinSPC replaces the old).
constexpr Command kCommands[] = {
    {ID_mnuChoose, kFromMenu, &SpcMain::mnuChoose_Click},
    {ID_mnuCompressed, kFromMenu, &SpcMain::mnuCompressed_Click},
    {ID_mnuTitles, kFromMenu, &SpcMain::mnuTitles_Click},
    {ID_mnuOpenWith, kFromMenu, &SpcMain::mnuOpenWith_Click},
    {ID_mnuPlayAll, kFromMenu, &SpcMain::mnuPlayAll_Click},
    {ID_mnuNext, kFromMenu, &SpcMain::mnuNext_Click},
    {ID_mnuPrevious, kFromMenu, &SpcMain::mnuPrevious_Click},
    {ID_mnuShuffle, kFromMenu, &SpcMain::mnuShuffle_Click},
    {ID_mnuRepeat, kFromMenu, &SpcMain::mnuRepeat_Click},
    {ID_mnuExit, kFromMenu, &SpcMain::mnuExit_Click},
    {ID_mnuAbout, kFromMenu, &SpcMain::mnuAbout_Click},
    {ID_mnuCredits, kFromMenu, &SpcMain::mnuCredits_Click},
    {IDC_cmdPlay, BN_CLICKED, &SpcMain::cmdPlay_Click},
    {IDC_cmdPlay, BN_DOUBLECLICKED, &SpcMain::cmdPlay_Click},
    {IDC_cmdStop, BN_CLICKED, &SpcMain::cmdStop_Click},
    {IDC_spcFile, LBN_DBLCLK, &SpcMain::spcFile_DblClick},
};

// A menu caption without the shortcut shown after its tab.
std::wstring CaptionOnly(std::wstring text) {
    const std::size_t tab = text.find(L'\t');
    if (tab != std::wstring::npos) text.resize(tab);
    return text;
}

}  // namespace

SpcMain::SpcMain(Program& program) : program_(program) {}

SpcMain::~SpcMain() = default;

bool SpcMain::Create() {
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    return CreateDialogWindow(style, WS_EX_CONTROLPARENT | WS_EX_APPWINDOW, std::wstring(kIdleCaption));
}

void SpcMain::OnCreate() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    ::SetMenu(hwnd(), ::LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINMENU)));
    popupMenus_.reset(::LoadMenuW(instance, MAKEINTRESOURCEW(IDR_SPCPOPUP)));
    accelerators_ = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    UseIcon(IDI_VELMORIA);
    AcceptDrops();

    CreateControls();
    SetClientSizeTwips(kNormalClientWidthTwips, kClientHeightTwips);

    spcDirectory_.UseSets(&program_.shelf);
    spcFile_.songReader = SongReaderWith(program_.shelf);
    AttachBrowseLists(*this, {IDC_spcDrive, IDC_spcDirectory, IDC_spcFile}, spcDrive_, spcDirectory_, spcFile_,
                      kSpcFilePattern, CurrentFolder());
}

void SpcMain::CreateControls() {
    // Created in tab order, which is also the order of the window's children.
    // Controls that show no caption of their own still get one: it is the name
    // a screen reader says.
    CreateControl(WC_COMBOBOXW, L"", kDropDownListStyle, 0, IDC_spcDrive, kSpcDrive);
    CreateControl(WC_LISTBOXW, L"Folders", kBrowseListStyle, WS_EX_CLIENTEDGE, IDC_spcDirectory, kSpcDirectory);
    CreateControl(WC_LISTBOXW, L"SPC files", kBrowseListStyle, WS_EX_CLIENTEDGE, IDC_spcFile, kSpcFile);
    const HWND sampling = CreateControl(WC_COMBOBOXW, L"", kDropDownListStyle, 0, IDC_listSampling, kListSampling);
    for (const wchar_t* rate : kSamplingRates) {
        ::SendMessageW(sampling, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rate));
    }
    ::SendMessageW(sampling, CB_SETMINVISIBLE, kSamplingVisibleItems, 0);
    CreateControl(WC_BUTTONW, L"Stereo Sound", kCheckStyle, 0, IDC_chkStereo, kChkStereo);
    CreateControl(WC_BUTTONW, L"Sound Buffering", kCheckStyle, 0, IDC_chkBuffering, kChkBuffering);
    CreateControl(WC_BUTTONW, L"8-bit Sound", kCheckStyle, 0, IDC_chk8bit, kChk8bit);
    CreateControl(WC_BUTTONW, L"Disable ADSR -> GAIN switching", kCheckStyle | BS_MULTILINE, 0, IDC_chkADSR,
                  kChkADSR);
    ClickOnEnter(CreateControl(WC_BUTTONW, L"Play", BS_OWNERDRAW | WS_TABSTOP | WS_GROUP, 0, IDC_cmdPlay, kCmdPlay));
    CreateLabel(L"Click Pip to Play!", IDC_Label1, kLabel1, LabelAlign::Centre);
    CreateControl(WC_BUTTONW, L"Stop", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, IDC_cmdStop, kCmdStop);
    // The frames come last, below everything in the window order and an inner
    // frame above the frame that holds it, so no frame paints over what it holds.
    CreateControl(WC_BUTTONW, L"Sampling Rate", BS_GROUPBOX, 0, IDC_frmSampling, kFrmSampling);
    CreateControl(WC_BUTTONW, L"Options for SPCPlay", BS_GROUPBOX, 0, IDC_frmOptions, kFrmOptions);
    CreateControl(WC_BUTTONW, L"SPC Select", BS_GROUPBOX, 0, IDC_spcFrame, kSpcFrame);
}

void SpcMain::OnLayout() {
    pip_.Load({{100, IDB_PIP}, {150, IDB_PIP_150}, {200, IDB_PIP_200}}, kPipPixels96, dpi());
    SetLabelFace(IDC_Label1, kLabelFace, 13.5);
    FitCheckBoxText(IDC_chkADSR);
    FitComboField(IDC_spcDrive, kSpcDrive);
    FitComboField(IDC_listSampling, kListSampling);
    spcDirectory_.FitItemHeight(dpi());
    spcFile_.FitItemHeight(dpi());
}

void SpcMain::OnDestroyed() {
    // The program ends with its main window.
    ::PostQuitMessage(0);
}

// Enter and Esc arrive as IDOK and IDCANCEL, which no entry takes: no
// button is the default or cancel button.
void SpcMain::OnCommand(int id, int code, HWND control) {
    for (const Command& command : kCommands) {
        if (command.id == id && (control ? command.code == code : command.code == kFromMenu)) {
            (this->*command.handler)();
            return;
        }
    }
}

// The keyboard's media keys, while another program is in front too, are
// held only while Velmoria plays (or Play/Pause paused it): idle, it leaves
// them to other programs. The system may refuse them, and that is all.
void SpcMain::HoldMediaKeys(bool hold) {
    if (hold == keysHeld_) return;
    keysHeld_ = hold;
    for (const auto& [command, key] : kMediaKeys) {
        hold ? ::RegisterHotKey(hwnd(), command, MOD_NOREPEAT, key) : ::UnregisterHotKey(hwnd(), command);
    }
}

// A media key acts as its menu item, or as the Stop button. The players
// cannot pause, so Play/Pause with a song playing stops it and, pressed
// again, plays on from that song (through the list, when it played
// through); with nothing playing, it plays the list through.
void SpcMain::OnHotKey(int id) {
    if (id != ID_mnuPlayAll) {
        OnCommand(id, id == IDC_cmdStop ? BN_CLICKED : kFromMenu, id == IDC_cmdStop ? Item(IDC_cmdStop) : nullptr);
        return;
    }
    const int resume = std::exchange(resumeWith_, 0);
    if (session_ && (session_->running() || PlaysThrough())) {
        resumeWith_ = PlaysThrough() ? ID_mnuPlayAll : IDC_cmdPlay;
        Carry(session_->Stop());
    } else {
        resume == IDC_cmdPlay ? cmdPlay_Click() : mnuPlayAll_Click();
    }
}

void SpcMain::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlID != IDC_cmdPlay) return;
    const HDC dc = item.hDC;
    RECT face = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    DrawButtonFace(item.hwndItem, dc, face, pushed, (item.itemState & ODS_DISABLED) != 0);
    // Pip, centred on the face, at the size the DPI asks for.
    const SIZE size = pip_.size();
    const int shift = pushed ? 1 : 0;
    pip_.Draw(dc, face.left + ((face.right - face.left) - size.cx) / 2 + shift,
              face.top + ((face.bottom - face.top) - size.cy) / 2 + shift);
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        const int inset = ::MulDiv(3, dpi(), 96);
        ::InflateRect(&face, -inset, -inset);
        ::DrawFocusRect(dc, &face);
    }
}

// Start-up decides; the window carries out its plan, each step in
// skip-on-error mode as start-up's own.
bool SpcMain::Form_Load() {
    const StartPlan plan = RunStartup(program_);
    if (!plan.show) return false;
    play_.emplace(program_.system, plan.player);
    session_.emplace(play_->player().row);
    Carry(session_->Adopted(play_->AdoptRunningPlayer()));
    if (plan.compact) {
        try {
            ToggleCompact();
        } catch (...) {
            TraceSwallowed("compact mode at start-up");
        }
    }
    ApplyStartOptions(plan.spcPlayOptions);
    ShowTitles(program_.choices.songTitles);
    ::CheckMenuItem(::GetMenu(hwnd()), ID_mnuOpenWith, MF_BYCOMMAND | (OfferedInOpenWith(ModuleFilePath()) ? MF_CHECKED : 0));
    for (const auto& [on, id] : {std::pair{program_.choices.shuffle, ID_mnuShuffle}, std::pair{program_.choices.repeat, ID_mnuRepeat}}) {
        ::CheckMenuItem(::GetMenu(hwnd()), id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    }
    return true;
}

void SpcMain::ShowTitles(bool on) {
    ::CheckMenuItem(::GetMenu(hwnd()), ID_mnuTitles, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    spcFile_.ShowTitles(on);
}

void SpcMain::mnuTitles_Click() {
    program_.choices.songTitles = !program_.choices.songTitles;
    ShowTitles(program_.choices.songTitles);
    StoreChoices(true);
}

void SpcMain::mnuOpenWith_Click() {
    const std::wstring exe = ModuleFilePath();
    if (!OfferInOpenWith(exe, !OfferedInOpenWith(exe))) ShowOneMessage(std::wstring(kOpenWithFailedMessage), MessageIcon::Stop);
    ::CheckMenuItem(::GetMenu(hwnd()), ID_mnuOpenWith, MF_BYCOMMAND | (OfferedInOpenWith(exe) ? MF_CHECKED : 0));
}

void SpcMain::StoreChoices(bool tell) {
    try {
        // Closed before the first folder was shown: the one stored stays.
        if (!spcDirectory_.Path().empty()) program_.choices.lastFolder = spcDirectory_.Path();
        program_.choicesStore.WriteBytes(FormatChoices(program_.choices));
    } catch (const SettingsWriteError& error) {
        if (tell) velmoria::ShowMessage(hwnd(), error.UserMessage(), MessageIcon::Stop);
        TraceSwallowed("storing the choices");
    }
}

void SpcMain::OpenLastFolder() {
    const std::wstring& last = program_.choices.lastFolder;
    if (!last.empty() && EqualsNoCase(NormalizeFolder(CurrentFolder()), NormalizeFolder(program_.store.programFolder()))) {
        OpenPath(last, false);  // a folder that has gone leaves the lists where they are
    }
}

void SpcMain::ApplyStartOptions(bool spcPlayOptions) {
    const HWND sampling = Item(IDC_listSampling);
    if (::SendMessageW(sampling, CB_GETCURSEL, 0, 0) < 0) {
        ::SendMessageW(sampling, CB_SETCURSEL, kDefaultSamplingIndex, 0);
    }
    if (spcPlayOptions) {
        ::CheckDlgButton(hwnd(), IDC_chkStereo, BST_CHECKED);
        return;
    }
    // Another player takes none of SPCPlay's options: grey them all, for good.
    for (int id : {IDC_frmSampling, IDC_frmOptions, IDC_listSampling, IDC_chk8bit, IDC_chkBuffering, IDC_chkADSR,
                   IDC_chkStereo}) {
        ::EnableWindow(Item(id), FALSE);
    }
}

void SpcMain::Show() {
    // Centred at the width it opens with, which start-up may have narrowed.
    CenterOnScreen();
    ShowInFront();
}

int SpcMain::Run() { return RunMessageLoop(hwnd(), accelerators_); }

HMENU SpcMain::mnuSPC() const { return ::GetSubMenu(popupMenus_.get(), 0); }

HMENU SpcMain::MenuOf(int id) const {
    return id == ID_mnuPlay || id == ID_mnuStop ? mnuSPC() : ::GetMenu(hwnd());
}

std::wstring SpcMain::MenuText(int id) const {
    wchar_t text[128] = L"";
    ::GetMenuStringW(MenuOf(id), static_cast<UINT>(id), text, ARRAYSIZE(text), MF_BYCOMMAND);
    return text;
}

std::wstring SpcMain::MenuCaption(int id) const { return CaptionOnly(MenuText(id)); }

void SpcMain::SetMenuCaption(int id, std::wstring_view caption) {
    const HMENU menu = MenuOf(id);
    // The shortcut shown after the tab stays as it was.
    const std::wstring old = MenuText(id);
    const std::size_t tab = old.find(L'\t');
    std::wstring full(caption);
    if (tab != std::wstring::npos) full += old.substr(tab);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = full.data();
    ::SetMenuItemInfoW(menu, static_cast<UINT>(id), FALSE, &info);
    if (menu == ::GetMenu(hwnd())) ::DrawMenuBar(hwnd());
}

// ------------------------------------------------------------- Menu commands

void SpcMain::mnuChoose_Click() {
    PlayerDialog dialog(program_, hwnd());
    dialog.Show();
}

void SpcMain::mnuCompressed_Click() {
    try {
        ToggleCompact();
    } catch (const SettingsWriteError& error) {
        // The window stays as toggled; only the file could not follow.
        velmoria::ShowMessage(hwnd(), error.UserMessage(), MessageIcon::Stop);
    }
}

void SpcMain::ToggleCompact() {
    if (EqualsNoCase(MenuCaption(ID_mnuCompressed), kCompressedCaption)) {
        SetMenuCaption(ID_mnuCompressed, kNormalCaption);
        SetClientSizeTwips(kCompactClientWidthTwips, kClientHeightTwips);
        program_.settings.compactFlag = 1;
        // The keyboard must not stay on a control that is now out of sight,
        // where Enter or Space would act unseen.
        if (const HWND focus = ::GetFocus(); focus && ::IsChild(hwnd(), focus)) {
            RECT rect;
            ::GetWindowRect(focus, &rect);
            ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&rect), 2);
            if (rect.left >= Pixels(kCompactClientWidthTwips)) {
                ::SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_spcFile)), TRUE);
            }
        }
    } else {
        SetMenuCaption(ID_mnuCompressed, kCompressedCaption);
        SetClientSizeTwips(kNormalClientWidthTwips, kClientHeightTwips);
        program_.settings.compactFlag = 0;
    }
    program_.store.WriteSettings(program_.settings.playerPathToStore, program_.settings.compactFlag);
}

void SpcMain::mnuExit_Click() {
    // A single play's player goes on playing; a play-through's is stopped
    // first. Of the files only the choices are written, for the next start.
    StoreChoices(false);
    if (PlaysThrough()) { closeAfterStop_ = true; Carry(session_->Stop()); }
    if (closeAfterStop_ && session_->busy()) return;
    ::RemovePropW(hwnd(), kMainWindowProperty);
    ::DestroyWindow(hwnd());
}

void SpcMain::mnuAbout_Click() {
    AboutWindow about;
    about.Show(hwnd());
}

void SpcMain::mnuCredits_Click() {
    CreditsWindow credits;
    credits.Show(hwnd());
}

}  // namespace velmoria
