#include "seen_text.h"

#include <algorithm>
#include <bit>
#include <new>
#include <stdexcept>
#include <utility>

#include "com/cache_prefetch.h"
#include "com/hash_mix.h"
#include "unit_search.h"

namespace corvell {

namespace {
// Long pieces are taken in steps whose room is claimed up front, so running out of memory keeps
// a consistent leading part of the piece.
constexpr std::size_t kChunk = 4096;
// The piece index serves repeated addresses; longer pieces are left to the other indices.
constexpr std::size_t kMaxIndexedPiece = 1024;
// The memory of recent answers: it grows with the record up to this many slots.
constexpr std::size_t kMinRecent = 256;
constexpr std::size_t kMaxRecent = std::size_t{1} << 16;

// The widths of the context cells: every length on the left up to a long local part, then
// coarser; on the right every length of a short domain, then coarser. A needle's walk stops at
// the widest cell it fills, so the exact lengths make crowds of look-alike addresses (the same
// domain, local parts ending alike) part at the needle's own length.
constexpr std::array<std::uint16_t, 30> kLeft = {1,  2,  3,  4,  5,  6,  7,  8,   9,   10,
                                                 11, 12, 13, 14, 15, 16, 18, 20,  22,  24,
                                                 27, 30, 34, 40, 48, 64, 96, 128, 192, 256};
constexpr std::array<std::uint16_t, 26> kRight = {
    2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 32, 48, 64};
constexpr std::size_t kWidestRight = kRight.back();
// Up to these lengths the widths are exact: a walk that ends in a crowded cell has that cell's
// window cover the whole needle.
constexpr std::size_t kExactLeft = 16;
constexpr std::size_t kExactRight = 24;
constexpr bool widthsExactUpTo(const auto& widths, std::size_t first, std::size_t last) {
    for (std::size_t i = 0; first + i <= last; ++i) {
        if (widths[i] != first + i) return false;
    }
    return true;
}
static_assert(widthsExactUpTo(kLeft, 1, kExactLeft) && widthsExactUpTo(kRight, 2, kExactRight));
static_assert(kLeft.size() <= 32, "one bit of SeenText::m_branchedWidths per width");

// Every cell has a table of its own, so a key need not tell the cells apart. The right hash is
// spread and turned before it joins the left one, so that a window whose halves swap places
// gets another key; the one mix spreads both over the whole key.
std::uint64_t cellKey(std::uint64_t leftHash, std::uint64_t rightHash) {
    return com::mixBits(leftHash ^ std::rotl(rightHash * 0x9E3779B97F4A7C15ull, 32));
}

// Longer pieces are not indexed whole, and are not read for a key.
std::uint64_t pieceKey(std::u16string_view piece) {
    if (piece.size() > kMaxIndexedPiece) return 0;
    return com::hashBytes(piece.data(), piece.size() * sizeof(char16_t), com::kHashStart);
}
// A unit's share of a tag: 1 to 15, each digit its own; 0 stands for no unit.
std::uint8_t nibbleOf(char16_t unit) {
    return static_cast<std::uint8_t>(1 + unit % 15);
}
}  // namespace

// The hashes of the windows around one '@', of the text or of a needle, each computed once and
// only when a cell needs it: the left ones over the units going back from the '@', the right
// ones over the units going forward. A context views the units where they stand: the text must
// not change while a context of it is in use (filing and lookups only read it).
class SeenText::Context {
public:
    Context(const CompactText& text, std::size_t at)
        : m_narrow(text.narrowUnits()), m_wide(text.wideUnits()), m_at(at) {}
    Context(std::u16string_view needle, std::size_t at) : m_wide(needle.data()), m_at(at) {}

    std::uint64_t key(std::size_t left, std::size_t right) {
        return cellKey(leftHash(left), rightHash(right));
    }

private:
    // How far one side's hashes have been taken: over `units` units, for `cells` widths.
    struct Side {
        std::uint64_t hash = com::kHashStart;
        std::size_t units = 0, cells = 0;
    };

    std::uint64_t leftHash(std::size_t cell) {
        if (cell < m_left.cells) return m_lefts[cell];
        return widen(kLeft, cell, -1, m_left, m_lefts);
    }
    std::uint64_t rightHash(std::size_t cell) {
        if (cell < m_right.cells) return m_rights[cell];
        return widen(kRight, cell, 1, m_right, m_rights);
    }

    // The hashes of one side's windows up to `cell`, taking units going away from the '@' by
    // `step`. The running state is held in locals while the units are read: the compiler must
    // assume that a unit read through a byte pointer may alias the members.
    template <std::size_t N>
    std::uint64_t widen(const std::array<std::uint16_t, N>& widths, std::size_t cell,
                        std::ptrdiff_t step, Side& side, std::array<std::uint64_t, N>& hashes) {
        std::uint64_t hash = side.hash;
        std::size_t units = side.units;
        const std::size_t first = m_at + static_cast<std::size_t>(step);
        for (std::size_t c = side.cells; c <= cell; ++c) {
            hash = m_narrow ? hashUnits(m_narrow + first, step, units, widths[c], hash)
                            : hashUnits(m_wide + first, step, units, widths[c], hash);
            hashes[c] = hash;
        }
        side = {hash, units, cell + 1};
        return hash;
    }
    template <typename Unit>
    static std::uint64_t hashUnits(const Unit* first, std::ptrdiff_t step, std::size_t& units,
                                   std::size_t upTo, std::uint64_t hash) {
        for (; units < upTo; ++units) {
            hash = com::hashStep(hash, first[step * static_cast<std::ptrdiff_t>(units)]);
        }
        return hash;
    }

    const std::uint8_t* m_narrow = nullptr;  // the units around the '@': the text's, one byte
    const char16_t* m_wide = nullptr;        // each, or else two (the text's or the needle's)
    std::size_t m_at;                        // the '@'
    Side m_left, m_right;
    std::array<std::uint64_t, kLeft.size()> m_lefts;
    std::array<std::uint64_t, kRight.size()> m_rights;
};

SeenText::SeenText() {
    m_cells.reserve(kLeft.size() * kRight.size());
    for (std::size_t i = 0; i < kLeft.size() * kRight.size(); ++i)
        m_cells.emplace_back(m_cellLists);
}

seen_text_detail::PositionMultimap& SeenText::cell(std::size_t left, std::size_t right) const {
    return m_cells[left * kRight.size() + right];
}

void SeenText::reset(std::u16string_view initial) {
    m_text.clear();
    for (auto& cell : m_cells) cell.clear();
    m_cellLists = seen_text_detail::PositionLists();
    m_pieces.clear();
    m_pieceLists = seen_text_detail::PositionLists();
    m_pendingCount = 0;
    m_missed = {};
    m_lastWalkEnd = {};
    m_walkingShare = 0;
    m_foreseenShare = 0;
    m_cellsIncomplete = false;
    m_automaton.reset();
    m_fallbacks = 0;
    m_scannedUnits = 0;
    m_branchReads = 0;
    m_branchedWidths = 0;
    std::vector<RecentSlot>().swap(m_recent);
    m_pieceCount = 0;
    append(initial);
}

void SeenText::append(std::u16string_view piece) {
    append(piece, pieceKey(piece));
}

void SeenText::append(std::u16string_view piece, Key key) {
    if (piece.size() > kMaxSize - size()) {
        throw std::length_error("SeenText: text too long");
    }
    const auto start = static_cast<std::uint32_t>(size());
    if (!piece.empty() && piece.size() <= kMaxIndexedPiece) {
        const std::size_t at = findUnit(piece, u'@');
        if (!cellsAnswerExactly(at, at == piece.npos ? 0 : piece.size() - at - 1)) {
            Evicted unused;
            m_pieces.reserve(1);
            // Whole pieces are looked up by their hash alone: their tags are not used.
            const auto untagged = [](const void*, std::uint32_t) -> std::uint8_t { return 0; };
            m_pieces.insert(key, start, 0, untagged, nullptr, unused);
        }
        growRecent();
        remember(key, start);
    }
    ++m_pieceCount;
    // The piece the last lookup missed: its first '@' is filed from where that walk ended.
    std::size_t hintedAt = std::u16string_view::npos;
    std::uint32_t hintedLeft = 0;
    if (m_missed.needle == piece.data() && m_missed.size == piece.size() && m_missed.key == key &&
        m_missed.layouts == m_layouts) {
        hintedAt = start + m_missed.at;
        hintedLeft = m_missed.left;
    }
    m_missed = {};
    for (std::size_t at = 0; at < piece.size(); at += kChunk) {
        appendChunk(piece.substr(at, kChunk), hintedAt, hintedLeft);
    }
}

// Whether a needle's walk through the cells ends where the answer is exact: at a cell that is
// not crowded, or at a crowded one whose window is the whole needle (every unit of it on either
// side of its first '@' falls within the exact widths).
// `at` is the needle's first '@' (npos for none), `rightSize` the units after it.
bool SeenText::cellsAnswerExactly(std::size_t at, std::size_t rightSize) {
    return at != std::u16string_view::npos && at >= kLeft[0] && at <= kExactLeft &&
           rightSize >= kRight[0] && rightSize <= kExactRight;
}

bool SeenText::isWholePiece(std::u16string_view needle, std::uint64_t key) const {
    const auto found = m_pieces.find(key);
    for (std::uint32_t i = 0; i < found.count; ++i) {
        if (occursAt(needle, 0, found[i])) return true;
    }
    return false;
}

// The recent answers are a small table that forgets: a slot keeps the last needle (or piece)
// whose key chose it, and where it stands in the text.
bool SeenText::recalls(std::u16string_view needle, std::uint64_t key) const {
    if (m_recent.empty()) return false;
    const RecentSlot& slot = m_recent[key & (m_recent.size() - 1)];
    return slot.tag == static_cast<std::uint32_t>(key >> 32) && slot.position != 0 &&
           occursAt(needle, 0, slot.position - 1);
}

void SeenText::remember(std::uint64_t key, std::size_t position) const {
    if (m_recent.empty()) return;
    m_recent[key & (m_recent.size() - 1)] = {static_cast<std::uint32_t>(key >> 32),
                                             static_cast<std::uint32_t>(position + 1)};
}

// A table twice as large as the record's pieces, up to kMaxRecent; growing starts it afresh.
void SeenText::growRecent() {
    if (m_recent.size() >= kMaxRecent || 2 * m_pieceCount < m_recent.size()) return;
    try {
        std::vector<RecentSlot>(std::max(kMinRecent, 2 * m_recent.size())).swap(m_recent);
    } catch (const std::bad_alloc&) {
        // The table only saves time; without a larger one the answers stay the same.
    }
}

// Files every waiting '@' that now has its widest right context; keeps the others waiting. The
// '@' at `hintedAt` is filed from the cell (hintedLeft, 0) on.
void SeenText::appendChunk(std::u16string_view chunk, std::size_t hintedAt,
                           std::uint32_t hintedLeft) {
    const std::size_t oldSize = size();
    m_text.append(chunk);
    std::size_t waiting = 0;
    auto fileOrKeep = [&](Pending pending) {
        if (pending.at + 1 + kWidestRight <= size()) {
            fileAt(pending);
        } else {
            m_pending[waiting++] = pending;
        }
    };
    try {
        for (std::size_t i = 0; i < m_pendingCount; ++i) fileOrKeep(m_pending[i]);
        m_pendingCount = 0;
        for (std::size_t i = findUnit(chunk, u'@'); i != chunk.npos;
             i = findUnit(chunk, u'@', i + 1)) {
            const std::size_t at = oldSize + i;
            fileOrKeep(
                {static_cast<std::uint32_t>(at), at == hintedAt ? hintedLeft : 0, m_layouts});
        }
        m_pendingCount = waiting;
    } catch (const std::bad_alloc&) {
        // A cell may have lost '@'s on the way: the cells no longer answer for the text.
        m_cellsIncomplete = true;
        m_pendingCount = 0;
    }
}

// The cells before (fromLeft, 0) on the left walk are crowded and, while no right walk has been
// laid out since, none has one (see m_missed): filing there would only pass on.
void SeenText::fileAt(const Pending& pending) const {
    if (pending.at < kLeft[0]) return;  // no needle with a unit before its '@' can stand here
    Context context(m_text, pending.at);
    file(pending.at, context, pending.layouts == m_layouts ? pending.fromLeft : 0, 0, false);
}

// Files the '@' at `at` in the cell (kLeft[left], kRight[right]), or, where that cell is crowded,
// in its finer cells; a cell that becomes crowded hands its '@'s on to its finer cells as well.
void SeenText::file(std::uint32_t at, Context& context, std::size_t left, std::size_t right,
                    bool rightOnly) const {
    Evicted evicted;
    auto& filedIn = cell(left, right);
    filedIn.reserve(1);
    const TagSite site{this, left, right};
    const auto filed = filedIn.insert(context.key(left, right), at, tagAt(at, left, right),
                                      &SeenText::tagOfFiled, &site, evicted);
    if (!filed.crowded) return;
    const bool branched = filed.branched || (!rightOnly && isBranched(left));
    fileFiner(at, context, left, right, rightOnly, branched);
    // The evicted '@'s stand anywhere in the text: the units around all of them are fetched at
    // once, so that their cache misses overlap.
    for (std::uint32_t i = 0; i < filed.evictions; ++i) m_text.prefetch(evicted[i]);
    for (std::uint32_t i = 0; i < filed.evictions; ++i) {
        const std::uint32_t other = evicted[i];
        Context otherContext(m_text, other);
        fileFiner(other, otherContext, left, right, rightOnly, branched);
    }
}

// The tag of the '@' at `at` in the cell (left, right): the units just outside the cell's window,
// a nibble each. The one after it counts only below the widest right width, where the text
// always holds it by the time the '@' is filed.
std::uint8_t SeenText::tagAt(std::uint32_t at, std::size_t left, std::size_t right) const {
    const std::size_t before = kLeft[left] + 1u;
    std::uint8_t tag = 0;
    if (at >= before) tag = static_cast<std::uint8_t>(nibbleOf(m_text[at - before]) << 4);
    if (right + 1 < kRight.size()) tag |= nibbleOf(m_text[at + kRight[right] + 1u]);
    return tag;
}

std::uint8_t SeenText::tagOfFiled(const void* state, std::uint32_t at) {
    const auto& site = *static_cast<const TagSite*>(state);
    return site.text->tagAt(at, site.left, site.right);
}

// The tag an occurrence of the needle would have in the cell (left, right), and which of its
// nibbles the needle can tell: it may not reach outside the window.
SeenText::NeedleTag SeenText::needleTag(std::u16string_view needle, std::size_t at,
                                        std::size_t left, std::size_t right) {
    NeedleTag wanted{0, 0};
    if (at > kLeft[left]) {
        wanted.tag = static_cast<std::uint8_t>(nibbleOf(needle[at - kLeft[left] - 1]) << 4);
        wanted.mask = 0xF0;
    }
    if (right + 1 < kRight.size() && needle.size() - at - 1 > kRight[right]) {
        wanted.tag |= nibbleOf(needle[at + kRight[right] + 1]);
        wanted.mask |= 0x0F;
    }
    return wanted;
}

bool SeenText::NeedleTag::excludes(const seen_text_detail::PositionMultimap::Candidates& candidates,
                                   std::uint32_t i) const {
    return candidates.tags != nullptr && ((candidates.tags[i] ^ tag) & mask) != 0;
}

// The finer cells of a crowded one, as a needle's walk reaches them: one unit more on the left
// while the walk has only widened leftwards, and the next width on the right where the walk
// turns right (always, once it has turned; from the left walk only where it has branched).
void SeenText::fileFiner(std::uint32_t at, Context& context, std::size_t left, std::size_t right,
                         bool rightOnly, bool branched) const {
    const bool leftwards = !rightOnly && left + 1 < kLeft.size() && at >= kLeft[left + 1];
    const bool rightwards = (rightOnly || branched) && right + 1 < kRight.size();
    // Both cells are looked up at once, so their cache misses overlap.
    if (leftwards) cell(left + 1, right).prefetch(context.key(left + 1, right));
    if (rightwards) cell(left, right + 1).prefetch(context.key(left, right + 1));
    if (leftwards) file(at, context, left + 1, right, false);
    if (rightwards) file(at, context, left, right + 1, true);
}

// Lays out the right walk from the crowded cell (left, 0) under `key`; from now on every '@' that
// joins that cell is filed down the walk as well. A crowded cell keeps none of its '@'s, so they
// are found again in the text: every filed '@' with that context. Once such reads add up to a
// few times the text, the whole width is laid out instead (branchWidth()).
void SeenText::branch(std::size_t left, std::uint64_t key) const {
    ++m_layouts;
    if (m_branchReads + size() > kBranchReadBudget * size()) {
        branchWidth(left);
        return;
    }
    m_branchReads += size();
    auto& crowded = cell(left, 0);
    crowded.markBranched(key);
    for (std::size_t at = m_text.find(u'@', kLeft[left]); at < filedEnd();
         at = m_text.find(u'@', at + 1)) {
        Context context(m_text, at);
        if (context.key(left, 0) != key) continue;
        file(static_cast<std::uint32_t>(at), context, left, 1, true);
    }
}

// Lays out the right walks of every crowded cell (left, 0) not laid out yet, in one read of the
// text; from now on every '@' that joins a crowded cell of this width is filed down its right
// walk as well. A width is laid out once, so the text is read at most once per width.
void SeenText::branchWidth(std::size_t left) const {
    ++m_layouts;
    m_branchedWidths |= std::uint32_t{1} << left;
    const auto& crowds = cell(left, 0);
    for (std::size_t at = m_text.find(u'@', kLeft[left]); at < filedEnd();
         at = m_text.find(u'@', at + 1)) {
        Context context(m_text, at);
        const auto found = crowds.find(context.key(left, 0));
        if (!found.tooMany || found.branched) continue;
        file(static_cast<std::uint32_t>(at), context, left, 1, true);
    }
}

// The '@'s before this are filed; those from here on wait for more text (m_pending).
std::size_t SeenText::filedEnd() const {
    return size() > kWidestRight ? size() - kWidestRight : 0;
}

// A running mean over about the last sixteen events: how often they held.
void SeenText::addToShare(std::uint32_t& share, bool held) {
    share = share - share / 16 + (held ? kShareScale / 16 : 0);
}

SeenText::Key SeenText::prefetch(std::u16string_view needle) const {
    return foresee(needle).key;
}

// The recent answers are looked up first and most often miss the cache: their slot is fetched
// while the caller does other work.
SeenText::Foresight SeenText::foresee(std::u16string_view needle) const {
    Foresight foresight{pieceKey(needle), {}, 0, 0, 0};
    if (!m_recent.empty()) com::prefetchLine(&m_recent[foresight.key & (m_recent.size() - 1)]);
    // Where most needles walk through the cells and end their walks where the one before ended
    // (or one cell finer), as addresses alike in shape do, those two cells are fetched as well.
    // Elsewhere computing their keys would cost more than it saves.
    if (m_walkingShare > kShareScale / 2 && m_foreseenShare > kShareScale / 2) {
        const std::size_t at = findUnit(needle, u'@');
        if (walks(needle, at) && needle.size() - at - 1 >= kRight[m_lastWalkEnd.right]) {
            Context context(needle, at);
            foresight.left = static_cast<std::uint8_t>(m_lastWalkEnd.left);
            foresight.right = static_cast<std::uint8_t>(m_lastWalkEnd.right);
            for (std::size_t left = foresight.left;
                 left <= foresight.left + 1u && left < kLeft.size() && at >= kLeft[left]; ++left) {
                const std::uint64_t key = context.key(left, foresight.right);
                cell(left, foresight.right).prefetch(key);
                foresight.cellKeys[foresight.cells++] = key;
            }
        }
    }
    return foresight;
}

void SeenText::fetchLists(const Foresight& foresight) const {
    for (std::uint8_t i = 0; i < foresight.cells; ++i) {
        cell(foresight.left + i, foresight.right).prefetchList(foresight.cellKeys[i]);
    }
}

// A needle is looked for among the recent answers, among the whole pieces where the cells may not
// answer exactly, and then along its walk through the cells.
bool SeenText::contains(std::u16string_view needle) const {
    return contains(needle, pieceKey(needle));
}

bool SeenText::contains(std::u16string_view needle, Key key) const {
    if (needle.empty()) return true;
    if (needle.size() > size()) return false;
    // Most needles of a harvest repeat a recent one: one lookup, before the walk's few.
    const bool recalled = needle.size() <= kMaxIndexedPiece && recalls(needle, key);
    addToShare(m_walkingShare, !recalled);
    if (recalled) return true;
    const std::size_t at = findUnit(needle, u'@');
    const std::size_t rightSize = at == needle.npos ? 0 : needle.size() - at - 1;
    if (needle.size() <= kMaxIndexedPiece && !cellsAnswerExactly(at, rightSize) &&
        isWholePiece(needle, key)) {
        return true;
    }
    if (!walks(needle, at)) return containsExactly(needle);
    const auto found = [&](std::uint32_t position) {
        if (needle.size() <= kMaxIndexedPiece) remember(key, position - at);
        return true;
    };
    for (std::size_t i = 0; i < m_pendingCount; ++i) {
        if (occursAt(needle, at, m_pending[i].at)) return found(m_pending[i].at);
    }
    Context context(needle, at);
    const WalkEnd end = walk(needle, at, context);
    const bool asForeseen =
        end.right == m_lastWalkEnd.right && end.left - m_lastWalkEnd.left <= 1;  // see prefetch()
    addToShare(m_foreseenShare, asForeseen);
    m_lastWalkEnd = {static_cast<std::uint32_t>(end.left), static_cast<std::uint32_t>(end.right)};
    switch (end.where) {
        case WalkEnd::Cell: {
            // The tags set most candidates aside without reading the text.
            const NeedleTag wanted = needleTag(needle, at, end.left, end.right);
            for (std::uint32_t i = 0; i < end.candidates.count; ++i) {
                if (wanted.excludes(end.candidates, i)) continue;
                if (occursAt(needle, at, end.candidates[i])) return found(end.candidates[i]);
            }
            if (end.right == 0 && !end.passedRightWalks) {
                m_missed = {
                    needle.data(), needle.size(), key, at, static_cast<std::uint32_t>(end.left),
                    m_layouts};
            }
            return false;
        }
        case WalkEnd::InsideCrowd:
            // The crowd often shares the whole needle (a suffix of many local parts).
            if (occursAt(needle, at, end.candidates.single)) return found(end.candidates.single);
            return containsExactly(needle);
        case WalkEnd::Unlaid:
            break;
    }
    return containsExactly(needle);
}

// Whether the cells answer for a needle whose first '@' is at `at` (npos: none).
bool SeenText::walks(std::u16string_view needle, std::size_t at) const {
    return !m_cellsIncomplete && at != needle.npos && at >= kLeft[0] &&
           needle.size() - at - 1 >= kRight[0];
}

// Walks the needle's cells as they were filed: leftwards while the needle is long enough there
// and the cell is crowded, then rightwards. Every '@' where the needle occurs has been filed in
// each cell of that walk that is not crowded, so the first such cell decides. A right walk not
// laid out yet is laid out on the way; when that fails, the walk ends there (Unlaid).
SeenText::WalkEnd SeenText::walk(std::u16string_view needle, std::size_t at,
                                 Context& context) const {
    const std::size_t rightSize = needle.size() - at - 1;
    std::size_t left = 0, right = 0;
    bool rightOnly = false;
    bool passedRightWalks = false;
    for (;;) {
        const auto candidates = cell(left, right).find(context.key(left, right));
        if (!candidates.tooMany) return {WalkEnd::Cell, candidates, left, right, passedRightWalks};
        passedRightWalks = passedRightWalks || candidates.branched || isBranched(left);
        if (!rightOnly && left + 1 < kLeft.size() && at >= kLeft[left + 1]) {
            ++left;
        } else if (right + 1 < kRight.size() && rightSize >= kRight[right + 1]) {
            const bool laidOut = rightOnly || candidates.branched || isBranched(left);
            if (!laidOut && !layOutRightWalk(left, context.key(left, 0))) {
                return {WalkEnd::Unlaid, candidates, left, right, true};
            }
            ++right;
            rightOnly = true;
        } else {
            return {WalkEnd::InsideCrowd, candidates, left, right, true};
        }
    }
}

// Branches the cell for a needle's walk; false when room ran out on the way, and the cells no
// longer answer for the text.
bool SeenText::layOutRightWalk(std::size_t left, std::uint64_t key) const {
    try {
        branch(left, key);
        return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {  // a table's index width is used up
    }
    m_cellsIncomplete = true;
    return false;
}

bool SeenText::occursAt(std::u16string_view needle, std::size_t leftSize, std::size_t at) const {
    return at >= leftSize && at - leftSize + needle.size() <= size() &&
           m_text.equalsAt(at - leftSize, needle);
}

bool SeenText::containsExactly(std::u16string_view needle) const {
    ++m_fallbacks;
    // A few fallbacks in a whole harvest are cheaper as direct searches than building the
    // automaton; the searches may read the text kScanBudget times over before the automaton is
    // built, so the total work stays linear however many fallbacks come.
    if (!m_automaton && m_scannedUnits + size() <= kScanBudget * size()) {
        m_scannedUnits += size();
        return m_text.contains(needle);
    }
    try {
        if (!m_automaton) m_automaton = std::make_unique<SuffixAutomaton>();
        // Catching up only now keeps the automaton's total work linear in the text, and nothing
        // at all for a record that never needs it.
        for (std::size_t i = m_automaton->size(); i < size(); ++i) m_automaton->extend(m_text[i]);
        return m_automaton->contains(needle);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    // Out of memory for the automaton (it still knows a prefix of the text): a direct search
    // gives the same answer, only slower.
    return m_text.contains(needle);
}

std::size_t SeenText::size() const {
    return m_text.size();
}

std::size_t SeenText::memoryBytes() const {
    return m_text.memoryBytes() + indexBytes();
}

std::size_t SeenText::indexBytes() const {
    std::size_t bytes = sizeof(*this) + m_cellLists.memoryBytes() + m_pieces.memoryBytes() +
                        m_pieceLists.memoryBytes() + m_recent.capacity() * sizeof(RecentSlot);
    for (const auto& cell : m_cells) bytes += sizeof(cell) + cell.memoryBytes();
    return bytes + (m_automaton ? m_automaton->memoryBytes() : 0);
}

}  // namespace corvell
