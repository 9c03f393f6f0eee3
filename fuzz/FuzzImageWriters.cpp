// The firmware-image writers with random images and parameter lists, as Write bin runs
// them: CreateBinWriter of the log type, SetParameters (or the eMMC best points), WriteToBin.
// Checks that a write changes only the writer's own words, stores exactly the words the
// writer reports, keeps the image's length, and that a refused write leaves the file alone.

#include "FuzzSupport.h"

#include "WriteBinBase.h"
#include "WriterDDR.h"
#include "WriterEMMC.h"

#include "TextUtil.h"

#include <sys/stat.h>

using namespace quillon;

namespace {

struct SRange {
    size_t m_nBegin;
    size_t m_nEnd;
};

int32_t TakeValue(FuzzedDataProvider& input) {
    // Mostly values near the ones logs hold, sometimes any 32-bit value.
    if (input.ConsumeBool()) {
        return input.ConsumeIntegralInRange<int32_t>(-8, 160);
    }
    return input.ConsumeIntegral<int32_t>();
}

void PutWordLE(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    static const int kLogTypes[] = {0, 1, 4, 5};
    const int logType = kLogTypes[input.ConsumeIntegralInRange<int>(0, 3)];
    const int shape = input.ConsumeIntegralInRange<int>(0, 7);
    const bool bestPoints = input.ConsumeBool();

    std::vector<SBestParam> records(input.ConsumeIntegralInRange<size_t>(0, 6));
    for (SBestParam& record : records) {
        record.m_nByte = TakeValue(input);
        record.m_nSdllPhsDly = TakeValue(input);
        record.m_nDqsStepDly = TakeValue(input);
        record.m_nDrvStg = TakeValue(input);
        record.m_nRunStart = TakeValue(input);
        record.m_nRunEnd = TakeValue(input);
        record.m_nReserved = TakeValue(input);
    }
    // Image lengths around the end of the block matter most.
    size_t length = 0;
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
        length = input.ConsumeIntegralInRange<size_t>(0x5BF0, 0x5CC0);
        break;
    case 1:
        length = input.ConsumeIntegralInRange<size_t>(0, 0x40);
        break;
    default:
        length = input.ConsumeIntegralInRange<size_t>(0x5CB8, 0x6000);
        break;
    }
    const std::string fill = input.ConsumeRemainingBytesAsString();
    std::string image(length, '\0');
    for (size_t i = 0; i < length; ++i) {
        image[i] = fill.empty() ? static_cast<char>(i * 31 + 7) : fill[i % fill.size()];
    }

    const fuzz::fs::path dir = fuzz::FreshDir("writer");
    const fuzz::fs::path path = dir / "image.bin";
    switch (shape) {
    case 0: // missing
        break;
    case 1: // a folder where the image should be
        fuzz::fs::create_directories(path);
        break;
    case 2: // read-only
        fuzz::WriteBytes(path, image);
        fuzz::fs::permissions(path,
                              fuzz::fs::perms::owner_write | fuzz::fs::perms::group_write |
                                  fuzz::fs::perms::others_write,
                              fuzz::fs::perm_options::remove);
        break;
    default:
        fuzz::WriteBytes(path, image);
        break;
    }
    const bool existed = fuzz::fs::is_regular_file(path);
    struct stat before {};
    const bool statBefore = ::stat(path.c_str(), &before) == 0;

    CRecordingPrompt prompt;
    CScopedPrompt scoped(prompt);
    std::unique_ptr<CWriteBinBase> writer = CreateBinWriter(logType);
    FUZZ_CHECK(writer != nullptr);
    auto* emmc = dynamic_cast<CWriterEMMC*>(writer.get());
    FUZZ_CHECK((emmc != nullptr) == (logType >= 4));
    if (emmc != nullptr && bestPoints) {
        std::vector<SEmmcBestPoint> points;
        for (const SBestParam& record : records) {
            points.push_back(CWriterEMMC::FromBestParam(record));
        }
        const uint32_t check = emmc->SetBestPoints(points);
        FUZZ_CHECK(check == emmc->CheckWord());
    } else {
        writer->SetParameters(records);
    }
    const bool written = writer->WriteToBin(PathToWide(path));
    FUZZ_CHECK(!prompt.Records().empty());

    if (!written) {
        // A refused write leaves the file as it was: there, with the same bytes and mode.
        FUZZ_CHECK(fuzz::fs::is_regular_file(path) == existed);
        if (existed) {
            FUZZ_CHECK(fuzz::ReadBytes(path) == image);
            struct stat after {};
            FUZZ_CHECK(::stat(path.c_str(), &after) == 0);
            FUZZ_CHECK(statBefore && after.st_mode == before.st_mode);
        }
        return 0;
    }
    FUZZ_CHECK(existed && shape >= 3);
    const std::string result = fuzz::ReadBytes(path);
    FUZZ_CHECK(result.size() == image.size());

    // What the writer may store, and the bytes it must have stored there.
    std::vector<SRange> own;
    std::string expected = image;
    if (auto* ddr = dynamic_cast<CWriterDDR*>(writer.get())) {
        own.push_back({CWriterDDR::kBlockOffset, CWriterDDR::kBlockEnd});
        std::string words;
        for (const uint32_t word : ddr->Words()) {
            PutWordLE(words, word);
        }
        expected.replace(CWriterDDR::kBlockOffset, words.size(), words);
    } else {
        const std::array<uint32_t, 8> words = emmc->Words();
        const size_t blockBegin = emmc->RecordEnd() - 6 * 4;
        own.push_back({CWriterEMMC::kRecordOffset, CWriterEMMC::kRecordOffset + 8});
        own.push_back({blockBegin, emmc->RecordEnd()});
        std::string head;
        PutWordLE(head, words[0]);
        PutWordLE(head, words[1]);
        expected.replace(CWriterEMMC::kRecordOffset, head.size(), head);
        std::string block;
        for (size_t i = 2; i < words.size(); ++i) {
            PutWordLE(block, words[i]);
        }
        expected.replace(blockBegin, block.size(), block);
        FUZZ_CHECK(blockBegin == (logType == 4 ? 0x5C88u : 0x5CA0u));
    }
    for (size_t i = 0; i < result.size(); ++i) {
        bool inside = false;
        for (const SRange& range : own) {
            inside = inside || (i >= range.m_nBegin && i < range.m_nEnd);
        }
        if (!inside) {
            FUZZ_CHECK(result[i] == image[i]);
        }
    }
    FUZZ_CHECK(result == expected);
    return 0;
}
