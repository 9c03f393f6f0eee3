#pragma once

// Shared fixtures of the DDR engine tests: a temporary folder with its own settings file, a
// recording prompt, the process-wide registry and swap map emptied, the tool log written to
// a file of the folder, and writers for pages and logs the way the boards print them.

#include "DrvStgRegistry.h"
#include "IniFile.h"
#include "LaneSwapMap.h"
#include "LogDataDDR.h"
#include "LogPageDDR.h"
#include "ScratchFolder.h"
#include "SettingsFile.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace ddrtest {

namespace fs = std::filesystem;

/// The sdll_phs_dly values a scan prints, in ascending order (one per page column).
inline const std::vector<int> kPhases = {36, 54, 72, 90, 108, 126, 144};

/// Pass mark of a cell: 1 pass, 0 fail, nullopt no data line at all.
using CellFn = std::function<std::optional<int>(int byte, int drvStg, int column, int step)>;

inline CellFn AllPass() {
    return [](int, int, int, int) { return std::optional<int>(1); };
}

class CDdrEngineTest : public testing::Test {
protected:
    void SetUp() override {
        m_settings = m_dir / "Quillon.ini";
        GetSettings().SetPath(m_settings);
        quillon::GetDrvStgRegistry().Clear();
        quillon::GetLaneSwapMap().Clear();
        m_pGuard = std::make_unique<CScopedPrompt>(m_prompt);
        const std::wstring logPath = PathToWide(m_dir / "engine.log");
        GetSpLog()->Open(logPath.c_str(), SPLOG_TEXT, 5, 0);
    }
    void TearDown() override {
        GetSpLog()->Close();
        m_pGuard.reset();
    }

    void Set(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
        ASSERT_TRUE(ini::WriteString(m_settings, section, key, value));
    }
    /// The tool log so far, as text.
    [[nodiscard]] std::string ToolLog() const {
        std::ifstream in(m_dir / "engine.log", std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    [[nodiscard]] bool ToolLogHas(const std::wstring& text) const {
        return ToolLog().find(WideToUtf8(text)) != std::string::npos;
    }
    [[nodiscard]] std::vector<std::wstring> Texts() const { return m_prompt.Texts(); }

    /// Writes a file of the test folder and returns its full path.
    std::wstring WriteFile(const std::string& name, const std::string& bytes) {
        const fs::path p = m_dir / name;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return PathToWide(p);
    }

    testsupport::CScratchFolder m_scratch{"ddr_engine_test"};
    const fs::path m_dir = m_scratch.Path();
    fs::path m_settings;
    CRecordingPrompt m_prompt;
    std::unique_ptr<CScopedPrompt> m_pGuard;
};

/// One data line as a board prints it (without the line break).
inline std::string DataLine(int byte, int drvStg, int phase, int step, bool pass) {
    return "dxn=" + std::to_string(byte) + ", drv_stg=" + std::to_string(drvStg) +
           "ohm, mem_drv=40ohm, sdll_phs_dly=" + std::to_string(phase) +
           ", dqs_step_dly=" + std::to_string(step) + (pass ? ", pass" : ", fail");
}

struct SLogSpec {
    std::string project = "P7";
    std::string ddrType = "ddr2";
    std::string ddrClock = "200";
    std::string platform = "Varro board rev 2";
    std::vector<int> drvStgs = {34, 40, 48, 60, 80};
    CellFn cell = AllPass();
    int lanes = 4;
};

/// A whole log: header lines, the platform line, then the data lines in scan order
/// (phase ascending, then lane, drive strength and step), CR LF endings.
inline std::string MakeLog(const SLogSpec& spec) {
    std::string out;
    out += "**************************************\r\n";
    if (!spec.project.empty()) {
        out += "* project = " + spec.project + "\r\n";
    }
    if (!spec.ddrType.empty()) {
        out += "* ddr type = " + spec.ddrType + "\r\n";
    }
    if (!spec.ddrClock.empty()) {
        out += "* ddr clk = " + spec.ddrClock + "\r\n";
    }
    out += "**************************************\r\n";
    if (!spec.platform.empty()) {
        out += spec.platform + "\r\n";
    }
    out += "start ddr timing scan\r\n";
    for (int column = 0; column < static_cast<int>(kPhases.size()); ++column) {
        for (int byte = 0; byte < spec.lanes; ++byte) {
            for (const int drv : spec.drvStgs) {
                for (int step = -3; step <= 4; ++step) {
                    const std::optional<int> mark = spec.cell(byte, drv, column, step);
                    if (mark.has_value()) {
                        out += DataLine(byte, drv, kPhases[static_cast<size_t>(column)], step,
                                        *mark == 1) +
                               "\r\n";
                    }
                }
            }
        }
    }
    out += "scan done\r\n";
    return out;
}

/// A finished page of 4 lanes x 7 columns x 8 steps with one record per present cell; the
/// drive strengths are registered in the order given.
inline std::unique_ptr<quillon::CLogPageDDR>
MakePage(const std::wstring& name, const std::vector<int>& drvStgs, const CellFn& cell) {
    auto page = std::make_unique<quillon::CLogPageDDR>();
    page->SetName(name);
    page->SetPageSize(4, 7);
    page->SetBlockSize(static_cast<int>(drvStgs.size()), 8);
    for (const int drv : drvStgs) {
        quillon::GetDrvStgRegistry().Register(drv);
    }
    for (int column = 0; column < 7; ++column) {
        for (int byte = 0; byte < 4; ++byte) {
            for (const int drv : drvStgs) {
                for (int step = -3; step <= 4; ++step) {
                    const std::optional<int> mark = cell(byte, drv, column, step);
                    if (mark.has_value()) {
                        EXPECT_TRUE(page->AddCell(kPhases[static_cast<size_t>(column)], byte,
                                                  {step, drv},
                                                  std::make_unique<quillon::CLogDataDDR>(*mark)));
                    }
                }
            }
        }
    }
    page->Finish();
    return page;
}

/// A cell function from a row pattern: position p = column x 8 + step + 3 passes when
/// pattern[p] is '1'; the same pattern for every lane and drive strength.
inline CellFn Pattern(const std::string& pattern) {
    return [pattern](int, int, int column, int step) {
        const size_t p = static_cast<size_t>(column * 8 + step + 3);
        return std::optional<int>(p < pattern.size() && pattern[p] == '1' ? 1 : 0);
    };
}

} // namespace ddrtest
