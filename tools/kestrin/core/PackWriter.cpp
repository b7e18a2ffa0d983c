#include "PackWriter.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "setup/InstallPack.h"

namespace kestrin {
namespace {

constexpr std::uint64_t kHeader = setup::kVolumeHeaderSize;
constexpr std::uint64_t kRecord = setup::kRecordSize;

bool sizeOf(const PackInput& in, std::uint64_t* size, std::string* error) {
  if (in.path.empty()) {
    *size = in.bytes.size();
    return true;
  }
  std::error_code ec;
  const auto s = std::filesystem::file_size(in.path, ec);
  if (ec) {
    *error = "cannot read " + in.path + ": " + ec.message();
    return false;
  }
  *size = s;
  return true;
}

// A record name that is a prefix of a later record's name in the same
// volume would be found in its place.
bool checkShadowing(const std::vector<PackInput>& inputs, const std::vector<PackPart>& parts, std::string* error) {
  std::unordered_map<std::string_view, std::size_t> seen;
  for (const PackPart& p : parts) {
    const std::string_view name = inputs[p.input].name;
    for (std::size_t len = 0; len <= name.size(); ++len) {
      auto it = seen.find(name.substr(0, len));
      if (it != seen.end()) {
        *error = "entry \"" + std::string(name) + "\" would be found as the earlier entry \"" +
                 std::string(it->first) + "\" (a record matches every name that begins with it); put \"" +
                 std::string(name) + "\" first or rename one of them";
        return false;
      }
    }
    seen.emplace(name, p.input);
  }
  return true;
}

}  // namespace

std::string volumePath(const std::string& base, int number) {
  char digits[4];
  std::snprintf(digits, sizeof digits, "%02d", number % 100);
  return base + ".i" + digits;
}

bool planPack(const std::vector<PackInput>& inputs, std::uint64_t volumeSize, PackPlan* plan, std::string* error) {
  if (volumeSize == 0 || volumeSize > kMaxVolumeSize) volumeSize = kMaxVolumeSize;
  if (volumeSize < kMinVolumeSize) {
    *error = "a volume must hold at least " + std::to_string(kMinVolumeSize) + " bytes";
    return false;
  }
  if (inputs.size() > 1 && volumeSize < kHeader + 2 * kRecord + 1) {
    // The end of one entry and the record of the next share a volume.
    *error = "a volume of a pack with several entries must hold at least " + std::to_string(kHeader + 2 * kRecord + 1) + " bytes";
    return false;
  }
  if (inputs.empty()) {
    *error = "a pack needs at least one entry";
    return false;
  }
  std::unordered_set<std::string_view> names;
  for (const PackInput& in : inputs) {
    if (in.name.empty() || in.name.size() > setup::kNameSize || in.name.find('\0') != std::string::npos) {
      *error = "entry name \"" + in.name + "\" must have 1 to 32 bytes";
      return false;
    }
    if (!names.insert(in.name).second) {
      *error = "entry \"" + in.name + "\" is given twice";
      return false;
    }
  }
  plan->volumes.assign(1, {});
  std::uint64_t data = 0;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    std::uint64_t left = 0;
    if (!sizeOf(inputs[i], &left, error)) return false;
    std::uint64_t from = 0;
    std::uint8_t continuation = 0;
    const bool last = i + 1 == inputs.size();
    for (;;) {
      auto& parts = plan->volumes.back();
      const std::uint64_t used = kHeader + kRecord * (parts.size() + 1) + data;
      if (used > volumeSize) {
        // Every entry but the last leaves room for the next one's record.
        *error = "volume size too small";
        return false;
      }
      const std::uint64_t room = volumeSize - used;
      // The installer moves to the next volume only to go on with an entry
      // split there; so unless it is the last, an entry ends where the next
      // entry's record still fits, or it is split.
      if (left <= room && (last || room - left >= kRecord)) {
        parts.push_back({i, from, static_cast<std::uint32_t>(left), static_cast<std::uint8_t>(inputs[i].flags | continuation)});
        data += left;
        break;
      }
      if (inputs[i].name == "script") {
        // The installer loads the script, and no continuation of it.
        *error = "the entry \"script\" would be split across volumes, but the installer loads only its first part; "
                 "choose a larger volume size";
        return false;
      }
      // This volume takes what it can; at least one byte (none of an empty
      // entry) goes on in the next.
      const std::uint64_t part = left <= room ? (left > 0 ? left - 1 : 0) : room;
      parts.push_back({i, from, static_cast<std::uint32_t>(part),
                       static_cast<std::uint8_t>(inputs[i].flags | continuation | setup::kFlagContinued)});
      left -= part;
      from += part;
      continuation = setup::kFlagContinuation;
      if (plan->volumes.size() == kMaxVolumes) {
        *error = "the pack would need more than 100 volumes; choose a larger volume size";
        return false;
      }
      plan->volumes.emplace_back();
      data = 0;
    }
  }
  for (const auto& parts : plan->volumes)
    if (!checkShadowing(inputs, parts, error)) return false;
  return true;
}

bool writePack(const std::string& base, const std::vector<PackInput>& inputs, std::uint64_t volumeSize,
               std::vector<std::string>* written, std::string* error) {
  PackPlan plan;
  if (!planPack(inputs, volumeSize, &plan, error)) return false;
  std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[1u << 20]);
  for (std::size_t v = 0; v < plan.volumes.size(); ++v) {
    const auto& parts = plan.volumes[v];
    const std::string path = volumePath(base, static_cast<int>(v));
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
      *error = "cannot write " + path;
      return false;
    }
    Bytes head{'V', 'F', 'S'};
    put32(head, static_cast<std::uint32_t>(kRecord * parts.size()));
    std::uint64_t offset = kHeader + kRecord * parts.size();
    for (const PackPart& p : parts) {
      const std::string& name = inputs[p.input].name;
      head.insert(head.end(), name.begin(), name.end());
      head.insert(head.end(), setup::kNameSize - name.size(), 0);
      put32(head, static_cast<std::uint32_t>(offset));
      put32(head, p.size);
      head.push_back(p.flags);
      offset += p.size;
    }
    bool ok = std::fwrite(head.data(), 1, head.size(), out) == head.size();
    for (const PackPart& p : parts) {
      const PackInput& in = inputs[p.input];
      if (!ok) break;
      if (in.path.empty()) {
        ok = p.size == 0 || std::fwrite(in.bytes.data() + p.from, 1, p.size, out) == p.size;
        continue;
      }
      std::FILE* src = std::fopen(in.path.c_str(), "rb");
      ok = src && std::fseek(src, static_cast<long>(p.from), SEEK_SET) == 0;
      for (std::uint64_t done = 0; ok && done < p.size;) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(1u << 20, p.size - done));
        ok = std::fread(buffer.get(), 1, chunk, src) == chunk && std::fwrite(buffer.get(), 1, chunk, out) == chunk;
        done += chunk;
      }
      if (src) std::fclose(src);
      if (!ok) *error = "cannot read " + in.path;
    }
    ok = std::fclose(out) == 0 && ok;
    if (!ok) {
      if (error->empty()) *error = "cannot write " + path;
      return false;
    }
    if (written) written->push_back(path);
  }
  return true;
}

}  // namespace kestrin
