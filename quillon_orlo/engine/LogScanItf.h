#pragma once

#include "ScanProgress.h"

#include <string>
#include <vector>

namespace orlo {

/// The scanner interface of QuillonOrlo: the dialog fills the three lists, calls Scan and
/// takes the result of the derived scanner away.
class CLogScanItf {
public:
    CLogScanItf() = default;
    virtual ~CLogScanItf() = default;
    CLogScanItf(const CLogScanItf&) = delete;
    CLogScanItf& operator=(const CLogScanItf&) = delete;

    /// Parses every file of the file list; true on success.
    virtual bool Scan() { return true; }

    std::vector<std::wstring> m_fileList; ///< full paths of every log to scan, in order
    std::vector<std::wstring> m_lowList;  ///< paths found in the low-temperature directory
    std::vector<std::wstring> m_highList; ///< paths found in the high-temperature directory
    /// Called once per file of m_fileList, in order, before it is read (none by default).
    ScanProgressFn m_progress;
};

} // namespace orlo
