#include "FolderWorkflow.h"

#include "ProjectConfig.h"
#include "SondexText.h"

#include "NumberText.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <algorithm>

namespace sondex {

namespace fs = std::filesystem;

void CFolderWorkflow::SetSrSelected(int sr, bool selected) {
    if (sr >= 0 && sr < kSrCount) {
        m_srSelected[static_cast<size_t>(sr)] = selected;
    }
}

void CFolderWorkflow::ToggleSr(int sr) {
    if (sr >= 0 && sr < kSrCount) {
        m_srSelected[static_cast<size_t>(sr)] = !m_srSelected[static_cast<size_t>(sr)];
    }
}

bool CFolderWorkflow::IsSrSelected(int sr) const {
    return sr >= 0 && sr < kSrCount && m_srSelected[static_cast<size_t>(sr)];
}

std::vector<int32_t> CFolderWorkflow::GetSelectedSr() const {
    std::vector<int32_t> out;
    for (int sr = 0; sr < kSrCount; ++sr) {
        if (m_srSelected[static_cast<size_t>(sr)]) {
            out.push_back(sr);
        }
    }
    return out;
}

CLogDocument* CFolderWorkflow::OpenLog(const fs::path& path) {
    auto document = std::make_unique<CLogDocument>();
    const bool opened = document->OpenLog(path, GetSelectedSr());
    m_openRecords.push_back({path, opened, document->GetReadStatus()});
    if (!opened) {
        return nullptr;
    }
    const std::wstring name = document->GetData()->GetName();
    if (!document->IsParsed() || !document->IsComplete()) {
        m_strIncompleteList += L"\t" + name;
    }
    if (!document->IsPassed()) {
        m_bAllPassed = false;
        m_strFailList += L"\n" + name + L"\tFail";
    }
    m_documents.push_back(std::move(document));
    return m_documents.back().get();
}

int CFolderWorkflow::AnalyzeFolder(const fs::path& folder, const ScanProgressFn& progress) {
    const std::vector<fs::path> files = FindLogFiles(folder);
    CloseAllDocuments();
    m_folderLogs.clear();
    m_perLogResults.clear();
    m_openRecords.clear();
    m_pStatisticsData.reset();
    m_bAllPassed = true;
    m_bAllPassedShown = false;
    m_bIncompleteShown = false;
    m_strFailList.clear();
    m_strIncompleteList.clear();
    m_form.Clear();
    m_form.SetFailList(std::wstring());

    int opened = 0;
    for (const auto& file : files) {
        if (progress) {
            progress(static_cast<size_t>(&file - files.data()) + 1, files.size(),
                     PathToWide(file.filename()));
        }
        CLogDocument* document = OpenLog(file);
        if (!document) {
            // The logs after this one are never read, so the folder cannot count as passed;
            // the log that stopped it is named with the failures.
            m_bAllPassed = false;
            m_strFailList += L"\n" + PathToWide(file.filename()) + L"\tOpen failed";
            break;
        }
        ++opened;
        m_perLogResults.push_back(document->GetResults());
        m_folderLogs.push_back(document->GetData());
    }
    if (opened == 0) {
        m_bAllPassed = false; // a folder with nothing read (missing, empty) passed nothing
    }
    if (opened > 0) {
        m_pStatisticsData = std::make_unique<CScanLogData>();
        m_pStatisticsData->SetName(CScanLogData::kStatisticsName);
        m_pStatisticsData->SetMergeCount(m_folderLogs.size());
        for (const CScanLogData* log : m_folderLogs) {
            m_pStatisticsData->MergeLog(*log);
        }
        CreateStatisticsDocument();
        m_logFileDir = folder;
    }
    return opened;
}

CLogDocument* CFolderWorkflow::CreateStatisticsDocument() {
    auto document = std::make_unique<CLogDocument>();
    document->InitStatistics(std::move(m_pStatisticsData), m_perLogResults);
    m_documents.push_back(std::move(document));
    return m_documents.back().get();
}

void CFolderWorkflow::CloseAllDocuments() {
    m_folderLogs.clear();
    m_documents.clear();
}

CLogDocument* CFolderWorkflow::GetStatisticsDocument() const {
    for (const auto& document : m_documents) {
        if (document->IsStatistics()) {
            return document.get();
        }
    }
    return nullptr;
}

void CFolderWorkflow::Activate(CLogDocument* document) {
    if (!document || !document->GetData()) {
        return;
    }
    const bool statistics = document->IsStatistics();
    bool shown = m_bAllPassed;
    if (!statistics) {
        shown = document->IsPassed();
        if (!shown) {
            m_bAllPassed = false;
        }
    }
    m_form.Clear();
    m_form.SetResults(document->GetResults(), shown);
    m_form.SetParameters(ParseDecimalInt(document->GetHeader().clock), document->GetHeader().tcnt);
    if (!statistics) {
        m_form.SetTitle(document->GetTitle());
        m_form.Show();
        return;
    }
    m_form.SetTitle(CScanLogData::kStatisticsName);
    m_form.SetFailList(m_strFailList);
    m_form.Show();
    const CProjectConfig& config = GetProjectConfig();
    if (m_bAllPassed && !m_bAllPassedShown) {
        // An unconfigured text would give an empty message box: nothing to say then.
        const std::wstring text = config.GetResultText1();
        if (!text.empty()) {
            GetPrompt().Show(text);
        }
        m_bAllPassedShown = true;
    }
    if (!m_bIncompleteShown) {
        const std::wstring text2 = config.GetResultText2();
        if (!text2.empty() && !m_strIncompleteList.empty() && !m_bAllPassed) {
            GetPrompt().Show(
                FormatW(L"log文件%ls, %ls", m_strIncompleteList.c_str(), text2.c_str()));
        }
        m_bIncompleteShown = true;
    }
}

SPassShare CFolderWorkflow::CellShare(int table, int row, int col) const {
    SPassShare share;
    const CLogDocument* statistics = GetStatisticsDocument();
    const CScanLogData* merged = statistics != nullptr ? statistics->GetData() : nullptr;
    const CPinScanTable* mergedTable = merged != nullptr ? merged->GetTable(table) : nullptr;
    const CPinScanTable::CellList* results =
        mergedTable != nullptr ? mergedTable->GetCells(row, col) : nullptr;
    if (results == nullptr || results->empty()) {
        return share;
    }
    std::vector<int32_t> states;
    for (const auto& result : *results) {
        states.push_back(result.GetState());
    }
    size_t pos = 0;
    for (const CScanLogData* log : m_folderLogs) {
        // Only logs still open are read; a log of another table count was not merged.
        const bool open = std::any_of(m_documents.begin(), m_documents.end(),
                                      [&](const auto& d) { return d->GetData() == log; });
        if (!open || log->GetTableCount() != merged->GetTableCount() || pos >= states.size()) {
            continue;
        }
        const CPinScanTable* own = log->GetTable(table);
        const CPinScanTable::CellList* ownResults =
            own != nullptr ? own->GetCells(row, col) : nullptr;
        size_t length = 0;
        if (ownResults != nullptr && !ownResults->empty()) {
            length = ownResults->size();
        } else if (own != nullptr && pos > 0) {
            length = 1;
        } else {
            continue;
        }
        length = std::min(length, states.size() - pos);
        const bool failed = std::any_of(states.begin() + static_cast<std::ptrdiff_t>(pos),
                                        states.begin() + static_cast<std::ptrdiff_t>(pos + length),
                                        [](int32_t s) { return s == CLogDataDDR::kFail; });
        pos += length;
        ++share.m_nLogs;
        if (failed) {
            share.m_vecFailedLogs.push_back(log->GetName());
        } else {
            ++share.m_nPassed;
        }
    }
    return share;
}

} // namespace sondex
