#pragma once

#include "EmmcBestPoint.h"

#include <string>
#include <utility>
#include <vector>

namespace quillon {

/// The eMMC result page's recommended values ("推荐取值"): the best-point records of the
/// merged page, four value texts and four label texts; Write bin reads the edited texts back.
class CMergePageEMMCModel {
public:
    enum EValue : int { kRow = 0, kCol = 1, kInRow = 2, kInCol = 3 };

    /// The captions of the layout before a record replaces them.
    static constexpr const wchar_t* kLayoutLabels[4] = {L"行参数名:", L"列参数名:",
                                                        L"块内部行参数名:", L"块内部列参数名:"};

    /// With a record: values "0x%X" of row, column, in-block row, in-block column, labels the
    /// four parameter names (row, column, in-block row, in-block column).
    void Init(std::vector<SEmmcBestPoint> records, const std::wstring& rowName,
              const std::wstring& colName, const std::wstring& inRowName,
              const std::wstring& inColName);

    [[nodiscard]] const std::wstring& Value(EValue which) const { return m_values[which]; }
    [[nodiscard]] const std::wstring& Label(EValue which) const { return m_labels[which]; }
    void SetValue(EValue which, std::wstring text) { m_values[which] = std::move(text); }

    /// The records for Write bin: each value text read as a base-16 number ("0x" allowed)
    /// into the first record (row, column, in-block column, in-block row); empty without one.
    [[nodiscard]] std::vector<SEmmcBestPoint> GetRecords() const;

private:
    std::vector<SEmmcBestPoint> m_records;
    std::wstring m_values[4];
    std::wstring m_labels[4] = {kLayoutLabels[0], kLayoutLabels[1], kLayoutLabels[2],
                                kLayoutLabels[3]};
};

} // namespace quillon
