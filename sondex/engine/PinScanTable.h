#pragma once

#include "CellList.h"
#include "LogDataDDR.h"
#include "LogHeader.h"
#include "ValueRange.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <iterator>
#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sondex {

/// Result entries of a log: "<1|0>#<pin>_<sub><value>" to pass width in picoseconds.
using ResultMap = std::map<std::wstring, int32_t>;

/// One per-pin scan table: rows are combinations of the row parameters, columns
/// combinations of the column parameters, cells the results printed for them.
///
/// Geometry with nB row and nC column parameters: rows 0..nC-1 are header rows (values of
/// column parameter i), columns 0..nB-1 header columns (values of row parameter j), column
/// nB is a spacer, data rows run from nC and data columns from nB + 1.
class CPinScanTable {
public:
    using CellKey = std::pair<int, int>; ///< (row, column)
    using CellList = CCellList;
    using ValueList = std::vector<int32_t>;

    /// Header value used where a table has none (no "sr" or sub-parameter column).
    static constexpr int32_t kNoValue = -100;
    /// Largest number of combinations per axis and of data cells a table holds; a pin line
    /// asking for more is rejected rather than exhausting memory.
    static constexpr int64_t kMaxAxisCombinations = 65536;
    static constexpr int64_t kMaxDataCells = int64_t(1) << 20;
    /// Results reserved per merged cell at most; longer lists grow as needed.
    static constexpr size_t kMaxMergeReserve = 256;

    explicit CPinScanTable(const LogHeader& header = LogHeader());
    CPinScanTable(const CPinScanTable&) = delete;
    CPinScanTable& operator=(const CPinScanTable&) = delete;

    /// Takes the parameters of a table from the fields of its first record line.
    bool ParsePinLine(const std::vector<std::string_view>& fields);
    /// Geometry, header values and the value maps; then subName and the configured values.
    /// With held given, a message is kept there instead of shown.
    void BuildLayout(const std::vector<int32_t>& selectedSr,
                     std::vector<std::wstring>* held = nullptr);
    /// Stores the result of one record line in its cell; false when the line is rejected.
    bool ParseRow(const std::vector<std::string_view>& fields);
    /// ParseRow for a line whose fields have been read already (ReadRecordFields).
    bool ParseRowWords(const std::vector<uint32_t>& words, int32_t state);

    /// Widths per sub-parameter value into results (an existing text keeps its width) and
    /// the table's verdict on its sr-0 columns.
    bool AnalyzeTable(ResultMap& results);
    /// Adds a log's table to this statistics table.
    void MergeTable(const CPinScanTable& log);
    /// The number of logs to be merged into this table, so each cell's list is allocated
    /// once for all of them.
    void SetMergeCount(size_t logs) { m_nMergeCount = std::min<size_t>(logs, kMaxMergeReserve); }

    /// The cell test: a cell passes when none of its results failed; a missing cell passes
    /// only between passing cells above and below it.
    [[nodiscard]] bool CellPasses(int row, int col) const;
    /// Longest run of consecutive passing data rows in a data column.
    [[nodiscard]] int LongestRun(int col) const;
    /// Minimum pass width in picoseconds configured for a sub-parameter value; 0 when none.
    [[nodiscard]] int32_t MinPass(int32_t value) const;

    /// True when both tables have the same parameter counts and range names (any case).
    [[nodiscard]] bool HasSameRanges(const CPinScanTable& other) const;

    [[nodiscard]] std::optional<int32_t> GetHeaderValue(int row, int col) const;
    /// The results at a cell in arrival order; nullptr when it has none.
    [[nodiscard]] const CellList* GetCells(int row, int col) const;
    /// Number of cells holding at least one result.
    [[nodiscard]] size_t GetCellKeyCount() const { return m_nCellKeys; }
    /// Visits every cell holding results, ordered by row, then column.
    template <typename F> void ForEachCell(F&& visit) const;
    [[nodiscard]] const std::map<CellKey, int32_t>& GetHeaderValues() const {
        BuildMaps();
        return m_headerValues;
    }

    [[nodiscard]] const std::vector<const CValueRange*>& GetRowRanges() const {
        return m_rowRanges;
    }
    [[nodiscard]] const std::vector<const CValueRange*>& GetColRanges() const {
        return m_colRanges;
    }
    [[nodiscard]] int GetRowParamCount() const { return m_nRowParamCount; }
    [[nodiscard]] int GetColParamCount() const { return m_nColParamCount; }
    [[nodiscard]] const std::wstring& GetFirstRowName() const { return m_strFirstRowName; }
    [[nodiscard]] const std::wstring& GetSubName() const { return m_strSubName; }
    [[nodiscard]] int GetSrIndex() const { return m_nSrIndex; }
    [[nodiscard]] int GetSubIndex() const { return m_nSubIndex; }
    [[nodiscard]] int GetRowCount() const { return m_nRowCount; }
    [[nodiscard]] int GetColCount() const { return m_nColCount; }
    [[nodiscard]] int GetLastColRangeCount() const { return m_nLastColRangeCount; }
    [[nodiscard]] const std::map<int, ValueList>& GetValuesByCol() const {
        BuildMaps();
        return m_valuesByCol;
    }
    [[nodiscard]] const std::map<ValueList, int>& GetColByValues() const {
        BuildMaps();
        return m_colByValues;
    }
    [[nodiscard]] const std::map<int, ValueList>& GetValuesByRow() const {
        BuildMaps();
        return m_valuesByRow;
    }
    [[nodiscard]] const std::map<ValueList, int>& GetRowByValues() const {
        BuildMaps();
        return m_rowByValues;
    }
    [[nodiscard]] bool IsStatistical() const { return m_bStatistical; }
    void SetStatistical(bool statistical) { m_bStatistical = statistical; }
    [[nodiscard]] const LogHeader& GetHeader() const { return m_header; }
    [[nodiscard]] int32_t GetTcnt() const { return m_nTcnt; }
    [[nodiscard]] const std::vector<int32_t>& GetSelectedSr() const { return m_selectedSr; }
    [[nodiscard]] const std::vector<int32_t>& GetConfiguredValues() const {
        return m_configuredValues;
    }
    [[nodiscard]] const std::map<int, int>& GetSr0Runs() const { return m_sr0Runs; }
    [[nodiscard]] const std::map<int32_t, int32_t>& GetWidths() const { return m_widths; }
    [[nodiscard]] const std::map<int32_t, int>& GetVerdictRuns() const { return m_verdictRuns; }
    /// The verdict of the last AnalyzeTable; true before any.
    [[nodiscard]] bool GetVerdict() const { return m_bVerdict; }

private:
    struct SPinInfo {
        bool resolved = false;
        std::wstring pinName;
        std::wstring rangeName; ///< "<DDR type>_<pin name>"
    };
    const SPinInfo& PinInfo(uint32_t pinCode);
    void ResetParameters();
    void DetermineSubName(std::vector<std::wstring>* held);
    bool AnalyzeWidths(ResultMap& results);
    /// Pass (1), fail (0) or no cell (-1) of every data row of a column.
    void ColumnStates(int col, std::vector<int8_t>& states) const;
    /// Index of a data cell in m_dense, -1 outside the geometry.
    [[nodiscard]] int64_t DenseIndex(int row, int col) const;
    /// The list of a cell, created when absent.
    CellList& CellAt(int row, int col);
    void BuildValueIndex();
    /// Empties the cells and gives them a new pool for a data area of a x b cells.
    void ResetCells(int a, int b);

    LogHeader m_header;
    std::vector<const CValueRange*> m_rowRanges; ///< not owned: the configuration's
    std::vector<const CValueRange*> m_colRanges;
    int m_nRowParamCount = 0;
    int m_nColParamCount = 0;
    std::wstring m_strFirstRowName;
    std::wstring m_strSubName;
    int m_nSrIndex = -1;
    int m_nSubIndex = -1;
    int m_nRowCount = 0;
    int m_nColCount = 0;
    int m_nLastColRangeCount = 1;
    // The geometry as BuildLayout found it; the header value and value-list maps follow
    // from it and are made on first request.
    struct SLayout {
        int nB = 0;
        int nC = 0;
        int a = 0; ///< data rows (none before BuildLayout)
        int b = 0; ///< data columns
        std::vector<const CValueRange*> rowRanges;
        std::vector<const CValueRange*> colRanges;
        std::vector<int> rowRepeat;
        std::vector<int> colRepeat;
        [[nodiscard]] int32_t ColValue(int i, int k) const;
        [[nodiscard]] int32_t RowValue(int j, int k) const;
    };
    void BuildMaps() const;
    SLayout m_layout;
    mutable bool m_bMapsBuilt = false;
    mutable std::map<CellKey, int32_t> m_headerValues;
    mutable std::map<ValueList, int> m_colByValues;
    mutable std::map<int, ValueList> m_valuesByCol;
    mutable std::map<ValueList, int> m_rowByValues;
    mutable std::map<int, ValueList> m_valuesByRow;
    // Cells of the data area by (row - nC) * b + (column - nB - 1); keys outside it (a
    // merge of tables that differ) are kept in m_extraCells.
    std::vector<CellList> m_dense;
    int m_nDenseRows = 0;
    int m_nDenseCols = 0;
    std::map<CellKey, CellList> m_extraCells;
    size_t m_nCellKeys = 0;
    size_t m_nMergeCount = 0;
    bool m_bStatistical = false;
    int32_t m_nTcnt = 1;
    std::vector<int32_t> m_selectedSr;
    std::vector<int32_t> m_configuredValues;
    std::map<int, int> m_sr0Runs;
    std::map<int32_t, int32_t> m_widths;
    std::map<int32_t, int> m_verdictRuns;
    bool m_bVerdict = true;

    std::map<uint32_t, SPinInfo> m_pinCache; ///< by pin code, filled on first use
    // Per parameter: index of the first range value equal to a word value (0..255), -1 if
    // none, and the parameter's stride; a record line's row and column follow from them
    // as rowByValues / colByValues would give them.
    std::vector<std::array<int16_t, 256>> m_rowValueIndex;
    std::vector<std::array<int16_t, 256>> m_colValueIndex;
    std::vector<int> m_rowStride;
    std::vector<int> m_colStride;
    std::vector<int> m_rowMatchedPin; ///< per position: a pin code whose range name matched
    std::vector<int> m_colMatchedPin;
    // The words of the last line placed in position order: axis, position and pin bits,
    // the value index and stride of their parameter. Emptied whenever the index changes.
    static constexpr uint32_t kPatternBits = 0xFF00FF00;
    struct SPatternWord {
        uint32_t bits = 0;
        const std::array<int16_t, 256>* index = nullptr;
        int stride = 0;
        bool row = false;
    };
    std::vector<SPatternWord> m_pattern;
    /// Adds a result to the data cell at (rowAt, colAt) of the data area.
    void PlaceResult(int rowAt, int colAt, int32_t state);
    ValueList m_rowScratch;
    ValueList m_colScratch;
    std::vector<uint32_t> m_wordScratch;
};

template <typename F> void CPinScanTable::ForEachCell(F&& visit) const {
    auto extra = m_extraCells.begin();
    const int nB = m_nRowParamCount;
    const int nC = m_nColParamCount;
    // Cell i of the data area is row i / columns, column i % columns.
    size_t i = 0;
    for (int r = 0; r < m_nDenseRows; ++r) {
        for (int c = 0; c < m_nDenseCols; ++c, ++i) {
            if (m_dense[i].empty()) {
                continue;
            }
            const CellKey key{nC + r, nB + 1 + c};
            for (; extra != m_extraCells.end() && extra->first < key; ++extra) {
                visit(extra->first.first, extra->first.second, extra->second);
            }
            visit(key.first, key.second, m_dense[i]);
        }
    }
    for (; extra != m_extraCells.end(); ++extra) {
        visit(extra->first.first, extra->first.second, extra->second);
    }
}

/// Checks the fields of a record line (3-character first and last field, parameter words
/// "0x" + eight hex digits between) and gives the words' values ("0x%X": a "0X" prefix
/// reads as 0) and the result state.
[[nodiscard]] bool ReadRecordFields(const std::vector<std::string_view>& fields,
                                    std::vector<uint32_t>& words, int32_t& state);
/// The same read straight from one untrimmed line when it has the form a log prints
/// (three characters, tab-separated words, three characters, trailing white space): true
/// with the words and state the field split and ReadRecordFields give. False says only
/// that the line has another form; the caller then takes the general path.
[[nodiscard]] bool DecodePlainRecordLine(std::string_view line, std::vector<uint32_t>& words,
                                         int32_t& state);
/// The same, also giving the offset of the result field (its three characters) in line.
[[nodiscard]] bool DecodePlainRecordLine(std::string_view line, std::vector<uint32_t>& words,
                                         int32_t& state, size_t& resultAt);

} // namespace sondex
