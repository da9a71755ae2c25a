// The play session: one play at a time, a single song or a list played
// through, what plays now, when it ends, and whether a player runs. It is
// window-free and never waits: the window hands it events (the user's
// commands, a clock tick, news from pool threads) and carries out the step
// each answers with. The play control's requests run on a pool thread, one
// at a time; their outcome comes back as an event, and a command given
// meanwhile waits for it, never running inside another.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "player/play_control.h"
#include "player/play_through.h"

namespace velmoria {

// A caption in parts; the window may shorten the title so that the time
// left stays in sight.
struct SessionCaption {
    std::wstring head;    // "2/30 " in a play-through; the whole caption otherwise
    std::wstring title;   // the song's title
    std::wstring tail;    // " - 0:06 left"
    std::wstring player;  // " [Running SPCPlay]" while a player runs
    std::wstring Text() const { return head + title + tail + player; }
};

// What the window is to do after an event, in this order.
struct SessionStep {
    ProcessId watch = 0;                   // a player now running: to be watched
    std::optional<SessionCaption> caption;  // the new caption, when it changed
    bool refreshList = false;              // a song has gone since the list was filled
    bool takeForeground = false;           // a player took the foreground: take it back once it lets go
    bool nowPlayingChanged = false;        // another song plays, or none: mark it in the list
    // Read the song's tag (its title and length) on a pool thread, and hand
    // them to SongRead with this number.
    std::optional<std::pair<unsigned, std::wstring>> readSong;
    std::optional<PlayRequest> play;       // PlayControl::Play on a pool thread; its outcome to Done
    bool stop = false;                     // PlayControl::Stop(true) on a pool thread; its outcome to Done
    std::wstring message;                  // one message to show; empty for none
    MessageIcon icon = MessageIcon::None;
};

// The list a play-through plays, as it was when it began.
struct PlayList {
    std::wstring folder;
    std::vector<std::wstring> files;
    std::vector<std::wstring> titles;  // what the list showed for each, when it showed titles; else empty
    std::size_t start = 0;  // the song to play first
};

enum class SessionState {
    Idle,      // nothing of the session's under way (a single play's player may run)
    Starting,  // a play is out on the pool
    Playing,   // a play-through's song plays
    Stopping,  // the player is being stopped, or its end awaited, before the next song
    Waiting,   // the next song waits for Velmoria to be in front, to stop the player
};

class PlaySession {
public:
    // row: the player's row (null: a program that is none of the players).
    explicit PlaySession(const PlayerRow* row);

    // The user's commands.
    SessionStep Play(PlayRequest request, std::uint64_t nowMs);  // a single play; ends a play-through
    SessionStep PlayAll(PlayList list, const SpcPlayOptions& options, bool shuffle, bool repeat, std::uint32_t seed,
                        std::uint64_t nowMs);
    SessionStep Next(std::uint64_t nowMs);
    SessionStep Previous(std::uint64_t nowMs);
    SessionStep Stop();
    void SetShuffle(bool on);
    void SetRepeat(bool on);

    // News.
    SessionStep Tick(std::uint64_t nowMs);
    SessionStep Done(const PlayOutcome& outcome, std::uint64_t nowMs);  // a pool request's outcome
    SessionStep PlayerEnded(ProcessId process, std::uint64_t nowMs);
    SessionStep SongRead(unsigned number, std::wstring title, int lengthMs, std::uint64_t nowMs);
    SessionStep InFront(bool inFront, std::uint64_t nowMs);  // whether Velmoria's window is in front
    SessionStep Adopted(const PlayOutcome& outcome);        // a player an earlier run left

    bool running() const { return running_; }
    bool busy() const { return busy_; }
    SessionState state() const { return state_; }
    bool PlaysThrough() const { return through_.has_value(); }
    // The play-through's song now playing or about to: its folder and file.
    const PlayList* list() const { return through_ ? &through_->list : nullptr; }
    std::optional<std::size_t> NowPlaying() const;
    ProcessId player() const { return player_; }

    // How long a stopped player may take to end before the next song starts anyway.
    static constexpr std::uint64_t kStopWaitMs = 5000;

private:
    struct Through {
        PlayList list;
        PlayThrough order;
        SpcPlayOptions options;
        unsigned failures = 0;  // songs in a row that could not be played
    };
    // A command that waits for the request on the pool.
    struct Queued {
        enum class Kind { Play, PlayAll, Next, Previous, Stop } kind;
        PlayRequest request{};
        std::optional<Through> through{};
    };
    SessionStep Run(Queued command, std::uint64_t nowMs);
    void StartRequest(SessionStep& step, PlayRequest request);
    void StartStop(SessionStep& step);
    void StartCurrent(SessionStep& step, std::uint64_t nowMs);
    void StopForNext(SessionStep& step, std::uint64_t nowMs);
    void StartAfterStop(SessionStep& step);
    void Advance(SessionStep& step, bool forward, std::uint64_t nowMs);
    void Finish(SessionStep& step);
    void EndThrough(SessionStep& step);
    static void Merge(SessionStep& step, SessionStep later);
    SessionCaption NowPlayingCaption(std::uint64_t nowMs) const;
    bool StopsBeforeNext() const;

    const PlayerRow* row_;
    std::wstring runningCaption_;
    bool running_ = false;  // a player this session started or adopted plays
    ProcessId player_ = 0;
    SessionState state_ = SessionState::Idle;
    bool busy_ = false;  // a request is out on the pool
    bool stopOut_ = false;  // the request out is a stop
    std::optional<Queued> queued_;
    std::optional<Through> through_;
    std::optional<PlayRequest> afterStop_;  // what plays once the stopped player has ended
    bool inFront_ = true;
    unsigned songNumber_ = 0;
    std::wstring title_;
    std::uint64_t startedAtMs_ = 0;
    std::uint64_t endsAtMs_ = 0;  // 0 until the song's length is known
    std::uint64_t stopAtMs_ = 0;
};

// "m:ss" for a number of seconds.
std::wstring MinutesSeconds(std::uint64_t seconds);

}  // namespace velmoria
