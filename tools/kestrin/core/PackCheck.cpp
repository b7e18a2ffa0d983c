#include "PackCheck.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "PackWriter.h"

namespace kestrin {
namespace {

using setup::DirectoryRecord;
using setup::InstallPack;

constexpr char kScript[] = "script";

std::string quoted(std::string_view name) { return "\"" + std::string(name) + "\""; }

std::string recordName(const DirectoryRecord& r, std::size_t index) {
  return "entry " + quoted(r.name()) + " (record " + std::to_string(index) + ")";
}

// The record a look-up of `name` finds in `pack` when it is the part of that
// very entry (the same name), or null.
const DirectoryRecord* partOf(const InstallPack& pack, std::string_view name) {
  const std::int32_t at = pack.lookUp(name);
  if (at < 0) return nullptr;
  const DirectoryRecord& r = pack.directory[static_cast<std::size_t>(at)];
  return r.name() == name ? &r : nullptr;
}

}  // namespace

const char* packStatusText(std::int32_t status) {
  switch (status) {
    case setup::kPackCannotOpen: return "cannot be opened";
    case setup::kPackInvalid: return "is not a pack volume (wrong signature, or a directory past its end)";
    case setup::kPackNoMemory: return "has a directory too large to read";
    default: return "cannot be read";
  }
}

std::string describe(const PackFault& fault) {
  if (fault.entry.empty()) return fault.volume + " " + fault.what;
  return fault.volume + ": " + fault.entry + ": " + fault.what;
}

bool salvageDirectory(const std::string& path, std::vector<DirectoryRecord>* records, std::uint64_t* declared) {
  records->clear();
  *declared = 0;
  std::ifstream in(path, std::ios::binary);
  std::uint8_t header[setup::kVolumeHeaderSize];
  if (!in.read(reinterpret_cast<char*>(header), sizeof header) || std::memcmp(header, "VFS", 3) != 0) return false;
  const std::uint64_t length =
      std::uint64_t{header[3]} | std::uint64_t{header[4]} << 8 | std::uint64_t{header[5]} << 16 | std::uint64_t{header[6]} << 24;
  // Records are read until 41 x (read + 1) >= length + 7, at least one.
  const std::uint64_t end = length + setup::kVolumeHeaderSize;
  *declared = end > 2 * setup::kRecordSize ? (end + setup::kRecordSize - 1) / setup::kRecordSize - 1 : 1;
  DirectoryRecord r;
  while (records->size() < *declared && in.read(reinterpret_cast<char*>(r.stored.data()), setup::kRecordSize))
    records->push_back(r);
  return true;
}

std::optional<PackFault> checkPack(const std::string& base, bool withScript, PackSummary* summary) {
  PackSummary local;
  PackSummary& s = summary ? *summary : local;
  s = {};
  // The chain: from 00 until a volume is missing (the first must be there).
  std::vector<std::unique_ptr<InstallPack>> volumes;
  std::vector<std::string> paths;
  for (int v = 0; v < kMaxVolumes; ++v) {
    const std::string path = volumePath(base, v);
    if (v > 0 && !std::filesystem::exists(path)) break;
    volumes.push_back(InstallPack::open(path));
    paths.push_back(path);
  }
  s.volumes = static_cast<int>(volumes.size());
  const auto readable = [&](std::size_t v) { return v < volumes.size() && volumes[v]->status == setup::kPackOk; };

  for (std::size_t v = 0; v < volumes.size(); ++v) {
    const InstallPack& pack = *volumes[v];
    if (pack.status != setup::kPackOk) return PackFault{paths[v], {}, packStatusText(pack.status)};
    // The installer opens a volume only to go on with an entry split there.
    if (v > 0 && readable(v - 1)) {
      bool continued = false;
      for (const DirectoryRecord& r : volumes[v - 1]->directory) continued |= (r.flags() & setup::kFlagContinued) != 0;
      if (!continued)
        return PackFault{paths[v], {}, "is never opened by the installer: no entry of " + paths[v - 1] + " goes on in it"};
    }
    for (std::size_t i = 0; i < pack.directory.size(); ++i) {
      const DirectoryRecord& r = pack.directory[i];
      const auto fault = [&](std::string what) { return PackFault{paths[v], recordName(r, i), std::move(what)}; };
      if (r.name().empty()) return fault("the record has an empty name, which every look-up would find");
      if (std::uint64_t{r.offset()} + r.size() > pack.volumeLength)
        return fault("its " + std::to_string(r.size()) + " bytes at offset " + std::to_string(r.offset()) +
                     " reach past the end of the volume (" + std::to_string(pack.volumeLength) + " bytes)");
      const std::int32_t found = pack.lookUp(r.name());
      if (found != static_cast<std::int32_t>(i)) {
        const DirectoryRecord& first = pack.directory[static_cast<std::size_t>(found)];
        return fault("hidden by the earlier entry " + quoted(first.name()) + " (record " + std::to_string(found) +
                     "): a record matches every name that begins with its own");
      }
      if (r.flags() & setup::kFlagContinued) {
        if (v + 1 == volumes.size())
          return fault("it goes on in " + volumePath(base, static_cast<int>(v) + 1) + ", which is missing");
        if (readable(v + 1)) {
          const DirectoryRecord* next = partOf(*volumes[v + 1], r.name());
          if (!next || !(next->flags() & setup::kFlagContinuation))
            return fault("it goes on in " + paths[v + 1] + ", which holds no continuation part of it");
        }
      }
      if (r.flags() & setup::kFlagContinuation) {
        if (v == 0) return fault("a continuation part in the first volume continues nothing");
        const DirectoryRecord* previous = partOf(*volumes[v - 1], r.name());
        if (!previous || !(previous->flags() & setup::kFlagContinued))
          return fault("a continuation part, but " + paths[v - 1] + " holds no part of it that goes on");
      } else {
        ++s.entries;
      }
    }
  }
  if (!withScript) return std::nullopt;

  InstallPack& first = *volumes[0];
  const std::int32_t at = first.lookUp(kScript);
  if (at < 0) return PackFault{paths[0], {}, "has no entry \"script\""};
  const DirectoryRecord& record = first.directory[static_cast<std::size_t>(at)];
  const auto fault = [&](std::string what) {
    return PackFault{paths[0], recordName(record, static_cast<std::size_t>(at)), std::move(what)};
  };
  if (record.name() != kScript) return fault("the look-up of \"script\" finds this entry; there is no entry \"script\"");
  if (record.flags() & setup::kFlagContinued)
    return fault("the script goes on in the next volume, but the installer loads only its first part");
  const setup::PackEntry* script = first.loadEntry(kScript);
  if (!script) return fault("cannot be loaded");
  if (auto f = checkScript({script->data, script->size}, &s.script)) return fault(describe(*f));
  return std::nullopt;
}

}  // namespace kestrin
