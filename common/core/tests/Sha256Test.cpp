// SHA-256 against the published test vectors, across block boundaries, and against the
// digest sha256sum prints for the same file.

#include "Sha256.h"

#include "ScratchFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include <stdlib.h>

namespace fs = std::filesystem;

namespace {

// A folder of its own under the temporary folder, removed at the end of the test.
class CScratchFolder {
public:
    CScratchFolder() {
        std::string name = (fs::temp_directory_path() / "sha256_XXXXXX").string();
        m_path = ::mkdtemp(name.data());
    }
    ~CScratchFolder() {
        std::error_code code;
        fs::remove_all(m_path, code);
    }
    [[nodiscard]] const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

struct SVector {
    std::string m_strMessage;
    const char* m_szDigest;
};

TEST(Sha256, StandardVectors) {
    const SVector cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqr"
         "lmnopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const SVector& c : cases) {
        EXPECT_EQ(Sha256Hex(c.m_strMessage), c.m_szDigest) << c.m_strMessage.size() << " bytes";
    }
}

// Pieces of every size around the 64-byte block and the 56-byte padding limit give the
// digest of the whole.
TEST(Sha256, PiecesGiveTheDigestOfTheWhole) {
    std::string message;
    for (int i = 0; i < 300; ++i) {
        message += static_cast<char>(i * 7 + 3);
    }
    for (const size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 300u}) {
        const std::string whole = Sha256Hex(message.substr(0, length));
        for (const size_t piece : {1u, 3u, 17u, 64u, 100u}) {
            CSha256 hash;
            for (size_t at = 0; at < length; at += piece) {
                hash.Update(message.substr(at, std::min(piece, length - at)));
            }
            EXPECT_EQ(hash.FinishHex(), whole) << length << " bytes in pieces of " << piece;
        }
    }
}

TEST(Sha256, FileDigestEqualsSha256sum) {
    CScratchFolder folder;
    const fs::path file = folder.Path() / "log with blank.txt";
    std::string bytes;
    for (int i = 0; i < 200000; ++i) {
        bytes += static_cast<char>(i % 251);
    }
    testsupport::PutBytes(file, bytes);
    uint64_t size = 0;
    const std::optional<std::string> digest = Sha256OfFile(file, &size);
    ASSERT_TRUE(digest.has_value());
    EXPECT_EQ(size, bytes.size());

    const std::string command = "sha256sum '" + file.string() + "'";
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), &::pclose);
    ASSERT_TRUE(pipe);
    char line[256] = {};
    ASSERT_NE(std::fgets(line, sizeof line, pipe.get()), nullptr);
    EXPECT_EQ(std::string(line).substr(0, 64), *digest);
}

TEST(Sha256, UnreadableFileGivesNothing) {
    CScratchFolder folder;
    EXPECT_FALSE(Sha256OfFile(folder.Path() / "missing").has_value());
    EXPECT_FALSE(Sha256OfFile(folder.Path()).has_value()); // a folder is no file
}

} // namespace
