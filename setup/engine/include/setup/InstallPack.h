#pragma once
// The install pack reader. A pack is a chain of volume files BASE.i00,
// BASE.i01, ...; each starts with "VFS", a 32-bit directory length and
// 41-byte directory records (32-byte name, offset, size, flags), followed by
// the entries' bytes.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/FileSystem.h"

namespace setup {

inline constexpr std::size_t kRecordSize = 41;
inline constexpr std::size_t kNameSize = 32;
inline constexpr std::size_t kVolumeHeaderSize = 7;
inline constexpr std::size_t kCopyChunk = 1u << 20;

// Record flags.
inline constexpr std::uint8_t kFlagKeepLoaded = 0x01;
inline constexpr std::uint8_t kFlagAligned = 0x02;
inline constexpr std::uint8_t kFlagContinuation = 0x20;
inline constexpr std::uint8_t kFlagContinued = 0x40;

// Pack status values (sticky: only a newly opened volume starts again at 0).
inline constexpr std::int32_t kPackOk = 0;
inline constexpr std::int32_t kPackCannotOpen = -1;
inline constexpr std::int32_t kPackInvalid = -2;   // wrong signature, or a record past the end of the volume
inline constexpr std::int32_t kPackNoEntry = -3;
inline constexpr std::int32_t kPackNoMemory = -5;

// An entry loaded into memory. The data are followed by one NUL byte that is
// not part of the entry, so a loaded text is always terminated.
struct PackEntry {
  std::unique_ptr<std::uint8_t[]> allocation;
  std::uint8_t* data = nullptr;
  std::uint32_t size = 0;
  bool kept = false;  // attached to its record (flag 0x01)
};

struct DirectoryRecord {
  std::array<std::uint8_t, kRecordSize> stored{};
  PackEntry* kept = nullptr;

  std::string_view name() const;
  std::uint32_t offset() const;
  std::uint32_t size() const;
  std::uint8_t flags() const { return stored[40]; }
};

struct InstallPack {
  std::string fileName;
  platform::FileHandle file;
  std::vector<DirectoryRecord> directory;
  std::int32_t recordCount = 0;
  std::int32_t status = kPackOk;
  std::uint64_t volumeLength = 0;
  // Record name -> first record of that name, for the prefix look-up.
  std::unordered_map<std::string_view, std::int32_t> firstByName;

  InstallPack() = default;
  InstallPack(const InstallPack&) = delete;
  InstallPack& operator=(const InstallPack&) = delete;
  // A pack let go of closes its volume (Windows cannot delete an open one).
  ~InstallPack() { platform::closeFile(file); }

  // Always yields a pack; its status tells how the opening went.
  static std::unique_ptr<InstallPack> open(std::string_view fileName);

  // The first record (in directory order) whose name is a prefix of `name`
  // (at most 32 bytes of it compared), or -1.
  std::int32_t lookUp(std::string_view name) const;

  // The entry, or none (status -3, -5, or -2 for a record past the end).
  PackEntry* loadEntry(std::string_view name);
  // Copies this volume's part of the entry into `outputPath`.
  void extractEntry(std::string_view name, std::string_view outputPath);
  void close();
};

struct VolumeChain {
  std::string volumeName;  // "<base>.iNN"
  std::int32_t volumeNumber = 0;
  std::size_t digitsAt = 0;
  std::int32_t continuationPending = 0;
  std::uint64_t resumeOffset = 0;

  void start(std::string_view baseName);
  // When a continuation is pending, replaces `current` with the next volume.
  void advanceVolume(std::unique_ptr<InstallPack>& current);
};

// Frees every entry loaded so far. Only for the start of a new run, when
// nothing refers to the entries of the previous one any more and the packs
// that kept some are gone.
void releaseLoadedEntries();
// Frees the loaded entries that `unused` says nothing refers to; entries
// kept by their record (flag 0x01) always stay.
void releaseUnusedEntries(const std::function<bool(const PackEntry&)>& unused);
std::size_t loadedEntryCount();

// The one chain of this process.
VolumeChain& theVolumeChain();

// Copies an entry that may span volumes into `outputPath`: advanceVolume and
// extractEntry while a continuation is pending. True when the current pack's
// status is 0 afterwards.
bool copyEntry(std::unique_ptr<InstallPack>& current, std::string_view name, std::string_view outputPath);

}  // namespace setup
