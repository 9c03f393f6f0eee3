#include "ProductFiles.h"

#include "ProgramLocation.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path HomeDir() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
        return home;
    }
    // No usable HOME (a service or a stripped environment): the account's home directory.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return "/tmp";
}

fs::path XdgDir(const char* variable, const char* fallback) {
    // Relative values are invalid by the base-directory rules and are ignored.
    if (const char* value = std::getenv(variable); value != nullptr && *value == '/') {
        return value;
    }
    return HomeDir() / fallback;
}

bool IsFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

} // namespace

fs::path UserConfigHome() { return XdgDir("XDG_CONFIG_HOME", ".config"); }

fs::path UserStateHome() { return XdgDir("XDG_STATE_HOME", ".local/state"); }

SProductFiles LocateProductFiles(const SProductNames& names, const fs::path& programDir) {
    const std::string fileName = names.strProduct + ".ini";
    SProductFiles files;
    const fs::path beside = programDir / fileName;
    const fs::path shipped = (programDir.parent_path() / "share" / names.strPackage / fileName);
    // A writable folder alone does not make a portable one: root runs the installed program
    // from a writable /usr/bin, and a package unpacked under a user's own prefix is
    // writable too. What marks an install is the shipped default beside it.
    bool installed = false;
    if (!IsFile(beside)) {
        installed = IsFile(shipped) || access(programDir.c_str(), W_OK) != 0;
    }
    files.bInstalled = installed;
    if (!installed) {
        files.settings = beside;
        files.logDir = programDir;
        return files;
    }
    files.settings = UserConfigHome() / names.strProduct / fileName;
    files.shippedSettings = shipped.lexically_normal();
    files.logDir = UserStateHome() / names.strProduct;
    return files;
}

SProductFiles LocateProductFiles(const SProductNames& names) {
    return LocateProductFiles(names, GetProgramDir());
}

bool PrepareProductFiles(const SProductFiles& files) {
    if (!files.bInstalled) {
        return true;
    }
    bool ok = true;
    std::error_code ec;
    fs::create_directories(files.logDir, ec);
    ok = ok && !ec;
    ec.clear();
    fs::create_directories(files.settings.parent_path(), ec);
    ok = ok && !ec;
    if (!IsFile(files.settings) && IsFile(files.shippedSettings)) {
        ec.clear();
        fs::copy_file(files.shippedSettings, files.settings, fs::copy_options::skip_existing, ec);
        ok = ok && !ec;
        // The user edits the copy: it must be writable whatever the shipped file's mode.
        fs::permissions(files.settings, fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::add, ec);
    }
    return ok;
}

fs::path ProgramLogFile(const SProductFiles& files) {
    fs::path name = GetProgramPath().filename();
    name.replace_extension(".log");
    return files.logDir / name;
}

std::string DescribeProductFiles(const SProductFiles& files) {
    std::string text = files.bInstalled ? "Files (installed, per user):\n"
                                        : "Files (portable folder):\n";
    text += "  settings file: " + files.settings.string() + "\n";
    if (files.bInstalled) {
        text += "  seeded from:   " + files.shippedSettings.string() + "\n";
    }
    text += "  tool log in:   " + files.logDir.string() + "\n";
    return text;
}
