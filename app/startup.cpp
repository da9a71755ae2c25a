#include "app/startup.h"

#include "app/message.h"
#include "app/player_dialog.h"
#include "base/trace.h"

namespace velmoria {
namespace {

template <typename Step>
void SkipOnError(Step step) noexcept {
    try {
        step();
    } catch (...) {
        // A failing step is abandoned without a message.
        TraceSwallowed("a start-up step");
    }
}

}  // namespace

StartPlan RunStartup(Program& program) {
    // Any file counts, a hidden or system one too: it is read all the same.
    bool present = false;
    SkipOnError([&] { present = program.store.HasFile(); });
    StartPlan plan;
    if (!present) {
        SkipOnError([] { ShowMessage(nullptr, kFirstRunMessage, MessageIcon::Question); });
        SkipOnError([&] {
            PlayerDialog dialog(program, nullptr);
            dialog.Show();
        });
        // The dialog closed without a Save: there is no file to tell the user to delete.
        bool saved = false;
        SkipOnError([&] { saved = program.store.HasFile(); });
        if (!saved) return plan;
    }

    bool busy = false;
    SkipOnError([&] {
        const Settings settings = program.store.ReadSettings(kStartBusyWaitMs);
        busy = settings.busy;
        program.settings.playerPath = settings.playerPath;
        program.settings.playerPathToStore = settings.playerPath;
        program.settings.compactFlag = settings.compactFlag;
    });
    if (busy) {
        ShowMessage(nullptr, kBusySettingsMessage, MessageIcon::Stop);
        return plan;
    }
    if (program.settings.playerPath.empty()) {
        // A file in the user's folder is not where the user would look.
        std::wstring text(kDeleteSettingsMessage);
        SkipOnError([&] {
            if (program.store.UsesUserFile()) text += L"\n\n" + program.store.SettingsFilePath();
        });
        ShowMessage(nullptr, text, MessageIcon::Stop);
        return plan;
    }
    plan.show = true;
    plan.player.path = program.settings.playerPath;
    // Where two players share an exe name, the exe's version resource says which it is.
    std::wstring description;
    if (NeedsDescription(plan.player.path)) {
        SkipOnError([&] { description = program.system.FileDescription(plan.player.path); });
    }
    plan.player.row = ResolvePlayerRow(plan.player.path, description);
    SkipOnError([&] { program.choices = ParseChoices(program.choicesStore.ReadBytes()); });
    plan.compact = program.settings.compactFlag != 0;
    plan.spcPlayOptions = plan.player.row && plan.player.row->switches;
    return plan;
}

}  // namespace velmoria
