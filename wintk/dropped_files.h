// The paths of a drop (WM_DROPFILES), read from its DROPFILES block as
// DragQueryFileW reads them, so that the shell is not loaded for it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace velmoria {

// The first `most` paths of a drop, and the block freed, as DragFinish
// does: always, failure or not, and only when it is a block at all. Every
// read stays inside the block; a block cut short gives the paths it holds.
std::vector<std::wstring> TakeDroppedPaths(HGLOBAL drop, std::size_t most);

}  // namespace velmoria
