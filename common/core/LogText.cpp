#include "LogText.h"

#include "TextUtil.h"

#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// One folder of the search; visited holds the folders entered so far, so that a link back up
// the tree ("loop.txt" -> "..") is searched once. The key is the folder's real path; when it
// cannot be resolved the path as reached stands in, so no folder goes unguarded.
void FindLogFilesIn(const fs::path& folder, const fs::path& relative, std::vector<fs::path>& out,
                    std::set<fs::path>& visited) {
    std::error_code ec;
    const fs::path real = fs::weakly_canonical(folder, ec);
    if (!visited.insert(ec ? folder : real).second) {
        return;
    }
    struct SEntry {
        std::wstring strUpper;
        fs::path name;
        std::wstring strName;
        bool bDirectory;
    };
    std::vector<SEntry> entries;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        fs::path name = it->path().filename();
        std::wstring wide = PathToWide(name);
        // Only names matching "*.txt" (any case) are listed, directories included.
        if (wide.size() < 4 ||
            !EqualsNoCase(std::wstring_view(wide).substr(wide.size() - 4), L".txt")) {
            continue;
        }
        std::error_code typeEc;
        const bool isDirectory = it->is_directory(typeEc);
        entries.push_back({ToUpperAscii(wide), std::move(name), std::move(wide), isDirectory});
    }
    // The order the platform lists a folder in, independent of the file system.
    std::sort(entries.begin(), entries.end(), [](const SEntry& a, const SEntry& b) {
        if (a.strUpper != b.strUpper) {
            return a.strUpper < b.strUpper;
        }
        return a.strName < b.strName;
    });
    for (const SEntry& entry : entries) {
        if (entry.bDirectory) {
            FindLogFilesIn(folder / entry.name, relative / entry.name, out, visited);
        } else {
            out.push_back(relative / entry.name);
        }
    }
}

} // namespace

std::vector<fs::path> FindLogFilesUnder(const fs::path& folder) {
    std::vector<fs::path> out;
    std::set<fs::path> visited;
    FindLogFilesIn(folder, fs::path(), out, visited);
    return out;
}

std::vector<fs::path> FindLogFiles(const fs::path& folder) {
    std::vector<fs::path> files = FindLogFilesUnder(folder);
    for (fs::path& file : files) {
        file = folder / file;
    }
    return files;
}
