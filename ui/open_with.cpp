#include "ui/open_with.h"

#include <windows.h>
#include <shlobj.h>

#include "base/paths.h"
#include "wintk/win_handles.h"

namespace velmoria {
namespace {

constexpr wchar_t kClasses[] = L"Software\\Classes\\";
constexpr wchar_t kProgId[] = L"Velmoria.SpcFile";
// Songs, and the RAR sets songs are published in.
constexpr const wchar_t* kTypes[] = {L".spc", L".rsn"};

std::wstring Quoted(const std::wstring& exe) { return L"\"" + exe + L"\""; }
std::wstring OpenCommand(const std::wstring& exe) { return Quoted(exe) + L" \"%1\""; }

bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ) {
    HKEY opened = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, (kClasses + key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened,
                          nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const UniqueKey held(opened);
    const auto bytes = static_cast<DWORD>(type == REG_NONE ? 0 : (value.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(opened, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()), bytes) ==
           ERROR_SUCCESS;
}

std::wstring ValueOf(const std::wstring& key, const wchar_t* name) {
    wchar_t value[1024] = L"";
    DWORD bytes = sizeof value - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_CURRENT_USER, (kClasses + key).c_str(), name, RRF_RT_REG_SZ, nullptr, value, &bytes) !=
        ERROR_SUCCESS) {
        return {};
    }
    return value;
}

// A value of ours, then its key and the keys above it, down to stop, where
// nothing at all is left in them: whatever was there before stays.
void RemoveValue(const std::wstring& key, const wchar_t* name, std::wstring_view stop) {
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, (kClasses + key).c_str(), name);
    for (std::wstring path = key; path.size() > stop.size(); path = ParentFolder(path)) {
        HKEY opened = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, (kClasses + path).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) break;
        const UniqueKey held(opened);
        DWORD subkeys = 1, values = 1;
        if (::RegQueryInfoKeyW(opened, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                               nullptr, nullptr) != ERROR_SUCCESS ||
            subkeys != 0 || values != 0 || ::RegDeleteKeyW(HKEY_CURRENT_USER, (kClasses + path).c_str()) != ERROR_SUCCESS) {
            break;
        }
    }
}

// Explorer re-reads the associations. shell32 is loaded from the system
// folder only here, so that the exe does not import it; a pool thread waits
// for the broadcast.
void TellExplorer() {
    ::QueueUserWorkItem(
        [](void*) noexcept -> DWORD {
            const UniqueModule shell(::LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
            using Notify = void(WINAPI*)(LONG, UINT, LPCVOID, LPCVOID);
            if (const auto notify = reinterpret_cast<Notify>(
                    reinterpret_cast<void*>(shell ? ::GetProcAddress(shell.get(), "SHChangeNotify") : nullptr))) {
                notify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
            }
            return 0;
        },
        nullptr, WT_EXECUTEDEFAULT);
}

std::wstring Application(const std::wstring& exe) { return L"Applications\\" + FileNameOf(exe); }

}  // namespace

bool OfferedInOpenWith(const std::wstring& exe) {
    return EqualsNoCase(ValueOf(std::wstring(kProgId) + L"\\shell\\open\\command", nullptr), OpenCommand(exe));
}

bool OfferInOpenWith(const std::wstring& exe, bool offer) {
    const std::wstring progId = kProgId, application = Application(exe);
    bool done = true;
    if (offer) {
        done = SetValue(progId, nullptr, L"SPC song") && SetValue(progId + L"\\DefaultIcon", nullptr, exe + L",0") &&
               SetValue(progId + L"\\shell\\open\\command", nullptr, OpenCommand(exe)) &&
               SetValue(application + L"\\shell\\open\\command", nullptr, OpenCommand(exe));
        for (const wchar_t* type : kTypes) {
            done = done && SetValue(std::wstring(type) + L"\\OpenWithProgids", kProgId, L"", REG_NONE) &&
                   SetValue(application + L"\\SupportedTypes", type, L"");
        }
    }
    if (!offer || !done) {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, (kClasses + progId).c_str());  // all of it ours
        // Windows itself may keep the exe's open command, for a choice the user made.
        const std::wstring command = application + L"\\shell\\open\\command";
        if (EqualsNoCase(ValueOf(command, nullptr), OpenCommand(exe))) RemoveValue(command, nullptr, L"Applications");
        for (const wchar_t* type : kTypes) {
            RemoveValue(std::wstring(type) + L"\\OpenWithProgids", kProgId, L"");
            RemoveValue(application + L"\\SupportedTypes", type, L"Applications");
        }
    }
    TellExplorer();
    return done;
}

}  // namespace velmoria
