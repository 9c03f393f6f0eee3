// One contract for every firmware-image writer: an image is changed only inside the writer's
// own words and only when the whole write succeeds; missing, read-only, too short images and
// folders are refused with one message and left as they were.

#include "WriteBinBase.h"

#include "FileUtil.h"
#include "ScratchFolder.h"
#include "TextUtil.h"
#include "UserPrompt.h"
#include "WriterDDR.h"
#include "WriterEMMC.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include <unistd.h>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

struct SRange {
    size_t m_nBegin;
    size_t m_nEnd;
};

struct SWriterCase {
    const char* m_szName;
    std::function<std::unique_ptr<CWriteBinBase>()> m_make;
    std::vector<SRange> m_writable; ///< byte ranges the writer may change
    size_t m_nMinimumSize;          ///< shortest image it accepts
};

SBestParam Params(int32_t a, int32_t b, int32_t c, int32_t d) {
    SBestParam r;
    r.m_nByte = a;
    r.m_nSdllPhsDly = b;
    r.m_nDqsStepDly = c;
    r.m_nDrvStg = d;
    return r;
}

std::unique_ptr<CWriteBinBase> MakeDdr() {
    auto writer = std::make_unique<CWriterDDR>();
    writer->SetParameters({Params(0, 36, -3, 34), Params(1, 54, -2, 34), Params(2, 72, -1, 34),
                           Params(3, 90, 0, 34)});
    return writer;
}

template <typename Writer> std::unique_ptr<CWriteBinBase> MakeEmmc() {
    auto writer = std::make_unique<Writer>();
    writer->SetParameters({Params(1, 2, 0x20, 0x10)});
    return writer;
}

std::vector<SWriterCase> Writers() {
    return {
        {"DDR", MakeDdr, {{0x5C00, 0x5C1C}}, 0x5C1C},
        {"EMMCsdr50", MakeEmmc<CWriterEMMCsdr50>, {{0x5C80, 0x5CA0}}, 0x5CA0},
        {"EMMCddr50", MakeEmmc<CWriterEMMCddr50>, {{0x5C80, 0x5C88}, {0x5CA0, 0x5CB8}}, 0x5CB8},
    };
}

class WriterContract : public ::testing::TestWithParam<SWriterCase> {
protected:
    fs::path MakeImage(size_t size) {
        std::string bytes(size, '\0');
        std::mt19937 rng(static_cast<uint32_t>(size));
        for (char& c : bytes) {
            c = static_cast<char>(rng() & 0xFF);
        }
        const fs::path path = m_dir / "image.bin";
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(size));
        return path;
    }
    static std::string Bytes(const fs::path& path) {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(path, bytes));
        return bytes;
    }
    bool Write(const fs::path& path) {
        m_prompt.Clear();
        return GetParam().m_make()->WriteToBin(PathToWide(path));
    }

    testsupport::CScratchFolder m_scratch{"writer_contract"};
    const fs::path m_dir = m_scratch.Path();
    CRecordingPrompt m_prompt;
    CScopedPrompt m_scope{m_prompt};
};

} // namespace

TEST_P(WriterContract, ChangesOnlyItsOwnWords) {
    const fs::path image = MakeImage(40000);
    const std::string before = Bytes(image);
    ASSERT_TRUE(Write(image));
    const std::string after = Bytes(image);
    ASSERT_EQ(after.size(), before.size());
    size_t changed = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        bool writable = false;
        for (const SRange& range : GetParam().m_writable) {
            writable = writable || (i >= range.m_nBegin && i < range.m_nEnd);
        }
        if (!writable) {
            ASSERT_EQ(after[i], before[i]) << "byte " << i;
        } else if (after[i] != before[i]) {
            ++changed;
        }
    }
    EXPECT_GT(changed, 0u);
    EXPECT_EQ(m_prompt.Texts().size(), 1u); // the success message
}

TEST_P(WriterContract, RefusesWhatCannotTakeTheBlock) {
    // Missing: not created.
    const fs::path missing = m_dir / "missing.bin";
    EXPECT_FALSE(Write(missing));
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_EQ(m_prompt.Texts().size(), 1u);

    // A folder.
    EXPECT_FALSE(Write(m_dir));
    EXPECT_EQ(m_prompt.Texts().size(), 1u);

    // One byte too short.
    fs::path image = MakeImage(GetParam().m_nMinimumSize - 1);
    std::string before = Bytes(image);
    EXPECT_FALSE(Write(image));
    EXPECT_EQ(Bytes(image), before);
    EXPECT_EQ(m_prompt.Texts().size(), 1u);

    // Read-only (no write bit, which holds for root as well).
    image = MakeImage(40000);
    before = Bytes(image);
    fs::permissions(image,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_FALSE(Write(image));
    EXPECT_EQ(Bytes(image), before);
    EXPECT_EQ(m_prompt.Texts().size(), 1u);

    // Just long enough.
    image = m_dir / "exact.bin";
    { std::ofstream(image, std::ios::binary) << std::string(GetParam().m_nMinimumSize, '\x5A'); }
    EXPECT_TRUE(Write(image));
    EXPECT_EQ(fs::file_size(image), GetParam().m_nMinimumSize);
}

INSTANTIATE_TEST_SUITE_P(EveryWriter, WriterContract, ::testing::ValuesIn(Writers()),
                         [](const auto& info) { return std::string(info.param.m_szName); });
