#pragma once

#include "LogHeader.h"
#include "PinScanTable.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sondex {

/// The parsed data of one log, or the merged data of a folder ("StatisticalChart").
class CScanLogData {
public:
    static constexpr const wchar_t* kStatisticsName = L"StatisticalChart";

    CScanLogData() = default;
    CScanLogData(std::wstring name, LogHeader header, std::vector<std::string> blocks);
    CScanLogData(const CScanLogData&) = delete;
    CScanLogData& operator=(const CScanLogData&) = delete;

    /// Builds the tables from the blocks; false if any pin line or record line was
    /// rejected (the tables built so far stay).
    bool ParseBlocks(const std::vector<int32_t>& selectedSr);

    /// The tables built line by line, as ParseBlocks builds them from the block texts: the
    /// log reader feeds the record lines while it reads, so no block text is made. With
    /// held given, messages are kept there in order instead of shown, for the caller to
    /// show once the log has been accepted.
    void BeginParse(const std::vector<int32_t>& selectedSr, std::vector<std::wstring>* held);
    /// The next block begins (the first block is block 0).
    void BeginBlock();
    /// One piece of a block text between two commas.
    void ParseLine(std::string_view line);
    /// ParseLine for a line whose words and state DecodePlainRecordLine has read already.
    void ParseDecodedLine(std::string_view line, const std::vector<uint32_t>& words, int32_t state);
    /// Ends the parse; false if any pin line or record line was rejected.
    bool EndParse();
    /// True when every table holds a result for each of its data cells.
    [[nodiscard]] bool IsComplete() const;
    /// Per-log analysis: fills results (emptied first) and gives the log's verdict.
    bool Analyze(ResultMap& results);
    /// Adds a log to this statistics data; false when its table count differs.
    bool MergeLog(const CScanLogData& log);
    /// The number of logs MergeLog will be given, so merged cells are allocated once.
    void SetMergeCount(size_t logs) { m_nMergeCount = logs; }

    [[nodiscard]] const std::wstring& GetName() const { return m_strName; }
    void SetName(std::wstring name) { m_strName = std::move(name); }
    [[nodiscard]] const LogHeader& GetHeader() const { return m_header; }
    void SetHeader(const LogHeader& header) { m_header = header; }
    [[nodiscard]] int GetTableCount() const { return m_nTableCount; }
    [[nodiscard]] const std::map<int, std::unique_ptr<CPinScanTable>>& GetTables() const {
        return m_tables;
    }
    [[nodiscard]] CPinScanTable* GetTable(int index) const;
    /// The block texts ParseBlocks reads; empty when the log reader built the tables while
    /// reading (as opening a document does). CScanLogReader gives the texts of a log.
    [[nodiscard]] const std::vector<std::string>& GetBlocks() const { return m_blocks; }
    void SetBlocks(std::vector<std::string> blocks) { m_blocks = std::move(blocks); }

private:
    void Say(const wchar_t* text);

    struct SParseState {
        std::vector<int32_t> selectedSr;
        std::vector<std::wstring>* held = nullptr;
        size_t block = 0;
        bool started = false;
        std::unique_ptr<CPinScanTable> fresh; ///< candidate table of the current block
        CPinScanTable* table = nullptr;       ///< table the current block fills
        bool skip = false;                    ///< rest of the block belongs to a hidden table
        bool ok = true;
        std::vector<std::string_view> fields;
        std::vector<uint32_t> words;
        int32_t state = 0;
    };

    std::wstring m_strName;
    int m_nTableCount = 0;
    std::map<int, std::unique_ptr<CPinScanTable>> m_tables;
    std::vector<std::string> m_blocks;
    LogHeader m_header;
    SParseState m_parse;
    size_t m_nMergeCount = 0;
};

/// Results of the statistics document from the results of every log in opening order:
/// each text of the first log with the lowest width the logs give it.
[[nodiscard]] ResultMap ComputeStatisticsResults(const std::vector<ResultMap>& perLogResults);

} // namespace sondex
