#include "ui/about.h"

#include <commctrl.h>

#include <string>

#include "ui/about_ids.h"
#include "velmoria_version.h"

namespace velmoria {
namespace {

constexpr DWORD kInfoWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;

// frmAbout, in twips.
constexpr int kAboutWidthTwips = 5430;
constexpr int kAboutHeightTwips = 4305;
constexpr TwipsRect kCmdClose{3840, 1560, 855, 375};
constexpr TwipsRect kAboutLabel5{4200, 3660, 1275, 675};
constexpr TwipsRect kAboutLabel4{3180, 840, 2175, 435};
constexpr TwipsRect kAboutLabel3{3060, 2340, 2205, 690};
constexpr TwipsRect kAboutLabel2{3120, 360, 2175, 435};
constexpr TwipsRect kAboutLabel1{3120, 60, 2235, 255};
constexpr SIZE kPicturePixels96{279, 287};

// frmCredits, in twips.
constexpr int kCreditsWidthTwips = 1470;
constexpr int kCreditsHeightTwips = 2265;
constexpr TwipsRect kCreditsLabel4{360, 1260, 735, 975};
constexpr TwipsRect kCreditsLabel3{300, 720, 855, 375};
constexpr TwipsRect kCreditsLabel2{420, 480, 690, 240};
constexpr TwipsRect kCreditsLabel1{120, 0, 1245, 435};
constexpr int kLineLeftTwips = 180;
constexpr int kLineRightTwips = 1260;
constexpr int kLineTopTwips = 1200;

}  // namespace

// ------------------------------------------------------------------ About

void AboutWindow::Show(HWND mainWindow) {
    if (!CreateDialogWindow(kInfoWindowStyle, WS_EX_CONTROLPARENT, L"About")) return;
    CenterOn(mainWindow);
    RunModal();
}

void AboutWindow::OnCreate() {
    UseIcon(IDI_VELMORIA);

    CreateControl(WC_BUTTONW, L"Close", BS_PUSHBUTTON | WS_TABSTOP, 0, IDC_cmdClose, kCmdClose);
    CreateLabel(L"Art \u00A9 2026 the Velmoria project", IDC_AboutLabel5, kAboutLabel5, LabelAlign::Centre);
    CreateLabel(L"Web Site: www.example.org/velmoria", IDC_AboutLabel4, kAboutLabel4, LabelAlign::Centre);
    CreateLabel(L"Pip!", IDC_AboutLabel3, kAboutLabel3, LabelAlign::LeftAutoSize);
    CreateLabel(L"Email: velmoria@example.org", IDC_AboutLabel2, kAboutLabel2, LabelAlign::Centre);
    CreateLabel(L"Velmoria v" VELMORIA_VERSION_SHORT_W, IDC_AboutLabel1, kAboutLabel1, LabelAlign::Centre);
    SetClientSizeTwips(kAboutWidthTwips, kAboutHeightTwips);
}

void AboutWindow::OnLayout() {
    picture_.Load({{100, IDB_ABOUT}, {150, IDB_ABOUT_150}, {200, IDB_ABOUT_200}}, kPicturePixels96, dpi());
    SetLabelFace(IDC_AboutLabel3, kLabelFace, 30);
    SetLabelFace(IDC_AboutLabel5, L"Arial", 8.25);
}

bool AboutWindow::OnEraseBackground(HDC dc) {
    RECT client;
    ::GetClientRect(hwnd(), &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    // Drawn once at the top-left, at its own size for the DPI, never stretched to fit.
    picture_.Draw(dc, 0, 0);
    return true;
}

// Esc (IDCANCEL) does nothing: there is no cancel button.
void AboutWindow::OnCommand(int id, int code, HWND) {
    if (id == IDC_cmdClose && code == BN_CLICKED) cmdClose_Click();
}

void AboutWindow::cmdClose_Click() { Close(); }

// ---------------------------------------------------------------- Credits

void CreditsWindow::Show(HWND mainWindow) {
    // A dialog frame: no icon of its own in the title bar.
    if (!CreateDialogWindow(kInfoWindowStyle, WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME, L"Credits")) return;
    CenterOn(mainWindow);
    RunModal();
}

void CreditsWindow::OnCreate() {
    CreateLabel(L"Graphics belong to their respective owners.", IDC_CreditsLabel4, kCreditsLabel4,
                LabelAlign::Centre);
    CreateLabel(L"Velmoria developers", IDC_CreditsLabel3, kCreditsLabel3, LabelAlign::Centre);
    CreateLabel(L"Coding:", IDC_CreditsLabel2, kCreditsLabel2, LabelAlign::LeftAutoSize);
    CreateLabel(L"Credits:", IDC_CreditsLabel1, kCreditsLabel1, LabelAlign::LeftAutoSize);
    SetClientSizeTwips(kCreditsWidthTwips, kCreditsHeightTwips);
}

void CreditsWindow::OnLayout() {
    SetLabelFace(IDC_CreditsLabel1, kLabelFace, 17.25, true);
    SetLabelFace(IDC_CreditsLabel2, kLabelFace, 9.75, true);
}

// No buttons, so Enter and Esc do nothing; the close box closes it.
void CreditsWindow::OnPaint(HDC dc) {
    // The rule between the names and the note, one pixel in the button-shadow colour.
    const int y = Pixels(kLineTopTwips);
    const RECT line{Pixels(kLineLeftTwips), y, Pixels(kLineRightTwips), y + 1};
    ::FillRect(dc, &line, ::GetSysColorBrush(COLOR_BTNSHADOW));
}

}  // namespace velmoria
