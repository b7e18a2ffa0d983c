#include "platform/FileOps.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/HostRoot.h"

namespace platform {
namespace {

int fdOf(FileHandle f) { return static_cast<int>(f.bits); }

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
  const std::uint8_t* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n <= 0) return false;
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

bool writeWithFlags(std::string_view path, int flags, std::span<const std::uint8_t> bytes) {
  int fd = ::open(hostPathFor(path).c_str(), flags | O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = writeAll(fd, bytes);
  return (::close(fd) == 0) && ok;
}

}  // namespace

FileHandle openForReading(std::string_view path) {
  int fd = ::open(hostPathFor(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
      ::close(fd);
      fd = -1;
    }
  }
  return FileHandle{fd};
}

FileHandle openForUpdate(std::string_view path, bool truncate) {
  int fd = ::open(hostPathFor(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | (truncate ? O_TRUNC : 0), 0644);
  return FileHandle{fd};
}

void closeFile(FileHandle& file) {
  if (file.isOpen()) ::close(fdOf(file));
  file.bits = -1;
}

bool seekFile(FileHandle file, std::uint64_t offset) {
  return ::lseek(fdOf(file), static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

std::size_t readSome(FileHandle file, void* buffer, std::size_t bytes) {
  std::size_t got = 0;
  auto* p = static_cast<std::uint8_t*>(buffer);
  while (got < bytes) {
    ssize_t n = ::read(fdOf(file), p + got, bytes - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

std::size_t writeSome(FileHandle file, const void* buffer, std::size_t bytes) {
  std::size_t put = 0;
  auto* p = static_cast<const std::uint8_t*>(buffer);
  while (put < bytes) {
    ssize_t n = ::write(fdOf(file), p + put, bytes - put);
    if (n <= 0) break;
    put += static_cast<std::size_t>(n);
  }
  return put;
}

std::int64_t filePosition(FileHandle file) { return ::lseek(fdOf(file), 0, SEEK_CUR); }

std::int64_t fileLength(FileHandle file) {
  struct stat st {};
  if (::fstat(fdOf(file), &st) != 0) return -1;
  return st.st_size;
}

bool appendToFile(std::string_view path, std::span<const std::uint8_t> bytes) {
  return writeWithFlags(path, O_APPEND, bytes);
}

bool writeNewFile(std::string_view path, std::span<const std::uint8_t> bytes) {
  return writeWithFlags(path, O_TRUNC, bytes);
}

bool copyFileNoReplace(std::string_view from, std::string_view to) {
  int in = ::open(hostPathFor(from).c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  const std::string target = hostPathFor(to);
  int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (out < 0) {
    ::close(in);
    return false;
  }
  bool ok = true;
  std::uint8_t buf[65536];
  for (;;) {
    ssize_t n = ::read(in, buf, sizeof buf);
    if (n < 0) ok = false;
    if (n <= 0) break;
    if (!writeAll(out, {buf, static_cast<std::size_t>(n)})) {
      ok = false;
      break;
    }
  }
  ::close(in);
  ok = (::close(out) == 0) && ok;
  if (!ok) ::unlink(target.c_str());
  return ok;
}

bool deleteFile(std::string_view path) { return ::unlink(hostPathFor(path).c_str()) == 0; }

bool fileExists(std::string_view path) {
  struct stat st {};
  return ::stat(hostPathFor(path).c_str(), &st) == 0;
}

std::string findFileEndingIn(std::string_view suffix) {
  DIR* dir = ::opendir(".");
  if (!dir) return {};
  std::string best;
  bool found = false;
  const std::string want(suffix);
  while (dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name.size() < want.size()) continue;
    if (::strcasecmp(name.c_str() + name.size() - want.size(), want.c_str()) != 0) continue;
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    if (!found || name < best) best = name;
    found = true;
  }
  ::closedir(dir);
  return best;
}

}  // namespace platform
