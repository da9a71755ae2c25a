// SpcMain's browsing: folders and songs opened from outside (the command
// line, a second start, a drop) and the lists moving together.
#include "ui/spc_main.h"

#include <memory>
#include <mutex>
#include <utility>

#include "app/message.h"
#include "base/paths.h"
#include "base/trace.h"
#include "spc/spc_tag.h"
#include "ui/single_instance.h"
#include "ui/spc_main_ids.h"
#include "wintk/win_text.h"

namespace velmoria {

// ------------------------------------------------------------- Browsing

void SpcMain::OpenPath(std::wstring_view path, bool play) {
    LookUp({std::wstring(path)}, {std::nullopt, play, false, {}});
}

bool SpcMain::GoTo(const BrowseTarget& target, bool play) {
    // The file list follows a folder change by itself, but not a drop on the
    // folder already shown, whose files may have changed since.
    // A set still to be decoded is shown, and its song chosen, once it is.
    const bool moves = !EqualsNoCase(spcDirectory_.Path(), target.folder);
    return spcDirectory_.SetPath(target.folder, [this, target, play, moves] {
        if (!moves) spcFile_.Follow(spcDirectory_);
        spcDrive_.ShowDriveOf(target.folder);
        if (!target.file.empty() && spcFile_.Select(target.file) && play) cmdPlay_Click();
    });
}

void SpcMain::OpenCommandLine(std::wstring_view commandLine) {
    const std::wstring first = FirstArgument(commandLine);
    if (first.empty()) return;
    // Unquoted, a path with spaces arrives in pieces: the whole tail is tried.
    const std::wstring tail = ArgumentsTail(commandLine);
    std::vector<std::wstring> paths{first};
    if (tail != first) paths.push_back(tail);
    LookUp(std::move(paths), {std::nullopt, true, false, std::wstring(kNothingThereMessage) + tail});
}

bool SpcMain::OnCopyData(HWND, const COPYDATASTRUCT& data) {
    const std::optional<std::wstring> commandLine = TakeHandOver(data);
    if (!commandLine) return false;
    if (::IsIconic(hwnd())) ::ShowWindow(hwnd(), SW_RESTORE);
    ::SetForegroundWindow(hwnd());
    // Answered first: the other start waits on this message, and a message box here would hold it.
    ::ReplyMessage(TRUE);
    OpenCommandLine(*commandLine);
    return true;
}

// Of several items dropped, the first folder or SPC file counts.
void SpcMain::OnDropFiles(const std::vector<std::wstring>& paths) { LookUp(paths, {std::nullopt, false, true, {}}); }

void SpcMain::LookUp(std::vector<std::wstring> paths, LookedAt then) {
    struct Lookup {
        std::shared_ptr<Inbox> inbox;
        HWND window;
        std::vector<std::wstring> paths;
        LookedAt found;
    };
    auto lookup = std::make_unique<Lookup>(Lookup{inbox_, hwnd(), std::move(paths), std::move(then)});
    auto work = [](void* parameter) noexcept -> DWORD {
        const std::unique_ptr<Lookup> job(static_cast<Lookup*>(parameter));
        LookedAt& found = job->found;
        try {
            for (const std::wstring& path : job->paths) {
                if ((found.target = BrowseTargetOf(path, kSpcFilePattern))) break;
            }
        } catch (...) {
            TraceSwallowed("looking at a path from outside");
        }
        {
            const std::lock_guard lock(job->inbox->mutex);
            job->inbox->lookedAt.push_back(std::move(found));
        }
        ::PostMessageW(job->window, kLookedAt, 0, 0);
        return 0;
    };
    if (::QueueUserWorkItem(work, lookup.get(), WT_EXECUTELONGFUNCTION)) lookup.release();
}

void SpcMain::OnLookedAt() {
    std::vector<LookedAt> lookedAt;
    {
        const std::lock_guard lock(inbox_->mutex);
        lookedAt.swap(inbox_->lookedAt);
    }
    for (const LookedAt& looked : lookedAt) {
        if (!looked.target) {
            if (!looked.missing.empty()) ShowOneMessage(looked.missing, MessageIcon::None);
        } else if (GoTo(*looked.target, looked.play) && looked.toFront) {
            ::SetForegroundWindow(hwnd());
        }
    }
}

void SpcMain::spcDrive_Change() {
    // A drive that cannot be read (no medium, not ready, gone) sends the
    // folder list to the program's folder instead, without a word; the drive
    // list keeps showing the drive the user chose.
    MoveToDrive(spcDirectory_, spcDrive_.Drive(), program_.store.programFolder());
}

void SpcMain::spcDirectory_Change() {
    spcFile_.Follow(spcDirectory_);
    ShowNowPlaying();  // the song playing through, when the list shows its folder again
}

void SpcMain::RereadFolder() {
    spcDirectory_.SetPath(spcDirectory_.Path(), [this] {
        spcFile_.Follow(spcDirectory_);
        ShowNowPlaying();
    });
}

}  // namespace velmoria
