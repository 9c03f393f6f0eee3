#include "AnalyseDDR.h"
#include "QuillonCli.h"

// One row per log family this program analyses; a family added to the program adds its row.
namespace {

struct SAnalyser {
    int m_nFirstType;
    int m_nLastType;
    AnalyseFunction m_pFunction;
};

constexpr SAnalyser kAnalysers[] = {
    {0, 2, &AnalyseDDR}, // lpDDR, lpDDR2, DDR3
};

} // namespace

AnalyseFunction FindAnalyser(int logType) {
    for (const SAnalyser& analyser : kAnalysers) {
        if (logType >= analyser.m_nFirstType && logType <= analyser.m_nLastType) {
            return analyser.m_pFunction;
        }
    }
    return nullptr;
}
