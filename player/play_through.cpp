#include "player/play_through.h"

#include <algorithm>
#include <numeric>

namespace velmoria {

PlayThrough::PlayThrough(std::size_t count, std::size_t start, bool shuffle, bool repeat, std::uint32_t seed)
    : count_(std::max<std::size_t>(count, 1)), shuffle_(shuffle), repeat_(repeat), random_(seed | 1u) {
    Order(std::min(start, count_ - 1));
}

// In the list's order from first to the end, or every song shuffled with
// first (when given) at the front.
void PlayThrough::Order(std::optional<std::size_t> first) {
    order_.resize(count_);
    std::iota(order_.begin(), order_.end(), std::size_t{0});
    place_ = 0;
    if (!shuffle_) {
        if (first) order_.erase(order_.begin(), order_.begin() + static_cast<std::ptrdiff_t>(*first));
        return;
    }
    Shuffle(0);
    if (first) std::iter_swap(order_.begin(), std::find(order_.begin(), order_.end(), *first));
}

// The songs from place from on in a random order.
void PlayThrough::Shuffle(std::size_t from) {
    for (std::size_t i = order_.size(); i > from + 1; --i) {
        random_ ^= random_ << 13;  // xorshift: every order is as likely as the next
        random_ ^= random_ >> 17;
        random_ ^= random_ << 5;
        std::swap(order_[i - 1], order_[from + random_ % (i - from)]);
    }
}

void PlayThrough::SetShuffle(bool shuffle) {
    if (shuffle == shuffle_) return;
    shuffle_ = shuffle;
    if (shuffle_) {
        Shuffle(place_ + 1);
        return;
    }
    // In the list's order from the song after the current one, round to the start.
    const std::size_t current = order_[place_];
    std::sort(order_.begin() + static_cast<std::ptrdiff_t>(place_ + 1), order_.end(),
              [&](std::size_t a, std::size_t b) { return (a + count_ - current) % count_ < (b + count_ - current) % count_; });
}

std::optional<std::size_t> PlayThrough::Next() {
    if (place_ + 1 < order_.size()) return order_[++place_];
    if (!repeat_) return std::nullopt;
    Order(std::nullopt);  // the whole list again, from its first song or in a new order
    return order_[place_];
}

std::size_t PlayThrough::Previous() {
    if (place_ > 0) --place_;
    return order_[place_];
}

}  // namespace velmoria
