#include "platform/FileOps.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace platform {
namespace {

HANDLE handleOf(FileHandle f) { return reinterpret_cast<HANDLE>(f.bits); }
FileHandle wrap(HANDLE h) {
  return FileHandle{h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(h)};
}

bool writeAll(HANDLE h, std::span<const std::uint8_t> bytes) {
  const std::uint8_t* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(h, p, chunk, &written, nullptr) || written == 0) return false;
    p += written;
    left -= written;
  }
  return true;
}

}  // namespace

FileHandle openForReading(std::string_view path) {
  const std::string p(path);
  return wrap(CreateFileA(p.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

FileHandle openForUpdate(std::string_view path, bool truncate) {
  const std::string p(path);
  HANDLE h = CreateFileA(p.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         truncate ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return wrap(h);
}

void closeFile(FileHandle& file) {
  if (file.isOpen()) CloseHandle(handleOf(file));
  file.bits = -1;
}

bool seekFile(FileHandle file, std::uint64_t offset) {
  LARGE_INTEGER to{};
  to.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(handleOf(file), to, nullptr, FILE_BEGIN) != 0;
}

std::size_t readSome(FileHandle file, void* buffer, std::size_t bytes) {
  std::size_t got = 0;
  auto* p = static_cast<std::uint8_t*>(buffer);
  while (got < bytes) {
    DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes - got, 1u << 30));
    DWORD n = 0;
    if (!ReadFile(handleOf(file), p + got, want, &n, nullptr) || n == 0) break;
    got += n;
  }
  return got;
}

std::size_t writeSome(FileHandle file, const void* buffer, std::size_t bytes) {
  std::size_t put = 0;
  auto* p = static_cast<const std::uint8_t*>(buffer);
  while (put < bytes) {
    DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes - put, 1u << 30));
    DWORD n = 0;
    if (!WriteFile(handleOf(file), p + put, want, &n, nullptr) || n == 0) break;
    put += n;
  }
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

bool appendToFile(std::string_view path, std::span<const std::uint8_t> bytes) {
  const std::string p(path);
  HANDLE h = CreateFileA(p.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = writeAll(h, bytes);
  return CloseHandle(h) && ok;
}

bool writeNewFile(std::string_view path, std::span<const std::uint8_t> bytes) {
  const std::string p(path);
  HANDLE h = CreateFileA(p.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = writeAll(h, bytes);
  return CloseHandle(h) && ok;
}

bool copyFileNoReplace(std::string_view from, std::string_view to) {
  const std::string f(from), t(to);
  return CopyFileA(f.c_str(), t.c_str(), TRUE) != 0;
}

bool deleteFile(std::string_view path) {
  const std::string p(path);
  return DeleteFileA(p.c_str()) != 0;
}

bool fileExists(std::string_view path) {
  const std::string p(path);
  return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES;
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
