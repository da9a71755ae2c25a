#include "app/player_dialog.h"

#include <commctrl.h>

#include "app/settings_file.h"
#include "player/player_table.h"
#include "app/message.h"
#include "app/player_dialog_ids.h"
#include "app/program_icon.h"
#include "wintk/win_text.h"

namespace velmoria {
namespace {

constexpr int kClientWidthTwips = 2295;
constexpr int kClientHeightTwips = 3810;
constexpr TwipsRect kFrmBlegh{0, 0, 2295, 3255};
constexpr TwipsRect kExeDrive = TwipsRect{60, 180, 2175, 315}.In(kFrmBlegh);
constexpr TwipsRect kExeDir = TwipsRect{60, 540, 2175, 2340}.In(kFrmBlegh);
constexpr TwipsRect kExeFile = TwipsRect{60, 2880, 2175, 285}.In(kFrmBlegh);
constexpr TwipsRect kCmdSave{600, 3360, 1035, 375};


}  // namespace

PlayerDialog::PlayerDialog(Program& program, HWND mainWindow) : program_(program), mainWindow_(mainWindow) {}

void PlayerDialog::Show() {
    if (!CreateDialogWindow(WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_CONTROLPARENT | WS_EX_APPWINDOW,
                            L"Locate SPC Player")) {
        return;
    }
    CenterOnScreen();
    RunModal();
    if (saved_) velmoria::ShowMessage(mainWindow_, kRestartMessage, MessageIcon::None);
}

void PlayerDialog::OnCreate() {
    UseIcon(IDI_VELMORIA);
    CreateControl(WC_COMBOBOXW, L"", kDropDownListStyle, 0, IDC_exeDrive, kExeDrive);
    CreateControl(WC_LISTBOXW, L"Folders", kBrowseListStyle, WS_EX_CLIENTEDGE, IDC_exeDir, kExeDir);
    CreateControl(WC_LISTBOXW, L"Players", kBrowseListStyle, WS_EX_CLIENTEDGE, IDC_exeFile, kExeFile);
    CreateControl(WC_BUTTONW, L"Save", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, IDC_cmdSave, kCmdSave);
    // Last, so the frame lies below the lists it holds.
    CreateControl(WC_BUTTONW, L"", BS_GROUPBOX, 0, IDC_frmBlegh, kFrmBlegh);
    SetClientSizeTwips(kClientWidthTwips, kClientHeightTwips);

    AttachBrowseLists(*this, {IDC_exeDrive, IDC_exeDir, IDC_exeFile}, exeDrive_, exeDir_, exeFile_,
                      PlayerFilePatterns(), CurrentFolder());
}

void PlayerDialog::OnLayout() {
    FitComboField(IDC_exeDrive, kExeDrive);
    exeDir_.FitItemHeight(dpi());
    exeFile_.FitItemHeight(dpi());
}

// Enter and Esc (IDOK, IDCANCEL) do nothing here; closing writes nothing.
void PlayerDialog::OnCommand(int id, int code, HWND) {
    if (id == IDC_cmdSave && code == BN_CLICKED) cmdSave_Click();
}

void PlayerDialog::exeDrive_Change() { MoveToDrive(exeDir_, exeDrive_.Drive(), program_.store.programFolder()); }

void PlayerDialog::exeDir_Change() { exeFile_.Follow(exeDir_); }

void PlayerDialog::cmdSave_Click() {
    if (exeFile_.Entry(0).empty()) {
        velmoria::ShowMessage(hwnd(), kLocatePlayerMessage, MessageIcon::None);
        return;
    }
    std::wstring path = exeFile_.Path();
    if (path.empty() || path.back() != L'\\') path += L'\\';
    const int selected = exeFile_.ListIndex();
    path += exeFile_.Entry(selected >= 0 ? selected : 0);
    try {
        program_.store.WriteSettings(path, 0);
    } catch (const SettingsWriteError& error) {
        // Nothing was saved: the dialog stays open, and the old file is whole.
        velmoria::ShowMessage(hwnd(), error.UserMessage(), MessageIcon::Stop);
        return;
    }
    // The running program keeps its player, but later writes of the file
    // (the compact-mode switch) must keep the choice just saved.
    program_.settings.playerPathToStore = path;
    saved_ = true;
    Close();
}

}  // namespace velmoria
