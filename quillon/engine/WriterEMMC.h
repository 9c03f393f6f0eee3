#pragma once

#include "EmmcBestPoint.h"
#include "WriteBinBase.h"

#include <array>
#include <cstdint>

namespace quillon {

// The eMMC writers: the recommended eMMC timing point as a record at 0x5C80 of a firmware
// image. The area holds an id and a length, then an SDR50 block of six words and, for DDR50,
// a second block of six words; each writer writes only its own words.

/// What the two flavours share: the record id, the four values and the check word.
class CWriterEMMC : public CWriteBinBase {
public:
    static constexpr size_t kRecordOffset = 0x5C80;
    static constexpr uint32_t kRecordId = 17;

    /// Takes the first record (best-point layout: row, column, in-block column, in-block
    /// row, ...); an empty list sets nothing.
    void SetParameters(const std::vector<SBestParam>& records) override;
    /// The same from best-point records; returns the check word (0 for an empty list).
    uint32_t SetBestPoints(const std::vector<SEmmcBestPoint>& points);
    /// Patches the image; shows the flavour's success text, or the designed or a clear
    /// message that says what happened to the image otherwise.
    bool WriteToBin(const std::wstring& path) override;

    /// id, length, magic, row, column, in-block row, in-block column, check word.
    [[nodiscard]] std::array<uint32_t, 8> Words() const;
    [[nodiscard]] uint32_t CheckWord() const { return m_nCheckWord; }
    /// First byte after the words this writer stores: the image must be at least this long.
    [[nodiscard]] size_t RecordEnd() const { return m_nBlockOffset + 6 * 4; }

    /// A best-point record carried in the writer interface's record type: row, column,
    /// in-block column, in-block row, 0, 0, score in the seven fields.
    [[nodiscard]] static SBestParam ToBestParam(const SEmmcBestPoint& point);
    [[nodiscard]] static SEmmcBestPoint FromBestParam(const SBestParam& record);

protected:
    [[nodiscard]] std::vector<SImagePatch> Patches() const override;
    [[nodiscard]] std::wstring WriteWhat() const override;
    void ShowCannotOpen(const std::wstring& path) const override;
    void ShowTooShort(const std::wstring& path, size_t imageSize) const override;

    CWriterEMMC(uint32_t magic, uint32_t setLength, size_t blockOffset, const wchar_t* flavour,
                const wchar_t* successText);

private:
    void SetValues(uint32_t row, uint32_t col, uint32_t inRow, uint32_t inCol);

    uint32_t m_nRecordId = kRecordId;
    uint32_t m_nRecordLength = 0; // set with the parameters
    uint32_t m_nMagic;
    uint32_t m_nRow = 0;
    uint32_t m_nCol = 0;
    uint32_t m_nInRow = 0;
    uint32_t m_nInCol = 0;
    uint32_t m_nCheckWord = 0;
    uint32_t m_nSetLength;
    size_t m_nBlockOffset;
    const wchar_t* m_szFlavour;
    const wchar_t* m_szSuccess;
};

/// Log type 4: id and length 24 at 0x5C80, the block at 0x5C88 .. 0x5C9F.
class CWriterEMMCsdr50 : public CWriterEMMC {
public:
    static constexpr uint32_t kMagic = 0xEAC0AD50u;
    CWriterEMMCsdr50();
};

/// Log type 5: id and length 48 at 0x5C80, the block at 0x5CA0 .. 0x5CB7; the SDR50 block
/// in between keeps its bytes.
class CWriterEMMCddr50 : public CWriterEMMC {
public:
    static constexpr uint32_t kMagic = 0xEAC1DD50u;
    CWriterEMMCddr50();
};

} // namespace quillon
