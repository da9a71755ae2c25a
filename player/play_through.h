// A play-through: the songs of a list played one after another, in their
// order or shuffled, once or over again. Window-free: it says which song is
// next and how long each plays; the window starts them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace velmoria {

class PlayThrough {
public:
    // count songs; start: the one to play first. Shuffle plays every song once
    // in a random order, the first song first; repeat starts over after the
    // last (in a new order when shuffled). seed: for the random orders.
    PlayThrough(std::size_t count, std::size_t start, bool shuffle, bool repeat, std::uint32_t seed);

    std::size_t Current() const { return order_[place_]; }
    // The place of the current song in the play-through, from 1, and how many there are.
    std::size_t Place() const { return place_ + 1; }
    std::size_t Count() const { return order_.size(); }
    // Moves on: the next song, or nothing after the last (without repeat).
    std::optional<std::size_t> Next();
    // Moves back: the song before, or the current one again at the first.
    std::size_t Previous();
    // Changed while under way: the songs not yet played are shuffled, or
    // follow the current one in the list's order; the current one stays.
    void SetShuffle(bool shuffle);
    void SetRepeat(bool repeat) { repeat_ = repeat; }

private:
    void Order(std::optional<std::size_t> first);
    void Shuffle(std::size_t from);

    std::size_t count_;
    std::vector<std::size_t> order_;
    std::size_t place_ = 0;
    bool shuffle_;
    bool repeat_;
    std::uint32_t random_;
};

}  // namespace velmoria
