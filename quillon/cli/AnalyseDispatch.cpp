#include "AnalyseDDR.h"
#include "AnalyseEmmc.h"
#include "AnalyseHynix.h"
#include "QuillonCli.h"

// One row per log family this program analyses; a family added to the program adds its row.
namespace {

struct SAnalyser {
    int m_nFirstType;
    int m_nLastType;
    AnalyseFunction m_pFunction;
};

constexpr SAnalyser kAnalysers[] = {
    {0, 2, &AnalyseDDR},   // lpDDR, lpDDR2, DDR3
    {3, 3, &AnalyseHynix}, // Hynix Log
    {4, 5, &AnalyseEmmc},  // eMMC SDR50, DDR50
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
