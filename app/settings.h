// The settings file's format and the settings every part of the program shares.
// Pure logic, no Windows headers: the file is two lines of ANSI bytes, and the
// conversion between those bytes and wide text happens in settings_file.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmoria {

inline constexpr std::wstring_view kSettingsFileName = L"Velmoria.ini";
// The per-user folder that holds it when the program's folder cannot.
inline constexpr std::wstring_view kUserFolderName = L"Velmoria";

// What the two lines hold, still as the bytes of the system's ANSI code page.
struct StoredSettings {
    std::string playerPath;
    std::int16_t compactFlag = 0;
};

// Reads the two items the way delimited text is read: a comma ends an item
// just as a line end does, and a double-quoted item keeps its commas.
// Item 2 converts only when it is an integer (an optional sign and digits,
// optionally with a fraction, rounded half to even) within -32768..32767;
// anything else, or nothing, gives 0. A UTF-8 byte-order mark that an editor
// put before line 1 is not part of the path. Never fails.
StoredSettings ParseSettings(std::string_view bytes);

// The exact bytes of a settings file: the path, CR LF, " <flag> ", CR LF.
// A path holding a comma is written in double quotes, since the reader would
// otherwise cut it at the comma; every other path is written as it is.
// Nothing when the path cannot be written so that it reads back whole: a line
// break or a double quote in it (possible only by editing the file by hand).
std::optional<std::string> FormatSettings(std::string_view ansiPlayerPath, std::int16_t compactFlag);

// The settings held in memory for the life of the program.
struct ProgramSettings {
    std::wstring playerPath;        // read once at start-up; plays and stops use it
    std::int16_t compactFlag = 0;   // changed only by the compact-mode toggle
    // The player path the next write of the file should keep: the one read at
    // start-up, or the one last saved in the player dialog. A toggle between a
    // save and the restart must not put the older path back into the file.
    std::wstring playerPathToStore;
};

}  // namespace velmoria
