// The handle wrappers: each releases its handle exactly once, with the
// function that matches it, and a move hands the handle over.
#include <gtest/gtest.h>

#include "app/win_handles.h"

namespace velmoria {
namespace {

bool KernelHandleOpen(HANDLE handle) {
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != FALSE;
}

TEST(UniqueHandle, ClosesOnceWhenItGoesAndAfterAMove) {
    HANDLE raw = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        UniqueKernelHandle first(raw);
        UniqueKernelHandle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), raw);
        EXPECT_TRUE(KernelHandleOpen(raw));
        UniqueKernelHandle third;
        third = std::move(second);
        EXPECT_TRUE(KernelHandleOpen(raw));
    }
    EXPECT_FALSE(KernelHandleOpen(raw));
}

TEST(UniqueHandle, ResetClosesTheOldHandleAndReleaseGivesItAway) {
    HANDLE a = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE b = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    UniqueKernelHandle owner(a);
    owner.reset(b);
    EXPECT_FALSE(KernelHandleOpen(a));
    EXPECT_EQ(owner.release(), b);
    EXPECT_FALSE(owner);
    EXPECT_TRUE(KernelHandleOpen(b));
    ::CloseHandle(b);
}

TEST(UniqueHandle, FailedCreationsAreNoHandles) {
    UniqueFile missing(::CreateFileW(L"C:\\no such folder\\no such file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
    EXPECT_FALSE(missing);  // INVALID_HANDLE_VALUE, not null, marks a file that did not open
    WIN32_FIND_DATAW entry;
    UniqueFind nothing(::FindFirstFileW(L"C:\\no such folder\\*", &entry));
    EXPECT_FALSE(nothing);
}

TEST(UniqueHandle, GdiObjectsWindowsAndMenusAreDestroyed) {
    HFONT font = ::CreateFontW(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HMENU menu = ::CreatePopupMenu();
    {
        const UniqueFont ownedFont(font);
        const UniqueWindow ownedWindow(window);
        const UniqueMenu ownedMenu(menu);
        EXPECT_NE(::GetObjectType(font), 0u);
        EXPECT_TRUE(::IsWindow(window));
        EXPECT_TRUE(::IsMenu(menu));
    }
    EXPECT_EQ(::GetObjectType(font), 0u);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_FALSE(::IsMenu(menu));
}

}  // namespace
}  // namespace velmoria
