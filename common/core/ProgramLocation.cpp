#include "ProgramLocation.h"

#include <system_error>

namespace fs = std::filesystem;

namespace {
fs::path& Override() {
    static fs::path path;
    return path;
}
} // namespace

fs::path GetProgramPath() {
    if (!Override().empty()) {
        return Override();
    }
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return fs::current_path(ec) / "program";
    }
    return self;
}

void SetProgramPathOverride(const fs::path& path) { Override() = path; }

fs::path GetProgramDir() { return GetProgramPath().parent_path(); }

fs::path GetProgramSibling(const char* ext) {
    fs::path p = GetProgramPath();
    p.replace_extension(ext);
    return p;
}
