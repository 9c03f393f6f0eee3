#pragma once

#include "LogDataDDR.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <stdexcept>

namespace sondex {

/// The results of one cell in arrival order, kept as their states: a log gives most cells
/// one result, held in place, so opening a log costs no heap allocation per cell and a
/// table's cells stay small. Results are handed out as CLogDataDDR values.
class CCellList {
public:
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = CLogDataDDR;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = CLogDataDDR;

        const_iterator() = default;
        explicit const_iterator(const int32_t* p) : m_p(p) {}
        CLogDataDDR operator*() const { return CLogDataDDR(*m_p); }
        const_iterator& operator++() {
            ++m_p;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++m_p;
            return before;
        }
        bool operator==(const const_iterator&) const = default;

    private:
        const int32_t* m_p = nullptr;
    };
    using value_type = CLogDataDDR;

    CCellList() = default;
    CCellList(const CCellList& other) { append(other); }
    CCellList(CCellList&& other) noexcept { Take(other); }
    CCellList& operator=(const CCellList& other) {
        if (this != &other) {
            m_nSize = 0;
            append(other);
        }
        return *this;
    }
    CCellList& operator=(CCellList&& other) noexcept {
        if (this != &other) {
            Free();
            Take(other);
        }
        return *this;
    }
    ~CCellList() { Free(); }

    [[nodiscard]] size_t size() const { return m_nSize; }
    [[nodiscard]] bool empty() const { return m_nSize == 0; }
    [[nodiscard]] const_iterator begin() const { return const_iterator(Data()); }
    [[nodiscard]] const_iterator end() const { return const_iterator(Data() + m_nSize); }
    [[nodiscard]] CLogDataDDR operator[](size_t i) const { return CLogDataDDR(Data()[i]); }
    [[nodiscard]] CLogDataDDR at(size_t i) const {
        if (i >= m_nSize) {
            throw std::out_of_range("CCellList::at");
        }
        return CLogDataDDR(Data()[i]);
    }
    [[nodiscard]] CLogDataDDR front() const { return at(0); }
    [[nodiscard]] CLogDataDDR back() const { return at(m_nSize - 1); }

    void emplace_back(int32_t state) {
        if (m_nSize == m_nCapacity) {
            Grow(size_t(m_nSize) + 1);
        }
        Data()[m_nSize++] = state;
    }
    void push_back(const CLogDataDDR& result) { emplace_back(result.GetState()); }
    /// Room for n results without moving them again.
    void reserve(size_t n) {
        if (n > m_nCapacity) {
            Grow(n);
        }
    }
    /// Adds the results of another list behind these.
    void append(const CCellList& other) {
        const size_t need = size_t(m_nSize) + other.m_nSize;
        if (need > m_nCapacity) {
            Grow(need);
        }
        const int32_t* from = other.Data();
        int32_t* to = Data() + m_nSize;
        for (uint32_t i = 0; i < other.m_nSize; ++i) {
            to[i] = from[i];
        }
        m_nSize = static_cast<uint32_t>(need);
    }

private:
    static constexpr uint32_t kInPlace = 2;
    [[nodiscard]] const int32_t* Data() const {
        return m_nCapacity > kInPlace ? m_pHeap : m_inPlace;
    }
    [[nodiscard]] int32_t* Data() { return m_nCapacity > kInPlace ? m_pHeap : m_inPlace; }
    /// Capacity for at least n results (doubling), the results kept.
    void Grow(size_t n) {
        size_t capacity = std::max<size_t>({n, size_t(2) * m_nCapacity, 4});
        if (n > UINT32_MAX) {
            throw std::length_error("CCellList: too many results");
        }
        capacity = std::min<size_t>(capacity, UINT32_MAX);
        auto* heap = new int32_t[capacity];
        const int32_t* from = Data();
        for (uint32_t i = 0; i < m_nSize; ++i) {
            heap[i] = from[i];
        }
        Free();
        m_pHeap = heap;
        m_nCapacity = static_cast<uint32_t>(capacity);
    }
    void Free() {
        if (m_nCapacity > kInPlace) {
            delete[] m_pHeap;
            m_nCapacity = kInPlace;
        }
    }
    void Take(CCellList& other) {
        m_nSize = other.m_nSize;
        m_nCapacity = other.m_nCapacity;
        if (other.m_nCapacity > kInPlace) {
            m_pHeap = other.m_pHeap;
        } else {
            m_inPlace[0] = other.m_inPlace[0];
            m_inPlace[1] = other.m_inPlace[1];
        }
        other.m_nSize = 0;
        other.m_nCapacity = kInPlace;
    }

    union {
        int32_t m_inPlace[kInPlace] = {0, 0};
        int32_t* m_pHeap;
    };
    uint32_t m_nSize = 0;
    uint32_t m_nCapacity = kInPlace;
};

} // namespace sondex
