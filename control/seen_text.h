#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "compact_text.h"
#include "position_multimap.h"
#include "suffix_automaton.h"

namespace corvell {

// The record of cleaned addresses a Sievan has produced since its last reset: a growing text
// with a literal substring-containment query. Every code unit (0 to 0xFFFF, including '*', '?',
// '#', '[' and 0) matches only itself.
//
// The text is kept as it is, one byte per unit while no unit is above 0xFF. A small table that
// forgets remembers where recent needles and pieces stand, so a repeated address is mostly found
// with one lookup; the pieces whose repeats the cells below could not answer for exactly are
// filed in full, by a hash of the whole piece.
//
// A needle shaped like an address (an '@' with a unit before it and two after it) can only occur
// where the text has an '@'; those '@'s are filed in a table of context cells. A cell is a window
// of `left` units before an '@' and `right` units after it; every '@' is filed in the coarsest
// cell of its context, and once a cell holds more than 31 different '@'s, they move on into
// finer cells: one unit more on the left and, separately, more on the right. A lookup walks from
// the coarsest cell of the needle towards finer ones as long as its cells are crowded and the
// needle is long enough, and checks the few '@'s of the first cell that is not crowded against
// the text: a step costs a few cache misses however long the text is, however many addresses
// share a domain or a local part. Each '@' of a cell's list carries a tag of the units just
// outside the cell's window, so most of them are set aside without reading the text; and an
// address that was not found has its '@' filed from the cell where its lookup ended, past the
// crowded ones the lookup has just walked. Most needles never turn right before the left walk
// ends, so a crowded cell of the left walk lays out its right walk only for the first needle
// that turns there, finding its '@'s again in the text. Once such reads add up to a few times the
// text, a turn lays out the right walks of every crowded cell of its width in one read: needles
// turn where their local parts end, and those come in a few lengths. A needle that ends inside a
// crowded cell is checked against one '@' of that cell (such crowds mostly share the whole
// needle). Whatever is left (needles without '@', or crowds the cells cannot tell apart) is
// answered by a direct search of the text while such searches have read the text no more than a
// few times over, and after that by an exact suffix automaton, built then and brought up to date
// only when needed again. Memory grows linearly with the text.
//
// The text is limited to kMaxSize = 2^31 - 2 code units (index width); a longer append throws
// std::length_error before changing anything. If memory runs out during append(), the text keeps
// a leading part of the piece and the answers stay exact (from then on until the next reset, by
// the fallback alone). contains() never throws for lack of memory (it then searches the text
// directly). contains() updates lazily built state, so even const use must not be concurrent.
class SeenText {
public:
    // Positions are stored in 32 bits and the fallback automaton needs two states per unit.
    static constexpr std::size_t kMaxSize = 0x7FFFFFFE;

    SeenText();                                       // empty text
    void reset(std::u16string_view initial);          // forget everything; text := initial
    void append(std::u16string_view piece);           // text := text + piece
    bool contains(std::u16string_view needle) const;  // needle occurs in text (empty needle: true)
    // The same with a text's key, which a lookup and the append that may follow it share, so it
    // is computed once; prefetch() gives it and starts fetching what contains() reads first. A
    // key of another text gives the same answers, only slower.
    using Key = std::uint64_t;
    Key prefetch(std::u16string_view needle) const;
    // The same in two steps, for a caller that knows its needles a few lookups ahead: foresee()
    // fetches what prefetch() fetches and notes the cells where the needle's walk is foreseen to
    // end; fetchLists(), called once those have arrived, fetches the lists they lead to, which
    // would otherwise be a second wait on memory. Both only fetch: no answer depends on them.
    struct Foresight {
        Key key;
        std::uint64_t cellKeys[2];
        std::uint8_t left, right;  // the first foreseen cell, as indices of the widths
        std::uint8_t cells;        // how many of cellKeys are foreseen, one further left each
    };
    Foresight foresee(std::u16string_view needle) const;
    void fetchLists(const Foresight& foresight) const;
    bool contains(std::u16string_view needle, Key key) const;
    void append(std::u16string_view piece, Key key);
    std::size_t size() const;         // code units in the text
    std::size_t memoryBytes() const;  // bytes held by the text and its indices
    std::size_t indexBytes() const;   // of those, the bytes beyond the text

    // Diagnostics: whether the exact fallback exists, how many contains() calls since the last
    // reset were answered without the cells, and at how many widths of the left walk every
    // crowded cell has its right walk laid out.
    bool exactIndexBuilt() const { return m_automaton != nullptr; }
    std::size_t fallbackQueries() const { return m_fallbacks; }
    std::size_t branchedWidths() const { return std::popcount(m_branchedWidths); }

private:
    class Context;
    // An '@' not filed yet. It is filed from the cell (fromLeft, 0) on while no right walk has
    // been laid out since `layouts`: a lookup's walk may have found the crowded cells before it
    // (see m_missed).
    struct Pending {
        std::uint32_t at;
        std::uint32_t fromLeft;
        std::uint32_t layouts;
    };
    seen_text_detail::PositionMultimap& cell(std::size_t left, std::size_t right) const;
    using Evicted = std::uint32_t[seen_text_detail::PositionMultimap::kCap];

    void appendChunk(std::u16string_view chunk, std::size_t hintedAt, std::uint32_t hintedLeft);
    void fileAt(const Pending& pending) const;
    // Filing changes only the index, and contains() lays out parts of it on first need.
    void file(std::uint32_t at, Context& context, std::size_t left, std::size_t right,
              bool rightOnly) const;
    void fileFiner(std::uint32_t at, Context& context, std::size_t left, std::size_t right,
                   bool rightOnly, bool branched) const;
    bool isBranched(std::size_t left) const { return (m_branchedWidths >> left & 1) != 0; }
    void branch(std::size_t left, std::uint64_t key) const;
    void branchWidth(std::size_t left) const;
    std::size_t filedEnd() const;
    bool layOutRightWalk(std::size_t left, std::uint64_t key) const;
    // Where a needle's walk through the cells ends: at a cell that is not crowded, inside a
    // crowded one where the needle ends, or before a right walk that is not laid out.
    struct WalkEnd {
        enum Where { Cell, InsideCrowd, Unlaid } where;
        seen_text_detail::PositionMultimap::Candidates candidates;
        std::size_t left, right;  // the cell's widths, as indices of kLeft and kRight
        bool passedRightWalks;    // a crowded cell on the way had its right walk laid out
    };
    WalkEnd walk(std::u16string_view needle, std::size_t at, Context& context) const;
    bool walks(std::u16string_view needle, std::size_t at) const;
    // Tags of filed '@'s, and of a needle's occurrence (see tagAt()).
    std::uint8_t tagAt(std::uint32_t at, std::size_t left, std::size_t right) const;
    struct TagSite {
        const SeenText* text;
        std::size_t left, right;
    };
    static std::uint8_t tagOfFiled(const void* site, std::uint32_t at);
    struct NeedleTag {
        std::uint8_t tag, mask;
        // The needle cannot occur at candidate i: its tag differs where the needle can tell.
        bool excludes(const seen_text_detail::PositionMultimap::Candidates& candidates,
                      std::uint32_t i) const;
    };
    static NeedleTag needleTag(std::u16string_view needle, std::size_t at, std::size_t left,
                               std::size_t right);
    bool occursAt(std::u16string_view needle, std::size_t leftSize, std::size_t at) const;
    static bool cellsAnswerExactly(std::size_t at, std::size_t rightSize);
    bool isWholePiece(std::u16string_view needle, std::uint64_t key) const;
    bool recalls(std::u16string_view needle, std::uint64_t key) const;
    void remember(std::uint64_t key, std::size_t position) const;
    void growRecent();
    bool containsExactly(std::u16string_view needle) const;

    CompactText m_text;
    // The '@'s of the text by context, one table per cell: a key is known by part of its hash
    // only, and the keys that share a list must be of one cell. The cells keep their lists in
    // one pool, so the lists that a crowded key lets go serve the finer cells it hands on to.
    mutable seen_text_detail::PositionLists m_cellLists;
    mutable std::vector<seen_text_detail::PositionMultimap> m_cells;
    // Start positions of the appended pieces that the cells cannot answer for exactly (see
    // cellsAnswerExactly()), by a hash of the whole piece.
    seen_text_detail::PositionLists m_pieceLists;
    seen_text_detail::PositionMultimap m_pieces{m_pieceLists};
    std::size_t m_pieceCount = 0;
    // Recent answers: where a recent needle or piece stands, by a hash of it.
    struct RecentSlot {
        std::uint32_t tag;       // the hash's high half
        std::uint32_t position;  // + 1; 0 for none
    };
    mutable std::vector<RecentSlot> m_recent;
    // The '@'s not filed yet: too few units follow them for the widest cell.
    std::array<Pending, 64> m_pending{};
    std::size_t m_pendingCount = 0;
    // The last needle that was not found, when its walk ended in the left walk past crowded
    // cells none of which had a right walk laid out: the '@' of the same text appended next is
    // filed from where that walk ended, unless a right walk is laid out before it is filed.
    struct Missed {
        const char16_t* needle = nullptr;  // its units, as given: the same units, appended
        std::size_t size = 0;
        Key key = 0;
        std::size_t at = 0;  // its first '@'
        std::uint32_t left = 0;
        std::uint32_t layouts = 0;
    };
    mutable Missed m_missed;
    // Where the last walk through the cells ended, as indices of kLeft and kRight; the share of
    // recent lookups that were not recalled, and of recent walks that ended where the walk
    // before them foretold: running means, in kShareScale parts. See prefetch().
    struct CellIndices {
        std::uint32_t left = 0, right = 0;
    };
    mutable CellIndices m_lastWalkEnd;
    static constexpr std::uint32_t kShareScale = 1024;
    mutable std::uint32_t m_walkingShare = 0;
    mutable std::uint32_t m_foreseenShare = 0;
    static void addToShare(std::uint32_t& share, bool held);
    // Right walks laid out so far (each branch() or branchWidth()).
    mutable std::uint32_t m_layouts = 0;
    // Filing ran out of memory: answers come from the exact fallback until the next reset.
    mutable bool m_cellsIncomplete = false;
    mutable std::unique_ptr<SuffixAutomaton> m_automaton;  // knows a prefix of m_text
    mutable std::size_t m_fallbacks = 0;
    // Units read by direct searches standing in for the automaton; see containsExactly().
    static constexpr std::size_t kScanBudget = 4;
    mutable std::size_t m_scannedUnits = 0;
    // Units read to find the '@'s of one crowded cell again; see branch().
    static constexpr std::size_t kBranchReadBudget = 4;
    mutable std::size_t m_branchReads = 0;
    // One bit per width of the left walk: every crowded cell of it has its right walk laid out.
    mutable std::uint32_t m_branchedWidths = 0;
};

}  // namespace corvell
