#pragma once

#include <filesystem>
#include <string>

// Small file helpers shared by readers and writers.

/// Reads a whole file as bytes. Returns false (and leaves out empty) when it cannot be read.
[[nodiscard]] bool ReadFileBytes(const std::filesystem::path& path, std::string& out);

/// True when the file may be changed: it exists as a regular file, has at least one write
/// permission bit set (a read-only file stays read-only even for root, as engineers expect
/// of a read-only image), and can be opened for writing.
[[nodiscard]] bool IsFileWritable(const std::filesystem::path& path);

/// Replaces the content of path with bytes through CSafeFileWriter: the real file behind
/// links, under its lock, through a unique temporary file renamed over it, read back. Returns
/// false when the file does not hold the bytes; it is then as it was.
[[nodiscard]] bool ReplaceFileContents(const std::filesystem::path& path, const std::string& bytes);
