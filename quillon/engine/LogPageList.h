#pragma once

#include "LogPageBase.h"
#include "PassShare.h"
#include "ScanSnapshot.h"

#include <memory>
#include <string>
#include <vector>

namespace quillon {

/// Sort modes of a scan (the sort box's item data).
enum ESortMode : int {
    kSortDescendingByWeakest = 0, ///< weakest value descending
    kSortAscendingByWeakest = 1,  ///< weakest value ascending (weakest log first)
    kSortByName = 2,              ///< log names ascending, upper case before lower case
};

/// The pages of a scan and their merged statistics page. The merged page shares the records
/// of the pages, so it is freed before them.
class CLogPageList {
public:
    CLogPageList() = default;
    ~CLogPageList() { Free(); }
    CLogPageList(const CLogPageList&) = delete;
    CLogPageList& operator=(const CLogPageList&) = delete;

    void AddPage(std::unique_ptr<CLogPageBase> page);
    [[nodiscard]] size_t GetPageCount() const { return m_vecPages.size(); }
    /// Page i in list order; nullptr when i is out of range.
    [[nodiscard]] CLogPageBase* GetPage(size_t i) const;
    /// The name of page i, or an empty text when i is out of range.
    [[nodiscard]] std::wstring GetPageName(int i) const;
    /// The statistics page "统计图", or nullptr.
    [[nodiscard]] CLogPageBase* GetMergedPage() const { return m_pMergedPage.get(); }

    /// Keeps a copy of the process-wide drive-strength registry and byte-lane swap map, as a
    /// successful scan leaves them, for every page of the list (and those added or merged
    /// later): their analysis and drawing read the copy from then on.
    void TakeScanSnapshot();
    /// The copy TakeScanSnapshot kept; nullptr before.
    [[nodiscard]] const CScanSnapshot* ScanSnapshot() const { return m_pScanSnapshot.get(); }

    /// Modes 0 and 1 analyse every page first (in list order) and sort by the weakest
    /// value; mode 2 sorts by name without analysing. Pages that compare equal keep their
    /// order. Any other mode leaves the order unchanged.
    void AnalyseAndSort(int sortMode);
    /// Rebuilds the merged page from every page in list order; true when there is one (no
    /// pages, or a first page of a class that cannot be merged, leave none).
    bool BuildMergedPage();
    /// What the logs say about one cell of the merged page, read from its records (one run of
    /// records per log, in list order): DDR and Hynix (byte lane, column index, key
    /// (dqs_step_dly, drv_stg)), eMMC (row value, column value, key (in-block column,
    /// in-block row)). A log counts when the merge gave it records there, its own or a fail
    /// stand-in for a cell it lacks; it passed when none of its records failed. eMMC logs that
    /// mark errors count every log, failed where it has a record. Nothing without a merged
    /// page or without records there.
    [[nodiscard]] SPassShare CellShare(int byte, int columnIndex, const CellKey& key) const;
    /// Deletes the merged page, then clears and deletes every page in order.
    void Free();

private:
    std::vector<std::unique_ptr<CLogPageBase>> m_vecPages;
    std::unique_ptr<CLogPageBase> m_pMergedPage;
    std::shared_ptr<const CScanSnapshot> m_pScanSnapshot;
};

} // namespace quillon
