#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "ErrnoMap.h"
#include "FaultPoint.h"
#include "platform/HostRoot.h"

namespace platform {
namespace {

using faults::injected;
using faults::Service;

int fdOf(FileHandle f) { return static_cast<int>(f.bits); }

std::int32_t lastError(const std::string& hostPath = {}) { return errorFromErrno(errno, hostPath); }

std::int32_t writeBytes(int fd, const void* data, std::size_t bytes, std::size_t* put) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::size_t done = 0;
  std::int32_t error = kErrorSuccess;
  while (done < bytes) {
    const ssize_t n = ::write(fd, p + done, bytes - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? lastError() : kErrorWriteFault;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (put) *put = done;
  return error;
}

std::int32_t writeAll(int fd, const void* data, std::size_t bytes, std::size_t* put) {
  if (const std::int32_t fault = injected(Service::Write)) [[unlikely]] {
    // A disk that fills up takes part of the bytes first.
    std::size_t wrote = 0;
    if (fault == kErrorDiskFull) writeBytes(fd, data, bytes / 2, &wrote);
    if (put) *put = wrote;
    return fault;
  }
  return writeBytes(fd, data, bytes, put);
}

// Opens `path` with `flags`, writes the bytes, closes it.
std::int32_t writeWith(std::string_view path, int flags, std::span<const std::uint8_t> bytes) {
  const std::string native = hostPathFor(path);
  if (const std::int32_t fault = injected(Service::Open)) return fault;
  const int fd = ::open(native.c_str(), flags | O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return lastError(native);
  // An append that fails part-way is taken back, so the file never ends in
  // a piece of what was to be added.
  struct stat before {};
  const bool appending = (flags & O_APPEND) != 0 && ::fstat(fd, &before) == 0;
  std::int32_t error = writeAll(fd, bytes.data(), bytes.size(), nullptr);
  if (error != kErrorSuccess && appending) (void)::ftruncate(fd, before.st_size);
  if (::close(fd) != 0 && error == kErrorSuccess) error = lastError();
  return error;
}

bool isDirectory(const std::string& native) {
  struct stat st {};
  return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string nativePath(std::string_view path) { return hostPathFor(path); }

std::int32_t openForReading(std::string_view path, FileHandle* file) {
  file->bits = -1;
  const std::string native = hostPathFor(path);
  if (const std::int32_t fault = injected(Service::Open)) return fault;
  const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return lastError(native);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return kErrorAccessDenied;  // as Windows answers for a directory
  }
  file->bits = fd;
  return kErrorSuccess;
}

std::int32_t openForUpdate(std::string_view path, bool truncate, FileHandle* file) {
  file->bits = -1;
  const std::string native = hostPathFor(path);
  if (const std::int32_t fault = injected(Service::Open)) return fault;
  const int fd = ::open(native.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | (truncate ? O_TRUNC : 0), 0644);
  if (fd < 0) return lastError(native);
  file->bits = fd;
  return kErrorSuccess;
}

void closeFile(FileHandle& file) {
  if (file.isOpen()) ::close(fdOf(file));
  file.bits = -1;
}

std::int32_t seekFile(FileHandle file, std::uint64_t offset) {
  if (::lseek(fdOf(file), static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset)) return kErrorSuccess;
  return lastError();
}

std::size_t readSome(FileHandle file, void* buffer, std::size_t bytes, std::int32_t* error) {
  std::size_t got = 0;
  auto* p = static_cast<std::uint8_t*>(buffer);
  if (error) *error = kErrorSuccess;
  if (const std::int32_t fault = injected(Service::Read)) {
    if (error) *error = fault;
    return 0;
  }
  while (got < bytes) {
    const ssize_t n = ::read(fdOf(file), p + got, bytes - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && error) *error = lastError();
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

std::size_t writeSome(FileHandle file, const void* buffer, std::size_t bytes, std::int32_t* error) {
  std::size_t put = 0;
  const std::int32_t code = writeAll(fdOf(file), buffer, bytes, &put);
  if (error) *error = code;
  return put;
}

std::int64_t filePosition(FileHandle file) { return ::lseek(fdOf(file), 0, SEEK_CUR); }

std::int64_t fileLength(FileHandle file) {
  struct stat st {};
  if (::fstat(fdOf(file), &st) != 0) return -1;
  return st.st_size;
}

std::int32_t readFile(std::string_view path, std::uint64_t maxBytes, std::vector<std::uint8_t>* data) {
  data->clear();
  FileHandle file;
  if (const std::int32_t error = openForReading(path, &file)) return error;
  const std::int64_t length = fileLength(file);
  std::int32_t error = length < 0 ? lastError() : kErrorSuccess;
  if (error == kErrorSuccess) {
    data->resize(static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(length), maxBytes)));
    data->resize(readSome(file, data->data(), data->size(), &error));
  }
  closeFile(file);
  return error;
}

std::int32_t writeFile(std::string_view path, std::span<const std::uint8_t> bytes) {
  return writeWith(path, O_TRUNC, bytes);
}

std::int32_t appendFile(std::string_view path, std::span<const std::uint8_t> bytes) {
  return writeWith(path, O_APPEND, bytes);
}

std::int32_t openReplacement(std::string_view path, Replacement* r) {
  r->target = hostPathFor(path);
  r->temp = r->target + ".XXXXXX";
  r->file.bits = -1;
  if (const std::int32_t fault = injected(Service::Open)) {
    r->temp.clear();
    return r->error = fault;
  }
  const int fd = ::mkstemp(r->temp.data());
  if (fd < 0) {
    r->temp.clear();
    return r->error = lastError(r->target);
  }
  r->file.bits = fd;
  r->error = ::fchmod(fd, 0644) == 0 ? kErrorSuccess : lastError();
  return r->error;
}

std::int32_t writeReplacement(Replacement& r, std::span<const std::uint8_t> bytes) {
  if (r.error == kErrorSuccess && !r.file.isOpen()) r.error = kErrorInvalidHandle;
  if (r.error == kErrorSuccess) r.error = writeAll(fdOf(r.file), bytes.data(), bytes.size(), nullptr);
  return r.error;
}

std::int32_t commitReplacement(Replacement& r) {
  if (r.error == kErrorSuccess && !r.file.isOpen()) r.error = kErrorInvalidHandle;
  if (r.file.isOpen() && ::close(fdOf(r.file)) != 0 && r.error == kErrorSuccess) r.error = lastError();
  r.file.bits = -1;
  if (r.error == kErrorSuccess) {
    if (const std::int32_t fault = injected(Service::Rename)) {
      r.error = fault;
    } else if (::rename(r.temp.c_str(), r.target.c_str()) != 0) {
      r.error = lastError(r.target);
    }
  }
  if (r.error != kErrorSuccess && !r.temp.empty()) ::unlink(r.temp.c_str());
  r.temp.clear();
  return r.error;
}

void abandonReplacement(Replacement& r) {
  if (r.file.isOpen()) ::close(fdOf(r.file));
  r.file.bits = -1;
  if (!r.temp.empty()) ::unlink(r.temp.c_str());
  r.temp.clear();
}

std::int32_t replaceFile(std::string_view path, std::span<const std::uint8_t> bytes) {
  Replacement r;
  openReplacement(path, &r);
  writeReplacement(r, bytes);
  return commitReplacement(r);
}

std::int32_t copyFile(std::string_view from, std::string_view to, IfExists ifExists) {
  const std::string source = hostPathFor(from);
  const std::string target = hostPathFor(to);
  if (const std::int32_t fault = injected(Service::Open)) return fault;
  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return lastError(source);
  if (isDirectory(source)) {
    ::close(in);
    return kErrorAccessDenied;
  }
  const int mode = ifExists == IfExists::Fail ? O_EXCL : O_TRUNC;
  if (const std::int32_t fault = injected(Service::Open)) {
    ::close(in);
    return fault;
  }
  const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | mode, 0644);
  if (out < 0) {
    const std::int32_t error = errno == EEXIST ? kErrorFileExists : lastError(target);
    ::close(in);
    return error;
  }
  std::int32_t error = kErrorSuccess;
  std::uint8_t buffer[65536];
  for (;;) {
    if (const std::int32_t fault = injected(Service::Read)) {
      error = fault;
      break;
    }
    const ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = lastError();
    if (n <= 0) break;
    if ((error = writeAll(out, buffer, static_cast<std::size_t>(n), nullptr)) != kErrorSuccess) break;
  }
  ::close(in);
  if (::close(out) != 0 && error == kErrorSuccess) error = lastError();
  // A copy that failed half-way is not left behind as if it were whole.
  if (error != kErrorSuccess) ::unlink(target.c_str());
  return error;
}

std::int32_t deleteFile(std::string_view path) {
  const std::string native = hostPathFor(path);
  if (isDirectory(native)) return kErrorAccessDenied;
  return ::unlink(native.c_str()) == 0 ? kErrorSuccess : lastError(native);
}

std::int32_t createDirectory(std::string_view path) {
  const std::string native = hostPathFor(path);
  if (const std::int32_t fault = injected(Service::CreateDirectory)) return fault;
  return ::mkdir(native.c_str(), 0755) == 0 ? kErrorSuccess : lastError(native);
}

std::int32_t removeDirectory(std::string_view path) {
  const std::string native = hostPathFor(path);
  if (::rmdir(native.c_str()) == 0) return kErrorSuccess;
  if (errno == ENOTDIR && !isDirectory(native) && ::access(native.c_str(), F_OK) == 0) return kErrorDirectory;
  return lastError(native);
}

std::int32_t listDirectory(std::string_view path, std::vector<DirectoryEntry>* entries) {
  entries->clear();
  const std::string native = hostPathFor(path);
  DIR* dir = ::opendir(native.c_str());
  if (!dir) return errno == ENOTDIR ? kErrorDirectory : lastError(native);
  errno = 0;
  while (dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    struct stat st {};
    DirectoryEntry entry{name, false, 0};
    if (::fstatat(::dirfd(dir), name.c_str(), &st, 0) == 0) {
      entry.isDirectory = S_ISDIR(st.st_mode);
      entry.size = entry.isDirectory ? 0 : static_cast<std::uint64_t>(st.st_size);
    }
    entries->push_back(std::move(entry));
  }
  ::closedir(dir);
  std::sort(entries->begin(), entries->end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  return kErrorSuccess;
}

bool fileExists(std::string_view path) {
  struct stat st {};
  return ::stat(hostPathFor(path).c_str(), &st) == 0;
}

bool directoryExists(std::string_view path) { return isDirectory(hostPathFor(path)); }

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
