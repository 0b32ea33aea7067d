#include "suffix_automaton.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <stdexcept>

namespace corvell {

namespace {
constexpr std::size_t kRootFanOut = 0x10000;

std::uint32_t bucketSize(std::uint32_t transitions) {
    return std::bit_ceil(transitions);
}
unsigned sizeClass(std::uint32_t transitions) {
    return static_cast<unsigned>(std::countr_zero(bucketSize(transitions)));
}
// A state's bucket is full when its count of further transitions is 0 or a power of two.
bool bucketFull(std::uint32_t transitions) {
    return (transitions & (transitions - 1)) == 0;
}
}  // namespace

SuffixAutomaton::SuffixAutomaton() : rootTable_(std::make_unique<std::uint32_t[]>(kRootFanOut)) {
    clear();
}

bool SuffixAutomaton::contains(std::u16string_view needle) const {
    std::uint32_t state = 0;
    for (char16_t c : needle) {
        state = step(state, c);
        if (state == 0) {
            return false;
        }
    }
    return true;
}

std::size_t SuffixAutomaton::size() const {
    return states_[last_].len;
}

std::size_t SuffixAutomaton::memoryBytes() const {
    return sizeof(*this) + states_.memoryBytes() + slots_.memoryBytes() +
           kRootFanOut * sizeof(std::uint32_t) + chain_.capacity() * sizeof(std::uint32_t);
}

void SuffixAutomaton::clear() {
    // The new root is allocated before anything is dropped, so a failure keeps the old index.
    BlockPool<State> states;
    states.reserve(1);
    states.push(State{0, kNone, 0, 0, 0, 0});
    states_ = std::move(states);
    slots_ = {};
    std::fill_n(rootTable_.get(), kRootFanOut, 0u);
    std::vector<std::uint32_t>().swap(chain_);
    last_ = 0;
}

// One step of the online suffix-automaton construction. Everything that can fail (allocation) is
// done before the first change, so an exception leaves the automaton of the previous text intact.
void SuffixAutomaton::extend(char16_t c) {
    chain_.clear();
    std::uint64_t slotsNeeded = 0;
    std::uint32_t p = last_;
    std::uint32_t q = 0;
    for (; p != kNone; p = states_[p].link) {
        q = step(p, c);
        if (q != 0) {
            break;
        }
        chain_.push_back(p);
        const State& s = states_[p];
        if (p != 0 && s.target != 0 && bucketFull(s.extra)) {
            slotsNeeded += bucketSize(s.extra + 1u);
        }
    }
    const bool cloning = p != kNone && states_[p].len + 1 != states_[q].len;
    if (cloning && states_[q].extra != 0) {
        slotsNeeded += bucketSize(states_[q].extra);
    }
    states_.reserve(cloning ? 2 : 1);
    slots_.reserve(slotsNeeded);

    const std::uint32_t cur = states_.push(State{states_[last_].len + 1, 0, 0, 0, 0, 0});
    for (std::uint32_t state : chain_) {
        addTransition(state, c, cur);
    }
    if (p == kNone) {
        states_[cur].link = 0;
    } else if (!cloning) {
        states_[cur].link = q;
    } else {
        const std::uint32_t clone = cloneState(q, states_[p].len + 1);
        for (std::uint32_t r = p; r != kNone && redirect(r, c, q, clone); r = states_[r].link) {
        }
        states_[q].link = clone;
        states_[cur].link = clone;
    }
    last_ = cur;
}

std::uint32_t SuffixAutomaton::step(std::uint32_t state, char16_t c) const {
    if (state == 0) {
        return rootTable_[c];
    }
    const State& s = states_[state];
    if (s.label == c && s.target != 0) {
        return s.target;
    }
    if (s.extra == 0) {
        return 0;
    }
    const Slot* slot = &slots_[s.bucket];
    for (const Slot* end = slot + s.extra; slot != end; ++slot) {
        if ((*slot >> 32) == c) {
            return static_cast<std::uint32_t>(*slot);
        }
    }
    return 0;
}

// Points the transition on c from `from` to `to`; false when the state has no such transition.
bool SuffixAutomaton::redirect(std::uint32_t state, char16_t c, std::uint32_t from,
                               std::uint32_t to) noexcept {
    std::uint32_t* target = nullptr;
    if (state == 0) {
        target = &rootTable_[c];
    } else if (State& s = states_[state]; s.label == c && s.target != 0) {
        target = &s.target;
    } else if (s.extra != 0) {
        Slot* slot = &slots_[s.bucket];
        Slot* end = slot + s.extra;
        slot = std::find_if(slot, end, [c](Slot x) { return (x >> 32) == c; });
        if (slot != end && static_cast<std::uint32_t>(*slot) == from) {
            *slot = (Slot{c} << 32) | to;
            return true;
        }
        return false;
    }
    if (target == nullptr || *target != from) {
        return false;
    }
    *target = to;
    return true;
}

// Callers have reserved room for the slots this may need.
void SuffixAutomaton::addTransition(std::uint32_t state, char16_t c,
                                    std::uint32_t target) noexcept {
    if (state == 0) {
        rootTable_[c] = target;
        return;
    }
    State& s = states_[state];
    if (s.target == 0) {
        s.target = target;
        s.label = c;
        return;
    }
    const std::uint32_t extra = s.extra;
    if (bucketFull(extra)) {
        const std::uint32_t bucket = slots_.allocate(sizeClass(extra + 1));
        if (extra != 0) {
            std::memcpy(&slots_[bucket], &slots_[s.bucket], extra * sizeof(Slot));
            slots_.release(s.bucket, sizeClass(extra));
        }
        s.bucket = bucket;
    }
    slots_[s.bucket + extra] = (Slot{c} << 32) | target;
    s.extra = static_cast<std::uint16_t>(extra + 1);
}

// Callers have reserved room for the state and its slots.
std::uint32_t SuffixAutomaton::cloneState(std::uint32_t source, std::uint32_t len) noexcept {
    const State src = states_[source];
    State copy{len, src.link, src.target, 0, src.label, src.extra};
    if (src.extra != 0) {
        copy.bucket = slots_.allocate(sizeClass(src.extra));
        std::memcpy(&slots_[copy.bucket], &slots_[src.bucket], src.extra * sizeof(Slot));
    }
    return states_.push(copy);
}

}  // namespace corvell
