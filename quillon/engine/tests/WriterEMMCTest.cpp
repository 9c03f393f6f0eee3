#include "FileUtil.h"
#include "ScratchFolder.h"
#include "UserPrompt.h"
#include "WriterEMMC.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

class WriterEMMCTest : public ::testing::Test {
protected:
    // An image of size bytes with a recognisable pattern.
    fs::path MakeImage(size_t size) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<char>((i * 7 + 3) & 0xFF);
        }
        const fs::path path = m_dir / "image.bin";
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(size));
        m_original = bytes;
        return path;
    }

    static std::string Read(const fs::path& path) {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(path, bytes));
        return bytes;
    }

    static uint32_t WordAt(const std::string& bytes, size_t offset) {
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i) {
            value =
                (value << 8) | static_cast<unsigned char>(bytes[offset + static_cast<size_t>(i)]);
        }
        return value;
    }

    static SEmmcBestPoint Point() {
        SEmmcBestPoint point;
        point.nRow = 1;
        point.nCol = 2;
        point.nInCol = 0x20;
        point.nInRow = 0x10;
        point.nScore = 231;
        return point;
    }

    testsupport::CScratchFolder m_scratch{"writer_emmc"};
    const fs::path m_dir = m_scratch.Path();
    std::string m_original;
    CRecordingPrompt m_prompt;
};

} // namespace

TEST_F(WriterEMMCTest, Sdr50RecordAndCheckWord) {
    CScopedPrompt scoped(m_prompt);
    const fs::path image = MakeImage(0x8000);
    CWriterEMMCsdr50 writer;
    EXPECT_EQ(writer.SetBestPoints({Point()}), 0xEAC0AD63u);
    ASSERT_TRUE(writer.WriteToBin(image.wstring()));
    const std::string bytes = Read(image);
    ASSERT_EQ(bytes.size(), m_original.size());
    const uint32_t expected[] = {17, 24, 0xEAC0AD50u, 1, 2, 0x10, 0x20, 0xEAC0AD63u};
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(WordAt(bytes, 0x5C80 + 4 * i), expected[i]) << i;
    }
    // Every byte outside 0x5C80 .. 0x5C9F is unchanged.
    EXPECT_EQ(bytes.substr(0, 0x5C80), m_original.substr(0, 0x5C80));
    EXPECT_EQ(bytes.substr(0x5CA0), m_original.substr(0x5CA0));
    ASSERT_EQ(m_prompt.Texts().size(), 1u);
    EXPECT_EQ(m_prompt.Texts()[0], L"写EMMC sdr50数据到bin文件成功");
}

TEST_F(WriterEMMCTest, Ddr50WriteLeavesTheSdr50BlockUntouched) {
    CScopedPrompt scoped(m_prompt);
    const fs::path image = MakeImage(0x6000);
    CWriterEMMCddr50 writer;
    const uint32_t check = writer.SetBestPoints({Point()});
    EXPECT_EQ(check, 0xEAC1DD50u ^ 1u ^ 2u ^ 0x10u ^ 0x20u);
    ASSERT_TRUE(writer.WriteToBin(image.wstring()));
    const std::string bytes = Read(image);
    ASSERT_EQ(bytes.size(), m_original.size());
    EXPECT_EQ(WordAt(bytes, 0x5C80), 17u);
    EXPECT_EQ(WordAt(bytes, 0x5C84), 48u);
    EXPECT_EQ(bytes.substr(0x5C88, 24), m_original.substr(0x5C88, 24));
    const uint32_t expected[] = {0xEAC1DD50u, 1, 2, 0x10, 0x20, check};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(WordAt(bytes, 0x5CA0 + 4 * i), expected[i]) << i;
    }
    EXPECT_EQ(bytes.substr(0, 0x5C80), m_original.substr(0, 0x5C80));
    EXPECT_EQ(bytes.substr(0x5CB8), m_original.substr(0x5CB8));
    EXPECT_EQ(m_prompt.Texts().back(), L"写EMMC ddr50数据到bin文件成功");
}

TEST_F(WriterEMMCTest, RecordsThroughTheWriterInterfaceUseTheFirstOnly) {
    CWriterEMMCsdr50 writer;
    SEmmcBestPoint other = Point();
    other.nRow = 3;
    writer.SetParameters({CWriterEMMC::ToBestParam(Point()), CWriterEMMC::ToBestParam(other)});
    EXPECT_EQ(writer.Words(),
              (std::array<uint32_t, 8>{17, 24, 0xEAC0AD50u, 1, 2, 0x10, 0x20, 0xEAC0AD63u}));
    CWriterEMMCsdr50 empty;
    EXPECT_EQ(empty.SetBestPoints({}), 0u);
    EXPECT_EQ(empty.Words()[1], 0u); // the length stays 0 until parameters are set
}

TEST_F(WriterEMMCTest, BadImagesAreRefusedAndLeftUnchanged) {
    struct SCase {
        const char* what;
        bool ddr;
        size_t size; // 0: no file
        bool readOnly;
        const wchar_t* messageStart;
    };
    const SCase cases[] = {
        {"missing", false, 0, false, L"open file \""},
        {"read-only", false, 0x8000, true, L"open file \""},
        {"sdr50 one byte short", false, 0x5C9F, false, L"bin file \""},
        {"ddr50 one byte short", true, 0x5CB7, false, L"bin file \""},
        {"ddr50 on an sdr50-sized image", true, 0x5CA0, false, L"bin file \""},
        {"empty", false, 1, false, L"bin file \""},
    };
    for (const SCase& c : cases) {
        CRecordingPrompt prompt;
        CScopedPrompt scoped(prompt);
        fs::path image = m_dir / "image.bin";
        std::error_code ec;
        fs::permissions(image, fs::perms::owner_all, ec);
        fs::remove(image, ec);
        if (c.size != 0) {
            image = MakeImage(c.size);
        }
        if (c.readOnly) {
            fs::permissions(image,
                            fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        }
        std::unique_ptr<CWriterEMMC> writer;
        if (c.ddr) {
            writer = std::make_unique<CWriterEMMCddr50>();
        } else {
            writer = std::make_unique<CWriterEMMCsdr50>();
        }
        writer->SetBestPoints({Point()});
        EXPECT_FALSE(writer->WriteToBin(image.wstring())) << c.what;
        ASSERT_EQ(prompt.Texts().size(), 1u) << c.what;
        EXPECT_EQ(prompt.Texts()[0].rfind(c.messageStart, 0), 0u) << c.what;
        if (c.size != 0) {
            EXPECT_EQ(Read(image), m_original) << c.what;
        } else {
            EXPECT_FALSE(fs::exists(image)) << c.what;
        }
    }
}

TEST_F(WriterEMMCTest, MessagesNameThePathAndTheNeededSize) {
    CScopedPrompt scoped(m_prompt);
    const fs::path image = MakeImage(100);
    CWriterEMMCddr50 writer;
    writer.SetBestPoints({Point()});
    EXPECT_FALSE(writer.WriteToBin(image.wstring()));
    const std::wstring text = m_prompt.Texts().at(0);
    EXPECT_NE(text.find(image.wstring()), std::wstring::npos);
    EXPECT_NE(text.find(L"23736"), std::wstring::npos) << "0x5CB8 bytes needed";
    EXPECT_NE(text.find(L"100 bytes"), std::wstring::npos);

    CRecordingPrompt missing;
    CScopedPrompt again(missing);
    EXPECT_FALSE(writer.WriteToBin((m_dir / "none.bin").wstring()));
    EXPECT_EQ(missing.Texts().at(0),
              L"open file \"" + (m_dir / "none.bin").wstring() +
                  L"\" failed, please check file path is exist or file attribute is read only");
}

TEST_F(WriterEMMCTest, WritingTwiceGivesTheSameImage) {
    CScopedPrompt scoped(m_prompt);
    const fs::path image = MakeImage(0x6000);
    CWriterEMMCddr50 writer;
    writer.SetBestPoints({Point()});
    ASSERT_TRUE(writer.WriteToBin(image.wstring()));
    const std::string once = Read(image);
    ASSERT_TRUE(writer.WriteToBin(image.wstring()));
    EXPECT_EQ(Read(image), once);
}
