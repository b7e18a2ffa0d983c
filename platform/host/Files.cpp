#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/HostRoot.h"

namespace platform {

std::string nativePath(std::string_view path) { return hostPathFor(path); }

bool replaceFile(std::string_view path, std::span<const std::uint8_t> bytes) {
  const std::string target = nativePath(path);
  std::string temp = target + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, 0644) == 0;
  const std::uint8_t* p = bytes.data();
  std::size_t left = bytes.size();
  while (ok && left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      ok = false;
    } else {
      p += n;
      left -= static_cast<std::size_t>(n);
    }
  }
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

std::optional<std::vector<std::uint8_t>> readFile(std::string_view path, std::uint64_t maxBytes) {
  const std::string native = nativePath(path);
  int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  const std::uint64_t size = std::min<std::uint64_t>(static_cast<std::uint64_t>(st.st_size), maxBytes);
  std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
  std::size_t got = 0;
  while (got < data.size()) {
    ssize_t n = ::read(fd, data.data() + got, data.size() - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  data.resize(got);
  return data;
}

}  // namespace platform
