#include "app/startup.h"

#include "app/player_dialog.h"
#include "base/message_box.h"
#include "base/player_kind.h"
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
        ShowMessage(nullptr, kDeleteSettingsMessage, MessageIcon::Stop);
        return false;
    }
    window.UsePlayer(program.settings.playerPath);

    if (program.settings.compactFlag != 0) SkipOnError([&] { window.ToggleCompact(); });
    SkipOnError([&] { window.ApplyStartOptions(IsSpcPlay(program.settings.playerPath)); });
    return true;
}

}  // namespace velmoria
