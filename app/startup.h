// The start-up sequence, run before the main window is first shown. Every
// step runs in skip-on-error mode: a step that fails is passed over in
// silence and the sequence goes on with the next one.
#pragma once

#include <string>

#include "app/program.h"

namespace velmoria {

// What start-up needs of the main window.
class StartupWindow {
public:
    // The compact-mode toggle as the menu command runs it; a failed write
    // reaches the caller as SettingsWriteError.
    virtual void ToggleCompact() = 0;
    // Gives the SPCPlay options their start values, or greys them for good
    // when the player is another one.
    virtual void ApplyStartOptions(bool spcPlay) = 0;
    // The player read from the settings becomes the one plays and stops use.
    virtual void UsePlayer(const std::wstring& playerPath, PlayerProtocol protocol) = 0;

protected:
    ~StartupWindow() = default;
};

// Runs the sequence. False when the program must end without showing the
// main window (no player path could be read).
bool RunStartup(Program& program, StartupWindow& window);

}  // namespace velmoria
