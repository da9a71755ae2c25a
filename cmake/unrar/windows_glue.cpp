// What UnRAR asks of Windows beyond files, answered without new imports.
//
// Its isnt.cpp, less the Windows 11 test, which asks WMI over COM and would
// make the exe import ole32 and oleaut32. UnRAR uses that test only to judge
// names of files it extracts to disk, and Velmoria never extracts to disk:
// the older, stricter answer is kept.
//
// SetSuspendState is reached only by the rar command line's switch that
// puts the machine to sleep after its work, never by the library; defined
// here, so that the exe does not import powrprof.dll, which is no known DLL
// and would be looked for beside the exe first.
#include <windows.h>

DWORD WinNT() {
    static DWORD version = [] {
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof info;
        if (!::GetVersionExW(&info) || info.dwPlatformId != VER_PLATFORM_WIN32_NT) return DWORD{0};
        return info.dwMajorVersion * 0x100 + info.dwMinorVersion;
    }();
    return version;
}

bool IsWindows11OrGreater() { return false; }

extern "C" BOOLEAN WINAPI SetSuspendState(BOOLEAN, BOOLEAN, BOOLEAN) {
    ::SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}
