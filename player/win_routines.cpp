#include "player/win_routines.h"

#include <vector>

#include "wintk/win_handles.h"
#include "base/paths.h"

namespace velmoria {
namespace {

// The buffer the short form is first asked into; a longer one is fetched again.
constexpr DWORD kShortPathBuffer = 300;

}  // namespace

std::wstring ShortPathName(std::wstring_view path) {
    const std::wstring_view trimmed = TrimTrailingSpaces(path);
    if (trimmed.empty()) return {};
    const std::wstring longPath = VerbatimPath(trimmed);
    std::vector<wchar_t> buffer(kShortPathBuffer, L'\0');
    // A short form longer than the buffer makes the call return the size it
    // needs; the path may change meanwhile, hence the loop.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD length = ::GetShortPathNameW(longPath.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            return WithoutExtendedPrefix(StripNulls(std::wstring_view(buffer.data(), length)));
        }
        buffer.assign(length + 1, L'\0');
    }
    return {};
}

std::wstring ProcessImagePath(DWORD process) {
    const UniqueKernelHandle handle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    if (!handle) return {};
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD length = static_cast<DWORD>(buffer.size());
        if (::QueryFullProcessImageNameW(handle.get(), 0, buffer.data(), &length)) {
            return std::wstring(buffer.data(), length);
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
        buffer.resize(buffer.size() * 4);
    }
    return {};
}

HWND FindTitledWindow(std::wstring_view search, std::int32_t mode, DWORD process, std::wstring_view exeName) {
    wchar_t title[kTitleCharsExamined + 1];
    for (HWND window = ::FindWindowW(nullptr, nullptr); window; window = ::GetWindow(window, GW_HWNDNEXT)) {
        if (::GetParent(window)) continue;
        // This program's own windows are never a player's (their captions
        // are made not to match), and asking one of them for its title from a
        // pool thread would wait on the window's thread.
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == ::GetCurrentProcessId()) continue;
        const int length = ::GetWindowTextW(window, title, ARRAYSIZE(title));
        if (length <= 0) continue;
        if (!TitleMatches(std::wstring_view(title, static_cast<std::size_t>(length)), search, mode)) continue;
        if (process == 0 && exeName.empty()) return window;
        if (process != 0 && owner != process) continue;
        if (!exeName.empty() && !EqualsNoCase(FileNameOf(ProcessImagePath(owner)), exeName)) continue;
        return window;
    }
    return nullptr;
}

HWND FindClassWindow(std::wstring_view className, std::wstring_view exeName) {
    const std::wstring name(className);
    for (HWND window = ::FindWindowExW(nullptr, nullptr, name.c_str(), nullptr); window;
         window = ::FindWindowExW(nullptr, window, name.c_str(), nullptr)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (EqualsNoCase(FileNameOf(ProcessImagePath(owner)), exeName)) return window;
    }
    return nullptr;
}

// version.dll is not one of the DLLs Windows always takes from its own
// folder, and a copy planted beside a program is a classic attack: it is
// loaded from the system folder, and only when a player is looked at.
std::wstring FileDescription(std::wstring_view exePath) {
    const UniqueModule version(::LoadLibraryExW(L"version.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!version) return {};
    using SizeFunction = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
    using InfoFunction = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
    using QueryFunction = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
    const auto size = reinterpret_cast<SizeFunction>(
        reinterpret_cast<void*>(::GetProcAddress(version.get(), "GetFileVersionInfoSizeW")));
    const auto info = reinterpret_cast<InfoFunction>(
        reinterpret_cast<void*>(::GetProcAddress(version.get(), "GetFileVersionInfoW")));
    const auto query = reinterpret_cast<QueryFunction>(
        reinterpret_cast<void*>(::GetProcAddress(version.get(), "VerQueryValueW")));
    if (!size || !info || !query) return {};

    const std::wstring path(TrimTrailingSpaces(exePath));
    DWORD ignored = 0;
    const DWORD bytes = size(path.c_str(), &ignored);
    if (bytes == 0) return {};
    std::vector<unsigned char> block(bytes);
    if (!info(path.c_str(), 0, bytes, block.data())) return {};

    // The languages the resource holds, as (language, code page) pairs.
    struct Translation {
        WORD language;
        WORD codePage;
    };
    void* table = nullptr;
    UINT tableBytes = 0;
    if (!query(block.data(), L"\\VarFileInfo\\Translation", &table, &tableBytes) || tableBytes < sizeof(Translation)) {
        return {};
    }
    const auto* translations = static_cast<const Translation*>(table);
    for (UINT i = 0; i < tableBytes / sizeof(Translation); ++i) {
        wchar_t key[64];
        ::wsprintfW(key, L"\\StringFileInfo\\%04x%04x\\FileDescription", translations[i].language,
                    translations[i].codePage);
        void* text = nullptr;
        UINT length = 0;
        if (query(block.data(), key, &text, &length) && text && length > 0) {
            return std::wstring(StripNulls(std::wstring_view(static_cast<const wchar_t*>(text), length)));
        }
    }
    return {};
}

}  // namespace velmoria
