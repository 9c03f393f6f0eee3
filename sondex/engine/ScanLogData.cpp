#include "ScanLogData.h"

#include "ProjectConfig.h"
#include "SondexText.h"

#include "UserPrompt.h"

CScanLogData::CScanLogData(std::wstring name, LogHeader header, std::vector<std::string> blocks)
    : m_strName(std::move(name)), m_nTableCount(static_cast<int>(blocks.size())),
      m_blocks(std::move(blocks)), m_header(std::move(header)) {}

CPinScanTable* CScanLogData::GetTable(int index) const {
    const auto it = m_tables.find(index);
    return it == m_tables.end() ? nullptr : it->second.get();
}

bool CScanLogData::ParseBlocks(const std::vector<int32_t>& selectedSr) {
    m_nTableCount = 0;
    bool ok = true;
    std::vector<std::string_view> fields;
    std::vector<uint32_t> words;
    int32_t state = 0;
    for (size_t b = 0; b < m_blocks.size(); ++b) {
        sondex::CRecordLineCursor cursor(m_blocks[b]);
        auto fresh = std::make_unique<CPinScanTable>(m_header);
        CPinScanTable* table = nullptr;
        std::string_view line;
        while (cursor.NextLine(line)) {
            // Lines in the printed form are read in one pass; any other goes through the
            // field split, which gives the same words for the printed form.
            if (table && sondex::DecodePlainRecordLine(line, words, state)) {
                if (!table->ParseRowWords(words, state)) {
                    ok = false;
                }
                continue;
            }
            sondex::CRecordLineCursor::SplitRecordLine(line, fields);
            if (fields.empty()) {
                continue;
            }
            if (!table) {
                if (!fresh->ParsePinLine(fields)) {
                    GetPrompt().Show(L"获取针脚信息失败,请检查区块第一行log格式");
                    ok = false;
                    continue;
                }
                if (b > 0) {
                    for (const auto& [index, existing] : m_tables) {
                        if (existing->HasSameRanges(*fresh)) {
                            table = existing.get();
                            break;
                        }
                    }
                }
                if (!table) {
                    if (GetProjectConfig().GetIsPrint(fresh->GetFirstRowName()) == 0) {
                        break; // hidden table: the rest of the block is skipped
                    }
                    table = fresh.get();
                    m_tables[m_nTableCount] = std::move(fresh);
                    table->BuildLayout(selectedSr);
                    ++m_nTableCount;
                }
            }
            if (!table->ParseRow(fields)) {
                ok = false;
            }
        }
    }
    return ok;
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
