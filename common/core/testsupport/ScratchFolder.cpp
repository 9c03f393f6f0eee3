#include "ScratchFolder.h"

#include "ScratchFiles.h"

#include <fstream>

namespace testsupport {

CScratchFolder::CScratchFolder(const std::string& prefix) : m_path(MakeScratchFolder(prefix)) {}

CScratchFolder::~CScratchFolder() {
    // A test may have locked a file or folder away from itself to test a refusal.
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(m_path, ec);
}

std::filesystem::path CScratchFolder::Write(const std::filesystem::path& rel,
                                            const std::string& bytes) const {
    const std::filesystem::path file = m_path / rel;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
}

} // namespace testsupport
