#include "HtmlReport.h"

#include "Sha256.h"
#include "TextUtil.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kStyle = R"(
body { font-family: "DejaVu Sans", "WenQuanYi Zen Hei", sans-serif; font-size: 14px;
       color: #202020; margin: 24px; }
h1 { font-size: 22px; margin: 0 0 8px 0; }
h2 { font-size: 17px; margin: 24px 0 6px 0; border-bottom: 1px solid #C0C0C0; }
table { border-collapse: collapse; margin: 6px 0; }
th, td { border: 1px solid #C0C0C0; padding: 2px 8px; text-align: left; vertical-align: top; }
th { background: #EEF0E0; }
.facts td:first-child { font-weight: bold; background: #F4F4F4; }
.banner { font-size: 20px; font-weight: bold; padding: 10px 14px; margin: 10px 0;
          border-radius: 4px; }
.verdict { margin: 4px 0; }
.word { font-weight: bold; padding: 1px 8px; border-radius: 3px; }
.pass { background: #C8F0C8; color: #0A5A0A; }
.fail { background: #F8C8C8; color: #8A0A0A; }
.none { background: #E8E8E8; color: #404040; }
.chart { overflow-x: auto; margin: 6px 0 12px 0; }
.chart svg { display: block; }
.digest { font-family: "DejaVu Sans Mono", monospace; font-size: 12px; word-break: break-all; }
.num { text-align: right; }
@media print {
  @page { size: A4; margin: 12mm; }
  body { margin: 0; font-size: 10pt; }
  h2 { break-after: avoid; }
  .chart { overflow: visible; break-inside: avoid; }
  .chart svg { max-width: 100%; height: auto; }
  .banner, .word, th, .facts td:first-child { -webkit-print-color-adjust: exact;
                                              print-color-adjust: exact; }
  .chart svg { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
}
)";

const char* VerdictClass(EReportVerdict verdict) {
    switch (verdict) {
    case EReportVerdict::Pass:
        return "pass";
    case EReportVerdict::Fail:
        return "fail";
    case EReportVerdict::None:
        break;
    }
    return "none";
}

} // namespace

SReportFile DescribeReportFile(std::string role, const fs::path& path) {
    SReportFile file;
    file.m_strRole = std::move(role);
    file.m_path = path;
    uint64_t size = 0;
    if (const std::optional<std::string> digest = Sha256OfFile(path, &size)) {
        file.m_nSize = size;
        file.m_strSha256 = *digest;
    }
    return file;
}

CHtmlReport::CHtmlReport(std::string title) : m_strTitle(std::move(title)) {}

void CHtmlReport::AddFact(const std::string& label, const std::string& value) {
    m_facts.emplace_back(label, value);
}

void CHtmlReport::SetOverallVerdict(EReportVerdict verdict, const std::string& text) {
    m_verdict = std::make_pair(verdict, text);
}

void CHtmlReport::AddSection(const std::string& heading, const std::string& anchor) {
    m_strBody += "<h2";
    if (!anchor.empty()) {
        m_strBody += " id=\"" + XmlEscape(anchor) + "\"";
    }
    m_strBody += ">" + XmlEscape(heading) + "</h2>\n";
}

void CHtmlReport::AddParagraph(const std::string& text) {
    m_strBody += "<p>" + XmlEscape(text) + "</p>\n";
}

void CHtmlReport::AddVerdict(EReportVerdict verdict, const std::string& word,
                             const std::string& reason) {
    m_strBody += "<p class=\"verdict\"><span class=\"word " + std::string(VerdictClass(verdict)) +
                 "\">" + XmlEscape(word) + "</span>";
    if (!reason.empty()) {
        m_strBody += " <span class=\"reason\">" + XmlEscape(reason) + "</span>";
    }
    m_strBody += "</p>\n";
}

void CHtmlReport::AddTable(const std::vector<std::vector<std::string>>& rows, bool heading,
                           const std::string& cssClass) {
    m_strBody += cssClass.empty() ? "<table>\n" : "<table class=\"" + XmlEscape(cssClass) + "\">\n";
    for (size_t r = 0; r < rows.size(); ++r) {
        const char* tag = heading && r == 0 ? "th" : "td";
        m_strBody += "<tr>";
        for (const std::string& text : rows[r]) {
            m_strBody += std::string("<") + tag + ">" + XmlEscape(text) + "</" + tag + ">";
        }
        m_strBody += "</tr>\n";
    }
    m_strBody += "</table>\n";
}

void CHtmlReport::AddVerdictTable(const std::string& noteHeading,
                                  const std::vector<SVerdictRow>& rows) {
    m_strBody += "<table class=\"verdicts\">\n<tr><th>page</th><th>verdict</th><th>reason</th><th>" +
                 XmlEscape(noteHeading) + "</th></tr>\n";
    for (const SVerdictRow& row : rows) {
        m_strBody += "<tr><td>" + XmlEscape(row.m_strName) + "</td><td class=\"word " +
                     VerdictClass(row.m_verdict) + "\">" + XmlEscape(row.m_strWord) + "</td><td>" +
                     XmlEscape(row.m_strReason) + "</td><td>" + XmlEscape(row.m_strNote) +
                     "</td></tr>\n";
    }
    m_strBody += "</table>\n";
}

void CHtmlReport::AddChart(const CChartTable& chart) {
    m_strBody += "<div class=\"chart\">\n" + ChartSvg(chart) + "</div>\n";
}

void CHtmlReport::AddFiles(const std::vector<SReportFile>& files) {
    m_strBody += "<table class=\"files\">\n<tr><th>role</th><th>file</th><th>bytes</th>"
                 "<th>SHA-256</th></tr>\n";
    for (const SReportFile& file : files) {
        m_strBody += "<tr><td>" + XmlEscape(file.m_strRole) + "</td><td>" +
                     XmlEscape(WideToUtf8(PathToWide(file.m_path))) + "</td><td class=\"num\">" +
                     (file.m_nSize ? std::to_string(*file.m_nSize) : std::string("-")) +
                     "</td><td class=\"digest\">" +
                     (file.m_strSha256.empty() ? std::string("cannot be read")
                                               : file.m_strSha256) +
                     "</td></tr>\n";
    }
    m_strBody += "</table>\n";
}

std::string CHtmlReport::Html() const {
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width\">\n<title>" +
                       XmlEscape(m_strTitle) + "</title>\n<style>" + kStyle +
                       "</style>\n</head>\n<body>\n<h1>" + XmlEscape(m_strTitle) + "</h1>\n";
    if (m_verdict) {
        html += "<div class=\"banner " + std::string(VerdictClass(m_verdict->first)) + "\">" +
                XmlEscape(m_verdict->second) + "</div>\n";
    }
    if (!m_facts.empty()) {
        html += "<table class=\"facts\">\n";
        for (const auto& [label, value] : m_facts) {
            html += "<tr><td>" + XmlEscape(label) + "</td><td>" + XmlEscape(value) + "</td></tr>\n";
        }
        html += "</table>\n";
    }
    html += m_strBody;
    html += "</body>\n</html>\n";
    return html;
}

void AddRunFacts(CHtmlReport& report, const SReportRun& run) {
    report.AddFact("tool", run.m_strTool);
    report.AddFact("version", run.m_strProduct);
    report.AddFact("date", run.m_strDate);
    report.AddFact("command", run.m_strCommand);
}

void AddRunFiles(CHtmlReport& report, const SReportRun& run) {
    std::vector<SReportFile> files;
    for (const fs::path& path : run.m_vecSettings) {
        files.push_back(DescribeReportFile("settings", path));
    }
    for (const fs::path& path : run.m_vecInputs) {
        files.push_back(DescribeReportFile("log", path));
    }
    report.AddSection("Files", "files");
    report.AddFiles(files);
}

bool WriteReportFile(const fs::path& path, const std::string& bytes, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = path.string() + ": " + std::strerror(errno);
        return false;
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
        error = path.string() + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool WriteReportJson(const fs::path& path, const std::function<void(std::ostream&)>& writeJson,
                     std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) {
        writeJson(out);
        out.flush();
    }
    if (!out) {
        error = "cannot write " + path.string();
        return false;
    }
    return true;
}

std::string PrepareReportFolder(const fs::path& dir) {
    std::error_code code;
    fs::create_directories(dir, code);
    if (code) {
        return "cannot create " + dir.string() + ": " + code.message();
    }
    if (!fs::is_directory(dir, code)) {
        return dir.string() + " is not a directory";
    }
    if (::access(dir.c_str(), W_OK | X_OK) != 0) {
        return "cannot write into " + dir.string() + ": " + std::strerror(errno);
    }
    return std::string();
}

std::string ReportFileName(int index, const std::string& text, const std::string& extension) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%02d-", index);
    std::string name = prefix;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        // UTF-8 pieces stay (Chinese page names), as do letters, digits and "._-".
        const bool keep = byte >= 0x80 || std::isalnum(byte) != 0 || c == '.' || c == '_' ||
                          c == '-';
        name += keep ? c : '_';
    }
    return name + extension;
}

std::string ReportTimestamp() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return text;
}

std::string ReportCommandLine(int argc, const char* const* argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) {
        const std::string word = argv[i] != nullptr ? argv[i] : "";
        if (i > 0) {
            line += ' ';
        }
        if (!word.empty() && word.find_first_of(" \t\n'\"\\$`*?;&|<>()") == std::string::npos) {
            line += word;
            continue;
        }
        line += '\'';
        for (const char c : word) {
            if (c == '\'') {
                line += "'\\''";
            } else {
                line += c;
            }
        }
        line += '\'';
    }
    return line;
}
