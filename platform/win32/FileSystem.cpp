#include "platform/FileSystem.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace platform {
namespace {

HANDLE handleOf(FileHandle f) { return reinterpret_cast<HANDLE>(f.bits); }

std::int32_t lastError() { return static_cast<std::int32_t>(GetLastError()); }

std::int32_t writeAll(HANDLE h, const void* data, std::size_t bytes, std::size_t* put) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::size_t done = 0;
  std::int32_t error = kErrorSuccess;
  while (done < bytes) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(h, p + done, chunk, &written, nullptr)) {
      error = lastError();
      break;
    }
    if (written == 0) {
      error = kErrorWriteFault;
      break;
    }
    done += written;
  }
  if (put) *put = done;
  return error;
}

// Opens `path` with the access and disposition given, writes the bytes,
// closes it.
std::int32_t writeWith(std::string_view path, DWORD access, DWORD disposition, std::span<const std::uint8_t> bytes) {
  const std::string p(path);
  HANDLE h = CreateFileA(p.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return lastError();
  std::int32_t error = writeAll(h, bytes.data(), bytes.size(), nullptr);
  if (!CloseHandle(h) && error == kErrorSuccess) error = lastError();
  return error;
}

std::int32_t outcome(BOOL ok) { return ok ? kErrorSuccess : lastError(); }

}  // namespace

std::string nativePath(std::string_view path) { return std::string(path); }

std::int32_t openForReading(std::string_view path, FileHandle* file) {
  const std::string p(path);
  HANDLE h = CreateFileA(p.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  file->bits = h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(h);
  return h == INVALID_HANDLE_VALUE ? lastError() : kErrorSuccess;
}

std::int32_t openForUpdate(std::string_view path, bool truncate, FileHandle* file) {
  const std::string p(path);
  HANDLE h = CreateFileA(p.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         truncate ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  file->bits = h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(h);
  return h == INVALID_HANDLE_VALUE ? lastError() : kErrorSuccess;
}

void closeFile(FileHandle& file) {
  if (file.isOpen()) CloseHandle(handleOf(file));
  file.bits = -1;
}

std::int32_t seekFile(FileHandle file, std::uint64_t offset) {
  LARGE_INTEGER to{};
  to.QuadPart = static_cast<LONGLONG>(offset);
  return outcome(SetFilePointerEx(handleOf(file), to, nullptr, FILE_BEGIN));
}

std::size_t readSome(FileHandle file, void* buffer, std::size_t bytes, std::int32_t* error) {
  std::size_t got = 0;
  auto* p = static_cast<std::uint8_t*>(buffer);
  if (error) *error = kErrorSuccess;
  while (got < bytes) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes - got, 1u << 30));
    DWORD n = 0;
    if (!ReadFile(handleOf(file), p + got, want, &n, nullptr)) {
      if (error) *error = lastError();
      break;
    }
    if (n == 0) break;
    got += n;
  }
  return got;
}

std::size_t writeSome(FileHandle file, const void* buffer, std::size_t bytes, std::int32_t* error) {
  std::size_t put = 0;
  const std::int32_t code = writeAll(handleOf(file), buffer, bytes, &put);
  if (error) *error = code;
  return put;
}

std::int64_t filePosition(FileHandle file) {
  LARGE_INTEGER zero{}, at{};
  if (!SetFilePointerEx(handleOf(file), zero, &at, FILE_CURRENT)) return -1;
  return at.QuadPart;
}

std::int64_t fileLength(FileHandle file) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handleOf(file), &size)) return -1;
  return size.QuadPart;
}

std::int32_t readFile(std::string_view path, std::uint64_t maxBytes, std::vector<std::uint8_t>* data) {
  data->clear();
  const std::string p(path);
  HANDLE h = CreateFileA(p.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return lastError();
  LARGE_INTEGER size{};
  std::int32_t error = GetFileSizeEx(h, &size) ? kErrorSuccess : lastError();
  if (error == kErrorSuccess) {
    data->resize(static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(size.QuadPart), maxBytes)));
    FileHandle file{reinterpret_cast<std::intptr_t>(h)};
    data->resize(readSome(file, data->data(), data->size(), &error));
  }
  CloseHandle(h);
  return error;
}

std::int32_t writeFile(std::string_view path, std::span<const std::uint8_t> bytes) {
  return writeWith(path, GENERIC_WRITE, CREATE_ALWAYS, bytes);
}

std::int32_t appendFile(std::string_view path, std::span<const std::uint8_t> bytes) {
  return writeWith(path, FILE_APPEND_DATA, OPEN_ALWAYS, bytes);
}

std::int32_t openReplacement(std::string_view path, Replacement* r) {
  r->target = std::string(path);
  r->temp = r->target + ".new" + std::to_string(GetCurrentProcessId());
  HANDLE h = CreateFileA(r->temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    r->file.bits = -1;
    r->temp.clear();
    return r->error = lastError();
  }
  r->file.bits = reinterpret_cast<std::intptr_t>(h);
  return r->error = kErrorSuccess;
}

std::int32_t writeReplacement(Replacement& r, std::span<const std::uint8_t> bytes) {
  if (r.error == kErrorSuccess && !r.file.isOpen()) r.error = kErrorInvalidHandle;
  if (r.error == kErrorSuccess) r.error = writeAll(handleOf(r.file), bytes.data(), bytes.size(), nullptr);
  return r.error;
}

std::int32_t commitReplacement(Replacement& r) {
  if (r.error == kErrorSuccess && !r.file.isOpen()) r.error = kErrorInvalidHandle;
  if (r.file.isOpen() && !CloseHandle(handleOf(r.file)) && r.error == kErrorSuccess) r.error = lastError();
  r.file.bits = -1;
  if (r.error == kErrorSuccess &&
      !MoveFileExA(r.temp.c_str(), r.target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    r.error = lastError();
  if (r.error != kErrorSuccess && !r.temp.empty()) DeleteFileA(r.temp.c_str());
  r.temp.clear();
  return r.error;
}

void abandonReplacement(Replacement& r) {
  if (r.file.isOpen()) CloseHandle(handleOf(r.file));
  r.file.bits = -1;
  if (!r.temp.empty()) DeleteFileA(r.temp.c_str());
  r.temp.clear();
}

std::int32_t replaceFile(std::string_view path, std::span<const std::uint8_t> bytes) {
  Replacement r;
  openReplacement(path, &r);
  writeReplacement(r, bytes);
  return commitReplacement(r);
}

std::int32_t copyFile(std::string_view from, std::string_view to, IfExists ifExists) {
  const std::string f(from), t(to);
  return outcome(CopyFileA(f.c_str(), t.c_str(), ifExists == IfExists::Fail ? TRUE : FALSE));
}

std::int32_t deleteFile(std::string_view path) {
  const std::string p(path);
  return outcome(DeleteFileA(p.c_str()));
}

std::int32_t createDirectory(std::string_view path) {
  const std::string p(path);
  return outcome(CreateDirectoryA(p.c_str(), nullptr));
}

std::int32_t removeDirectory(std::string_view path) {
  const std::string p(path);
  return outcome(RemoveDirectoryA(p.c_str()));
}

std::int32_t listDirectory(std::string_view path, std::vector<DirectoryEntry>* entries) {
  entries->clear();
  std::string pattern(path);
  if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA data{};
  HANDLE h = FindFirstFileA(pattern.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) {
    const std::int32_t error = lastError();
    return error == kErrorFileNotFound ? kErrorSuccess : error;  // an empty directory
  }
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    const bool dir = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::uint64_t size = dir ? 0 : (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    entries->push_back({name, dir, size});
  } while (FindNextFileA(h, &data));
  const std::int32_t error = lastError();
  FindClose(h);
  std::sort(entries->begin(), entries->end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  return error == ERROR_NO_MORE_FILES ? kErrorSuccess : error;
}

bool fileExists(std::string_view path) {
  const std::string p(path);
  return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool directoryExists(std::string_view path) {
  const std::string p(path);
  const DWORD attributes = GetFileAttributesA(p.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string findFileEndingIn(std::string_view suffix) {
  const std::string pattern = "*" + std::string(suffix);
  WIN32_FIND_DATAA data{};
  HANDLE h = FindFirstFileA(pattern.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string name = data.cFileName;
  FindClose(h);
  return name;
}

}  // namespace platform
