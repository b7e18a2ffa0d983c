#pragma once
// Streamed file access by Windows-style path, and the few whole-file
// operations the installer needs. Files are raw bytes, never translated.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace platform {

// An open file. A default-constructed one is not open.
struct FileHandle {
  std::intptr_t bits = -1;
  bool isOpen() const { return bits != -1; }
};

// Opens an existing file for reading.
FileHandle openForReading(std::string_view path);
// Opens a file for reading and writing, creating it when absent; empties it
// when `truncate` is set.
FileHandle openForUpdate(std::string_view path, bool truncate);
void closeFile(FileHandle& file);

bool seekFile(FileHandle file, std::uint64_t offset);
// Bytes read or written (fewer at the end of the file or on an error).
std::size_t readSome(FileHandle file, void* buffer, std::size_t bytes);
std::size_t writeSome(FileHandle file, const void* buffer, std::size_t bytes);
// The current position, and the length; -1 on an error.
std::int64_t filePosition(FileHandle file);
std::int64_t fileLength(FileHandle file);

// Appends the bytes to a file, creating it when absent; or writes a new file
// in its place. Each call opens and closes the file.
bool appendToFile(std::string_view path, std::span<const std::uint8_t> bytes);
bool writeNewFile(std::string_view path, std::span<const std::uint8_t> bytes);

// Copies a file; fails when the destination exists.
bool copyFileNoReplace(std::string_view from, std::string_view to);
bool deleteFile(std::string_view path);
bool fileExists(std::string_view path);

// The name (without directory) of the first file in the current directory
// whose name ends in `suffix` (compared without case, e.g. ".i00"), or "".
// On the host the names are taken in byte order, so the answer is stable.
std::string findFileEndingIn(std::string_view suffix);

}  // namespace platform
