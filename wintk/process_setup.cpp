#include "wintk/process_setup.h"

#include <windows.h>

namespace velmoria {

void PrepareProcess() {
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetErrorMode(::GetErrorMode() | SEM_FAILCRITICALERRORS);
}

}  // namespace velmoria
