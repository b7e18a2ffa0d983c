#pragma once
// Keeps a file in use while it lives: under Wine open without any sharing,
// natively with a flock lock (what the host's version installer looks for).
#include <gtest/gtest.h>

#include <string>

#include "platform/FileSystem.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

class HeldOpen {
 public:
  explicit HeldOpen(const std::string& path) {
#ifdef _WIN32
    handle_ = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(handle_, INVALID_HANDLE_VALUE);
#else
    fd_ = ::open(platform::nativePath(path).c_str(), O_RDONLY);
    EXPECT_GE(fd_, 0);
    EXPECT_EQ(::flock(fd_, LOCK_SH), 0);
#endif
  }
  ~HeldOpen() {
#ifdef _WIN32
    CloseHandle(handle_);
#else
    ::close(fd_);
#endif
  }
  HeldOpen(const HeldOpen&) = delete;
  HeldOpen& operator=(const HeldOpen&) = delete;

 private:
#ifdef _WIN32
  HANDLE handle_;
#else
  int fd_;
#endif
};
