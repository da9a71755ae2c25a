#include "ui/single_instance.h"

#include <vector>

#include "base/paths.h"
#include "browse/folder_read.h"
#include "player/win_routines.h"
#include "wintk/win_handles.h"
#include "wintk/win_text.h"

namespace velmoria {
namespace {

// Marks the data as Velmoria's own command line ("VELM").
constexpr ULONG_PTR kHandOverTag = 0x56454C4D;
// A command line is at most 32,767 characters.
constexpr DWORD kMaxHandOverBytes = 32767 * sizeof(wchar_t);

DWORD SessionOf(DWORD process) {
    DWORD session = 0;
    return ::ProcessIdToSessionId(process, &session) ? session : MAXDWORD;
}

// The user a process runs as, as the bytes of its SID; empty when unknown.
std::vector<BYTE> UserOf(DWORD process) {
    const UniqueKernelHandle handle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    HANDLE token = nullptr;
    if (!handle || !::OpenProcessToken(handle.get(), TOKEN_QUERY, &token)) return {};
    const UniqueKernelHandle owned(token);
    std::vector<BYTE> buffer(256);
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &size)) return {};
    const PSID sid = reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid;
    const auto* bytes = static_cast<const BYTE*>(sid);
    return std::vector<BYTE>(bytes, bytes + ::GetLengthSid(sid));
}

bool SameUserAndSession(DWORD process) {
    const DWORD self = ::GetCurrentProcessId();
    const std::vector<BYTE> user = UserOf(process);
    return SessionOf(process) == SessionOf(self) && !user.empty() && user == UserOf(self);
}

// A path as this process's working folder sees it, made absolute: the
// running Velmoria has a working folder of its own.
std::wstring Absolute(const std::wstring& path) {
    std::wstring full = FullPathOf(path);
    return full.empty() ? path : full;
}

}  // namespace

HWND FindRunningVelmoria() {
    const std::wstring exe = ModuleFilePath();
    for (HWND window = ::FindWindowExW(nullptr, nullptr, nullptr, nullptr); window;
         window = ::FindWindowExW(nullptr, window, nullptr, nullptr)) {
        if (!::GetPropW(window, kMainWindowProperty)) continue;
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        if (process == ::GetCurrentProcessId() || !EqualsNoCase(ProcessImagePath(process), exe)) continue;
        if (SameUserAndSession(process)) return window;
    }
    return nullptr;
}

void OfferHandOvers(HWND main) { ::SetPropW(main, kMainWindowProperty, main); }

std::wstring HandOverLine(std::wstring_view commandLine) {
    // The first argument, or the whole tail where that names nothing (an
    // unquoted path with spaces), as the receiver would try them.
    std::wstring path = FirstArgument(commandLine);
    if (::GetFileAttributesW(VerbatimPath(Absolute(path)).c_str()) == INVALID_FILE_ATTRIBUTES) {
        path = ArgumentsTail(commandLine);
    }
    return L"Velmoria.exe \"" + Absolute(path) + L"\"";
}

bool HandOver(HWND running, std::wstring_view commandLine) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(running, &process);
    // It may take the foreground: the user's start of this one gave it to us.
    ::AllowSetForegroundWindow(process);
    const UniqueWindow sender(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                                nullptr));
    std::wstring text = HandOverLine(commandLine);
    COPYDATASTRUCT data{kHandOverTag, static_cast<DWORD>(text.size() * sizeof(wchar_t)), text.data()};
    DWORD_PTR took = 0;
    return sender &&
           ::SendMessageTimeoutW(running, WM_COPYDATA, reinterpret_cast<WPARAM>(sender.get()),
                                 reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG | SMTO_BLOCK, 10000, &took) &&
           took == TRUE;
}

std::optional<std::wstring> TakeHandOver(const COPYDATASTRUCT& data) {
    if (data.dwData != kHandOverTag || data.cbData > kMaxHandOverBytes || data.cbData % sizeof(wchar_t) != 0 ||
        (data.cbData > 0 && !data.lpData)) {
        return std::nullopt;
    }
    return std::wstring(static_cast<const wchar_t*>(data.lpData), data.cbData / sizeof(wchar_t));
}

}  // namespace velmoria
