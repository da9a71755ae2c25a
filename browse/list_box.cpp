#include "browse/list_box.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "base/paths.h"
#include "base/trace.h"
#include "wintk/twips.h"
#include "wintk/win_handles.h"

namespace velmoria {
namespace {

// A list's one tool in its tooltip.
TTTOOLINFOW TipToolOf(HWND list) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = list;
    tool.uId = 1;
    return tool;
}

}  // namespace

BrowseListBox::~BrowseListBox() {
    if (list_) ::RemoveWindowSubclass(list_, SubclassProc, 0);
}

void BrowseListBox::AttachList(HWND list) {
    list_ = list;
    ::SetWindowSubclass(list_, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
    // Screen readers ask a list box for its entries with LB_GETTEXT, from
    // their own process. The system copies the answer across as text only
    // for a list that says it has strings; the list box itself read its
    // style when it was made, so it stays data-less.
    ::SetWindowLongPtrW(list_, GWL_STYLE, ::GetWindowLongPtrW(list_, GWL_STYLE) | LBS_HASSTRINGS);
}

int BrowseListBox::ListIndex() const {
    const auto index = static_cast<int>(::SendMessageW(list_, LB_GETCURSEL, 0, 0));
    return index >= 0 && index < Count() ? index : -1;
}

void BrowseListBox::SetListIndex(int index) { ::SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(index), 0); }

std::wstring BrowseListBox::Entry(int index) const {
    return index >= 0 && index < Count() ? names_[static_cast<std::size_t>(index)] : std::wstring();
}

const std::wstring& BrowseListBox::Shown(int index) const {
    static const std::wstring none;
    const auto i = static_cast<std::size_t>(index);
    if (i >= names_.size()) return none;
    return i < labels_.size() && !labels_[i].empty() ? labels_[i] : names_[i];
}

void BrowseListBox::SetMarked(int index) {
    if (index == marked_) return;
    for (const int row : {marked_, index}) {
        RECT rect;
        if (row >= 0 && ::SendMessageW(list_, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect)) != LB_ERR) {
            ::InvalidateRect(list_, &rect, TRUE);
        }
    }
    marked_ = index;
}

void BrowseListBox::SetLabels(std::vector<std::wstring> labels) {
    labels_ = std::move(labels);
    if (!labels_.empty()) labels_.resize(names_.size());
    ::InvalidateRect(list_, nullptr, TRUE);
}

void BrowseListBox::SetSomeLabels(std::vector<std::pair<int, std::wstring>> labels) {
    // Asking for the rectangle of each of thousands of rows costs the window
    // more than reading their titles costs the pool: one look at what is on
    // screen, one repaint of it.
    const ScreenRows rows = RowsOnScreen();
    bool onScreen = false;
    for (auto& [index, label] : labels) {
        const auto i = static_cast<std::size_t>(index);
        if (i >= labels_.size() || labels_[i] == label) continue;
        labels_[i] = std::move(label);
        onScreen = onScreen || (index >= rows.top && index < rows.top + rows.count);
    }
    if (onScreen) ::InvalidateRect(list_, nullptr, TRUE);
}

BrowseListBox::ScreenRows BrowseListBox::RowsOnScreen() const {
    RECT client{};
    ::GetClientRect(list_, &client);
    const int rowHeight = std::max(1, static_cast<int>(::SendMessageW(list_, LB_GETITEMHEIGHT, 0, 0)));
    return {std::max(0, static_cast<int>(::SendMessageW(list_, LB_GETTOPINDEX, 0, 0))), client.bottom / rowHeight + 1};
}

void BrowseListBox::SetEntries(std::vector<std::wstring> names, std::vector<int> indents, int selected) {
    HideTip();
    pointed_ = -1;
    labels_.clear();
    marked_ = -1;
    names_ = std::move(names);
    indents_ = std::move(indents);
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list_, LB_SETCOUNT, names_.size(), 0);
    ::SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    ::SendMessageW(list_, LB_SETTOPINDEX, static_cast<WPARAM>(std::max(0, selected)), 0);
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
}

void BrowseListBox::FitItemHeight(int dpi) {
    dpi_ = dpi;
    boldFont_.reset();
    const WindowDc dc(list_);
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(list_, WM_GETFONT, 0, 0));
    const SelectedObject selected(dc.get(), font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.get(), &metrics);
    int height = metrics.tmHeight + ::MulDiv(2, dpi, 96);
    if (glyphWidth_ > 0) {
        glyphWidth_ = ::MulDiv(kFolderGlyphPixels96, dpi, 96);
        height = std::max(height, glyphWidth_ + ::MulDiv(2, dpi, 96));
    }
    ::SendMessageW(list_, LB_SETITEMHEIGHT, 0, height);
}

void BrowseListBox::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.itemAction == ODA_FOCUS) {
        if (!(item.itemState & ODS_NOFOCUSRECT)) ::DrawFocusRect(item.hDC, &item.rcItem);
        return;
    }
    const int index = static_cast<int>(item.itemID);
    if (index < 0 || index >= Count()) return;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool enabled = ::IsWindowEnabled(list_) != FALSE;
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    RECT text = item.rcItem;
    text.left += ::MulDiv(2, dpi_, 96) +
                 FolderIndentPixels(indents_[static_cast<std::size_t>(index)], dpi_, item.rcItem.right - item.rcItem.left);
    if (glyphWidth_ > 0) {
        const RECT glyph{text.left, text.top, text.left + glyphWidth_, text.bottom};
        DrawGlyph(item.hDC, glyph, index, selected);
        text.left += glyphWidth_ + ::MulDiv(3, dpi_, 96);
    }
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC,
                   ::GetSysColor(!enabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    if (index == marked_ && !boldFont_) {
        LOGFONTW face{};
        const auto font = reinterpret_cast<HFONT>(::SendMessageW(list_, WM_GETFONT, 0, 0));
        ::GetObjectW(font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face);
        face.lfWeight = FW_BOLD;
        boldFont_.reset(::CreateFontIndirectW(&face));
    }
    const SelectedObject bold(item.hDC, index == marked_ && boldFont_ ? static_cast<HGDIOBJ>(boldFont_.get())
                                                                      : ::GetCurrentObject(item.hDC, OBJ_FONT));
    const std::wstring& name = Shown(index);
    ::DrawTextW(item.hDC, name.c_str(), static_cast<int>(name.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        ::DrawFocusRect(item.hDC, &item.rcItem);
    }
}

void BrowseListBox::TypeAhead(wchar_t letter, LONG time) {
    // Letters typed within the double-click time of each other spell one
    // prefix, as in Explorer; after a pause a new search starts.
    const bool quick =
        !typed_.empty() && static_cast<DWORD>(time - lastTypedTime_) <= ::GetDoubleClickTime();
    lastTypedTime_ = time;
    typed_ = quick ? typed_ + letter : std::wstring(1, letter);
    // A longer prefix may still fit the entry reached so far; a new one
    // looks from the entry after it.
    const int current = ListIndex();
    const int from = typed_.size() > 1 ? current : current + 1;
    int index = -1;
    if (labels_.empty()) {
        index = FindByPrefix(names_, typed_, from);
    } else {
        std::vector<std::wstring> shown(names_.size());
        for (std::size_t i = 0; i < shown.size(); ++i) shown[i] = Shown(static_cast<int>(i));
        index = FindByPrefix(shown, typed_, from);
    }
    if (index >= 0 && index != current) SetListIndex(index);
}

bool BrowseListBox::HandleKey(UINT message, WPARAM wParam, LPARAM) {
    // A data-less list box cannot search its entries itself.
    if (message == WM_CHAR && wParam >= L' ') {
        TypeAhead(static_cast<wchar_t>(wParam), ::GetMessageTime());
        return true;
    }
    return false;
}

bool BrowseListBox::HandleMouse(UINT, WPARAM, LPARAM) { return false; }

void BrowseListBox::TrackPointer(LPARAM position) {
    // Worked out from the top entry rather than asked with LB_ITEMFROMPOINT,
    // whose answer has room for 65,536 entries only.
    const int y = static_cast<short>(HIWORD(position));
    const auto height = static_cast<int>(::SendMessageW(list_, LB_GETITEMHEIGHT, 0, 0));
    RECT client;
    ::GetClientRect(list_, &client);
    int index = -1;
    if (height > 0 && y >= 0 && y < client.bottom) {
        index = static_cast<int>(::SendMessageW(list_, LB_GETTOPINDEX, 0, 0)) + y / height;
        if (index >= Count()) index = -1;
    }
    if (index == pointed_) return;
    HideTip();
    pointed_ = index;
    if (index < 0) return;
    TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, list_, HOVER_DEFAULT};
    ::TrackMouseEvent(&track);
}

void BrowseListBox::ShowTip() {
    if (pointed_ < 0) return;
    std::wstring text = TipText(pointed_);
    if (text.empty()) return;
    shownTip_ = pointed_;
    TTTOOLINFOW tool = TipToolOf(list_);
    if (!tip_) {
        // Made when first needed: most runs never show one.
        const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&classes);
        tip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                     ::GetAncestor(list_, GA_ROOT), nullptr, nullptr, nullptr));
        if (!tip_) return;
        // Transparent to the mouse: a tip below the pointer must not take the
        // pointer from the rows it covers.
        tool.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_TRANSPARENT;
        tool.lpszText = const_cast<wchar_t*>(L"");
        ::SendMessageW(tip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    // A width limit makes the tooltip honour its line breaks.
    ::SendMessageW(tip_.get(), TTM_SETMAXTIPWIDTH, 0, ::MulDiv(480, dpi_, 96));
    tool.lpszText = text.data();
    ::SendMessageW(tip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    POINT pointer;
    ::GetCursorPos(&pointer);
    ::SendMessageW(tip_.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(pointer.x, pointer.y + ::MulDiv(20, dpi_, 96)));
    ::SendMessageW(tip_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void BrowseListBox::UpdateTip(int index, std::wstring text) {
    if (!tip_ || index != shownTip_ || index != pointed_) return;
    TTTOOLINFOW tool = TipToolOf(list_);
    tool.lpszText = text.data();
    ::SendMessageW(tip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    // Shown again, so that the tip takes the size of its longer text.
    ::SendMessageW(tip_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(tip_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void BrowseListBox::HideTip() {
    shownTip_ = -1;
    if (!tip_) return;
    TTTOOLINFOW tool = TipToolOf(list_);
    ::SendMessageW(tip_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

LRESULT CALLBACK BrowseListBox::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR data) noexcept {
    auto* self = reinterpret_cast<BrowseListBox*>(data);
    try {
        switch (message) {
        case WM_GETDLGCODE:
            // Enter belongs to the list (it opens or plays), not to the dialog.
            if (AsksAboutEnter(lParam)) return ::DefSubclassProc(hwnd, message, wParam, lParam) | DLGC_WANTMESSAGE;
            break;
        case WM_KEYDOWN:
        case WM_CHAR:
            // A key may move the rows under the pointer (type-ahead, End,
            // Page Up): a tip would name another song than the one below it.
            self->HideTip();
            self->pointed_ = -1;
            if (self->HandleKey(message, wParam, lParam)) return 0;
            break;
        case kListNews:
            self->OnNews();
            return 0;
        case WM_SETCURSOR:
            // The pointer says the list is at work in the background.
            if (self->Busy() && LOWORD(lParam) == HTCLIENT) {
                ::SetCursor(::LoadCursorW(nullptr, IDC_APPSTARTING));
                return TRUE;
            }
            break;
        case WM_SETFOCUS:
        case WM_UPDATEUISTATE: {
            // The dialog manager shows focus rectangles once the keyboard is
            // used, after the list has drawn its focus without one: draw again.
            const LRESULT result = ::DefSubclassProc(hwnd, message, wParam, lParam);
            ::InvalidateRect(hwnd, nullptr, FALSE);
            return result;
        }
        case WM_CONTEXTMENU:
            // From the keyboard (Shift+F10, the Menu key) the position is -1, -1.
            if (lParam == -1 && self->OnMenuKey()) return 0;
            break;
        case WM_MOUSEMOVE:
            self->TrackPointer(lParam);
            break;
        case WM_MOUSEHOVER:
            self->ShowTip();
            return 0;
        case WM_MOUSELEAVE:
        case WM_MOUSEWHEEL:
        case WM_VSCROLL:
            // The pointer left, or the entries moved under it.
            self->HideTip();
            self->pointed_ = -1;
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            self->HideTip();
            const LRESULT result = ::DefSubclassProc(hwnd, message, wParam, lParam);
            self->HandleMouse(message, wParam, lParam);
            return result;
        }
        case LB_GETTEXTLEN:
        case LB_GETTEXT: {
            // The list box keeps no text of its own: the names answer.
            const auto index = static_cast<int>(wParam);
            if (index < 0 || index >= self->Count()) return LB_ERR;
            const std::wstring& name = self->Shown(index);
            if (message == LB_GETTEXT) {
                if (lParam == 0) return LB_ERR;
                std::copy(name.c_str(), name.c_str() + name.size() + 1, reinterpret_cast<wchar_t*>(lParam));
            }
            return static_cast<LRESULT>(name.size());
        }
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(hwnd, SubclassProc, 0);
            self->list_ = nullptr;
            break;
        default:
            break;
        }
    } catch (...) {
        // Handlers report their own failures; nothing may unwind into Windows.
        TraceSwallowed("a browsing list's message");
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace velmoria
