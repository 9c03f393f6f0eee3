#include "ScanLogData.h"

#include "ProjectConfig.h"
#include "SondexText.h"

#include "UserPrompt.h"

namespace sondex {

CScanLogData::CScanLogData(std::wstring name, LogHeader header, std::vector<std::string> blocks)
    : m_strName(std::move(name)), m_nTableCount(static_cast<int>(blocks.size())),
      m_blocks(std::move(blocks)), m_header(std::move(header)) {}

CPinScanTable* CScanLogData::GetTable(int index) const {
    const auto it = m_tables.find(index);
    return it == m_tables.end() ? nullptr : it->second.get();
}

bool CScanLogData::ParseBlocks(const std::vector<int32_t>& selectedSr) {
    BeginParse(selectedSr, nullptr);
    for (const std::string& block : m_blocks) {
        BeginBlock();
        sondex::CRecordLineCursor cursor(block);
        std::string_view line;
        while (cursor.NextLine(line)) {
            ParseLine(line);
        }
    }
    return EndParse();
}

void CScanLogData::BeginParse(const std::vector<int32_t>& selectedSr,
                              std::vector<std::wstring>* held) {
    m_nTableCount = 0;
    m_parse.selectedSr = selectedSr;
    m_parse.held = held;
    m_parse.block = 0;
    m_parse.started = false;
    m_parse.fresh.reset();
    m_parse.table = nullptr;
    m_parse.skip = false;
    m_parse.ok = true;
}

void CScanLogData::BeginBlock() {
    if (m_parse.started) {
        ++m_parse.block;
    }
    m_parse.started = true;
    m_parse.fresh.reset();
    m_parse.table = nullptr;
    m_parse.skip = false;
}

void CScanLogData::Say(const wchar_t* text) {
    if (m_parse.held) {
        m_parse.held->emplace_back(text);
    } else {
        GetPrompt().Show(text);
    }
}

void CScanLogData::ParseDecodedLine(std::string_view line, const std::vector<uint32_t>& words,
                                    int32_t state) {
    if (m_parse.skip) {
        return;
    }
    if (m_parse.table) {
        if (!m_parse.table->ParseRowWords(words, state)) {
            m_parse.ok = false;
        }
        return;
    }
    ParseLine(line);
}

void CScanLogData::ParseLine(std::string_view line) {
    if (m_parse.skip) {
        return;
    }
    CPinScanTable* table = m_parse.table;
    // Lines in the printed form are read in one pass; any other goes through the field
    // split, which gives the same words for the printed form.
    if (table && sondex::DecodePlainRecordLine(line, m_parse.words, m_parse.state)) {
        if (!table->ParseRowWords(m_parse.words, m_parse.state)) {
            m_parse.ok = false;
        }
        return;
    }
    std::vector<std::string_view>& fields = m_parse.fields;
    sondex::CRecordLineCursor::SplitRecordLine(line, fields);
    if (fields.empty()) {
        return;
    }
    if (!table) {
        if (!m_parse.fresh) {
            m_parse.fresh = std::make_unique<CPinScanTable>(m_header);
        }
        CPinScanTable& fresh = *m_parse.fresh;
        if (!fresh.ParsePinLine(fields)) {
            Say(L"获取针脚信息失败,请检查区块第一行log格式");
            m_parse.ok = false;
            return;
        }
        if (m_parse.block > 0) {
            for (const auto& [index, existing] : m_tables) {
                if (existing->HasSameRanges(fresh)) {
                    table = existing.get();
                    break;
                }
            }
        }
        if (!table) {
            if (GetProjectConfig().GetIsPrint(fresh.GetFirstRowName()) == 0) {
                m_parse.skip = true; // hidden table: the rest of the block is skipped
                return;
            }
            table = m_parse.fresh.get();
            m_tables[m_nTableCount] = std::move(m_parse.fresh);
            table->BuildLayout(m_parse.selectedSr, m_parse.held);
            ++m_nTableCount;
        }
        m_parse.table = table;
    }
    if (!table->ParseRow(fields)) {
        m_parse.ok = false;
    }
}

bool CScanLogData::EndParse() {
    m_parse.fresh.reset();
    m_parse.table = nullptr;
    m_parse.held = nullptr;
    m_parse.started = false;
    return m_parse.ok;
}

bool CScanLogData::IsComplete() const {
    for (const auto& [index, table] : m_tables) {
        const int64_t a = std::max(table->GetRowCount() - table->GetColParamCount(), 0);
        const int64_t b = std::max(table->GetColCount() - table->GetRowParamCount() - 1, 0);
        if (static_cast<int64_t>(table->GetCellKeyCount()) < a * b) {
            return false;
        }
    }
    return true;
}

bool CScanLogData::Analyze(ResultMap& results) {
    results.clear();
    bool passed = !m_tables.empty();
    for (const auto& [index, table] : m_tables) {
        ResultMap entries;
        const bool verdict = table->AnalyzeTable(entries);
        for (auto& entry : entries) {
            results.insert(entry);
        }
        passed = passed && verdict;
    }
    return passed;
}

bool CScanLogData::MergeLog(const CScanLogData& log) {
    if (m_tables.empty()) {
        m_nTableCount = log.m_nTableCount;
        for (int i = 0; i < m_nTableCount; ++i) {
            m_tables[i] = std::make_unique<CPinScanTable>();
            m_tables[i]->SetMergeCount(m_nMergeCount);
        }
    }
    if (log.m_nTableCount != m_nTableCount) {
        return false;
    }
    for (const auto& [index, table] : log.m_tables) {
        CPinScanTable* merged = GetTable(index);
        if (!merged) {
            continue;
        }
        merged->SetStatistical(true);
        merged->MergeTable(*table);
    }
    m_header = log.m_header;
    return true;
}

ResultMap ComputeStatisticsResults(const std::vector<ResultMap>& perLogResults) {
    ResultMap out;
    if (perLogResults.empty()) {
        return out;
    }
    for (const auto& [text, width] : perLogResults.front()) {
        int32_t lowest = width;
        const bool failed = text.rfind(L"0#", 0) == 0;
        for (const auto& log : perLogResults) {
            const auto it = log.find(text);
            if (failed) {
                // A failed entry's width is only lowered by a measured (nonzero) width.
                if (it != log.end() && it->second != 0 && it->second < lowest) {
                    lowest = it->second;
                }
            } else {
                const int32_t w = it == log.end() ? 0 : it->second;
                lowest = std::min(lowest, w);
            }
        }
        out.emplace(text, lowest);
    }
    return out;
}

} // namespace sondex
