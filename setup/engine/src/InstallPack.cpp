#include "setup/InstallPack.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace setup {
namespace {

std::uint32_t le32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

// Loaded entries live until the process ends, whatever becomes of their volume.
std::vector<std::unique_ptr<PackEntry>>& loadedEntries() {
  static std::vector<std::unique_ptr<PackEntry>> entries;
  return entries;
}

// The number of records the directory length D stands for: records are read
// until 41 x (read + 1) >= D + 7, and at least one is.
std::uint64_t recordsFor(std::uint32_t length) {
  const std::uint64_t end = std::uint64_t{length} + kVolumeHeaderSize;
  std::uint64_t count = 1;
  if (end > 2 * kRecordSize) count = (end + kRecordSize - 1) / kRecordSize - 1;
  return count;
}

}  // namespace

std::string_view DirectoryRecord::name() const {
  const char* p = reinterpret_cast<const char*>(stored.data());
  return {p, static_cast<std::size_t>(std::find(p, p + kNameSize, '\0') - p)};
}
std::uint32_t DirectoryRecord::offset() const { return le32(stored.data() + 32); }
std::uint32_t DirectoryRecord::size() const { return le32(stored.data() + 36); }

std::unique_ptr<InstallPack> InstallPack::open(std::string_view fileName) {
  auto pack = std::make_unique<InstallPack>();
  pack->fileName = std::string(fileName.substr(0, 255));
  platform::openForReading(fileName, &pack->file);
  if (!pack->file.isOpen()) {
    pack->status = kPackCannotOpen;
    return pack;
  }
  const std::int64_t length = platform::fileLength(pack->file);
  pack->volumeLength = length > 0 ? static_cast<std::uint64_t>(length) : 0;
  std::uint8_t header[kVolumeHeaderSize];
  if (platform::readSome(pack->file, header, 3) != 3 || std::memcmp(header, "VFS", 3) != 0) {
    pack->status = kPackInvalid;
    return pack;
  }
  if (platform::readSome(pack->file, header + 3, 4) != 4) {
    pack->status = kPackInvalid;
    return pack;
  }
  // A directory that would reach past the end of the volume is not a pack;
  // checking first also bounds what is allocated for it.
  const std::uint64_t count = recordsFor(le32(header + 3));
  if (kVolumeHeaderSize + count * kRecordSize > pack->volumeLength) {
    pack->status = kPackInvalid;
    return pack;
  }
  std::vector<DirectoryRecord> directory;
  try {
    directory.resize(static_cast<std::size_t>(count));
  } catch (const std::bad_alloc&) {
    pack->status = kPackNoMemory;
    return pack;
  }
  std::vector<std::uint8_t> raw(static_cast<std::size_t>(count) * kRecordSize);
  if (platform::readSome(pack->file, raw.data(), raw.size()) != raw.size()) {
    pack->status = kPackInvalid;
    return pack;
  }
  for (std::size_t i = 0; i < directory.size(); ++i)
    std::memcpy(directory[i].stored.data(), raw.data() + i * kRecordSize, kRecordSize);
  pack->directory = std::move(directory);
  pack->recordCount = static_cast<std::int32_t>(pack->directory.size());
  pack->firstByName.reserve(pack->directory.size());
  for (std::int32_t i = 0; i < pack->recordCount; ++i) pack->firstByName.try_emplace(pack->directory[i].name(), i);
  pack->status = kPackOk;
  return pack;
}

std::int32_t InstallPack::lookUp(std::string_view name) const {
  // A record matches every name that begins with its own (up to 32 bytes),
  // so only the name's prefixes can match; the earliest record wins.
  std::int32_t best = -1;
  const std::size_t longest = std::min(name.size(), kNameSize);
  for (std::size_t len = 0; len <= longest; ++len) {
    auto it = firstByName.find(name.substr(0, len));
    if (it != firstByName.end() && (best < 0 || it->second < best)) best = it->second;
  }
  return best;
}

PackEntry* InstallPack::loadEntry(std::string_view name) {
  const std::int32_t at = lookUp(name);
  if (at < 0) {
    status = kPackNoEntry;
    return nullptr;
  }
  DirectoryRecord& record = directory[static_cast<std::size_t>(at)];
  if (record.kept) return record.kept;
  const std::uint64_t size = record.size();
  if (std::uint64_t{record.offset()} + size > volumeLength) {
    status = kPackInvalid;
    return nullptr;
  }
  auto entry = std::make_unique<PackEntry>();
  entry->size = record.size();
  const bool aligned = (record.flags() & kFlagAligned) != 0;
  const std::size_t room = static_cast<std::size_t>(size) + 1 + (aligned ? 8 : 0);
  entry->allocation.reset(new (std::nothrow) std::uint8_t[room]);
  if (!entry->allocation) {
    status = kPackNoMemory;
    return nullptr;
  }
  entry->data = entry->allocation.get();
  if (aligned) {
    const auto address = reinterpret_cast<std::uintptr_t>(entry->data);
    entry->data += (8 - address % 8) % 8;
  }
  if (platform::seekFile(file, record.offset()) != platform::kErrorSuccess ||
      platform::readSome(file, entry->data, static_cast<std::size_t>(size)) != size) {
    status = kPackInvalid;
    return nullptr;
  }
  entry->data[size] = 0;
  PackEntry* result = entry.get();
  loadedEntries().push_back(std::move(entry));
  if (record.flags() & kFlagKeepLoaded) {
    record.kept = result;
    result->kept = true;
  }
  return result;
}

void InstallPack::extractEntry(std::string_view name, std::string_view outputPath) {
  VolumeChain& chain = theVolumeChain();
  // Whatever fails, the copy loop must end here rather than walk on through
  // the following volumes.
  chain.continuationPending = 0;
  const std::int32_t at = lookUp(name);
  if (at < 0) {
    status = kPackNoEntry;
    return;
  }
  const DirectoryRecord& record = directory[static_cast<std::size_t>(at)];
  const std::uint64_t size = record.size();
  // A part that the volume does not hold in full is not copied at all, so a
  // truncated volume never leaves a file padded with garbage.
  if (std::uint64_t{record.offset()} + size > volumeLength) {
    status = kPackInvalid;
    return;
  }
  const bool continuation = (record.flags() & kFlagContinuation) != 0;
  platform::FileHandle out;
  platform::openForUpdate(outputPath, !continuation, &out);
  if (!out.isOpen()) {
    status |= kPackCannotOpen;
    return;
  }
  if (continuation && platform::seekFile(out, chain.resumeOffset) != platform::kErrorSuccess) {
    status |= kPackCannotOpen;
    platform::closeFile(out);
    return;
  }
  std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[kCopyChunk]);
  if (!buffer) {
    status = kPackNoMemory;
    platform::closeFile(out);
    return;
  }
  bool ok = platform::seekFile(file, record.offset()) == platform::kErrorSuccess;
  for (std::uint64_t done = 0; ok && done < size;) {
    const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(kCopyChunk, size - done));
    ok = platform::readSome(file, buffer.get(), chunk) == chunk && platform::writeSome(out, buffer.get(), chunk) == chunk;
    done += chunk;
  }
  if (!ok) {
    // The volume shrank under us, or the disk is full.
    status = kPackInvalid;
  } else if (record.flags() & kFlagContinued) {
    const std::int64_t at = platform::filePosition(out);
    chain.resumeOffset = at > 0 ? static_cast<std::uint64_t>(at) : 0;
    chain.continuationPending = 1;
  }
  platform::closeFile(out);
}

void releaseLoadedEntries() { loadedEntries().clear(); }

void releaseUnusedEntries(const std::function<bool(const PackEntry&)>& unused) {
  std::erase_if(loadedEntries(), [&](const std::unique_ptr<PackEntry>& e) { return !e->kept && unused(*e); });
}

std::size_t loadedEntryCount() { return loadedEntries().size(); }

void InstallPack::close() {
  directory.clear();
  firstByName.clear();
  recordCount = 0;
  platform::closeFile(file);
}

VolumeChain& theVolumeChain() {
  static VolumeChain chain;
  return chain;
}

void VolumeChain::start(std::string_view baseName) {
  volumeName = std::string(baseName) + ".i00";
  digitsAt = volumeName.size() - 2;
  volumeNumber = 0;
  continuationPending = 0;
  resumeOffset = 0;
}

void VolumeChain::advanceVolume(std::unique_ptr<InstallPack>& current) {
  if (continuationPending != 1) return;
  if (current) current->close();
  current.reset();
  ++volumeNumber;
  if (volumeNumber > 99) {
    // Two digits name at most 100 volumes.
    current = std::make_unique<InstallPack>();
    current->status = kPackCannotOpen;
    continuationPending = 0;
    return;
  }
  volumeName[digitsAt] = static_cast<char>('0' + volumeNumber / 10);
  volumeName[digitsAt + 1] = static_cast<char>('0' + volumeNumber % 10);
  current = InstallPack::open(volumeName);
}

bool copyEntry(std::unique_ptr<InstallPack>& current, std::string_view name, std::string_view outputPath) {
  VolumeChain& chain = theVolumeChain();
  do {
    chain.advanceVolume(current);
    if (!current) return false;
    current->extractEntry(name, outputPath);
  } while (chain.continuationPending == 1);
  return current && current->status == kPackOk;
}

}  // namespace setup
