// Stateless routines over Windows: the short form of a path, and the search
// for a top-level window by its title. The Unicode functions are used
// throughout, so names outside the ANSI code page work.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "player/title_match.h"

namespace velmoria {

// The 8.3 form of a path, without the path's trailing spaces; empty when there
// is none (a missing file, say). Never fails.
std::wstring ShortPathName(std::wstring_view path);

// The first top-level window, in the system's window order, whose title
// matches the search text in the given mode; windows with a parent or owner
// and untitled windows are passed over. A non-zero process limits the search
// to that process's windows; a non-empty exeName to windows whose process
// runs an exe of that file name, from any folder (a title alone would match
// an Explorer window on a folder named WinSPC). Returns null when none matches.
HWND FindTitledWindow(std::wstring_view search, std::int32_t mode, DWORD process, std::wstring_view exeName = {});

// The first top-level window of a class whose process runs an exe of that
// file name; null when there is none.
HWND FindClassWindow(std::wstring_view className, std::wstring_view exeName);

// The FileDescription of an exe's version resource, in the first language
// the resource lists; empty when it has none or cannot be read.
std::wstring FileDescription(std::wstring_view exePath);

// The full path of the exe a process runs; empty when it cannot be read.
std::wstring ProcessImagePath(DWORD process);

}  // namespace velmoria
