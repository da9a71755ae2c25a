// SpcMain's playing: requests handed to the play control and outcomes
// carried out, the file list's actions and popup, and the play-through.
#include "ui/spc_main.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <utility>

#include "app/message.h"
#include "browse/song_file.h"
#include "base/paths.h"
#include "base/trace.h"
#include "spc/spc_tag.h"
#include "ui/single_instance.h"
#include "ui/spc_main_ids.h"
#include "wintk/win_text.h"

namespace velmoria {

bool SpcMain::OnAppMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTakeKeyboardBack) {
        TakeKeyboardBack();
        return true;
    }
    if (message == kDropLookedAt) {
        OnDropLookedAt();
        return true;
    }
    if (message == kThroughTick) {
        OnThroughTick();
        return true;
    }
    if (message == kSongLength) {
        // The length of the song now playing; an earlier song's comes too late.
        if (through_ && static_cast<unsigned>(wParam) == songNumber_) {
            through_->endsAt = through_->startedAt + static_cast<ULONGLONG>(lParam);
            OnThroughTick();
        }
        return true;
    }
    if (message != kPlayerEnded) return false;
    // Only the news of the player last started counts: an earlier one may
    // end after the next has begun. A player the user closed plays no more:
    // a caption that says it runs would mislead.
    if (static_cast<ProcessId>(wParam) != runningPlayer_) return true;
    runningPlayer_ = 0;
    if (through_ && startWhenStopped_) {
        startWhenStopped_ = false;
        StartThroughSong();
        return true;
    }
    EndPlayThrough();
    if (Caption().ends_with(L']')) ::SetWindowTextW(hwnd(), std::wstring(kIdleCaption).c_str());
    return true;
}

// A player took the foreground, and hid its window: the foreground is then
// nobody's, and keys go nowhere. The program the user just clicked may take
// it back, with the keyboard where it was. The system settles the hidden
// window's foreground a moment later, so this looks again for a short while,
// taking it back only from nobody: never from a program the user went to.
// A hidden or minimised window in front (the player's, before the system
// settles) is nobody too: no user can have gone to it.
void SpcMain::TakeKeyboardBack() {
    const HWND front = ::GetForegroundWindow();
    const bool nobody = front == nullptr || front == ::GetDesktopWindow() || !::IsWindowVisible(front) || ::IsIconic(front);
    if (front != hwnd() && nobody && ::IsWindowVisible(hwnd())) {
        ::SetForegroundWindow(hwnd());
        const HWND focus = focusBeforePlay_ && ::IsChild(hwnd(), focusBeforePlay_) ? focusBeforePlay_ : Item(IDC_spcFile);
        ::SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
    }
    if (--foregroundChecks_ <= 0) return;
    ::SetTimer(hwnd(), kForegroundTimer, kForegroundCheckMs, [](HWND window, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(window, id);
        ::PostMessageW(window, kTakeKeyboardBack, 0, 0);
    });
}

// ------------------------------------------------------------- Playing

void SpcMain::cmdPlay_Click() {
    EndPlayThrough();  // a single play ends a play-through, and then plays as ever
    focusBeforePlay_ = ::GetFocus();
    if (play_) Carry(play_->Play(Request()));
}

void SpcMain::cmdStop_Click() {
    EndPlayThrough();
    if (play_) Carry(play_->Stop(Caption()));
}

// ------------------------------------------------------------- Play-through

void SpcMain::mnuPlayAll_Click() {
    if (!play_ || spcFile_.Count() == 0) return;
    std::vector<std::wstring> songs;
    for (int i = 0; i < spcFile_.Count(); ++i) songs.push_back(spcFile_.Entry(i));
    const auto start = static_cast<std::size_t>(std::max(0, spcFile_.ListIndex()));
    focusBeforePlay_ = ::GetFocus();
    // The list is fixed now: browsing elsewhere does not change it.
    through_.emplace(Through{spcFile_.Path(), std::move(songs),
                             PlayThrough(static_cast<std::size_t>(spcFile_.Count()), start, program_.choices.shuffle,
                                         program_.choices.repeat, static_cast<std::uint32_t>(::GetTickCount64())),
                             0, 0});
    PlayThroughSong();
}

void SpcMain::mnuNext_Click() {
    if (!through_) return;
    if (through_->order.Next()) {
        PlayThroughSong();
    } else {
        FinishPlayThrough();
    }
}

void SpcMain::mnuPrevious_Click() {
    if (!through_) return;
    through_->order.Previous();
    PlayThroughSong();
}

void SpcMain::mnuShuffle_Click() { ToggleChoice(program_.choices.shuffle, ID_mnuShuffle); }

void SpcMain::mnuRepeat_Click() { ToggleChoice(program_.choices.repeat, ID_mnuRepeat); }

void SpcMain::ToggleChoice(bool& choice, int id) {
    choice = !choice;
    ::CheckMenuItem(::GetMenu(hwnd()), static_cast<UINT>(id), MF_BYCOMMAND | (choice ? MF_CHECKED : MF_UNCHECKED));
    StoreChoices(true);
}

// Starts the play-through's current song the way the player takes a new
// one: a player that refuses while it runs is stopped first, as Stop does,
// and the song starts when it has ended; the others are replaced or handed
// the song by the play itself.
void SpcMain::PlayThroughSong() {
    const PlayerRow* row = play_->player().row;
    startWhenStopped_ = row && row->whileRunning == WhileRunning::Refuse && runningPlayer_ != 0;
    if (!startWhenStopped_) {
        StartThroughSong();
        return;
    }
    ::SetWindowTextW(hwnd(), runningCaption_.c_str());
    Carry(play_->Stop(Caption()));
}

void SpcMain::StartThroughSong() {
    const Through& through = *through_;
    PlayRequest request = Request();
    request.folder = through.folder;
    request.song = through.songs[through.order.Current()];
    const PlayOutcome outcome = play_->Play(request);
    Carry(outcome);
    if (!outcome.player || !through_) {
        through_.reset();  // nothing plays: the play-through ends with what the play said
        return;
    }
    runningCaption_ = outcome.caption.value_or(Caption());
    through_->startedAt = ::GetTickCount64();
    through_->endsAt = 0;
    // Its length comes from its tag, read on a pool thread.
    struct Job {
        HWND window;
        unsigned number;
        std::wstring path;
    };
    auto job = std::make_unique<Job>(Job{hwnd(), ++songNumber_, JoinPath(request.folder, request.song)});
    auto work = [](void* parameter) noexcept -> DWORD {
        const std::unique_ptr<Job> read(static_cast<Job*>(parameter));
        int ms = 0;
        try {
            ms = PlayTimeMs(ReadSongFile(read->path));
        } catch (...) {
            TraceSwallowed("reading a song's length");
        }
        ::PostMessageW(read->window, kSongLength, read->number, ms);
        return 0;
    };
    if (::QueueUserWorkItem(work, job.get(), WT_EXECUTELONGFUNCTION)) job.release();
    ShowNowPlaying();
    ::SetTimer(hwnd(), kThroughTimer, kThroughTickMs, [](HWND window, UINT, UINT_PTR, DWORD) {
        ::PostMessageW(window, kThroughTick, 0, 0);
    });
}

void SpcMain::OnThroughTick() {
    if (!through_) return;
    if (through_->endsAt != 0 && ::GetTickCount64() >= through_->endsAt) {
        mnuNext_Click();
        return;
    }
    ShowNowPlaying();
}

// The song, its place and the time left, in the caption: a screen reader
// reads it, and it still ends in "]" while the player runs.
void SpcMain::ShowNowPlaying() {
    const Through& through = *through_;
    const std::size_t index = through.order.Current();
    std::wstring title = spcFile_.Path() == through.folder && spcFile_.Entry(static_cast<int>(index)) == through.songs[index]
                             ? spcFile_.Shown(static_cast<int>(index))
                             : through.songs[index];
    std::wstring caption = std::to_wstring(through.order.Place()) + L"/" + std::to_wstring(through.order.Count()) +
                           L" " + title;
    if (through.endsAt != 0) {
        const ULONGLONG now = ::GetTickCount64();
        const ULONGLONG left = through.endsAt > now ? (through.endsAt - now + 999) / 1000 : 0;
        caption += L" - " + std::to_wstring(left / 60) + (left % 60 < 10 ? L":0" : L":") + std::to_wstring(left % 60) +
                   L" left";
    }
    ::SetWindowTextW(hwnd(), (caption + L" " + runningCaption_).c_str());
}

// After the last song: the player is stopped, and the caption says "Velmoria".
void SpcMain::FinishPlayThrough() {
    EndPlayThrough();
    ::SetWindowTextW(hwnd(), runningCaption_.c_str());
    if (play_) Carry(play_->Stop(Caption()));
}

void SpcMain::EndPlayThrough() {
    if (!through_) return;
    through_.reset();
    startWhenStopped_ = false;
    ::KillTimer(hwnd(), kThroughTimer);
    if (!runningCaption_.empty() && Caption().ends_with(runningCaption_)) {
        ::SetWindowTextW(hwnd(), runningCaption_.c_str());  // the single play's caption, as ever
    }
}

PlayRequest SpcMain::Request() const {
    PlayRequest request;
    request.song = spcFile_.Entry(spcFile_.ListIndex());
    request.folder = spcFile_.Path();
    request.options.eightBit = static_cast<int>(::IsDlgButtonChecked(hwnd(), IDC_chk8bit));
    request.options.stereo = static_cast<int>(::IsDlgButtonChecked(hwnd(), IDC_chkStereo));
    request.options.adsr = static_cast<int>(::IsDlgButtonChecked(hwnd(), IDC_chkADSR));
    request.options.buffering = static_cast<int>(::IsDlgButtonChecked(hwnd(), IDC_chkBuffering));
    request.options.samplingIndex = static_cast<int>(::SendMessageW(Item(IDC_listSampling), CB_GETCURSEL, 0, 0));
    request.caption = Caption();
    return request;
}

void SpcMain::Carry(const PlayOutcome& outcome) {
    if (outcome.caption) ::SetWindowTextW(hwnd(), outcome.caption->c_str());
    if (outcome.refreshList) spcFile_.Follow(spcDirectory_);
    if (outcome.player) {
        runningPlayer_ = outcome.player;
        program_.system.WatchPlayer(outcome.player, reinterpret_cast<WindowId>(hwnd()), kPlayerEnded);
    }
    if (outcome.takeForeground) {
        foregroundChecks_ = kForegroundChecks;
        TakeKeyboardBack();
    }
    if (!outcome.message.empty()) ShowMessage(hwnd(), outcome.message, outcome.icon);
}

std::wstring SpcMain::Caption() const {
    wchar_t text[256] = L"";
    ::GetWindowTextW(hwnd(), text, ARRAYSIZE(text));
    return text;
}

// ------------------------------------------------------------- File list

void SpcMain::spcFile_DblClick() { cmdPlay_Click(); }

void SpcMain::spcFile_KeyPress(short& keyAscii) {
    if (keyAscii == 13) cmdPlay_Click();
}

void SpcMain::spcFile_MouseDown(short button, short, float, float) {
    if (button != 2) return;
    POINT pointer;
    ::GetCursorPos(&pointer);
    ShowSpcPopup(pointer);
}

// The keyboard's way to the same popup, at the selected song's row.
void SpcMain::OnFileMenuKey(POINT at) { ShowSpcPopup(at); }

void SpcMain::ShowSpcPopup(POINT at) {
    if (spcFile_.ListIndex() < 0) return;
    SetMenuCaption(ID_mnuPlay, PlayUsingCaption(play_ ? play_->player().row : nullptr));
    spcFile_.HideTip();  // it would cover the menu's items
    const UINT command = static_cast<UINT>(::TrackPopupMenu(
        mnuSPC(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, hwnd(), nullptr));
    if (command == ID_mnuPlay) mnuPlay_Click();
    if (command == ID_mnuStop) mnuStop_Click();
}

void SpcMain::mnuPlay_Click() { cmdPlay_Click(); }

void SpcMain::mnuStop_Click() { cmdStop_Click(); }

}  // namespace velmoria
