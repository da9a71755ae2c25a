// SpcMain's playing: events handed to the play session and its steps
// carried out, the play control's requests and songs' tags on pool threads,
// the keyboard taken back from a player, the file list's actions and popup.
#include "ui/spc_main.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <utility>

#include "app/message.h"
#include "browse/song_file.h"
#include "base/paths.h"
#include "base/trace.h"
#include "spc/song_text.h"
#include "spc/spc_tag.h"
#include "ui/single_instance.h"
#include "ui/spc_main_ids.h"
#include "wintk/caption_text.h"
#include "wintk/win_text.h"

namespace velmoria {
namespace {

std::uint64_t Now() { return ::GetTickCount64(); }

// Whether the process that a player's end names has really ended: anyone
// may post the message.
bool HasEnded(ProcessId id) {
    const UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, id));
    return !process || ::WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT;
}

// A song inside a set is written out first, where a player can open it; on
// a pool thread, as the play itself.
PlayOutcome PlayFromAnywhere(PlayControl& play, SetShelf& shelf, PlayRequest request) {
    const std::wstring path = JoinPath(request.folder, request.song);
    if (SetShelf::Locate(path)) {
        const std::wstring out = shelf.HandOut(path);
        if (out.empty()) return PlayOutcome{std::nullopt, {}, MessageIcon::None, 0, false, true, true};
        request.folder = ParentFolder(out);
        request.song = FileNameOf(out);
    }
    return play.Play(request);
}

}  // namespace

bool SpcMain::OnAppMessage(UINT message, WPARAM wParam, LPARAM) {
    if (message == kLookedAt) OnLookedAt();
    if (!session_ || message == kLookedAt) return message == kLookedAt;
    switch (message) {
    case kForegroundNews:
        if (wParam == kForegroundTimer && Now() >= watchEndsAt_) foregroundWatch_.reset();
        TakeKeyboardBack();
        if (!foregroundWatch_) ::KillTimer(hwnd(), kForegroundTimer);
        return true;
    case kThroughTick:
        Carry(session_->Tick(Now()));
        return true;
    case kPlayDone:
        OnPlayDone();
        return true;
    case kSongRead: {
        decltype(inbox_->songs) songs;
        {
            const std::lock_guard lock(inbox_->mutex);
            songs.swap(inbox_->songs);
        }
        for (auto& [number, title, ms] : songs) Carry(session_->SongRead(number, std::move(title), ms, Now()));
        return true;
    }
    case kPlayerEnded:
        if (!HasEnded(static_cast<ProcessId>(wParam))) return true;
        Carry(session_->PlayerEnded(static_cast<ProcessId>(wParam), Now()));
        // A player stopped by its key had the foreground, and left it to nobody.
        if (play_->player().row && play_->player().row->stop == StopMethod::KeyA) WatchForeground();
        return true;
    default:
        return false;
    }
}

void SpcMain::OnActivateApp(bool active) {
    if (session_) Carry(session_->InFront(active, Now()));
}

// A player took the foreground, and hid its window or ended: the foreground
// is then nobody's, and keys go nowhere. Velmoria takes it back, with the
// keyboard where it was, each time the system says who is in front while
// the watch lasts, and only from nobody: never from a program the user went
// to. A hidden or minimised window in front (the player's, before the system
// settles) is nobody too.
void SpcMain::WatchForeground() {
    foregroundWatch_.emplace(hwnd(), kForegroundNews);
    watchEndsAt_ = Now() + kForegroundWatchMs;
    // A look now and then as well, in case the system's news never comes.
    ::SetTimer(hwnd(), kForegroundTimer, kForegroundLookMs, [](HWND window, UINT, UINT_PTR, DWORD) {
        ::PostMessageW(window, kForegroundNews, kForegroundTimer, 0);
    });
    TakeKeyboardBack();
}

void SpcMain::TakeKeyboardBack() {
    const HWND front = ::GetForegroundWindow();
    if (!foregroundWatch_ || front == hwnd() || !::IsWindowVisible(hwnd())) return;
    DWORD owner = 0;
    ::GetWindowThreadProcessId(front, &owner);
    // The player's window, not hidden yet, is no program the user went to.
    if (!NobodyInFront() && (owner == 0 || owner != session_->player())) {
        foregroundWatch_.reset();  // the user went to another program
        return;
    }
    ::SetForegroundWindow(hwnd());
    const HWND focus = focusBeforePlay_ && ::IsChild(hwnd(), focusBeforePlay_) ? focusBeforePlay_ : Item(IDC_spcFile);
    ::SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
}

// ------------------------------------------------------------- Playing

void SpcMain::cmdPlay_Click() {
    resumeWith_ = 0;
    focusBeforePlay_ = ::GetFocus();
    if (session_) Carry(session_->Play(Request(), Now()));
}

void SpcMain::cmdStop_Click() {
    resumeWith_ = 0;
    if (session_) Carry(session_->Stop());
}

void SpcMain::mnuPlayAll_Click() {
    resumeWith_ = 0;
    if (!session_ || spcFile_.Count() == 0) return;
    // The list is fixed now: browsing elsewhere does not change it.
    PlayList list{spcFile_.Path(), {}, {}, static_cast<std::size_t>(std::max(0, spcFile_.ListIndex()))};
    for (int i = 0; i < spcFile_.Count(); ++i) {
        list.files.push_back(spcFile_.Entry(i));
        list.titles.push_back(spcFile_.Shown(i) == list.files.back() ? std::wstring() : spcFile_.Shown(i));
    }
    focusBeforePlay_ = ::GetFocus();
    Carry(session_->PlayAll(std::move(list), Request().options, program_.choices.shuffle, program_.choices.repeat,
                            static_cast<std::uint32_t>(Now()), Now()));
}

void SpcMain::mnuNext_Click() {
    if (session_) Carry(session_->Next(Now()));
}

void SpcMain::mnuPrevious_Click() {
    if (session_) Carry(session_->Previous(Now()));
}

void SpcMain::mnuShuffle_Click() {
    ToggleChoice(program_.choices.shuffle, ID_mnuShuffle);
    if (session_) session_->SetShuffle(program_.choices.shuffle);
}

void SpcMain::mnuRepeat_Click() {
    ToggleChoice(program_.choices.repeat, ID_mnuRepeat);
    if (session_) session_->SetRepeat(program_.choices.repeat);
}

void SpcMain::ToggleChoice(bool& choice, int id) {
    choice = !choice;
    ::CheckMenuItem(::GetMenu(hwnd()), static_cast<UINT>(id), MF_BYCOMMAND | (choice ? MF_CHECKED : MF_UNCHECKED));
    StoreChoices(true);
}

// ------------------------------------------------------------- Carrying out

void SpcMain::Carry(SessionStep step) {
    // The watch first: a request it starts may replace the player it watches.
    if (step.watch) program_.system.WatchPlayer(step.watch, reinterpret_cast<WindowId>(hwnd()), kPlayerEnded);
    // The title is cut where the window is too narrow for the time left.
    if (const auto& c = step.caption) SetFittedCaption(hwnd(), {c->head, c->title, c->tail, c->player});
    if (step.refreshList) RereadFolder();
    if (step.nowPlayingChanged) ShowNowPlaying();
    if (step.readSong) ReadSong(step.readSong->first, std::move(step.readSong->second));
    if (step.takeForeground) WatchForeground();
    if (step.play) RunPlayJob([this, request = std::move(*step.play)] { return PlayFromAnywhere(*play_, program_.shelf, request); });
    if (step.stop) RunPlayJob([this] { return play_->Stop(true); });
    // Next and Previous, and the ticks, only while a list plays through.
    for (const UINT id : {ID_mnuNext, ID_mnuPrevious}) {
        ::EnableMenuItem(::GetMenu(hwnd()), id, MF_BYCOMMAND | (session_->PlaysThrough() ? MF_ENABLED : MF_GRAYED));
    }
    if (session_->PlaysThrough()) {
        ::SetTimer(hwnd(), kThroughTimer, kThroughTickMs,
                   [](HWND window, UINT, UINT_PTR, DWORD) { ::PostMessageW(window, kThroughTick, 0, 0); });
    } else {
        ::KillTimer(hwnd(), kThroughTimer);
    }
    HoldMediaKeys(session_->running() || session_->PlaysThrough() || session_->busy() || resumeWith_ != 0);
    if (!step.message.empty()) ShowOneMessage(step.message, step.icon);
}

// The request waits on other processes (a player's window, the foreground)
// and the disk (short paths, copies): it runs on a pool thread, and its
// outcome comes back as kPlayDone.
void SpcMain::RunPlayJob(std::function<PlayOutcome()> request) {
    auto inbox = inbox_;
    auto work = [inbox, request = std::move(request)] {
        PlayOutcome outcome = request();
        const std::lock_guard lock(inbox->mutex);
        inbox->outcome = std::move(outcome);
    };
    if (playJob_.Start(std::move(work), hwnd(), kPlayDone)) return;
    const std::lock_guard lock(inbox_->mutex);
    inbox_->outcome = PlayOutcome{std::nullopt, std::wstring(kErrorMessage), MessageIcon::Stop};
    ::PostMessageW(hwnd(), kPlayDone, 0, 0);
}

void SpcMain::OnPlayDone() {
    std::optional<PlayOutcome> outcome;
    {
        const std::lock_guard lock(inbox_->mutex);
        outcome = std::exchange(inbox_->outcome, std::nullopt);
    }
    if (outcome) Carry(session_->Done(*outcome, Now()));
    if (closeAfterStop_ && !session_->busy()) mnuExit_Click();
}

// A song's title and length from its tag, on a pool thread, through the
// titles' cache: a song the list has read already is not read again.
void SpcMain::ReadSong(unsigned number, std::wstring path) {
    struct Read {
        std::shared_ptr<Inbox> inbox;
        std::shared_ptr<TitleCache> cache;
        FileList::SongReader reader;
        HWND window;
        unsigned number;
        std::wstring path;
    };
    auto read = std::make_unique<Read>(Read{inbox_, spcFile_.titleCache(), spcFile_.songReader, hwnd(), number, std::move(path)});
    auto work = [](void* parameter) noexcept -> DWORD {
        const std::unique_ptr<Read> job(static_cast<Read*>(parameter));
        try {
            const std::optional<SongDetails> details = job->cache->Details(job->path, job->reader);
            std::wstring title = details ? DecodeTagText(details->title, EncodingOf(details->title)) : L"";
            const std::lock_guard lock(job->inbox->mutex);
            job->inbox->songs.emplace_back(job->number, std::move(title), PlayTimeMs(details));
        } catch (...) {
            TraceSwallowed("reading a song's tag");
        }
        ::PostMessageW(job->window, kSongRead, 0, 0);
        return 0;
    };
    if (::QueueUserWorkItem(work, read.get(), WT_EXECUTELONGFUNCTION)) read.release();
}

// The song playing through, marked in the file list and selected while the
// list shows its folder.
void SpcMain::ShowNowPlaying() {
    int marked = -1;
    const PlayList* list = session_ ? session_->list() : nullptr;
    if (list && EqualsNoCase(spcFile_.Path(), list->folder)) marked = spcFile_.IndexOf(list->files[*session_->NowPlaying()]);
    spcFile_.SetMarked(marked);
    if (marked >= 0 && marked != spcFile_.ListIndex()) spcFile_.SetListIndex(marked);
}

// One message at a time: one that comes while another is up (a burst of
// hand-overs, a play's failure) is dropped, and no tip stays drawn over it.
void SpcMain::ShowOneMessage(std::wstring_view text, MessageIcon icon) {
    if (messageOpen_) return;
    messageOpen_ = true;
    spcFile_.HideTip();
    ShowMessage(hwnd(), text, icon);
    messageOpen_ = false;
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
    return request;
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
