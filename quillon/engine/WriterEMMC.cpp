#include "WriterEMMC.h"

#include "TextUtil.h"
#include "UserPrompt.h"

namespace quillon {

CWriterEMMC::CWriterEMMC(uint32_t magic, uint32_t setLength, size_t blockOffset,
                         const wchar_t* flavour, const wchar_t* successText)
    : m_nMagic(magic), m_nSetLength(setLength), m_nBlockOffset(blockOffset), m_szFlavour(flavour),
      m_szSuccess(successText) {}

CWriterEMMCsdr50::CWriterEMMCsdr50()
    : CWriterEMMC(kMagic, 24, kRecordOffset + 8, L"sdr50", L"写EMMC sdr50数据到bin文件成功") {}

CWriterEMMCddr50::CWriterEMMCddr50()
    : CWriterEMMC(kMagic, 48, kRecordOffset + 8 + 24, L"ddr50", L"写EMMC ddr50数据到bin文件成功") {}

void CWriterEMMC::SetValues(uint32_t row, uint32_t col, uint32_t inRow, uint32_t inCol) {
    m_nRow = row;
    m_nCol = col;
    m_nInRow = inRow;
    m_nInCol = inCol;
    m_nRecordLength = m_nSetLength;
    m_nCheckWord = m_nMagic ^ m_nRow ^ m_nCol ^ m_nInRow ^ m_nInCol;
}

void CWriterEMMC::SetParameters(const std::vector<SBestParam>& records) {
    std::vector<SEmmcBestPoint> points;
    points.reserve(records.size());
    for (const SBestParam& record : records) {
        points.push_back(FromBestParam(record));
    }
    SetBestPoints(points);
}

uint32_t CWriterEMMC::SetBestPoints(const std::vector<SEmmcBestPoint>& points) {
    if (points.empty()) {
        return 0;
    }
    const SEmmcBestPoint& point = points.front();
    SetValues(static_cast<uint32_t>(point.nRow), static_cast<uint32_t>(point.nCol),
              static_cast<uint32_t>(point.nInRow), static_cast<uint32_t>(point.nInCol));
    return m_nCheckWord;
}

std::array<uint32_t, 8> CWriterEMMC::Words() const {
    return {m_nRecordId, m_nRecordLength, m_nMagic, m_nRow,
            m_nCol,      m_nInRow,        m_nInCol, m_nCheckWord};
}

std::vector<CWriteBinBase::SImagePatch> CWriterEMMC::Patches() const {
    SImagePatch head;
    head.m_nOffset = kRecordOffset;
    AppendWordLE(head.m_bytes, m_nRecordId);
    AppendWordLE(head.m_bytes, m_nRecordLength);
    SImagePatch block;
    block.m_nOffset = m_nBlockOffset;
    for (uint32_t word : {m_nMagic, m_nRow, m_nCol, m_nInRow, m_nInCol, m_nCheckWord}) {
        AppendWordLE(block.m_bytes, word);
    }
    return {head, block};
}

std::wstring CWriterEMMC::WriteWhat() const {
    return FormatW(L"write EMMC %ls data to bin file", m_szFlavour);
}

void CWriterEMMC::ShowCannotOpen(const std::wstring& path) const {
    GetPrompt().Show(FormatW(L"open file \"%ls\" failed, please check file path is exist or "
                             L"file attribute is read only",
                             path.c_str()));
}

void CWriterEMMC::ShowTooShort(const std::wstring& path, size_t imageSize) const {
    // An image that ends inside the record area is not the image the record belongs in.
    GetPrompt().Show(FormatW(L"bin file \"%ls\" is too short (%zu bytes): the EMMC %ls record "
                             L"needs at least %zu bytes, the file is left unchanged",
                             path.c_str(), imageSize, m_szFlavour, RecordEnd()));
}

bool CWriterEMMC::WriteToBin(const std::wstring& path) {
    return PatchImage(path, m_szSuccess);
}

SBestParam CWriterEMMC::ToBestParam(const SEmmcBestPoint& point) {
    SBestParam record;
    record.m_nByte = point.nRow;
    record.m_nSdllPhsDly = point.nCol;
    record.m_nDqsStepDly = point.nInCol;
    record.m_nDrvStg = point.nInRow;
    record.m_nRunStart = point.nReserved0;
    record.m_nRunEnd = point.nReserved1;
    record.m_nReserved = point.nScore;
    return record;
}

SEmmcBestPoint CWriterEMMC::FromBestParam(const SBestParam& record) {
    SEmmcBestPoint point;
    point.nRow = record.m_nByte;
    point.nCol = record.m_nSdllPhsDly;
    point.nInCol = record.m_nDqsStepDly;
    point.nInRow = record.m_nDrvStg;
    point.nReserved0 = record.m_nRunStart;
    point.nReserved1 = record.m_nRunEnd;
    point.nScore = record.m_nReserved;
    return point;
}

} // namespace quillon
