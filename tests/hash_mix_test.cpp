// The hash of whole texts: every byte counts, wherever it stands, and so does the length.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "com/hash_mix.h"

namespace {

std::uint64_t hashOf(const std::string& text, std::uint64_t seed = com::kHashStart) {
    return com::hashBytes(text.data(), text.size(), seed);
}

// Texts of every length up to three words, each changed in one byte at every position: the
// bytes of the last, partial word count as much as those of the whole words before it.
TEST(HashBytesTest, EveryByteOfEveryLengthChangesTheHash) {
    for (std::size_t length = 1; length <= 24; ++length) {
        const std::string text(length, 'a');
        std::set<std::uint64_t> hashes = {hashOf(text)};
        for (std::size_t at = 0; at < length; ++at) {
            std::string changed = text;
            changed[at] = 'b';
            hashes.insert(hashOf(changed));
        }
        EXPECT_EQ(hashes.size(), length + 1) << length;
    }
}

// Zero bytes at the end look like the padding of a partial word; the length tells them apart.
TEST(HashBytesTest, TrailingZeroBytesAndTheEmptyTextHashApart) {
    std::set<std::uint64_t> hashes;
    std::string text;
    for (int zeros = 0; zeros <= 16; ++zeros) {
        hashes.insert(hashOf(text));
        text.push_back('\0');
    }
    EXPECT_EQ(hashes.size(), 17u);
}

TEST(HashBytesTest, EqualTextsAndSeedsHashAlikeAndTheSeedCounts) {
    const std::string address = "someone@example.org";
    EXPECT_EQ(hashOf(address), hashOf(std::string(address)));
    EXPECT_NE(hashOf(address, 1), hashOf(address, 2));
}

}  // namespace
