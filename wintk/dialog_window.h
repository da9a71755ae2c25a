// The base of Velmoria's four windows. Each is a modeless dialog built from an
// empty in-memory template, so the dialog manager gives it the keyboard rules
// Windows users know (Tab order, a focused button takes Enter, Esc and Enter
// arrive as IDCANCEL and IDOK), while the controls themselves are created in
// code at their twips positions for the window's DPI.
//
// The object owns its window: `this` is bound at WM_INITDIALOG and unbound at
// WM_NCDESTROY, and the destructor destroys a window that is still open.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "wintk/buttons.h"
#include "wintk/fonts.h"
#include "wintk/message_loop.h"
#include "wintk/twips.h"
#include "wintk/win_handles.h"

namespace velmoria {

// How a text label lays out its text. Labels have no background of their
// own: the window shows through them.
enum class LabelAlign {
    Centre,        // centred, wrapped at word boundaries within the label's width
    LeftAutoSize,  // one line from the label's top-left corner; the label takes the text's size
};

// A control object that takes its own notifications (WM_COMMAND) and owner
// drawing from its dialog: the browsing lists. The dialog hands each such
// message to it and to nothing else.
class ControlHandler {
public:
    // True when the control object took the notification; otherwise it goes
    // on to the window's OnCommand.
    virtual bool OnNotify(WORD code) = 0;
    virtual void OnDrawItem(const DRAWITEMSTRUCT&) {}

protected:
    ~ControlHandler() = default;
};

// Whether this process runs elevated (as an administrator, past UAC).
bool IsElevated();

// A drop is looked at no further than this many items.
inline constexpr std::size_t kMaxDroppedPaths = 100;

class DialogWindow {
public:
    DialogWindow() = default;
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;
    virtual ~DialogWindow();

    HWND hwnd() const { return hwnd_; }
    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    int dpi() const { return dpi_; }
    bool IsOpen() const { return hwnd_ != nullptr; }

    // Closes the window; a modal window first gives the input back to the
    // windows it had disabled, so that the activation returns to them.
    void Close();

    // Shows the window in front, with the focus on its first control in the
    // tab order (a push button there becomes the one Enter presses).
    void ShowInFront();

    // Shows the window modally: the program's other windows take no input
    // until it has closed. The window has no owner. Returns when it is closed.
    void RunModal();

protected:
    // Creates the hidden window; OnCreate runs inside, before it returns.
    bool CreateDialogWindow(DWORD style, DWORD exStyle, const std::wstring& caption);

    virtual void OnCreate() = 0;
    // Each message is decoded once, here in the base, into one of these.
    // A menu item, accelerator or button; Enter and Esc come as IDOK and
    // IDCANCEL, which do nothing unless a window says otherwise.
    virtual void OnCommand(int /*id*/, int /*code*/, HWND /*control*/) {}
    virtual void OnDrawItem(const DRAWITEMSTRUCT& /*item*/) {}
    virtual void OnPaint(HDC /*dc*/) {}
    // True when the window painted its background itself.
    virtual bool OnEraseBackground(HDC /*dc*/) { return false; }
    // Files or folders dropped from Explorer, in the order given (the first
    // kMaxDroppedPaths of them); only for a window that called AcceptDrops.
    virtual void OnDropFiles(const std::vector<std::wstring>& /*paths*/) {}
    // The close box or Alt+F4; closes the window unless a window says otherwise.
    virtual void OnClose() { Close(); }
    // Called after the window has gone, from WM_NCDESTROY.
    virtual void OnDestroyed() {}
    // Fonts and per-control sizes that depend on the DPI; called after the
    // controls have been placed for a new DPI.
    virtual void OnLayout() {}
    // A hot key the window registered (RegisterHotKey), by its id.
    virtual void OnHotKey(int /*id*/) {}
    // The program's windows came to the front (true) or another program's did.
    virtual void OnActivateApp(bool /*active*/) {}
    // The user logs off or the system shuts down: the program ends without
    // its windows being closed.
    virtual void OnEndSession() {}
    // WM_COPYDATA from another window (from: the sender's window, as it says);
    // true when the window took the data.
    virtual bool OnCopyData(HWND /*from*/, const COPYDATASTRUCT& /*data*/) { return false; }
    // A message of the window's own (WM_APP and above), posted to it from
    // another thread; true when the window handled it.
    virtual bool OnAppMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) { return false; }

    // Creates a child control at a rectangle in twips relative to the client
    // area, with the window's default font, and remembers it for re-layout.
    HWND CreateControl(const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle, int id,
                       const TwipsRect& rect);
    HWND CreateLabel(const wchar_t* text, int id, const TwipsRect& rect, LabelAlign align);
public:
    // The control's notifications and owner drawing go to handler.
    void Route(int id, ControlHandler& handler);

protected:
    // Gives a label its own font at the window's DPI, kept with the label (an
    // auto-size label then takes its new size). Called again after a DPI change.
    void SetLabelFace(int id, const wchar_t* face, double points, bool underline = false);
    void SetClientSizeTwips(int width, int height);
    // A check box whose caption, wrapped, needs more lines than its height
    // holds in the dialog font (a wider face stands in for the usual one on
    // some systems) gets the largest smaller size of that face that fits.
    void FitCheckBoxText(int id);
    // Gives a drop-down combo box the closed height of its layout rectangle.
    void FitComboField(int id, const TwipsRect& rect);
    int Pixels(int twips) const { return TwipsToPixels(twips, dpi_); }
    RECT PixelRect(const TwipsRect& rect) const;
    // The outer window size that gives the client size, with this window's frame.
    SIZE OuterSizeForClient(int clientWidthTwips, int clientHeightTwips) const;

    // Gives the window an icon from the resources, in the title bar and the task bar.
    void UseIcon(int resource);
    // Takes files and folders dropped on the window (OnDropFiles), also from
    // Explorer running at a lower integrity level.
    void AcceptDrops();

    void CenterOnScreen();
    void CenterOn(HWND other);

    HFONT defaultFont() const { return defaultFont_.get(); }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    // Decodes a message into its hook; false when the window does not handle it.
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    ControlHandler* HandlerOf(int id) const;
    void Layout();
    void OnDpiChanged(int dpi, const RECT& suggested);
    // Gives back the input that a modal showing took from the other windows.
    void EnableDisabledWindows();

    struct Placed {
        int id;
        TwipsRect rect;
    };
    struct Label {
        int id;
        LabelAlign align;
        UniqueFont font{};  // its own font, when it has one
    };
    void DrawLabel(const DRAWITEMSTRUCT& item) const;

    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    int clientWidthTwips_ = 0;
    int clientHeightTwips_ = 0;
    std::vector<Placed> placed_;
    std::vector<Label> labels_;
    std::vector<std::pair<int, ControlHandler*>> routed_;
    std::vector<UniqueFont> fittedFonts_;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    UniqueFont defaultFont_;
    std::vector<HWND> disabledForModal_;
    HWND activeBeforeModal_ = nullptr;
};

}  // namespace velmoria
