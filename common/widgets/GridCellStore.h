#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include <QFont>
#include <QString>

// Compact storage of the grid's cells. A grid of a million cells, most holding a colour and a
// short text, has to fit in a few tens of megabytes and to grow, shrink and take a row
// insertion without touching cells that are not there:
// - an empty cell costs nothing beyond a 4-byte slot in a row that holds some cell (rows
//   without cells cost one empty vector);
// - a filled cell is one 36-byte record in a chunked pool, texts up to 7 UTF-16 units inline;
// - user data and fonts, rarely set, live in side tables.

/// UTF-16 text, inline up to kInline units, else one heap block with its length in front.
class CCompactText {
public:
    static constexpr int kInline = 7;

    CCompactText() = default;
    ~CCompactText() { Release(); }
    CCompactText(const CCompactText& other) { Assign(other.Data(), other.Size()); }
    CCompactText& operator=(const CCompactText& other);
    CCompactText(CCompactText&& other) noexcept;
    CCompactText& operator=(CCompactText&& other) noexcept;

    void Assign(const char16_t* data, size_t size);
    void Assign(const QString& text) {
        Assign(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
    }
    void Clear() {
        Release();
        m_nLen = 0;
    }
    [[nodiscard]] size_t Size() const;
    [[nodiscard]] const char16_t* Data() const;
    [[nodiscard]] bool IsEmpty() const { return m_nLen == 0; }
    [[nodiscard]] QString ToQString() const {
        return QString(reinterpret_cast<const QChar*>(Data()), static_cast<qsizetype>(Size()));
    }
    /// Heap bytes held beyond the object itself.
    [[nodiscard]] size_t HeapBytes() const;

private:
    static constexpr std::uint16_t kHeap = 0xFFFF;
    [[nodiscard]] char16_t* HeapPtr() const;
    void Release();

    char16_t m_buf[kInline] = {};
    std::uint16_t m_nLen = 0; // kHeap: m_buf holds a pointer to [uint32 length][units]
};

/// One filled cell. Colours are 0x00BBGGRR, 0xFF000000 meaning "the default cell's colour".
struct SCellData {
    enum : std::uint16_t {
        kHasFormat = 0x1, // the format was set on the cell; otherwise the default cell's
        kHasData = 0x2,   // user data lives in the side table
    };
    CCompactText text;
    std::uint32_t crBack = 0xFF000000u;
    std::uint32_t crText = 0xFF000000u;
    std::uint32_t nFormat = 0;
    std::uint16_t nState = 0;
    std::int16_t nImage = -1;
    std::uint16_t nFont = 0; // 0: the default cell's font, else index + 1 into the font table
    std::uint16_t nFlags = 0;
};

// A million of them make up most of a statistics page's memory.
static_assert(sizeof(SCellData) <= 36, "a filled cell must stay compact");

class CGridCellStore {
public:
    CGridCellStore() = default;
    CGridCellStore(const CGridCellStore&) = delete;
    CGridCellStore& operator=(const CGridCellStore&) = delete;

    [[nodiscard]] int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    [[nodiscard]] int GetColumnCount() const { return m_nCols; }
    /// Resizes; cells of removed rows and columns are destroyed.
    void SetSize(int rows, int cols);
    /// A new empty row before index (0..row count).
    void InsertRow(int index);

    /// The cell's record, or nullptr when the cell is empty or outside the grid.
    [[nodiscard]] const SCellData* Find(int row, int col) const;
    [[nodiscard]] SCellData* Find(int row, int col);
    /// The cell's record, created on first use; nullptr outside the grid.
    SCellData* Ensure(int row, int col);
    /// Destroys the cell's record (the cell becomes empty).
    void Erase(int row, int col);
    void Clear();

    [[nodiscard]] std::uintptr_t GetData(int row, int col) const;
    void SetData(int row, int col, std::uintptr_t data);

    /// Index + 1 of the font in the shared font table (fonts repeat; each is kept once).
    std::uint16_t InternFont(const QFont& font);
    [[nodiscard]] const QFont* GetFont(std::uint16_t index) const;

    [[nodiscard]] size_t GetFilledCount() const { return m_nLive; }
    /// Bytes held by the store: slots, records, heap texts, side tables.
    [[nodiscard]] size_t GetMemoryBytes() const;

private:
    static constexpr size_t kChunk = 4096;
    [[nodiscard]] SCellData& Record(std::uint32_t slot) const {
        const size_t i = slot - 1;
        return m_chunks[i / kChunk][i % kChunk];
    }
    std::uint32_t Allocate();
    void Free(std::uint32_t slot);
    [[nodiscard]] static std::uint64_t Key(std::uint32_t slot) { return slot; }

    int m_nCols = 0;
    // Per row, one slot per column (0 = empty, else record index + 1); empty rows hold none.
    std::vector<std::vector<std::uint32_t>> m_rows;
    std::vector<std::unique_ptr<SCellData[]>> m_chunks; // never moves: records keep addresses
    size_t m_nAllocated = 0;
    size_t m_nLive = 0;
    std::vector<std::uint32_t> m_free;
    std::unordered_map<std::uint32_t, std::uintptr_t> m_data; // keyed by slot
    std::vector<QFont> m_fonts;
};
