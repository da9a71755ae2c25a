// Rewrites Velmoria.ini in the folder it is given, as fast as it can and with
// the program's own writer, alternating two contents until it is killed. The
// fault tests kill it at random moments and look at what is left.
#include <windows.h>

#include "app/settings_file.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const velmoria::SettingsStore store(argv[1]);
    for (unsigned turn = 0;; ++turn) {
        const bool odd = (turn & 1) != 0;
        try {
            store.WriteSettings(odd ? L"C:\\NEW PLAYERS\\WINSPC.EXE" : L"C:\\OLD\\SPCPLAY.EXE",
                                static_cast<std::int16_t>(odd ? 1 : 0));
        } catch (const velmoria::SettingsWriteError&) {
            ::Sleep(1);
        }
    }
}
