#include "platform/Files.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace platform {

std::string nativePath(std::string_view path) { return std::string(path); }

bool replaceFile(std::string_view path, std::span<const std::uint8_t> bytes) {
  const std::string target(path);
  const std::string temp = target + ".new" + std::to_string(GetCurrentProcessId());
  HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  const std::uint8_t* p = bytes.data();
  std::size_t left = bytes.size();
  while (ok && left > 0) {
    DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    DWORD written = 0;
    ok = WriteFile(h, p, chunk, &written, nullptr) && written == chunk;
    p += written;
    left -= written;
  }
  ok = CloseHandle(h) && ok;
  ok = ok && MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileA(temp.c_str());
  return ok;
}

std::optional<std::vector<std::uint8_t>> readFile(std::string_view path, std::uint64_t maxBytes) {
  const std::string native(path);
  HANDLE h = CreateFileA(native.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(h, &size)) {
    CloseHandle(h);
    return std::nullopt;
  }
  const std::uint64_t wanted = std::min<std::uint64_t>(static_cast<std::uint64_t>(size.QuadPart), maxBytes);
  std::vector<std::uint8_t> data(static_cast<std::size_t>(wanted));
  std::size_t got = 0;
  while (got < data.size()) {
    DWORD n = 0;
    DWORD want = static_cast<DWORD>(std::min<std::size_t>(data.size() - got, 1u << 30));
    if (!ReadFile(h, data.data() + got, want, &n, nullptr) || n == 0) break;
    got += n;
  }
  CloseHandle(h);
  data.resize(got);
  return data;
}

}  // namespace platform
