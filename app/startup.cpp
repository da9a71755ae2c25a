// The start-up sequence: SpcMain's load handler, run before the main window is
// first shown. Every step runs in skip-on-error mode: a step that fails is
// passed over in silence and the sequence goes on with the next one.
#include <windows.h>

#include "app/player_dialog.h"
#include "app/player_kind.h"
#include "player/win_routines.h"
#include "ui/message_box.h"
#include "ui/resource.h"
#include "ui/spc_main.h"

namespace velmoria {
namespace {

constexpr int kDefaultSamplingPosition = 2;  // "22050Hz"

template <typename Step>
void SkipOnError(Step step) noexcept {
    try {
        step();
    } catch (...) {
        // A failing step is abandoned without a message.
    }
}

}  // namespace

bool SpcMain::Form_Load() {
    std::wstring settingsFile;
    SkipOnError([&] { settingsFile = program_.store.SettingsFilePath(); });

    bool present = false;
    SkipOnError([&] { present = FileExists(settingsFile); });
    if (!present) {
        SkipOnError([] { velmoria::ShowMessage(nullptr, kFirstRunMessage, MessageIcon::Question); });
        SkipOnError([&] {
            PlayerDialog dialog(program_, nullptr);
            dialog.Show();
        });
    }

    SkipOnError([&] {
        const Settings settings = program_.store.ReadSettings();
        program_.settings.playerPath = settings.playerPath;
        program_.settings.playerPathToStore = settings.playerPath;
        program_.settings.compactFlag = settings.compactFlag;
    });
    if (program_.settings.playerPath.empty()) {
        velmoria::ShowMessage(nullptr, kDeleteSettingsMessage, MessageIcon::Stop);
        return false;
    }
    play_.emplace(static_cast<PlayerView&>(*this), program_.system, program_.settings.playerPath);
    play_->AdoptRunningPlayer();

    if (program_.settings.compactFlag != 0) SkipOnError([&] { ToggleCompact(); });
    SkipOnError([&] { ApplyStartOptions(); });
    return true;
}

void SpcMain::ApplyStartOptions() {
    const HWND sampling = Item(IDC_listSampling);
    if (::SendMessageW(sampling, CB_GETCURSEL, 0, 0) < 0) {
        ::SendMessageW(sampling, CB_SETCURSEL, kDefaultSamplingPosition, 0);
    }
    if (IsSpcPlay(program_.settings.playerPath)) {
        ::CheckDlgButton(hwnd(), IDC_chkStereo, BST_CHECKED);
        return;
    }
    // Another player takes none of SPCPlay's options: grey them all, for good.
    for (int id : {IDC_frmSampling, IDC_frmOptions, IDC_listSampling, IDC_chk8bit, IDC_chkBuffering, IDC_chkADSR,
                   IDC_chkStereo}) {
        ::EnableWindow(Item(id), FALSE);
    }
}

}  // namespace velmoria
