#include "app/startup.h"

#include "app/player_dialog.h"
#include "app/message.h"
#include "player/player_kind.h"
#include "player/win_routines.h"

namespace velmoria {
namespace {

template <typename Step>
void SkipOnError(Step step) noexcept {
    try {
        step();
    } catch (...) {
        // A failing step is abandoned without a message.
    }
}

}  // namespace

bool RunStartup(Program& program, StartupWindow& window) {
    std::wstring settingsFile;
    SkipOnError([&] { settingsFile = program.store.SettingsFilePath(); });

    bool present = false;
    SkipOnError([&] { present = FileExists(settingsFile); });
    if (!present) {
        SkipOnError([] { ShowMessage(nullptr, kFirstRunMessage, MessageIcon::Question); });
        SkipOnError([&] {
            PlayerDialog dialog(program, nullptr);
            dialog.Show();
        });
    }

    SkipOnError([&] {
        const Settings settings = program.store.ReadSettings();
        program.settings.playerPath = settings.playerPath;
        program.settings.playerPathToStore = settings.playerPath;
        program.settings.compactFlag = settings.compactFlag;
    });
    if (program.settings.playerPath.empty()) {
        // A file in the user's folder is not where the user would look.
        std::wstring text(kDeleteSettingsMessage);
        SkipOnError([&] {
            if (program.store.UsesUserFile()) text += L"\n\n" + program.store.SettingsFilePath();
        });
        ShowMessage(nullptr, text, MessageIcon::Stop);
        return false;
    }
    const std::wstring& player = program.settings.playerPath;
    // Only an SPCPLAY.EXE can be today's player; its exe says which it is.
    PlayerProtocol protocol = PlayerProtocol::Classic;
    if (IsSpcPlay(player)) SkipOnError([&] { protocol = ProtocolOf(player, program.system.FileDescription(player)); });
    window.UsePlayer(player, protocol);

    if (program.settings.compactFlag != 0) SkipOnError([&] { window.ToggleCompact(); });
    // Today's SPCPLAY.EXE reads the classic switches as part of the file name.
    SkipOnError([&] { window.ApplyStartOptions(IsSpcPlay(player) && protocol == PlayerProtocol::Classic); });
    return true;
}

}  // namespace velmoria
