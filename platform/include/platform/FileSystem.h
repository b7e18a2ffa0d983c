#pragma once
// Files and directories by Windows-style path ("c:\windows\velmora.bmp").
// On Windows a path is used as it is; the Linux host maps drive letters
// below its root (HostRoot.h). Relative paths are relative to the process's
// current directory. Files are raw bytes, never translated.
//
// Every operation that can fail returns a system error code (SystemError.h),
// 0 on success.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SystemError.h"

namespace platform {

// ------------------------------------------------------------ open files

// An open file. A default-constructed one is not open.
struct FileHandle {
  std::intptr_t bits = -1;
  bool isOpen() const { return bits != -1; }
};

// Opens an existing file for reading (others may read and write it).
std::int32_t openForReading(std::string_view path, FileHandle* file);
// Opens a file for reading and writing, creating it when absent; empties it
// when `truncate` is set. Others may read it meanwhile.
std::int32_t openForUpdate(std::string_view path, bool truncate, FileHandle* file);
void closeFile(FileHandle& file);

std::int32_t seekFile(FileHandle file, std::uint64_t offset);
// Bytes read or written: all that were asked for, or fewer at the end of the
// file or on an error (then `error`, when given, receives its code).
std::size_t readSome(FileHandle file, void* buffer, std::size_t bytes, std::int32_t* error = nullptr);
std::size_t writeSome(FileHandle file, const void* buffer, std::size_t bytes, std::int32_t* error = nullptr);
// The current position, and the length; -1 on an error.
std::int64_t filePosition(FileHandle file);
std::int64_t fileLength(FileHandle file);

// ------------------------------------------------------------ whole files

// Reads a file's first `maxBytes` bytes (all of it when it is shorter).
std::int32_t readFile(std::string_view path, std::uint64_t maxBytes, std::vector<std::uint8_t>* data);
// Creates the file, or empties an existing one, and writes the bytes.
std::int32_t writeFile(std::string_view path, std::span<const std::uint8_t> bytes);
// Appends the bytes, creating the file when absent. One open, one write of
// all the bytes, one close.
std::int32_t appendFile(std::string_view path, std::span<const std::uint8_t> bytes);
// Writes the bytes to a temporary file beside `path` and renames it into
// place, so readers see the old file or the new one, never a partial one.
// On a failure any existing file is left as it was.
std::int32_t replaceFile(std::string_view path, std::span<const std::uint8_t> bytes);

// replaceFile for a file written piece by piece, so that a large file never
// has to be held in memory whole: the pieces go to a temporary file beside
// `path`, and commitReplacement puts it in place. Until then readers see the
// old file (or none), and after any failure the old file stays as it was.
struct Replacement {
  FileHandle file;                      // the temporary file, open for writing
  std::string temp;                     // its OS path
  std::string target;                   // the OS path it will replace
  std::int32_t error = kErrorSuccess;  // the first failure, kept to the end
};
std::int32_t openReplacement(std::string_view path, Replacement* replacement);
// Appends the bytes. After a failure nothing more is written and the first
// failure is returned again.
std::int32_t writeReplacement(Replacement& replacement, std::span<const std::uint8_t> bytes);
// Closes the temporary file and, when every write succeeded, renames it over
// the target; otherwise (or when the rename fails) removes it. Returns the
// first failure, 0 when the file is in place.
std::int32_t commitReplacement(Replacement& replacement);
// Closes and removes the temporary file; the target is left as it was.
void abandonReplacement(Replacement& replacement);

enum class IfExists : std::uint8_t { Fail, Overwrite };
// Copies a file's bytes. With IfExists::Fail an existing destination is
// kErrorFileExists and stays as it was.
std::int32_t copyFile(std::string_view from, std::string_view to, IfExists ifExists);
// Deletes a file (never a directory).
std::int32_t deleteFile(std::string_view path);

// ------------------------------------------------------------ directories

// Creates one directory (its parent must exist); kErrorAlreadyExists when
// something of that name is there.
std::int32_t createDirectory(std::string_view path);
// Removes an empty directory; kErrorDirNotEmpty when it is not empty.
std::int32_t removeDirectory(std::string_view path);

struct DirectoryEntry {
  std::string name;  // without the directory
  bool isDirectory = false;
  std::uint64_t size = 0;
};
// The entries of a directory, without "." and "..", sorted by name (bytes).
std::int32_t listDirectory(std::string_view path, std::vector<DirectoryEntry>* entries);

// ------------------------------------------------------------ questions

bool fileExists(std::string_view path);       // a file or a directory
bool directoryExists(std::string_view path);  // a directory

// The name (without directory) of the first file in the current directory
// whose name ends in `suffix` (compared without case, e.g. ".i00"), or "".
// On the host the names are taken in byte order, so the answer is stable.
std::string findFileEndingIn(std::string_view suffix);

// The OS path that `path` names: unchanged on Windows, mapped on the host.
std::string nativePath(std::string_view path);

}  // namespace platform
