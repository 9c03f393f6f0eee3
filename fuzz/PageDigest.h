#pragma once

// A text that fingerprints a page list: names, sizes and every cell with its records'
// colours, so two scans of the same input can be compared.

#include "LogPageList.h"

#include "TextUtil.h"

#include <string>

namespace fuzz {

inline std::wstring PageDigest(const quillon::CLogPageBase& page) {
    std::wstring digest = page.GetName();
    int pageRows = 0;
    int pageCols = 0;
    page.GetPageSize(pageRows, pageCols);
    int subRows = 0;
    int subCols = 0;
    page.GetBlockSize(subRows, subCols);
    digest += FormatW(L" %d %d %d %d\n", pageRows, pageCols, subRows, subCols);
    // Blocks beyond a few hundred are only possible with absurd sizes; the cells of the
    // first ones show a difference as well.
    for (int row = 0; row < pageRows && row < 64; ++row) {
        for (int col = 0; col < pageCols && col < 64; ++col) {
            const quillon::SLogBlock* block = page.FindBlock(row, col);
            if (block == nullptr) {
                continue;
            }
            digest += FormatW(L"[%d,%d]", row, col);
            block->VisitCells([&digest](const CellKey& key, CLogDataBase* const* records,
                                        size_t count) {
                digest += FormatW(L" %d/%d:", key.first, key.second);
                for (size_t i = 0; i < count; ++i) {
                    digest += FormatW(L"%x,", static_cast<unsigned>(records[i]->GetColor()));
                }
            });
            digest += L'\n';
        }
    }
    return digest;
}

inline std::wstring PageListDigest(const quillon::CLogPageList* list) {
    if (list == nullptr) {
        return L"(none)";
    }
    std::wstring digest;
    if (const quillon::CLogPageBase* merged = list->GetMergedPage()) {
        digest += L"merged " + PageDigest(*merged);
    }
    for (size_t i = 0; i < list->GetPageCount(); ++i) {
        digest += PageDigest(*list->GetPage(i));
    }
    return digest;
}

} // namespace fuzz
