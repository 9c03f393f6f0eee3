// The Sondex project ini: compiled to records, encoded into a .dat image, decoded again and
// loaded as the program starts. The records survive the round trip, and loading the same
// ini twice gives the same configuration.

#include "FuzzSupport.h"

#include "ProjectConfig.h"

using namespace sondex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const fuzz::fs::path dir = fuzz::FreshDir("sondex_ini");
    const fuzz::fs::path ini = dir / "Sondex.ini";
    const fuzz::fs::path dat = dir / "Sondex.dat";
    fuzz::WriteBytes(ini, bytes);

    const std::vector<SDatRecord> records = CProjectConfig::CompileIni(ini);
    FUZZ_CHECK(CProjectConfig::CompileIni(ini) == records);
    std::string image;
    const bool fits = CProjectConfig::EncodeRecords(records, image);
    FUZZ_CHECK(image.size() <= CProjectConfig::kDatBufferBytes);
    std::vector<SDatRecord> decoded;
    FUZZ_CHECK(CProjectConfig::DecodeImage(image, decoded));
    if (fits) {
        FUZZ_CHECK(decoded == records);
    } else {
        // The image holds the records before the one that did not fit.
        FUZZ_CHECK(decoded.size() < records.size());
        FUZZ_CHECK(std::equal(decoded.begin(), decoded.end(), records.begin()));
    }

    CRecordingPrompt prompt;
    CScopedPrompt scoped(prompt);
    CProjectConfig first;
    FUZZ_CHECK(first.Load(ini, dat));
    FUZZ_CHECK(fuzz::ReadBytes(dat) == image);
    CProjectConfig second;
    FUZZ_CHECK(second.Load(ini, dat));
    FUZZ_CHECK(first.SameContent(second));
    // Without the ini the program reads the .dat it wrote: the same configuration.
    fuzz::fs::remove(ini);
    CProjectConfig fromDat;
    FUZZ_CHECK(fromDat.Load(ini, dat));
    FUZZ_CHECK(first.SameContent(fromDat));
    FUZZ_CHECK(prompt.Records().empty());
    // The lookups the log reader and the analysis make.
    (void)first.GetFirstProjectName();
    (void)first.GetResultText1();
    (void)first.GetResultText2();
    for (const char* type : {"Lpddr2", "LPDDR3", "lpddr4", "ddr3"}) {
        const std::wstring name(type, type + std::char_traits<char>::length(type));
        (void)first.FindMinPassMap(name);
        (void)first.FindMinPassGroups(name);
    }
    return 0;
}
