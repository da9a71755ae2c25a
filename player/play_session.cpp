#include "player/play_session.h"

#include <algorithm>
#include <utility>

#include "base/paths.h"
#include "base/trace.h"

namespace velmoria {

namespace {

// A length from outside is taken within these bounds: a forged or absurd
// one can neither end a song at once nor hold it for ever.
constexpr int kShortestSongMs = 1000;
constexpr int kLongestSongMs = 3 * 60 * 60 * 1000;

SessionCaption Plain(std::wstring_view text) { return {std::wstring(text), {}, {}, {}}; }

}  // namespace

std::wstring MinutesSeconds(std::uint64_t seconds) {
    return std::to_wstring(seconds / 60) + (seconds % 60 < 10 ? L":0" : L":") + std::to_wstring(seconds % 60);
}

PlaySession::PlaySession(const PlayerRow* row) : row_(row), runningCaption_(row ? row->runningCaption : L"") {}

bool PlaySession::StopsBeforeNext() const {
    return running_ && row_ && row_->whileRunning == WhileRunning::Refuse;
}

std::optional<std::size_t> PlaySession::NowPlaying() const {
    if (!through_) return std::nullopt;
    return through_->order.Current();
}

SessionStep PlaySession::Play(PlayRequest request, std::uint64_t nowMs) {
    Queued command{Queued::Kind::Play, std::move(request)};
    return Run(std::move(command), nowMs);
}

SessionStep PlaySession::PlayAll(PlayList list, const SpcPlayOptions& options, bool shuffle, bool repeat,
                                 std::uint32_t seed, std::uint64_t nowMs) {
    if (list.files.empty()) return {};
    const std::size_t count = list.files.size();
    const std::size_t start = std::min(list.start, count - 1);
    Queued command{Queued::Kind::PlayAll};
    command.through.emplace(Through{std::move(list), PlayThrough(count, start, shuffle, repeat, seed), options});
    return Run(std::move(command), nowMs);
}

SessionStep PlaySession::Next(std::uint64_t nowMs) { return Run({Queued::Kind::Next}, nowMs); }

SessionStep PlaySession::Previous(std::uint64_t nowMs) { return Run({Queued::Kind::Previous}, nowMs); }

SessionStep PlaySession::Stop() { return Run({Queued::Kind::Stop}, 0); }

void PlaySession::SetShuffle(bool on) {
    if (through_) through_->order.SetShuffle(on);
}

void PlaySession::SetRepeat(bool on) {
    if (through_) through_->order.SetRepeat(on);
}

// A command runs now, or, while a request is out on the pool, once its
// outcome is in: the last command given is the one that counts.
SessionStep PlaySession::Run(Queued command, std::uint64_t nowMs) {
    if (busy_) {
        queued_ = std::move(command);
        return {};
    }
    SessionStep step;
    switch (command.kind) {
    case Queued::Kind::Play: {
        const bool wasThrough = through_.has_value();
        EndThrough(step);
        command.request.running = running_;
        if (wasThrough && StopsBeforeNext()) {
            // A player that refuses while it runs is stopped as a play-through
            // stops it, and the chosen song follows.
            afterStop_ = std::move(command.request);
            StopForNext(step, nowMs);
        } else {
            StartRequest(step, std::move(command.request));
        }
        break;
    }
    case Queued::Kind::PlayAll:
        EndThrough(step);
        through_ = std::move(command.through);
        StartCurrent(step, nowMs);
        break;
    case Queued::Kind::Next:
    case Queued::Kind::Previous:
        Advance(step, command.kind == Queued::Kind::Next, nowMs);
        break;
    case Queued::Kind::Stop:
        EndThrough(step);
        state_ = SessionState::Idle;
        if (running_) StartStop(step);
        break;
    }
    return step;
}

void PlaySession::StartStop(SessionStep& step) {
    busy_ = stopOut_ = true;
    step.stop = true;
}

void PlaySession::StartRequest(SessionStep& step, PlayRequest request) {
    state_ = SessionState::Starting;
    busy_ = true;
    stopOut_ = false;
    step.play = std::move(request);
}

// The play-through's current song, the way its player takes a new one.
void PlaySession::StartCurrent(SessionStep& step, std::uint64_t nowMs) {
    const std::size_t index = through_->order.Current();
    PlayRequest request{through_->list.files[index], through_->list.folder, through_->options, running_};
    const std::vector<std::wstring>& titles = through_->list.titles;
    title_ = index < titles.size() && !titles[index].empty() ? titles[index] : request.song;
    if (state_ == SessionState::Stopping || state_ == SessionState::Waiting) {
        afterStop_ = std::move(request);  // the player is on its way out already
        if (state_ == SessionState::Waiting) step.caption = NowPlayingCaption(nowMs);
        return;
    }
    if (StopsBeforeNext()) {
        afterStop_ = std::move(request);
        StopForNext(step, nowMs);
        return;
    }
    if (player_ != 0 && row_ && row_->whileRunning == WhileRunning::Refuse) {
        // Stopped, but not yet gone: the song waits for it to end.
        afterStop_ = std::move(request);
        state_ = SessionState::Stopping;
        stopAtMs_ = nowMs;
        return;
    }
    StartRequest(step, std::move(request));
}

// Stops the player before the next song. SPCPlay's key goes only into its
// own window in front, which is not to be taken from a program the user went
// to: the song waits until Velmoria is in front again.
void PlaySession::StopForNext(SessionStep& step, std::uint64_t nowMs) {
    if (row_->stop == StopMethod::KeyA && !inFront_) {
        state_ = SessionState::Waiting;
        if (through_) step.caption = NowPlayingCaption(nowMs);
        return;
    }
    state_ = SessionState::Stopping;
    stopAtMs_ = nowMs;
    StartStop(step);
}

void PlaySession::StartAfterStop(SessionStep& step) {
    state_ = SessionState::Idle;
    running_ = false;
    if (!afterStop_) return;
    PlayRequest request = std::move(*afterStop_);
    afterStop_.reset();
    request.running = false;
    StartRequest(step, std::move(request));
}

void PlaySession::Advance(SessionStep& step, bool forward, std::uint64_t nowMs) {
    if (!through_) return;
    if (forward) {
        if (!through_->order.Next()) {
            Finish(step);
            return;
        }
    } else {
        through_->order.Previous();
    }
    StartCurrent(step, nowMs);
}

// After the last song: the player is stopped, and the caption says "Velmoria".
void PlaySession::Finish(SessionStep& step) {
    EndThrough(step);
    state_ = SessionState::Idle;
    if (running_) StartStop(step);
}

void PlaySession::EndThrough(SessionStep& step) {
    if (!through_) return;
    through_.reset();
    afterStop_.reset();
    if (!busy_) state_ = SessionState::Idle;
    step.nowPlayingChanged = true;
    step.caption = Plain(running_ ? std::wstring_view(runningCaption_) : kIdleCaption);
}

SessionStep PlaySession::Done(const PlayOutcome& outcome, std::uint64_t nowMs) {
    SessionStep step;
    busy_ = false;
    const bool wasStop = std::exchange(stopOut_, false);
    if (outcome.caption) {
        running_ = outcome.caption->ends_with(L']');
        // A play-through shows its own caption, also while a player is
        // stopped between two songs.
        if (!through_) step.caption = Plain(*outcome.caption);
    }
    step.refreshList = outcome.refreshList;
    step.takeForeground = outcome.takeForeground;
    if (outcome.player) step.watch = player_ = outcome.player;
    if (wasStop) {
        if (state_ == SessionState::Stopping) {
            if (!outcome.caption) {
                state_ = SessionState::Waiting;  // the key withheld: another program came in front
                if (through_) step.caption = NowPlayingCaption(nowMs);
            } else if (player_ == 0) {
                StartAfterStop(step);  // it has ended already, or there was none
            }
        }
    } else if (outcome.player) {
        state_ = through_ ? SessionState::Playing : SessionState::Idle;
        if (through_) {
            through_->failures = 0;
            startedAtMs_ = nowMs;
            endsAtMs_ = 0;
            const PlayList& list = through_->list;
            step.readSong.emplace(++songNumber_, JoinPath(list.folder, list.files[through_->order.Current()]));
            step.caption = NowPlayingCaption(nowMs);
            step.nowPlayingChanged = true;
        }
    } else if (through_ && outcome.songFailed) {
        // Gone or unreadable: passed over, unless no song of the list plays.
        Trace("a play-through passed over a song that could not be played");
        state_ = SessionState::Idle;
        if (++through_->failures >= through_->order.Count()) {
            EndThrough(step);
        } else {
            Advance(step, true, nowMs);
        }
    } else {
        // The player could not be started: the play-through ends with one message.
        EndThrough(step);
        state_ = SessionState::Idle;
        step.message = outcome.message;
        step.icon = outcome.icon;
    }
    if (queued_ && !busy_) {
        Queued command = std::move(*queued_);
        queued_.reset();
        SessionStep next = Run(std::move(command), nowMs);
        Merge(step, std::move(next));
    }
    return step;
}

// Two steps as one: the later caption wins, the first message stays.
void PlaySession::Merge(SessionStep& step, SessionStep later) {
    if (later.watch) step.watch = later.watch;
    if (later.caption) step.caption = std::move(later.caption);
    step.refreshList = step.refreshList || later.refreshList;
    step.takeForeground = step.takeForeground || later.takeForeground;
    step.nowPlayingChanged = step.nowPlayingChanged || later.nowPlayingChanged;
    if (later.readSong) step.readSong = std::move(later.readSong);
    if (later.play) step.play = std::move(later.play);
    step.stop = step.stop || later.stop;
    if (step.message.empty()) {
        step.message = std::move(later.message);
        step.icon = later.icon;
    }
}

SessionStep PlaySession::PlayerEnded(ProcessId process, std::uint64_t) {
    SessionStep step;
    if (process == 0 || process != player_) return step;
    player_ = 0;
    // The player a play replaces, ending before the play's outcome is in, or
    // the one stopped before the next song: that outcome decides.
    if (busy_ && (!stopOut_ || state_ == SessionState::Stopping)) return step;
    if (state_ == SessionState::Stopping) {
        StartAfterStop(step);
        return step;
    }
    // The user closed the player: what plays no more cannot be said to run.
    const bool wasRunning = running_;
    running_ = false;
    EndThrough(step);
    state_ = SessionState::Idle;
    if (wasRunning) step.caption = Plain(kIdleCaption);
    return step;
}

SessionStep PlaySession::Tick(std::uint64_t nowMs) {
    SessionStep step;
    if (busy_) return step;
    if (state_ == SessionState::Stopping && nowMs >= stopAtMs_ + kStopWaitMs) {
        player_ = 0;  // it did not end: the next song tries all the same
        StartAfterStop(step);
    } else if (!through_) {
        return step;
    } else if (state_ == SessionState::Playing && endsAtMs_ != 0 && nowMs >= endsAtMs_) {
        Advance(step, true, nowMs);
    } else if (state_ == SessionState::Playing) {
        step.caption = NowPlayingCaption(nowMs);
    }
    return step;
}

SessionStep PlaySession::SongRead(unsigned number, std::wstring title, int lengthMs, std::uint64_t nowMs) {
    SessionStep step;
    if (!through_ || number != songNumber_ || state_ != SessionState::Playing || endsAtMs_ != 0) return step;
    if (!title.empty()) title_ = std::move(title);
    endsAtMs_ = startedAtMs_ + static_cast<std::uint64_t>(std::clamp(lengthMs, kShortestSongMs, kLongestSongMs));
    step.caption = NowPlayingCaption(nowMs);
    return step;
}

SessionStep PlaySession::InFront(bool inFront, std::uint64_t nowMs) {
    SessionStep step;
    inFront_ = inFront;
    if (inFront_ && state_ == SessionState::Waiting && !busy_) StopForNext(step, nowMs);
    return step;
}

SessionStep PlaySession::Adopted(const PlayOutcome& outcome) {
    SessionStep step;
    if (!outcome.caption || outcome.player == 0) return step;
    running_ = true;
    step.watch = player_ = outcome.player;
    step.caption = Plain(*outcome.caption);
    return step;
}

// "2/30 Title Screen - 0:06 left [Running SPCPlay]": the place, the title and
// the time left, or that the song waits, then the player's running caption.
SessionCaption PlaySession::NowPlayingCaption(std::uint64_t nowMs) const {
    SessionCaption caption;
    caption.head = std::to_wstring(through_->order.Place()) + L"/" + std::to_wstring(through_->order.Count()) + L" ";
    caption.title = title_;
    if (state_ == SessionState::Waiting) {
        caption.tail = L" - waiting";
    } else if (endsAtMs_ != 0) {
        const std::uint64_t left = endsAtMs_ > nowMs ? (endsAtMs_ - nowMs + 999) / 1000 : 0;
        caption.tail = L" - " + MinutesSeconds(left) + L" left";
    }
    if (running_) caption.player = L" " + runningCaption_;
    return caption;
}

}  // namespace velmoria
