// Conversions between the program's wide text and what Windows hands back:
// ANSI bytes, system error codes, the program's own file name.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace velmoria {

// Text as the bytes of a code page (CP_ACP: the system's ANSI code page), or
// nothing when a character has no exact form there: Windows would put a "?"
// or a look-alike in its place, and a path would then name another file.
std::optional<std::string> ToAnsi(std::wstring_view text, UINT codePage = CP_ACP);
// flags: MB_ERR_INVALID_CHARS gives empty text for bytes the code page does not hold.
std::wstring FromAnsi(std::string_view bytes, UINT codePage = CP_ACP, DWORD flags = 0);

// The system's own sentence for an error code, without the trailing line end.
std::wstring SystemErrorText(DWORD error);

// The full path of the running executable, however long.
std::wstring ModuleFilePath(HMODULE module = nullptr);

// The process's working folder, however long; empty when it cannot be read.
std::wstring CurrentFolder();

// The program's folder: the folder of the running executable, not the working folder.
std::wstring ProgramFolder();

// The user's folder for programs' settings (%APPDATA%); empty when unset.
std::wstring UserSettingsFolder();

}  // namespace velmoria
