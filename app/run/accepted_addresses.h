// The run's record of the addresses it has accepted, for its duplicate test.
#pragma once

#include <QStringView>

#include <cstdint>
#include <memory>
#include <vector>

namespace rosterly {

// A set of texts compared exactly, code unit by code unit: no wildcards, no case folding, no
// substring matches. An address is a duplicate only when the very same text was recorded
// before; the tail of a longer address is a different address.
//
// Built for a million addresses and more: each text is stored once, compactly (one byte per
// character when every character is below U+0100), beside an open-addressing table of pointers.
// Memory grows with the number and length of the distinct texts only.
//
// The empty text is an ordinary member here; the run never records it.
class AcceptedAddresses {
public:
    AcceptedAddresses() = default;
    AcceptedAddresses(const AcceptedAddresses&) = delete;
    AcceptedAddresses& operator=(const AcceptedAddresses&) = delete;

    bool contains(QStringView address) const;
    // Records `address`. False, and no change, when it was recorded already.
    bool insert(QStringView address);
    // Forgets every address and gives the memory back.
    void clear();
    qsizetype size() const { return m_count; }

private:
    size_t slotOf(QStringView address, uint64_t hash) const;
    const char* store(QStringView address);
    void grow();

    std::vector<const char*> m_slots;  // empty or a power of two long; null marks a free slot
    std::vector<std::unique_ptr<char[]>> m_chunks;
    size_t m_chunkUsed = 0;
    size_t m_chunkSize = 0;
    qsizetype m_count = 0;
};

}  // namespace rosterly
