// An owner-drawn list box without data of its own (LBS_NODATA): the names
// live here and the list box only knows how many there are, so a folder of
// 100,000 files fills as fast as it can be read. It answers LB_GETTEXT from
// the names, finds entries by typed letters and shows a tip on a resting pointer.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "base/paths.h"
#include "browse/browse_events.h"
#include "wintk/dialog_window.h"
#include "wintk/win_handles.h"

namespace velmoria {

// Common ground of the folder and file lists: an owner-drawn, data-less list box.
class BrowseListBox : public ControlHandler {
public:
    explicit BrowseListBox(BrowseEvents& owner) : owner_(owner) {}
    virtual ~BrowseListBox();
    BrowseListBox(const BrowseListBox&) = delete;
    BrowseListBox& operator=(const BrowseListBox&) = delete;
    HWND hwnd() const { return list_; }

    int Count() const { return static_cast<int>(names_.size()); }
    // The selected index, -1 when none.
    int ListIndex() const;
    void SetListIndex(int index);
    // The entry text at an index; empty outside the list.
    std::wstring Entry(int index) const;
    // What the list shows for an entry: its label when it has one (a song's
    // title), else the entry itself. Drawing, type-ahead and LB_GETTEXT
    // follow it.
    const std::wstring& Shown(int index) const;
    // An entry drawn in bold (the song playing); -1 for none. A new list of
    // entries marks none.
    void SetMarked(int index);

    // Owner drawing, handed over by the dialog.
    void OnDrawItem(const DRAWITEMSTRUCT& item) override;
    // Item height for the list's current font; call after a font or DPI change.
    void FitItemHeight(int dpi);
    // The tooltip shown while the pointer rests on an entry; null until the
    // first one is shown.
    HWND tipWindow() const { return tip_.get(); }
    // Hides the tooltip until the pointer rests on an entry again: the rows
    // under it moved, or a menu is about to cover them.
    void HideTip();

protected:
    static constexpr int kFolderGlyphPixels96 = 16;
    void AttachList(HWND list);
    void SetEntries(std::vector<std::wstring> names, std::vector<int> indents, int selected);
    // Labels to show instead of the entries, one for each or none at all;
    // an empty label shows its entry.
    void SetLabels(std::vector<std::wstring> labels);
    // Labels for some rows (index, label), as they arrive; only the rows on
    // screen are repainted.
    void SetSomeLabels(std::vector<std::pair<int, std::wstring>> labels);
    // The rows on screen: the top one and how many fit, the last even partly.
    struct ScreenRows {
        int top;
        int count;
    };
    ScreenRows RowsOnScreen() const;
    virtual void DrawGlyph(HDC, const RECT&, int, bool) const {}
    virtual bool HandleKey(UINT message, WPARAM wParam, LPARAM lParam);
    virtual bool HandleMouse(UINT message, WPARAM wParam, LPARAM lParam);
    // What the tooltip of an entry says at once: its whole name, which the
    // list may cut. A list may add to it later with UpdateTip.
    virtual std::wstring TipText(int index) { return WrapLongName(Entry(index), kTipNameChars); }
    // The tip of an entry now says text, if the pointer still rests on it.
    void UpdateTip(int index, std::wstring text);
    // A pool thread posted news for the list (kListNews).
    virtual void OnNews() {}
    // Reading in the background, for the pointer to show.
    virtual bool Busy() const { return false; }
    // Shift+F10 or the Menu key; true when the list took it.
    virtual bool OnMenuKey() { return false; }
    static constexpr UINT kListNews = WM_APP + 0x41;
    static constexpr std::size_t kTipNameChars = 60;
    BrowseEvents& owner_;
    int glyphWidth_ = 0;
    int dpi_ = 96;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self) noexcept;
    void TypeAhead(wchar_t letter, LONG time);
    // The entry under the pointer: the tooltip waits until the pointer rests.
    void TrackPointer(LPARAM position);
    void ShowTip();

    HWND list_ = nullptr;
    UniqueWindow tip_;
    int pointed_ = -1;    // the entry under the pointer, -1 for none
    int shownTip_ = -1;   // the entry whose tip shows, -1 for none
    std::vector<std::wstring> names_;
    std::vector<std::wstring> labels_;  // empty, or one for each name
    std::vector<int> indents_;
    int marked_ = -1;
    UniqueFont boldFont_;  // the list's font in bold, for the marked entry
    std::wstring typed_;  // letters typed in quick succession
    LONG lastTypedTime_ = 0;
};

}  // namespace velmoria
