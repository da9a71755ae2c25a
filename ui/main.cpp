// Velmoria: a small front end that plays SPC music files through an external
// player (SPCPlay, WinSPC or ZD-SPC). The main window is the program.
#include <windows.h>
#include <commctrl.h>

#include "wintk/process_setup.h"
#include "app/program.h"
#include "base/paths.h"
#include "wintk/win_text.h"
#include "player/win_player_system.h"
#include "ui/single_instance.h"
#include "ui/spc_main.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    velmoria::PrepareProcess();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);

    // A folder or song for a Velmoria already running goes to it.
    const std::wstring_view commandLine = ::GetCommandLineW();
    if (!velmoria::FirstArgument(commandLine).empty()) {
        if (const HWND running = velmoria::FindRunningVelmoria(); running && velmoria::HandOver(running, commandLine)) {
            return 0;
        }
    }

    velmoria::Win32PlayerSystem::ClearOldSongCopies();
    velmoria::SetShelf::ClearEarlierHandOuts();
    velmoria::Win32PlayerSystem system;
    velmoria::Program program(velmoria::ProgramFolder(), system, velmoria::UserSettingsFolder());
    velmoria::SpcMain main(program);
    if (!main.Create()) return 1;
    if (!main.Form_Load()) return 1;
    main.Show();
    velmoria::OfferHandOvers(main.hwnd());
    // "Open with" and shortcuts name a folder or a song: go there, and play the song.
    if (velmoria::FirstArgument(commandLine).empty()) {
        main.OpenLastFolder();
    } else {
        main.OpenCommandLine(commandLine);
    }
    return main.Run();
}
