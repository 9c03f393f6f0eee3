#include "FileUtil.h"

#include "SafeFileWriter.h"

#include <fstream>
#include <system_error>

#include <unistd.h>

namespace fs = std::filesystem;

bool ReadFileBytes(const fs::path& path, std::string& out) {
    out.clear();
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    const auto size = fs::file_size(path, ec);
    if (!ec) {
        out.reserve(static_cast<size_t>(size));
    }
    char buf[1 << 16];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        out.append(buf, static_cast<size_t>(in.gcount()));
    }
    return !in.bad();
}

bool IsFileWritable(const fs::path& path) {
    std::error_code ec;
    const auto st = fs::status(path, ec);
    if (ec || !fs::is_regular_file(st)) {
        return false;
    }
    const auto writeBits =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((st.permissions() & writeBits) == fs::perms::none) {
        return false;
    }
    return ::access(path.c_str(), W_OK) == 0;
}

bool ReplaceFileContents(const fs::path& path, const std::string& bytes) {
    CSafeFileWriter writer(path);
    return writer.Replace(bytes) == ESafeWriteResult::Written;
}
