#pragma once

// Fixtures shared by the Sondex engine tests: temporary folders, a small project
// configuration and KestinX log text written the way boards print it.

#include "ScratchFolder.h"

#include "ProjectConfig.h"

#include "UserPrompt.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace sondextest {

namespace fs = std::filesystem;

/// A scratch folder of the Sondex engine's tests.
class CTempDir : public testsupport::CScratchFolder {
public:
    CTempDir() : CScratchFolder("sondex-test") {}
};

/// The configuration most tests use: project P1 = 0x1234, Lpddr3 = 3, pins CA 0x10,
/// DQ 0x20, sr 0x30, CLK 0x40, VREF 0x50, a few ranges and MinPass entries for 800 MHz.
inline const char* kStandardIni = R"([Prompt]
Line1=Sondex usage
Line2=Pick a folder
[ProjectName]
P1=0x1234
P2=0x2000
[DdrType]
Lpddr2=0x2
Lpddr3=0x3
Lpddr4=0x4
Ddr5=0x5
[InfoName]
CA=0x10
DQ=0x20
sr=0x30
CLK=0x40
VREF=0x50
[ValueRange]
Lpddr3_CA=0x0~0x7
Lpddr3_DQ=0x0~0x3
Lpddr3_sr=0x0~0x3
Lpddr3_VREF=0x1,0x2,0x3
Lpddr3_CLK=0x0~0x3
Ddr5_CA=0x0~0x7
[Lpddr3_MinPass]
CA_sr0_800=48
CA_sr1_800=36
CA_sr2_800=24
CA_sr0_933=60
DQ_sr0_800=24
[IsPrint]
CLK=0
DQ=1
[Result]
R1=所有log均通过
R2=请重新扫描
)";

/// A configuration loaded from ini text (compiled into a .dat beside it) and installed
/// as the process-wide one for the lifetime of the object.
class CTestConfig {
public:
    explicit CTestConfig(const std::string& iniText = kStandardIni) {
        m_ini = m_dir.Write("Sondex.ini", iniText);
        m_dat = m_dir.Path() / "Sondex.dat";
        CRecordingPrompt quiet;
        CScopedPrompt scope(quiet);
        m_config.Load(m_ini, m_dat);
        m_loadMessages = quiet.Texts();
        m_pScope = std::make_unique<sondex::CScopedProjectConfig>(m_config);
    }
    [[nodiscard]] sondex::CProjectConfig& Config() { return m_config; }
    [[nodiscard]] const fs::path& Ini() const { return m_ini; }
    [[nodiscard]] const fs::path& Dat() const { return m_dat; }
    [[nodiscard]] const std::vector<std::wstring>& LoadMessages() const { return m_loadMessages; }

private:
    CTempDir m_dir;
    fs::path m_ini;
    fs::path m_dat;
    sondex::CProjectConfig m_config;
    std::vector<std::wstring> m_loadMessages;
    std::unique_ptr<sondex::CScopedProjectConfig> m_pScope;
};

inline std::string Hex8(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", v);
    return buf;
}

/// A parameter word: axis 0xB (row) or 0xC (column), position from 1, pin code, value.
inline uint32_t Word(uint32_t axis, uint32_t position, uint32_t pin, uint32_t value) {
    return (axis << 28) | (position << 24) | (pin << 8) | (value & 0xFF);
}

/// A record line: "0x1", the words, the result ("0X0" pass, "0XF" fail).
inline std::string Record(const std::vector<uint32_t>& words, const std::string& result = "0X0") {
    std::string line = "0x1";
    for (const uint32_t w : words) {
        line += "\t" + Hex8(w);
    }
    return line + "\t" + result + "\n";
}

/// The four header lines, framed in stars as boards print them.
inline std::string Header(uint32_t project = 0x1234, uint32_t ddr = 3, uint32_t clock = 0x320,
                          uint32_t tcnt = 12) {
    return "**********" + Hex8(project) + "**********\n" + "**********" + Hex8(ddr) +
           "**********\n" + "**********" + Hex8(clock) + "**********\n" + "**********" +
           Hex8(0x00000001) + Hex8(tcnt).substr(2) + "**********\n";
}

inline const std::string kStart = "0x73747172\n";
inline const std::string kSeparator = "0x434F4E54\n";
inline const std::string kEnd = "0x656E6464\n";

constexpr uint32_t kPinCA = 0x10;
constexpr uint32_t kPinDQ = 0x20;
constexpr uint32_t kPinSr = 0x30;
constexpr uint32_t kPinClk = 0x40;
constexpr uint32_t kPinVref = 0x50;

/// The lines of a table with one row parameter (rowPin, rowValues) and the column
/// parameters DQ (0..3) and sr (0..3); pass(row value, dq, sr) gives each result.
inline std::string TableLines(uint32_t rowPin, int rowValues,
                              const std::function<bool(int, int, int)>& pass) {
    std::string out;
    for (int r = 0; r < rowValues; ++r) {
        for (int dq = 0; dq < 4; ++dq) {
            for (int sr = 0; sr < 4; ++sr) {
                out += Record(
                    {Word(0xB, 1, rowPin, r), Word(0xC, 1, kPinDQ, dq), Word(0xC, 2, kPinSr, sr)},
                    pass(r, dq, sr) ? "0X0" : "0XF");
            }
        }
    }
    return out;
}

} // namespace sondextest
