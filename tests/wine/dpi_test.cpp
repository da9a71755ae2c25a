// High DPI: at 120 and 144 DPI every window's client size and every control's
// rectangle come from twips, fonts and pictures grow with them, and compact
// mode still shows exactly the "SPC Select" frame. Wine takes the DPI from
// its LogPixels setting when a process starts, so this test sets it and runs
// the checks (dpi_checks.cpp) in a process of their own.
#include <gmock/gmock.h>

#include "app/win_handles.h"
#include "app/win_text.h"
#include "player/paths.h"
#include "tests/support/win_test_support.h"

namespace velmoria::test {
namespace {

constexpr wchar_t kExpectDpi[] = L"VELMORIA_EXPECT_DPI";

// Wine's DPI for the processes started while it lives.
class ScopedLogPixels {
public:
    explicit ScopedLogPixels(DWORD dpi) {
        DWORD size = sizeof previous_;
        had_ = ::RegGetValueW(HKEY_CURRENT_USER, kKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &previous_, &size) ==
               ERROR_SUCCESS;
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
    }
    ~ScopedLogPixels() {
        if (had_) {
            ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels", REG_DWORD, &previous_, sizeof previous_);
        } else {
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels");
        }
    }

private:
    static constexpr const wchar_t* kKey = L"Control Panel\\Desktop";
    DWORD previous_ = 96;
    bool had_ = false;
};

bool UnderWine() { return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

TEST(HighDpi, EveryWindowScalesAt120And144) {
    if (!UnderWine()) GTEST_SKIP() << "Windows applies a new DPI only at the next sign-in";
    for (const DWORD dpi : {120u, 144u}) {
        const ScopedLogPixels logPixels(dpi);
        ::SetEnvironmentVariableW(kExpectDpi, std::to_wstring(dpi).c_str());
        std::wstring line = L"\"" + ParentFolder(ModuleFilePath()) + L"\\dpi_checks.exe\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        const BOOL started =
            ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
        ::SetEnvironmentVariableW(kExpectDpi, nullptr);
        ASSERT_TRUE(started);
        const UniqueKernelHandle process(info.hProcess);
        const UniqueKernelHandle thread(info.hThread);
        ASSERT_EQ(::WaitForSingleObject(process.get(), 90000), WAIT_OBJECT_0);
        DWORD code = 1;
        ::GetExitCodeProcess(process.get(), &code);
        EXPECT_EQ(code, 0u) << "the checks at " << dpi << " DPI failed; their output is above";
    }
}

}  // namespace
}  // namespace velmoria::test
