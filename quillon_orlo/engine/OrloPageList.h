#pragma once

#include "LogPageOrlo.h"

#include <memory>
#include <string>
#include <vector>

namespace orlo {

/// The result of one scan: the accepted logs in file-list order and the merged page.
class OrloPageList {
public:
    OrloPageList() = default;
    ~OrloPageList() { Free(); }
    OrloPageList(const OrloPageList&) = delete;
    OrloPageList& operator=(const OrloPageList&) = delete;

    [[nodiscard]] const std::vector<std::unique_ptr<CLogPageOrlo>>& Pages() const {
        return m_pages;
    }
    [[nodiscard]] size_t PageCount() const { return m_pages.size(); }
    [[nodiscard]] CLogPageOrlo* Merged() const { return m_pMerged.get(); }
    /// Name of page i, empty when i is out of range.
    [[nodiscard]] std::wstring PageName(size_t i) const;
    /// Tab texts of the result: "统计图" first, then every page's name in order.
    [[nodiscard]] std::vector<std::wstring> TabNames() const;

    void Append(std::unique_ptr<CLogPageOrlo> page) { m_pages.push_back(std::move(page)); }
    void SetMerged(std::unique_ptr<CLogPageOrlo> page) { m_pMerged = std::move(page); }
    /// Frees the merged page, then every page in order.
    void Free();

private:
    std::vector<std::unique_ptr<CLogPageOrlo>> m_pages;
    std::unique_ptr<CLogPageOrlo> m_pMerged;
};

/// Creates the merged page "统计图" if there is none and merges every page into it: the
/// first page holding a combination gives its entries as they are, every later page adds
/// one pass to each of its passing entries.
void BuildMergedPage(OrloPageList& list);

} // namespace orlo
