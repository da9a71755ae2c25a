// The two information windows of the Help menu. Each is created afresh when
// shown, centred on the main window, modal, and destroyed when it closes.
#pragma once

#include <windows.h>

#include "wintk/win_handles.h"
#include "wintk/dialog_window.h"
#include "wintk/picture.h"

namespace velmoria {

// frmAbout: the background picture of Pip, the program's name and version,
// where to reach its makers, and a "Close" button.
class AboutWindow final : public DialogWindow {
public:
    void Show(HWND mainWindow);
    void cmdClose_Click();

private:
    void OnCreate() override;
    void OnCommand(int id, int code, HWND control) override;
    bool OnEraseBackground(HDC dc) override;
    void OnLayout() override;

    ScaledPicture picture_;
};

// frmCredits: who made the program. It has no button; only its close box closes it.
class CreditsWindow final : public DialogWindow {
public:
    void Show(HWND mainWindow);

private:
    void OnCreate() override;
    void OnPaint(HDC dc) override;
    void OnLayout() override;
};

}  // namespace velmoria
