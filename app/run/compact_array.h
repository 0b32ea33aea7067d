// A growable array of plain values for the run's large records.
#pragma once

#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace rosterly {

// Like a vector of T, for trivially copyable T, but kept in one malloc'ed block that grows by
// half again with realloc: a large block is then remapped rather than copied, so a long array
// never exists twice over while it grows, and capacity not yet used takes no memory.
template <typename T>
class CompactArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    CompactArray() = default;
    CompactArray(CompactArray&& other) noexcept { swap(other); }
    CompactArray& operator=(CompactArray&& other) noexcept {
        CompactArray(std::move(other)).swap(*this);
        return *this;
    }
    ~CompactArray() { std::free(m_data); }

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T* data() { return m_data; }
    const T* data() const { return m_data; }
    T& operator[](size_t i) { return m_data[i]; }
    const T& operator[](size_t i) const { return m_data[i]; }
    const T* begin() const { return m_data; }
    const T* end() const { return m_data + m_size; }

    void push_back(T value) {
        if (m_size == m_capacity) grow(m_size + 1);
        m_data[m_size++] = value;
    }
    void append(const T* values, size_t count) {
        if (m_size + count > m_capacity) grow(m_size + count);
        std::memcpy(m_data + m_size, values, count * sizeof(T));
        m_size += count;
    }
    // Room for `count` values in all, so appending up to there moves nothing.
    void reserve(size_t count) {
        if (count > m_capacity) setCapacity(count);
    }
    // Leaves the first `count` values; the rest of the block stays reserved.
    void truncate(size_t count) {
        if (count < m_size) m_size = count;
    }
    // Empties the array and gives its memory back.
    void clear() { CompactArray().swap(*this); }

    void swap(CompactArray& other) noexcept {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
    }

private:
    void grow(size_t needed) {
        size_t capacity = m_capacity < 16 ? 16 : m_capacity + m_capacity / 2;
        setCapacity(capacity < needed ? needed : capacity);
    }
    void setCapacity(size_t capacity) {
        void* data = std::realloc(m_data, capacity * sizeof(T));
        if (!data) throw std::bad_alloc();
        m_data = static_cast<T*>(data);
        m_capacity = capacity;
    }

    T* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

}  // namespace rosterly
