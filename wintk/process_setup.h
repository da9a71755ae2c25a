// What the process settles before anything else runs.
#pragma once

namespace velmoria {

// DLLs load from the system folder only, never from the program's folder
// (a Downloads folder may hold a planted copy), and a drive without a medium
// fails quietly instead of raising the system's "No disk" box. The other
// error-mode bits are kept as they were.
void PrepareProcess();

}  // namespace velmoria
