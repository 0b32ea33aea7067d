// A list of the run's record entries that costs nothing while they come in the record's order.
#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <span>
#include <utility>
#include <vector>

#include "accepted_addresses.h"

namespace rosterly {

// Entries of the run's record, in the order they were appended. A run appends them in the
// record's order, one entry after the next, and while they come so only their range is kept:
// a list of millions of entries takes no memory until something asks for the list itself
// (list()). A run asks only to sort or group them: for the whole list once it has let go of
// its duplicate index, and for each piece of a split list.
class EntryList {
public:
    using Entry = AcceptedAddresses::Entry;

    EntryList() = default;
    explicit EntryList(std::vector<Entry> listed) : m_listed(std::move(listed)) {}

    void append(Entry entry) {
        if (m_listed.empty()) {
            if (m_first == m_end) m_first = m_end = entry;
            if (entry == m_end) {
                ++m_end;
                return;
            }
            listRange();
        }
        m_listed.push_back(entry);
    }

    std::size_t size() const { return m_listed.size() + (m_end - m_first); }
    bool empty() const { return size() == 0; }
    Entry operator[](std::size_t i) const {
        return m_listed.empty() ? Entry(m_first + i) : m_listed[i];
    }

    // The entries one by one, for putting them into another order.
    std::vector<Entry>& list() {
        listRange();
        return m_listed;
    }

    // Calls part(std::span<const Entry>) with the entries in order, a part at a time.
    template <typename Part>
    void forEachPart(Part part) const {
        part(std::span<const Entry>(m_listed));
        Entry listed[1024];
        for (Entry from = m_first; from < m_end;) {
            const Entry size = std::min<Entry>(std::size(listed), m_end - from);
            for (Entry i = 0; i < size; ++i) listed[i] = from + i;
            part(std::span<const Entry>(listed, size));
            from += size;
        }
    }

    // Empty, its memory given back.
    void clear() {
        m_listed = {};
        m_first = m_end = 0;
    }

private:
    void listRange() {
        m_listed.reserve(m_listed.size() + (m_end - m_first));
        for (Entry entry = m_first; entry < m_end; ++entry) m_listed.push_back(entry);
        m_first = m_end = 0;
    }

    std::vector<Entry> m_listed;
    // The range [m_first, m_end) of entries appended one after another: only while none is
    // listed.
    Entry m_first = 0;
    Entry m_end = 0;
};

}  // namespace rosterly
