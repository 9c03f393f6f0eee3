#include "WriterDDR.h"

#include "FileUtil.h"
#include "ScratchFolder.h"
#include "TextUtil.h"
#include "UserPrompt.h"
#include "WriterEMMC.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include <unistd.h>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

SBestParam Record(int32_t byte, int32_t sdll, int32_t dqs, int32_t drv) {
    SBestParam r;
    r.m_nByte = byte;
    r.m_nSdllPhsDly = sdll;
    r.m_nDqsStepDly = dqs;
    r.m_nDrvStg = drv;
    return r;
}

std::vector<SBestParam> ExampleRecords() {
    return {Record(0, 36, -3, 34), Record(1, 54, -2, 34), Record(2, 72, -1, 34),
            Record(3, 90, 0, 34)};
}

uint32_t WordAt(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<uint8_t>(bytes[offset + static_cast<size_t>(i)]);
    }
    return value;
}

class WriterDDRTest : public ::testing::Test {
protected:
    // An image of size bytes of noise, so an unchanged byte cannot be a lucky zero.
    fs::path MakeImage(const char* name, size_t size, uint32_t seed = 7) {
        std::string bytes(size, '\0');
        std::mt19937 rng(seed);
        for (char& c : bytes) {
            c = static_cast<char>(rng() & 0xFF);
        }
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(size));
        return path;
    }

    static std::string Bytes(const fs::path& path) {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(path, bytes));
        return bytes;
    }

    testsupport::CScratchFolder m_scratch{"writer_ddr"};
    const fs::path m_dir = m_scratch.Path();
    CRecordingPrompt m_prompt;
    CScopedPrompt m_scope{m_prompt};
};

} // namespace

TEST_F(WriterDDRTest, ExampleGivesTheDocumentedBlockAndCheckWord) {
    CWriterDDR writer;
    writer.SetParameters(ExampleRecords());
    const std::array<uint32_t, 7> expected = {16,          20,          0xABCD1234u, 0x0000000Du,
                                              0x03020100u, 0x00010203u, 0xA8CE113Au};
    EXPECT_EQ(writer.Words(), expected);
}

TEST_F(WriterDDRTest, WritesTheBlockAndKeepsEveryOtherByte) {
    const fs::path image = MakeImage("fw.bin", 40000);
    const std::string before = Bytes(image);

    CWriterDDR writer;
    writer.SetParameters(ExampleRecords());
    ASSERT_TRUE(writer.WriteToBin(PathToWide(image)));

    const std::string after = Bytes(image);
    ASSERT_EQ(after.size(), before.size());
    const std::array<uint32_t, 7> words = writer.Words();
    for (size_t i = 0; i < words.size(); ++i) {
        EXPECT_EQ(WordAt(after, 0x5C00 + 4 * i), words[i]) << "word " << i;
    }
    // Phase codes are stored little-endian: item 3 first.
    EXPECT_EQ(after.substr(0x5C10, 4), std::string("\x00\x01\x02\x03", 4));
    for (size_t i = 0; i < before.size(); ++i) {
        if (i < 0x5C00 || i > 0x5C1B) {
            ASSERT_EQ(after[i], before[i]) << "byte " << i << " changed";
        }
    }
    ASSERT_EQ(m_prompt.Texts().size(), 1u);
    EXPECT_EQ(m_prompt.Texts()[0], L"wirte DDR data back to bin file success");
}

TEST_F(WriterDDRTest, WritingTwiceGivesTheSameImage) {
    const fs::path image = MakeImage("fw.bin", 30000);
    for (int i = 0; i < 2; ++i) {
        CWriterDDR writer;
        writer.SetParameters(ExampleRecords());
        ASSERT_TRUE(writer.WriteToBin(PathToWide(image)));
    }
    const std::string once = Bytes(image);
    CWriterDDR writer;
    writer.SetParameters(ExampleRecords());
    ASSERT_TRUE(writer.WriteToBin(PathToWide(image)));
    EXPECT_EQ(Bytes(image), once);
}

struct SCodeCase {
    const char* m_szName;
    std::vector<SBestParam> m_records;
    uint32_t m_nDriveCode;
    uint32_t m_nPhaseCodes;
    uint32_t m_nStepCodes;
};

class WriterDDRCodes : public ::testing::TestWithParam<SCodeCase> {};

TEST_P(WriterDDRCodes, CodesAndCheckWord) {
    const SCodeCase& c = GetParam();
    CWriterDDR writer;
    writer.SetParameters(c.m_records);
    const auto words = writer.Words();
    EXPECT_EQ(words[1], 20u);
    EXPECT_EQ(words[3], c.m_nDriveCode);
    EXPECT_EQ(words[4], c.m_nPhaseCodes);
    EXPECT_EQ(words[5], c.m_nStepCodes);
    EXPECT_EQ(words[6], c.m_nDriveCode ^ 0xABCD1234u ^ c.m_nStepCodes ^ c.m_nPhaseCodes);
}

INSTANTIATE_TEST_SUITE_P(Cases, WriterDDRCodes,
                         ::testing::Values(
                             // 40 has no phase code: its byte (item 1, bits 23..16) stays 0.
                             SCodeCase{"PhaseWithoutCode",
                                       {Record(0, 36, -3, 34), Record(1, 40, -2, 34),
                                        Record(2, 72, -1, 34), Record(3, 90, 0, 34)},
                                       13,
                                       0x03000100u,
                                       0x00010203u},
                             // The last record whose drive strength has a code wins; 31 has none.
                             SCodeCase{"LastListedDriveWins",
                                       {Record(0, 36, -3, 34), Record(1, 36, -3, 40),
                                        Record(2, 36, -3, 34), Record(3, 36, -3, 31)},
                                       13,
                                       0x03030303u,
                                       0u},
                             // DDR1 rows written as shown ("0xFF", "X", "X") read as 0: step code 3
                             // each, phase code of 0 is none, drive code only for 48.
                             SCodeCase{"Ddr1PlaceholdersWith48",
                                       {Record(0, 0, 0, 48), Record(0, 0, 0, 48),
                                        Record(0, 0, 0, 48), Record(0, 0, 0, 48)},
                                       9,
                                       0u,
                                       0x03030303u},
                             SCodeCase{"Ddr1PlaceholdersWith31",
                                       {Record(0, 0, 0, 31), Record(0, 0, 0, 31),
                                        Record(0, 0, 0, 31), Record(0, 0, 0, 31)},
                                       0,
                                       0u,
                                       0x03030303u},
                             SCodeCase{"EveryHighCode",
                                       {Record(0, 144, 4, 80), Record(1, 126, 3, 60),
                                        Record(2, 108, 2, 48), Record(3, 90, 1, 40)},
                                       11,
                                       0x12080400u,
                                       0x07060504u}),
                         [](const auto& info) { return std::string(info.param.m_szName); });

TEST_F(WriterDDRTest, OnlyExactlyFourRecordsAreTaken) {
    const std::array<uint32_t, 7> untouched = {16, 18, 0xABCD1234u, 0, 0, 0, 0};
    for (size_t count : {0u, 3u, 5u}) {
        std::vector<SBestParam> records(count, Record(0, 36, -3, 34));
        CWriterDDR writer;
        writer.SetParameters(records);
        EXPECT_EQ(writer.Words(), untouched) << count << " records";
    }
}

TEST_F(WriterDDRTest, MissingImageIsRefusedAndNotCreated) {
    const fs::path image = m_dir / "missing.bin";
    CWriterDDR writer;
    writer.SetParameters(ExampleRecords());
    EXPECT_FALSE(writer.WriteToBin(PathToWide(image)));
    EXPECT_FALSE(fs::exists(image));
    ASSERT_EQ(m_prompt.Texts().size(), 1u);
    EXPECT_EQ(m_prompt.Texts()[0],
              L"open file \"" + PathToWide(image) +
                  L"\" failed, please check file is exist or file attirbute is read only");
}

TEST_F(WriterDDRTest, ReadOnlyImageIsRefusedAndUnchanged) {
    const fs::path image = MakeImage("ro.bin", 40000);
    const std::string before = Bytes(image);
    fs::permissions(image,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    CWriterDDR writer;
    writer.SetParameters(ExampleRecords());
    EXPECT_FALSE(writer.WriteToBin(PathToWide(image)));
    EXPECT_EQ(Bytes(image), before);
    ASSERT_EQ(m_prompt.Texts().size(), 1u);
    EXPECT_EQ(m_prompt.Texts()[0],
              L"open file \"" + PathToWide(image) +
                  L"\" failed, please check file is exist or file attirbute is read only");
}

TEST_F(WriterDDRTest, DirectoryIsRefused) {
    CWriterDDR writer;
    writer.SetParameters(ExampleRecords());
    EXPECT_FALSE(writer.WriteToBin(PathToWide(m_dir)));
    ASSERT_EQ(m_prompt.Texts().size(), 1u);
    EXPECT_NE(m_prompt.Texts()[0].find(L"failed, please check file is exist"), std::wstring::npos);
}

TEST_F(WriterDDRTest, ImageShorterThanTheBlockIsRefusedAndUnchanged) {
    for (size_t size : {size_t{0}, size_t{100}, size_t{0x5C00}, size_t{23579}}) {
        m_prompt.Clear();
        const fs::path image = MakeImage("short.bin", size);
        const std::string before = Bytes(image);
        CWriterDDR writer;
        writer.SetParameters(ExampleRecords());
        EXPECT_FALSE(writer.WriteToBin(PathToWide(image))) << size;
        EXPECT_EQ(Bytes(image), before) << size;
        ASSERT_EQ(m_prompt.Texts().size(), 1u);
        EXPECT_EQ(m_prompt.Texts()[0],
                  FormatW(L"bin file \"%ls\" is too short (%zu bytes): the DDR parameter block "
                          L"needs at least 23580 bytes, the file is left unchanged",
                          PathToWide(image).c_str(), size));
    }
}

TEST_F(WriterDDRTest, ImageJustLongEnoughIsWritten) {
    const fs::path image = MakeImage("exact.bin", 23580);
    CWriterDDR writer;
    writer.SetParameters(ExampleRecords());
    ASSERT_TRUE(writer.WriteToBin(PathToWide(image)));
    const std::string after = Bytes(image);
    ASSERT_EQ(after.size(), 23580u);
    EXPECT_EQ(WordAt(after, 0x5C18), 0xA8CE113Au);
}

TEST_F(WriterDDRTest, ImageKeepsItsPermissions) {
    const fs::path image = MakeImage("perm.bin", 24000);
    fs::permissions(image, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    CWriterDDR writer;
    writer.SetParameters(ExampleRecords());
    ASSERT_TRUE(writer.WriteToBin(PathToWide(image)));
    EXPECT_EQ(fs::status(image).permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(BinWriterFactory, WriterPerLogType) {
    EXPECT_NE(dynamic_cast<CWriterDDR*>(CreateBinWriter(0).get()), nullptr);
    EXPECT_NE(dynamic_cast<CWriterDDR*>(CreateBinWriter(1).get()), nullptr);
    EXPECT_NE(dynamic_cast<CWriterEMMCsdr50*>(CreateBinWriter(4).get()), nullptr);
    EXPECT_NE(dynamic_cast<CWriterEMMCddr50*>(CreateBinWriter(5).get()), nullptr);
    for (int type : {-1, 2, 3, 6, 99}) {
        EXPECT_EQ(CreateBinWriter(type), nullptr) << type;
    }
}
