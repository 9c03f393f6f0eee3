#include "PinScanTable.h"

#include "ProjectConfig.h"
#include "SondexText.h"

#include "TextUtil.h"
#include "UserPrompt.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

namespace sondex {

namespace {

// Value of a hexadecimal digit by byte, 0xFF for any other byte.
constexpr std::array<uint8_t, 256> kHexValue = [] {
    std::array<uint8_t, 256> t{};
    t.fill(0xFF);
    for (int c = '0'; c <= '9'; ++c) {
        t[static_cast<size_t>(c)] = static_cast<uint8_t>(c - '0');
    }
    for (int c = 'a'; c <= 'f'; ++c) {
        t[static_cast<size_t>(c)] = static_cast<uint8_t>(c - 'a' + 10);
        t[static_cast<size_t>(c - 'a' + 'A')] = static_cast<uint8_t>(c - 'a' + 10);
    }
    return t;
}();

bool EqualsNoCaseBytes(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z') {
            x = static_cast<char>(x - 'a' + 'A');
        }
        if (y >= 'a' && y <= 'z') {
            y = static_cast<char>(y - 'a' + 'A');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

int32_t SaturatedProduct(int64_t a, int64_t b) {
    const int64_t p = a * b;
    return static_cast<int32_t>(std::clamp<int64_t>(p, INT32_MIN, INT32_MAX));
}

constexpr uint32_t kAxisRow = 0xB;
constexpr uint32_t kAxisCol = 0xC;

uint32_t AxisOf(uint32_t w) {
    return w >> 28;
}
int PositionOf(uint32_t w) {
    return static_cast<int>((w >> 24) & 0xF);
}
uint32_t PinCodeOf(uint32_t w) {
    return (w >> 8) & 0xFF;
}
int32_t ValueOf(uint32_t w) {
    return static_cast<int32_t>(w & 0xFF);
}

// Longest run of passing rows from the per-row states of a column (-1 = no cell). A
// missing cell passes when the nearest cells above and below it exist and pass; the
// first and last data rows never pass without a cell.
int RunOfStates(const int8_t* states, size_t n, std::vector<int8_t>& below) {
    // below[k]: the state of the nearest cell under row k, -1 when there is none.
    below.resize(n);
    int8_t next = -1;
    for (size_t k = n; k-- > 0;) {
        below[k] = next;
        if (states[k] >= 0) {
            next = states[k];
        }
    }
    int best = 0;
    int count = 0;
    int8_t above = -1;
    for (size_t k = 0; k < n; ++k) {
        bool passes = false;
        if (states[k] >= 0) {
            passes = states[k] != 0;
            above = states[k];
        } else if (k != 0 && k != n - 1) {
            passes = above == 1 && below[k] == 1;
        }
        count = passes ? count + 1 : 0;
        best = std::max(best, count);
    }
    return best;
}

int RunOfStates(const std::vector<int8_t>& states) {
    std::vector<int8_t> below;
    return RunOfStates(states.data(), states.size(), below);
}

int8_t StateOfList(const CPinScanTable::CellList& list) {
    for (const auto& result : list) {
        if (result.GetState() == CLogDataDDR::kFail) {
            return 0;
        }
    }
    return 1;
}

} // namespace

bool ReadRecordFields(const std::vector<std::string_view>& fields, std::vector<uint32_t>& words,
                      int32_t& state) {
    words.clear();
    if (fields.size() < 3 || fields.front().size() != 3 || fields.back().size() != 3) {
        return false;
    }
    for (size_t i = 1; i + 1 < fields.size(); ++i) {
        const std::string_view f = fields[i];
        if (f.size() != 10 || f[0] != '0' || (f[1] != 'x' && f[1] != 'X')) {
            return false;
        }
        uint32_t w = 0;
        uint8_t bad = 0;
        for (size_t k = 2; k < 10; ++k) {
            const uint8_t d = kHexValue[static_cast<uint8_t>(f[k])];
            bad |= d;
            w = (w << 4) | (d & 0xF);
        }
        if (bad & 0xF0) {
            return false;
        }
        // Read as "0x%X": only the lower-case prefix gives the value.
        words.push_back(f[1] == 'x' ? w : 0u);
    }
    const std::string_view result = fields.back();
    if (result[0] == '0' && (result[1] | 0x20) == 'x' && result[2] == '0') {
        state = CLogDataDDR::kPass;
    } else if (EqualsNoCaseBytes(result, "0Xf")) {
        state = CLogDataDDR::kFail;
    } else {
        state = CLogDataDDR::kOther;
    }
    return true;
}

namespace {

// White space as the field split trims it: space, tab, LF, VT, FF, CR.
bool IsBlank(char c) {
    return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t';
}

int32_t ResultState(const char* r) {
    if (r[0] == '0' && (r[1] | 0x20) == 'x' && r[2] == '0') {
        return CLogDataDDR::kPass;
    }
    if (EqualsNoCaseBytes(std::string_view(r, 3), "0Xf")) {
        return CLogDataDDR::kFail;
    }
    return CLogDataDDR::kOther;
}

} // namespace

namespace {

constexpr uint64_t kBytes(uint8_t b) {
    return uint64_t(0x0101010101010101) * b;
}

// Eight hexadecimal digits at p as one value, eight bytes at a time: false if any byte is
// not a digit. Byte ranges are tested by adding to every byte at once (all bytes are below
// 0x80 first, so no sum carries into the next byte).
bool HexWord8(const char* p, uint32_t& out) {
    if constexpr (std::endian::native != std::endian::little) {
        uint32_t w = 0;
        uint8_t bad = 0;
        for (int k = 0; k < 8; ++k) {
            const uint8_t d = kHexValue[static_cast<uint8_t>(p[k])];
            bad |= d;
            w = (w << 4) | (d & 0xF);
        }
        out = w;
        return (bad & 0xF0) == 0;
    }
    uint64_t x;
    std::memcpy(&x, p, 8);
    if (x & kBytes(0x80)) {
        return false;
    }
    const uint64_t high = kBytes(0x80);
    const uint64_t digit = (x + kBytes(0x80 - '0')) & ~(x + kBytes(0x7F - '9')) & high;
    const uint64_t lower = x | kBytes(0x20);
    const uint64_t letter = (lower + kBytes(0x80 - 'a')) & ~(lower + kBytes(0x7F - 'f')) & high;
    if ((digit | letter) != high) {
        return false;
    }
    // Digit values; the first character is the lowest byte and the highest digit.
    uint64_t v = (x & kBytes(0x0F)) + (letter >> 7) * 9;
    // Pairs of digits into bytes, pairs of bytes into 16-bit values, then the two halves.
    v = ((v << 4) + (v >> 8)) & 0x00FF00FF00FF00FF;
    v = ((v << 8) + (v >> 16)) & 0x0000FFFF0000FFFF;
    out = static_cast<uint32_t>((v << 16) | (v >> 32));
    return true;
}

} // namespace

bool DecodePlainRecordLine(std::string_view line, std::vector<uint32_t>& words, int32_t& state) {
    size_t resultAt = 0;
    return DecodePlainRecordLine(line, words, state, resultAt);
}

bool DecodePlainRecordLine(std::string_view line, std::vector<uint32_t>& words, int32_t& state,
                           size_t& resultAt) {
    words.clear();
    const char* const begin = line.data();
    const char* p = begin;
    const char* const end = p + line.size();
    // Leading white space (tabs included) only yields empty fields, which are dropped.
    while (p < end && IsBlank(*p)) {
        ++p;
    }
    // First field: three characters that are not white space, then one tab.
    if (end - p < 4 || IsBlank(p[0]) || IsBlank(p[1]) || IsBlank(p[2]) || p[3] != '\t') {
        return false;
    }
    p += 4;
    // Words: "0x" or "0X", eight hexadecimal digits, one tab.
    // They are gathered in a small array and handed to the vector in batches.
    uint32_t batch[16];
    size_t inBatch = 0;
    while (end - p >= 11 && p[0] == '0' && (p[1] | 0x20) == 'x' && p[10] == '\t') {
        uint32_t w = 0;
        if (!HexWord8(p + 2, w)) {
            return false;
        }
        batch[inBatch++] = p[1] == 'x' ? w : 0u;
        if (inBatch == std::size(batch)) {
            words.insert(words.end(), batch, batch + inBatch);
            inBatch = 0;
        }
        p += 11;
    }
    words.insert(words.end(), batch, batch + inBatch);
    // Last field: three characters that are not white space, then only white space.
    if (words.empty() || end - p < 3 || IsBlank(p[0]) || IsBlank(p[1]) || IsBlank(p[2])) {
        return false;
    }
    for (const char* q = p + 3; q < end; ++q) {
        if (!IsBlank(*q)) {
            return false;
        }
    }
    state = ResultState(p);
    resultAt = static_cast<size_t>(p - begin);
    return true;
}

CPinScanTable::CPinScanTable(const LogHeader& header) : m_header(header) {}

const CPinScanTable::SPinInfo& CPinScanTable::PinInfo(uint32_t pinCode) {
    // A table meets a few pins only; map nodes keep the references given out valid.
    SPinInfo& info = m_pinCache.try_emplace(pinCode & 0xFF).first->second;
    if (!info.resolved) {
        info.pinName = GetProjectConfig().GetPinName(static_cast<int32_t>(pinCode));
        info.rangeName = m_header.ddrType + L"_" + info.pinName;
        info.resolved = true;
    }
    return info;
}

void CPinScanTable::ResetParameters() {
    m_pattern.clear();
    m_rowRanges.clear();
    m_colRanges.clear();
    m_nRowParamCount = 0;
    m_nColParamCount = 0;
    // A rejected pin line must not leave its names behind for the next attempt.
    m_strFirstRowName.clear();
    m_nSrIndex = -1;
}

bool CPinScanTable::ParsePinLine(const std::vector<std::string_view>& fields) {
    ResetParameters();
    int32_t state = 0;
    if (!sondex::ReadRecordFields(fields, m_wordScratch, state)) {
        return false;
    }
    const CProjectConfig& config = GetProjectConfig();
    for (const uint32_t w : m_wordScratch) {
        const SPinInfo& info = PinInfo(PinCodeOf(w));
        const CValueRange* range = config.FindRange(info.rangeName);
        const int position = PositionOf(w);
        if (!range) {
            ResetParameters();
            return false;
        }
        if (AxisOf(w) == kAxisRow) {
            m_rowRanges.push_back(range);
            ++m_nRowParamCount;
            if (position == 1) {
                m_strFirstRowName = info.pinName;
            }
        } else if (AxisOf(w) == kAxisCol) {
            m_colRanges.push_back(range);
            ++m_nColParamCount;
            if (EqualsNoCase(info.pinName, L"sr")) {
                m_nSrIndex = position - 1;
            }
        } else {
            ResetParameters();
            return false;
        }
    }
    int64_t a = 1;
    int64_t b = 1;
    for (const auto* r : m_rowRanges) {
        a *= r->GetCount();
        if (a > kMaxAxisCombinations) {
            break;
        }
    }
    for (const auto* r : m_colRanges) {
        b *= r->GetCount();
        if (b > kMaxAxisCombinations) {
            break;
        }
    }
    if (a > kMaxAxisCombinations || b > kMaxAxisCombinations || a * b > kMaxDataCells) {
        ResetParameters();
        return false;
    }
    return true;
}

void CPinScanTable::BuildLayout(const std::vector<int32_t>& selectedSr,
                                std::vector<std::wstring>* held) {
    const int nB = m_nRowParamCount;
    const int nC = m_nColParamCount;
    int a = 1;
    int b = 1;
    for (const auto* r : m_rowRanges) {
        a *= r->GetCount();
    }
    for (const auto* r : m_colRanges) {
        b *= r->GetCount();
    }
    m_nRowCount = nC + a;
    m_nColCount = nB + 1 + b;
    m_nLastColRangeCount = m_colRanges.empty() ? 1 : m_colRanges.back()->GetCount();

    // Header values: column parameter i repeats each value over the combinations of the
    // parameters after it, and so do the row parameters.
    const auto strides = [](const std::vector<const CValueRange*>& ranges) {
        std::vector<int> out(ranges.size(), 1);
        int repeat = 1;
        for (size_t p = ranges.size(); p-- > 0;) {
            out[p] = repeat;
            repeat *= std::max(ranges[p]->GetCount(), 1);
        }
        return out;
    };
    m_layout.nB = nB;
    m_layout.nC = nC;
    m_layout.a = a;
    m_layout.b = b;
    m_layout.rowRanges = m_rowRanges;
    m_layout.colRanges = m_colRanges;
    m_layout.rowRepeat = strides(m_rowRanges);
    m_layout.colRepeat = strides(m_colRanges);
    // The maps are made when asked for: opening a log does not need them.
    m_bMapsBuilt = false;

    ResetCells(a, b);
    BuildValueIndex();

    DetermineSubName(held);
    m_nTcnt = m_header.tcnt;
    m_selectedSr = selectedSr;
}

void CPinScanTable::BuildValueIndex() {
    m_pattern.clear();
    const auto build = [](const std::vector<const CValueRange*>& ranges,
                          std::vector<std::array<int16_t, 256>>& index, std::vector<int>& stride,
                          std::vector<int>& matched) {
        index.assign(ranges.size(), {});
        stride.assign(ranges.size(), 1);
        matched.assign(ranges.size(), -1);
        int repeat = 1;
        for (size_t p = ranges.size(); p-- > 0;) {
            index[p].fill(-1);
            const auto& values = ranges[p]->GetValues();
            for (size_t i = values.size(); i-- > 0;) {
                if (values[i] >= 0 && values[i] <= 255) {
                    index[p][static_cast<size_t>(values[i])] = static_cast<int16_t>(i);
                }
            }
            stride[p] = repeat;
            repeat *= std::max(ranges[p]->GetCount(), 1);
        }
    };
    build(m_rowRanges, m_rowValueIndex, m_rowStride, m_rowMatchedPin);
    build(m_colRanges, m_colValueIndex, m_colStride, m_colMatchedPin);
}

void CPinScanTable::ResetCells(int a, int b) {
    m_extraCells.clear();
    m_nCellKeys = 0;
    m_nDenseRows = a;
    m_nDenseCols = b;
    const size_t cells = static_cast<size_t>(a) * static_cast<size_t>(b);
    m_dense.clear();
    m_dense.resize(cells);
}

int64_t CPinScanTable::DenseIndex(int row, int col) const {
    const int r = row - m_nColParamCount;
    const int c = col - m_nRowParamCount - 1;
    if (r < 0 || c < 0 || r >= m_nDenseRows || c >= m_nDenseCols) {
        return -1;
    }
    return int64_t(r) * m_nDenseCols + c;
}

CPinScanTable::CellList& CPinScanTable::CellAt(int row, int col) {
    const int64_t i = DenseIndex(row, col);
    CellList& list = i >= 0 ? m_dense[static_cast<size_t>(i)]
                            : m_extraCells.try_emplace({row, col}).first->second;
    if (list.empty()) {
        ++m_nCellKeys;
    }
    return list;
}

void CPinScanTable::DetermineSubName(std::vector<std::wstring>* held) {
    m_strSubName.clear();
    m_configuredValues.clear();
    const auto* groups = GetProjectConfig().FindMinPassGroups(m_header.ddrType);
    if (!groups) {
        // No criteria for this type: the table gets no groups, so it adds no entry and passes.
        const wchar_t* text = L"Only support Lpddr2 ,Lpddr3 and Lpddr4";
        if (held) {
            held->emplace_back(text);
        } else {
            GetPrompt().Show(text);
        }
        return;
    }
    for (const auto& group : *groups) {
        const auto clock = sondex::ExtractSegmentNumber(group.name, 2);
        if (!EqualsNoCase(std::to_wstring(clock.number), m_header.clock) || group.values.empty()) {
            continue;
        }
        // Pieces at '_': an empty piece between two underscores counts, an empty last does not.
        std::vector<std::wstring> pieces;
        size_t start = 0;
        const std::wstring& name = clock.rest;
        while (true) {
            const size_t us = name.find(L'_', start);
            if (us == std::wstring::npos) {
                if (start < name.size()) {
                    pieces.push_back(name.substr(start));
                }
                break;
            }
            pieces.push_back(name.substr(start, us - start));
            start = us + 1;
        }
        if (pieces.size() >= 2 && EqualsNoCase(pieces[0], m_strFirstRowName)) {
            m_strSubName = pieces[1];
            m_configuredValues = {group.values.front()};
            return;
        }
    }
}

bool CPinScanTable::ParseRow(const std::vector<std::string_view>& fields) {
    if (m_rowValueIndex.size() != m_rowRanges.size() ||
        m_colValueIndex.size() != m_colRanges.size()) {
        return false; // no layout yet
    }
    int32_t state = 0;
    if (!sondex::ReadRecordFields(fields, m_wordScratch, state)) {
        return false;
    }
    return ParseRowWords(m_wordScratch, state);
}

bool CPinScanTable::ParseRowWords(const std::vector<uint32_t>& words, int32_t state) {
    const size_t nRow = m_rowValueIndex.size();
    const size_t nCol = m_colValueIndex.size();
    if (nRow != m_rowRanges.size() || nCol != m_colRanges.size()) {
        return false; // no layout yet
    }
    // A line whose words name the same axes, positions and pins as the last line placed
    // in position order passes the same checks: only its values are looked up.
    const size_t count = words.size();
    if (count != 0 && count == m_pattern.size()) {
        int rowAt = 0;
        int colAt = 0;
        bool found = true;
        size_t k = 0;
        for (; k < count; ++k) {
            const uint32_t w = words[k];
            const SPatternWord& known = m_pattern[k];
            if ((w & kPatternBits) != known.bits) {
                break;
            }
            const int i = (*known.index)[static_cast<size_t>(ValueOf(w))];
            found = found && i >= 0;
            (known.row ? rowAt : colAt) += i * known.stride;
        }
        if (k == count) {
            if (!found || rowAt >= m_nDenseRows || colAt >= m_nDenseCols) {
                return false;
            }
            PlaceResult(rowAt, colAt, state);
            return true;
        }
    }
    m_pattern.clear();

    // Words in position order (as printed) give the row and column as they come; any
    // other order takes the value lists below. The pin checks are repeated there, which
    // changes nothing: they only remember what they have already accepted.
    const std::array<int16_t, 256>* const rowIndex = m_rowValueIndex.data();
    const std::array<int16_t, 256>* const colIndex = m_colValueIndex.data();
    const int* const rowStride = m_rowStride.data();
    const int* const colStride = m_colStride.data();
    int rowAt = 0;
    int colAt = 0;
    size_t rowValues = 0;
    size_t colValues = 0;
    bool found = true;
    bool inOrder = true;
    for (const uint32_t w : words) {
        const int position = PositionOf(w);
        if (position == 0) {
            return false;
        }
        const auto code = static_cast<int>(PinCodeOf(w));
        const auto at = static_cast<size_t>(position - 1);
        if (AxisOf(w) == kAxisRow) {
            if (at != rowValues || at >= nRow) {
                inOrder = false;
                break;
            }
            int& matched = m_rowMatchedPin[at];
            if (matched != code) {
                if (!EqualsNoCase(m_rowRanges[at]->GetName(), PinInfo(PinCodeOf(w)).rangeName)) {
                    return false;
                }
                matched = code;
            }
            const int i = rowIndex[at][static_cast<size_t>(ValueOf(w))];
            found = found && i >= 0;
            rowAt += i * rowStride[at];
            ++rowValues;
        } else if (AxisOf(w) == kAxisCol) {
            if (at != colValues || at >= nCol) {
                inOrder = false;
                break;
            }
            int& matched = m_colMatchedPin[at];
            if (matched != code) {
                const SPinInfo& info = PinInfo(PinCodeOf(w));
                if (!EqualsNoCase(m_colRanges[at]->GetName(), info.rangeName)) {
                    return false;
                }
                matched = code;
                if (m_nSubIndex == -1 && EqualsNoCase(info.pinName, m_strSubName)) {
                    m_nSubIndex = position - 1;
                }
            }
            const int i = colIndex[at][static_cast<size_t>(ValueOf(w))];
            found = found && i >= 0;
            colAt += i * colStride[at];
            ++colValues;
        } else {
            return false;
        }
    }
    if (inOrder && rowValues == nRow && colValues == nCol) {
        // Remembered for the lines that follow with the same words but their values.
        m_pattern.resize(count);
        size_t rowSeen = 0;
        size_t colSeen = 0;
        for (size_t k = 0; k < count; ++k) {
            const uint32_t w = words[k];
            const bool row = AxisOf(w) == kAxisRow;
            const size_t at = row ? rowSeen++ : colSeen++;
            m_pattern[k] = {w & kPatternBits, row ? &rowIndex[at] : &colIndex[at],
                            row ? rowStride[at] : colStride[at], row};
        }
    }
    if (inOrder) {
        if (!found || rowValues != nRow || colValues != nCol || rowAt >= m_nDenseRows ||
            colAt >= m_nDenseCols) {
            return false;
        }
        PlaceResult(rowAt, colAt, state);
        return true;
    }

    m_rowScratch.clear();
    m_colScratch.clear();
    for (const uint32_t w : words) {
        const int position = PositionOf(w);
        if (position == 0) {
            return false;
        }
        const auto code = static_cast<int>(PinCodeOf(w));
        ValueList* list = nullptr;
        if (AxisOf(w) == kAxisRow) {
            if (position > m_nRowParamCount) {
                return false;
            }
            int& matched = m_rowMatchedPin[static_cast<size_t>(position - 1)];
            if (matched != code) {
                if (!EqualsNoCase(m_rowRanges[static_cast<size_t>(position - 1)]->GetName(),
                                  PinInfo(PinCodeOf(w)).rangeName)) {
                    return false;
                }
                matched = code;
            }
            list = &m_rowScratch;
        } else if (AxisOf(w) == kAxisCol) {
            if (position > m_nColParamCount) {
                return false;
            }
            int& matched = m_colMatchedPin[static_cast<size_t>(position - 1)];
            if (matched != code) {
                const SPinInfo& info = PinInfo(PinCodeOf(w));
                if (!EqualsNoCase(m_colRanges[static_cast<size_t>(position - 1)]->GetName(),
                                  info.rangeName)) {
                    return false;
                }
                matched = code;
                // Whether this pin names the sub-parameter depends on the pin alone, so it
                // is decided when the pin is first seen at this position.
                if (m_nSubIndex == -1 && EqualsNoCase(info.pinName, m_strSubName)) {
                    m_nSubIndex = position - 1;
                }
            }
            list = &m_colScratch;
        } else {
            return false;
        }
        // A value whose earlier positions are missing is dropped, so the line cannot match.
        const auto at = static_cast<size_t>(position - 1);
        if (list->size() == at) {
            list->push_back(ValueOf(w));
        } else if (list->size() > at) {
            list->insert(list->begin() + static_cast<std::ptrdiff_t>(at), ValueOf(w));
        }
    }
    // The row and column whose header values equal the lists (the first such, as
    // rowByValues and colByValues hold them).
    const auto locate = [](const ValueList& values,
                           const std::vector<std::array<int16_t, 256>>& index,
                           const std::vector<int>& stride) -> int {
        if (values.size() != index.size()) {
            return -1;
        }
        int at = 0;
        for (size_t p = 0; p < values.size(); ++p) {
            const int i = index[p][static_cast<size_t>(values[p] & 0xFF)];
            if (i < 0) {
                return -1;
            }
            at += i * stride[p];
        }
        return at;
    };
    const int k = locate(m_rowScratch, m_rowValueIndex, m_rowStride);
    const int j = locate(m_colScratch, m_colValueIndex, m_colStride);
    if (k < 0 || j < 0 || k >= m_nDenseRows || j >= m_nDenseCols) {
        return false;
    }
    CellAt(m_nColParamCount + k, m_nRowParamCount + 1 + j).emplace_back(state);
    return true;
}

int32_t CPinScanTable::SLayout::ColValue(int i, int k) const {
    const CValueRange& range = *colRanges[static_cast<size_t>(i)];
    return range.GetValue((k / colRepeat[static_cast<size_t>(i)]) % range.GetCount());
}

int32_t CPinScanTable::SLayout::RowValue(int j, int k) const {
    const CValueRange& range = *rowRanges[static_cast<size_t>(j)];
    return range.GetValue((k / rowRepeat[static_cast<size_t>(j)]) % range.GetCount());
}

void CPinScanTable::PlaceResult(int rowAt, int colAt, int32_t state) {
    // The data cell (nC + rowAt, nB + 1 + colAt).
    CellList& list = m_dense[static_cast<size_t>(rowAt) * static_cast<size_t>(m_nDenseCols) +
                             static_cast<size_t>(colAt)];
    if (list.empty()) {
        ++m_nCellKeys;
    }
    list.emplace_back(state);
}

std::optional<int32_t> CPinScanTable::GetHeaderValue(int row, int col) const {
    // The keys of the header value map, computed instead of looked up.
    const SLayout& l = m_layout;
    if (row >= 0 && row < l.nC && col > l.nB && col <= l.nB + l.b) {
        return l.ColValue(row, col - l.nB - 1);
    }
    if (row >= l.nC && row < l.nC + l.a && col >= 0 && col < l.nB) {
        return l.RowValue(col, row - l.nC);
    }
    return std::nullopt;
}

void CPinScanTable::BuildMaps() const {
    if (m_bMapsBuilt) {
        return;
    }
    m_bMapsBuilt = true;
    const SLayout& l = m_layout;
    const int nB = l.nB;
    const int nC = l.nC;
    // Keys are made in ascending order, so every map insertion goes at the end.
    m_headerValues.clear();
    for (int i = 0; i < nC; ++i) {
        for (int k = 0; k < l.b; ++k) {
            m_headerValues.emplace_hint(m_headerValues.end(), CellKey{i, nB + 1 + k},
                                        l.ColValue(i, k));
        }
    }
    for (int k = 0; k < l.a; ++k) {
        for (int j = 0; j < nB; ++j) {
            m_headerValues.emplace_hint(m_headerValues.end(), CellKey{nC + k, j}, l.RowValue(j, k));
        }
    }
    m_valuesByCol.clear();
    m_colByValues.clear();
    for (int k = 0; k < l.b; ++k) {
        const int col = nB + 1 + k;
        ValueList values;
        values.reserve(static_cast<size_t>(nC));
        for (int i = 0; i < nC; ++i) {
            values.push_back(l.ColValue(i, k));
        }
        // The first column of a value list keeps it, as with a plain emplace.
        m_colByValues.emplace_hint(m_colByValues.end(), values, col);
        m_valuesByCol.emplace_hint(m_valuesByCol.end(), col, std::move(values));
    }
    m_valuesByRow.clear();
    m_rowByValues.clear();
    for (int k = 0; k < l.a; ++k) {
        const int row = nC + k;
        ValueList values;
        values.reserve(static_cast<size_t>(nB));
        for (int j = 0; j < nB; ++j) {
            values.push_back(l.RowValue(j, k));
        }
        m_rowByValues.emplace_hint(m_rowByValues.end(), values, row);
        m_valuesByRow.emplace_hint(m_valuesByRow.end(), row, std::move(values));
    }
}

const CPinScanTable::CellList* CPinScanTable::GetCells(int row, int col) const {
    const int64_t i = DenseIndex(row, col);
    if (i >= 0) {
        const CellList& list = m_dense[static_cast<size_t>(i)];
        return list.empty() ? nullptr : &list;
    }
    const auto it = m_extraCells.find({row, col});
    return it == m_extraCells.end() ? nullptr : &it->second;
}

bool CPinScanTable::CellPasses(int row, int col) const {
    const auto stateAt = [&](int r) -> int {
        const CellList* list = GetCells(r, col);
        return list ? StateOfList(*list) : -1;
    };
    const int own = stateAt(row);
    if (own >= 0) {
        return own == 1;
    }
    const int nC = m_nColParamCount;
    if (row <= nC || row >= m_nRowCount - 1) {
        return false;
    }
    bool up = false;
    for (int r = row - 1;; --r) {
        const int s = stateAt(r);
        if (s >= 0) {
            up = s == 1;
            break;
        }
        if (r <= nC) {
            break;
        }
    }
    bool down = false;
    for (int r = row + 1;; ++r) {
        const int s = stateAt(r);
        if (s >= 0) {
            down = s == 1;
            break;
        }
        if (r >= m_nRowCount - 1) {
            break;
        }
    }
    return up && down;
}

void CPinScanTable::ColumnStates(int col, std::vector<int8_t>& states) const {
    const int nC = m_nColParamCount;
    const int rows = std::max(m_nRowCount - nC, 0);
    states.assign(static_cast<size_t>(rows), -1);
    for (int k = 0; k < rows; ++k) {
        const CellList* list = GetCells(nC + k, col);
        if (list) {
            states[static_cast<size_t>(k)] = StateOfList(*list);
        }
    }
}

int CPinScanTable::LongestRun(int col) const {
    std::vector<int8_t> states;
    ColumnStates(col, states);
    return RunOfStates(states);
}

int32_t CPinScanTable::MinPass(int32_t value) const {
    const MinPassMap* map = GetProjectConfig().FindMinPassMap(m_header.ddrType);
    if (!map) {
        return 0;
    }
    std::wstring lookup = m_strFirstRowName;
    if (!m_strSubName.empty()) {
        lookup += L"_" + m_strSubName + std::to_wstring(value);
    }
    for (const auto& [key, width] : *map) {
        const auto clock = sondex::ExtractSegmentNumber(key, 2);
        if (clock.rest == lookup && EqualsNoCase(std::to_wstring(clock.number), m_header.clock)) {
            return width;
        }
    }
    return 0;
}

bool CPinScanTable::AnalyzeTable(ResultMap& results) {
    m_bVerdict = AnalyzeWidths(results);
    return m_bVerdict;
}

bool CPinScanTable::AnalyzeWidths(ResultMap& results) {
    m_widths.clear();
    m_verdictRuns.clear();
    m_sr0Runs.clear();
    if (m_configuredValues.empty()) {
        return true;
    }
    const int nB = m_nRowParamCount;
    const int nC = m_nColParamCount;
    const int rows = std::max(m_nRowCount - nC, 0);
    const int cols = std::max(m_nColCount - nB - 1, 0);

    // One pass over the cells gives every column's row states.
    // Column c's states are states[c * rows ...].
    const auto urows = static_cast<size_t>(rows);
    std::vector<int8_t> states(static_cast<size_t>(cols) * urows, -1);
    ForEachCell([&](int row, int col, const CellList& list) {
        const int k = row - nC;
        const int c = col - nB - 1;
        if (k >= 0 && k < rows && c >= 0 && c < cols) {
            states[static_cast<size_t>(c) * urows + static_cast<size_t>(k)] = StateOfList(list);
        }
    });
    std::vector<int8_t> below;

    std::map<int, int> group;
    int counter = 0;
    for (int c = nB + 1; c < m_nColCount; ++c) {
        const int run =
            RunOfStates(states.data() + static_cast<size_t>(c - nB - 1) * urows, urows, below);
        const int32_t s = GetHeaderValue(m_nSrIndex, c).value_or(kNoValue);
        if (s == 0) {
            m_sr0Runs[c] = run;
        }
        if (std::find(m_selectedSr.begin(), m_selectedSr.end(), s) != m_selectedSr.end()) {
            group[c] = run;
        }
        ++counter;
        if (m_nLastColRangeCount > 0 && counter % m_nLastColRangeCount == 0 && !group.empty()) {
            auto smallest = group.begin();
            for (auto it = group.begin(); it != group.end(); ++it) {
                if (it->second < smallest->second) {
                    smallest = it;
                }
            }
            const int32_t k = GetHeaderValue(m_nSubIndex, smallest->first).value_or(kNoValue);
            const int32_t width = SaturatedProduct(smallest->second, m_nTcnt);
            const auto found = m_widths.find(k);
            if (found == m_widths.end() || width < found->second) {
                m_widths[k] = width;
            }
            group.clear();
            counter = 0;
        }
    }

    for (const auto& [k, width] : m_widths) {
        const int ok = width >= MinPass(k) ? 1 : 0;
        results.emplace(
            FormatW(L"%d#%ls_%ls%d", ok, m_strFirstRowName.c_str(), m_strSubName.c_str(), k),
            width);
    }

    for (const auto& [c, run] : m_sr0Runs) {
        const int32_t a = GetHeaderValue(m_nSubIndex, c).value_or(kNoValue);
        if (std::find(m_configuredValues.begin(), m_configuredValues.end(), a) ==
            m_configuredValues.end()) {
            continue;
        }
        const auto found = m_verdictRuns.find(a);
        if (found == m_verdictRuns.end() || run < found->second) {
            m_verdictRuns[a] = run;
        }
    }
    for (const auto& [a, run] : m_verdictRuns) {
        if (int64_t(m_nTcnt) * run < MinPass(a)) {
            return false;
        }
    }
    return true;
}

bool CPinScanTable::HasSameRanges(const CPinScanTable& other) const {
    if (m_nRowParamCount != other.m_nRowParamCount || m_nColParamCount != other.m_nColParamCount) {
        return false;
    }
    for (size_t i = 0; i < m_rowRanges.size(); ++i) {
        if (!EqualsNoCase(m_rowRanges[i]->GetName(), other.m_rowRanges[i]->GetName())) {
            return false;
        }
    }
    for (size_t i = 0; i < m_colRanges.size(); ++i) {
        if (!EqualsNoCase(m_colRanges[i]->GetName(), other.m_colRanges[i]->GetName())) {
            return false;
        }
    }
    return true;
}

void CPinScanTable::MergeTable(const CPinScanTable& log) {
    if (m_nCellKeys == 0) {
        m_header = log.m_header;
        m_rowRanges = log.m_rowRanges;
        m_colRanges = log.m_colRanges;
        m_nRowParamCount = log.m_nRowParamCount;
        m_nColParamCount = log.m_nColParamCount;
        m_strFirstRowName = log.m_strFirstRowName;
        m_strSubName = log.m_strSubName;
        m_nSrIndex = log.m_nSrIndex;
        m_nSubIndex = log.m_nSubIndex;
        m_nRowCount = log.m_nRowCount;
        m_nColCount = log.m_nColCount;
        m_nLastColRangeCount = log.m_nLastColRangeCount;
        m_layout = log.m_layout;
        m_bMapsBuilt = false;
        m_nTcnt = log.m_nTcnt;
        m_selectedSr = log.m_selectedSr;
        m_configuredValues = log.m_configuredValues;
        ResetCells(log.m_nDenseRows, log.m_nDenseCols);
        log.ForEachCell([&](int row, int col, const CellList& list) {
            CellList& to = CellAt(row, col);
            to.reserve(m_nMergeCount);
            to.append(list);
        });
        m_pinCache.clear();
        BuildValueIndex();
        return;
    }
    if (m_extraCells.empty() && log.m_extraCells.empty() && m_nDenseRows == log.m_nDenseRows &&
        m_nDenseCols == log.m_nDenseCols && m_nRowParamCount == log.m_nRowParamCount &&
        m_nColParamCount == log.m_nColParamCount) {
        // Same data area: cell i of one table is cell i of the other.
        for (size_t i = 0; i < m_dense.size(); ++i) {
            const CellList& from = log.m_dense[i];
            CellList& to = m_dense[i];
            if (!to.empty()) {
                if (from.empty()) {
                    to.emplace_back(CLogDataDDR::kFail); // missing in this log: a failure
                } else {
                    to.append(from);
                }
            } else if (!from.empty()) {
                // First seen in this log: only its results.
                to.reserve(m_nMergeCount);
                to.append(from);
                ++m_nCellKeys;
            }
        }
        return;
    }
    const auto appendTo = [&](int row, int col, CellList& list) {
        const CellList* from = log.GetCells(row, col);
        if (from) {
            list.append(*from);
        } else {
            // Missing in this log: counted as a failure of the merged cell.
            list.emplace_back(CLogDataDDR::kFail);
        }
    };
    // Keys this table lacks are collected first, so the appending sees only its own keys.
    std::vector<std::pair<CellKey, const CellList*>> added;
    log.ForEachCell([&](int row, int col, const CellList& list) {
        if (!GetCells(row, col)) {
            added.push_back({{row, col}, &list});
        }
    });
    for (size_t i = 0; i < m_dense.size(); ++i) {
        if (!m_dense[i].empty()) {
            appendTo(m_nColParamCount + static_cast<int>(i) / m_nDenseCols,
                     m_nRowParamCount + 1 + static_cast<int>(i) % m_nDenseCols, m_dense[i]);
        }
    }
    for (auto& [key, list] : m_extraCells) {
        appendTo(key.first, key.second, list);
    }
    for (const auto& [key, list] : added) {
        CellAt(key.first, key.second).append(*list);
    }
}

} // namespace sondex
