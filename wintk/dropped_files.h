// The paths of a drop (WM_DROPFILES), read from its DROPFILES block as
// DragQueryFileW reads them, so that the shell is not loaded for it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace velmoria {

// Every read stays inside the block; a block cut short gives the paths it holds.
std::vector<std::wstring> DroppedPaths(HGLOBAL drop);

}  // namespace velmoria
