#include "QuillonCommandLine.h"

namespace {

struct SLogTypeName {
    const char* m_szName;
    int m_nType;
};

constexpr SLogTypeName kLogTypeNames[] = {{"lpddr", 0}, {"lpddr2", 1},     {"ddr3", 2},
                                          {"hynix", 3}, {"emmc-sdr50", 4}, {"emmc-ddr50", 5}};

} // namespace

std::string QuillonUsage() {
    return "Usage: Quillon [--type lpddr|lpddr2|ddr3|hynix|emmc-sdr50|emmc-ddr50] [DIR]\n"
           "               [--screenshot FILE.png] [--capture PORT] [--help]\n"
           "\n"
           "  --type NAME          log type to analyse (default: LogType/Type of Quillon.ini)\n"
           "  DIR                  put DIR into the directory box and run Analyse once the\n"
           "                       window is shown\n"
           "  --screenshot FILE    after start-up (and the Analyse run by DIR) save a picture\n"
           "                       of the window to FILE and exit (0 when the analysis and the\n"
           "                       save succeeded)\n"
           "  --capture PORT       use PORT (ttyUSB0, /dev/pts/3, ...) for serial-port set 1\n"
           "                       with the stored line settings and open the UART capture\n"
           "                       (lpDDR and lpDDR2); a screenshot then waits a second for\n"
           "                       data\n"
           "  --help               print this text\n";
}

std::optional<SQuillonCommandLine> ParseQuillonCommandLine(const std::vector<std::string>& args,
                                                           std::string& error) {
    SQuillonCommandLine line;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::optional<std::string> value;
        if (arg.rfind("--", 0) == 0) {
            if (const size_t eq = arg.find('='); eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg.resize(eq);
            }
        }
        auto takeValue = [&]() -> std::optional<std::string> {
            if (value) {
                return value;
            }
            if (i + 1 < args.size()) {
                return args[++i];
            }
            error = arg + " needs a value";
            return std::nullopt;
        };
        if (arg == "--help" || arg == "-h") {
            line.m_bHelp = true;
        } else if (arg == "--type") {
            const std::optional<std::string> name = takeValue();
            if (!name) {
                return std::nullopt;
            }
            bool found = false;
            for (const SLogTypeName& entry : kLogTypeNames) {
                if (*name == entry.m_szName) {
                    line.m_nLogType = entry.m_nType;
                    found = true;
                }
            }
            if (!found) {
                error = "unknown log type \"" + *name + "\"";
                return std::nullopt;
            }
        } else if (arg == "--screenshot") {
            const std::optional<std::string> file = takeValue();
            if (!file) {
                return std::nullopt;
            }
            if (file->empty()) {
                error = "--screenshot needs a file name";
                return std::nullopt;
            }
            line.m_strScreenshot = *file;
        } else if (arg == "--capture") {
            const std::optional<std::string> port = takeValue();
            if (!port) {
                return std::nullopt;
            }
            if (port->empty()) {
                error = "--capture needs a port name";
                return std::nullopt;
            }
            line.m_strCapturePort = *port;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return std::nullopt;
        } else if (line.m_strDirectory) {
            error = "only one directory can be given";
            return std::nullopt;
        } else {
            line.m_strDirectory = arg;
        }
    }
    return line;
}
