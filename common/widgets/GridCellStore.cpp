#include "GridCellStore.h"

#include <algorithm>
#include <cstring>

// --- CCompactText -------------------------------------------------------------------------

CCompactText& CCompactText::operator=(const CCompactText& other) {
    if (this != &other)
        Assign(other.Data(), other.Size());
    return *this;
}

CCompactText::CCompactText(CCompactText&& other) noexcept {
    std::memcpy(m_buf, other.m_buf, sizeof m_buf);
    m_nLen = other.m_nLen;
    other.m_nLen = 0;
}

CCompactText& CCompactText::operator=(CCompactText&& other) noexcept {
    if (this != &other) {
        Release();
        std::memcpy(m_buf, other.m_buf, sizeof m_buf);
        m_nLen = other.m_nLen;
        other.m_nLen = 0;
    }
    return *this;
}

char16_t* CCompactText::HeapPtr() const {
    char16_t* ptr = nullptr;
    std::memcpy(&ptr, m_buf, sizeof ptr);
    return ptr;
}

void CCompactText::Release() {
    if (m_nLen == kHeap)
        delete[] HeapPtr();
    m_nLen = 0;
}

void CCompactText::Assign(const char16_t* data, size_t size) {
    if (m_nLen == kHeap && data == HeapPtr() + 2)
        return; // assigning itself
    if (size <= static_cast<size_t>(kInline)) {
        char16_t tmp[kInline];
        std::memcpy(tmp, data, size * sizeof(char16_t));
        Release();
        std::memcpy(m_buf, tmp, size * sizeof(char16_t));
        m_nLen = static_cast<std::uint16_t>(size);
        return;
    }
    // Texts beyond 4 G units are cut: no cell shows anything near that.
    size = std::min<size_t>(size, 0xFFFFFFFFu);
    auto* block = new char16_t[size + 2];
    const auto len = static_cast<std::uint32_t>(size);
    std::memcpy(block, &len, sizeof len);
    std::memcpy(block + 2, data, size * sizeof(char16_t));
    Release();
    std::memcpy(m_buf, &block, sizeof block);
    m_nLen = kHeap;
}

size_t CCompactText::Size() const {
    if (m_nLen != kHeap)
        return m_nLen;
    std::uint32_t len = 0;
    std::memcpy(&len, HeapPtr(), sizeof len);
    return len;
}

const char16_t* CCompactText::Data() const {
    return m_nLen == kHeap ? HeapPtr() + 2 : m_buf;
}

size_t CCompactText::HeapBytes() const {
    return m_nLen == kHeap ? (Size() + 2) * sizeof(char16_t) : 0;
}

// --- CGridCellStore -----------------------------------------------------------------------

void CGridCellStore::SetSize(int rows, int cols) {
    rows = std::max(0, rows);
    cols = std::max(0, cols);
    for (size_t r = static_cast<size_t>(rows); r < m_rows.size(); ++r)
        for (std::uint32_t slot : m_rows[r])
            if (slot)
                Free(slot);
    m_rows.resize(static_cast<size_t>(rows));
    if (cols < m_nCols) {
        for (std::vector<std::uint32_t>& row : m_rows) {
            if (row.size() <= static_cast<size_t>(cols))
                continue;
            for (size_t c = static_cast<size_t>(cols); c < row.size(); ++c)
                if (row[c])
                    Free(row[c]);
            row.resize(static_cast<size_t>(cols));
            row.shrink_to_fit();
        }
    }
    m_nCols = cols;
}

void CGridCellStore::InsertRow(int index) {
    index = std::clamp(index, 0, GetRowCount());
    m_rows.insert(m_rows.begin() + index, std::vector<std::uint32_t>());
}

const SCellData* CGridCellStore::Find(int row, int col) const {
    if (row < 0 || row >= GetRowCount() || col < 0 || col >= m_nCols)
        return nullptr;
    const std::vector<std::uint32_t>& rowSlots = m_rows[static_cast<size_t>(row)];
    if (static_cast<size_t>(col) >= rowSlots.size())
        return nullptr;
    const std::uint32_t slot = rowSlots[static_cast<size_t>(col)];
    return slot ? &Record(slot) : nullptr;
}

SCellData* CGridCellStore::Find(int row, int col) {
    return const_cast<SCellData*>(static_cast<const CGridCellStore*>(this)->Find(row, col));
}

SCellData* CGridCellStore::Ensure(int row, int col) {
    if (row < 0 || row >= GetRowCount() || col < 0 || col >= m_nCols)
        return nullptr;
    std::vector<std::uint32_t>& rowSlots = m_rows[static_cast<size_t>(row)];
    if (rowSlots.size() < static_cast<size_t>(m_nCols))
        rowSlots.resize(static_cast<size_t>(m_nCols), 0);
    std::uint32_t& slot = rowSlots[static_cast<size_t>(col)];
    if (!slot)
        slot = Allocate();
    return &Record(slot);
}

void CGridCellStore::Erase(int row, int col) {
    if (row < 0 || row >= GetRowCount() || col < 0)
        return;
    std::vector<std::uint32_t>& rowSlots = m_rows[static_cast<size_t>(row)];
    if (static_cast<size_t>(col) >= rowSlots.size() || !rowSlots[static_cast<size_t>(col)])
        return;
    Free(rowSlots[static_cast<size_t>(col)]);
    rowSlots[static_cast<size_t>(col)] = 0;
}

void CGridCellStore::Clear() {
    const int rows = GetRowCount();
    const int cols = m_nCols;
    SetSize(0, 0);
    m_rows.clear();
    m_chunks.clear();
    m_free.clear();
    m_data.clear();
    m_nAllocated = 0;
    m_nLive = 0;
    SetSize(rows, cols);
}

std::uint32_t CGridCellStore::Allocate() {
    ++m_nLive;
    if (!m_free.empty()) {
        const std::uint32_t slot = m_free.back();
        m_free.pop_back();
        return slot;
    }
    if (m_nAllocated == m_chunks.size() * kChunk)
        m_chunks.push_back(std::make_unique<SCellData[]>(kChunk));
    return static_cast<std::uint32_t>(++m_nAllocated);
}

void CGridCellStore::Free(std::uint32_t slot) {
    Record(slot) = SCellData();
    m_data.erase(slot);
    m_free.push_back(slot);
    --m_nLive;
}

std::uintptr_t CGridCellStore::GetData(int row, int col) const {
    const SCellData* cell = Find(row, col);
    if (!cell || !(cell->nFlags & SCellData::kHasData))
        return 0;
    const std::uint32_t slot = m_rows[static_cast<size_t>(row)][static_cast<size_t>(col)];
    const auto it = m_data.find(slot);
    return it == m_data.end() ? 0 : it->second;
}

void CGridCellStore::SetData(int row, int col, std::uintptr_t data) {
    SCellData* cell = data ? Ensure(row, col) : Find(row, col);
    if (!cell)
        return;
    const std::uint32_t slot = m_rows[static_cast<size_t>(row)][static_cast<size_t>(col)];
    if (data) {
        m_data[slot] = data;
        cell->nFlags |= SCellData::kHasData;
    } else {
        m_data.erase(slot);
        cell->nFlags &= static_cast<std::uint16_t>(~SCellData::kHasData);
    }
}

std::uint16_t CGridCellStore::InternFont(const QFont& font) {
    const auto it = std::find(m_fonts.begin(), m_fonts.end(), font);
    if (it != m_fonts.end())
        return static_cast<std::uint16_t>(it - m_fonts.begin() + 1);
    // The table is bounded; past its end a new font falls back to the last entry.
    if (m_fonts.size() >= 0xFFFE)
        return static_cast<std::uint16_t>(m_fonts.size());
    m_fonts.push_back(font);
    return static_cast<std::uint16_t>(m_fonts.size());
}

const QFont* CGridCellStore::GetFont(std::uint16_t index) const {
    return index >= 1 && index <= m_fonts.size() ? &m_fonts[index - 1u] : nullptr;
}

size_t CGridCellStore::GetMemoryBytes() const {
    size_t bytes = sizeof(*this);
    bytes += m_rows.capacity() * sizeof(std::vector<std::uint32_t>);
    for (const std::vector<std::uint32_t>& row : m_rows)
        bytes += row.capacity() * sizeof(std::uint32_t);
    bytes += m_chunks.size() * (kChunk * sizeof(SCellData) + sizeof(void*));
    bytes += m_free.capacity() * sizeof(std::uint32_t);
    for (size_t i = 0; i < m_nAllocated; ++i)
        bytes += m_chunks[i / kChunk][i % kChunk].text.HeapBytes();
    // Hash nodes: key, value, next pointer and the bucket.
    bytes += m_data.size() * (sizeof(std::uint32_t) + sizeof(std::uintptr_t) + 2 * sizeof(void*));
    bytes += m_fonts.size() * sizeof(QFont);
    return bytes;
}
