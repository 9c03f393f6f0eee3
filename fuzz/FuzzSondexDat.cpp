// The compiled Sondex .dat read at start-up when there is no ini: random images are decoded
// (damage reported, the records before it kept) and loaded. Decoding is repeatable, and the
// records decoded encode and decode to themselves.

#include "FuzzSupport.h"

#include "ProjectConfig.h"

using namespace sondex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view image(reinterpret_cast<const char*>(data), size);
    std::vector<SDatRecord> records;
    const bool whole = CProjectConfig::DecodeImage(image, records);
    std::vector<SDatRecord> again;
    FUZZ_CHECK(CProjectConfig::DecodeImage(image, again) == whole);
    FUZZ_CHECK(again == records);

    std::string encoded;
    if (CProjectConfig::EncodeRecords(records, encoded, 1 << 24)) {
        std::vector<SDatRecord> round;
        FUZZ_CHECK(CProjectConfig::DecodeImage(encoded, round));
        FUZZ_CHECK(round == records);
    }

    const fuzz::fs::path dir = fuzz::FreshDir("sondex_dat");
    const fuzz::fs::path dat = dir / "Sondex.dat";
    fuzz::WriteBytes(dat, image);
    CRecordingPrompt prompt;
    CScopedPrompt scoped(prompt);
    CProjectConfig first;
    FUZZ_CHECK(first.Load(dir / "Sondex.ini", dat));
    // A damaged image is reported once; a whole one silently.
    FUZZ_CHECK(prompt.Records().size() == (whole ? 0u : 1u));
    CProjectConfig second;
    FUZZ_CHECK(second.Load(dir / "Sondex.ini", dat));
    FUZZ_CHECK(first.SameContent(second));
    FUZZ_CHECK(fuzz::ReadBytes(dat) == image);
    return 0;
}
