#include "wildcard.h"

#include <cstddef>

namespace corvell {
namespace {

constexpr std::size_t npos = std::u16string_view::npos;

// The units between the brackets of a list, without the '!' of a negated list.
struct List {
    std::u16string_view body;
    bool negated;
    std::size_t end;  // one past the closing ']'
};

// `open` is the index of a '['; npos when no ']' follows it.
std::size_t closingBracket(std::u16string_view pattern, std::size_t open) {
    return pattern.find(u']', open + 1);
}

List readList(std::u16string_view pattern, std::size_t open, std::size_t close) {
    std::u16string_view body = pattern.substr(open + 1, close - open - 1);
    bool negated = !body.empty() && body.front() == u'!';
    if (negated) {
        body.remove_prefix(1);
    }
    return List{body, negated, close + 1};
}

// Walks the items of a list left to right: a unit, '-' and one more unit form a range, so a '-'
// at either end is left over as a plain unit. Calls item(low, high) for each item and stops
// early when it returns true; returns whether it stopped early.
template <typename Item>
bool forEachItem(std::u16string_view body, Item item) {
    std::size_t i = 0;
    while (i < body.size()) {
        if (i + 2 < body.size() && body[i + 1] == u'-') {
            if (item(body[i], body[i + 2])) {
                return true;
            }
            i += 3;
        } else {
            if (item(body[i], body[i])) {
                return true;
            }
            i += 1;
        }
    }
    return false;
}

bool isValidPattern(std::u16string_view pattern) {
    std::size_t p = 0;
    while (p < pattern.size()) {
        if (pattern[p] != u'[') {
            ++p;
            continue;
        }
        std::size_t close = closingBracket(pattern, p);
        if (close == npos) {
            return false;
        }
        List list = readList(pattern, p, close);
        if (forEachItem(list.body, [](char16_t low, char16_t high) { return low > high; })) {
            return false;
        }
        p = list.end;
    }
    return true;
}

// Whether the single-unit element at pattern[p] (anything but '*') accepts `unit`; sets `next`
// to the index after the element. The pattern has been validated, so every '[' is closed.
bool elementAccepts(std::u16string_view pattern, std::size_t p, char16_t unit, std::size_t& next) {
    switch (pattern[p]) {
        case u'?':
            next = p + 1;
            return true;
        case u'#':
            next = p + 1;
            return unit >= u'0' && unit <= u'9';
        case u'[': {
            List list = readList(pattern, p, closingBracket(pattern, p));
            next = list.end;
            bool inList = forEachItem(list.body, [unit](char16_t low, char16_t high) {
                return unit >= low && unit <= high;
            });
            return inList != list.negated;
        }
        default:
            next = p + 1;
            return pattern[p] == unit;
    }
}

}  // namespace

MatchResult wildcardMatch(std::u16string_view text, std::u16string_view pattern) {
    if (!isValidPattern(pattern)) {
        return MatchResult::InvalidPattern;
    }
    // Every element but '*' takes exactly one unit, so on a mismatch it is enough to go back to
    // the last '*' and let it take one unit more: earlier stars never need to be revisited.
    std::size_t t = 0;
    std::size_t p = 0;
    std::size_t starP = npos;
    std::size_t starT = 0;
    while (t < text.size()) {
        std::size_t next = 0;
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() && elementAccepts(pattern, p, text[t], next)) {
            p = next;
            ++t;
        } else if (starP != npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return MatchResult::NoMatch;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') {
        ++p;
    }
    return p == pattern.size() ? MatchResult::Match : MatchResult::NoMatch;
}

}  // namespace corvell
