// The install pack reader: any bytes as the volumes of a pack "inst" (the
// text "@@NEXT@@" separates the bytes of inst.i00, inst.i01 and inst.i02),
// opened, every record looked up and loaded, and every entry copied into a
// file with the copy loop that follows continued entries into the next
// volumes. Checks that loaded entries are the size their records say and
// end in the NUL the engine relies on, that kept entries are loaded once,
// that a whole copy of an entry that is not split has its size, and that a
// pack kestrin's check calls sound loads every entry of its first volume.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "PackCheck.h"
#include "ScratchRoot.h"
#include "platform/FileSystem.h"
#include "setup/InstallPack.h"

namespace {

constexpr std::string_view kSeparator = "@@NEXT@@";
constexpr std::int32_t kMostRecords = 32;

void writeVolumes(std::string_view all) {
  for (int volume = 0; volume < 3; ++volume) {
    const std::size_t cut = volume == 2 ? std::string_view::npos : all.find(kSeparator);
    const std::string_view part = all.substr(0, cut);
    const std::string name = "inst.i0" + std::to_string(volume);
    fuzzing::writeHostFile(fuzzing::startDirectory() / name,
                           {reinterpret_cast<const std::uint8_t*>(part.data()), part.size()});
    if (cut == std::string_view::npos) return;
    all.remove_prefix(cut + kSeparator.size());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::resetScratch();
  writeVolumes({reinterpret_cast<const char*>(data), size});
  setup::releaseLoadedEntries();

  setup::VolumeChain& chain = setup::theVolumeChain();
  chain.start("inst");
  std::unique_ptr<setup::InstallPack> pack = setup::InstallPack::open(chain.volumeName);
  FUZZ_REQUIRE(pack != nullptr);
  if (pack->status != setup::kPackOk) {
    FUZZ_REQUIRE(pack->recordCount == 0 && pack->directory.empty());
    return 0;
  }
  FUZZ_REQUIRE(pack->recordCount >= 1 && static_cast<std::size_t>(pack->recordCount) == pack->directory.size());

  // A pack kestrin's check calls sound: every record of the first volume
  // is the one its name finds, and it loads.
  if (!kestrin::checkPack("inst", false).has_value()) {
    for (std::int32_t i = 0; i < std::min(pack->recordCount, kMostRecords); ++i) {
      const std::string name(pack->directory[static_cast<std::size_t>(i)].name());
      FUZZ_REQUIRE(pack->lookUp(name) == i);
      FUZZ_REQUIRE(pack->loadEntry(name) != nullptr && pack->status == setup::kPackOk);
    }
  }

  const std::int32_t records = std::min(pack->recordCount, kMostRecords);
  std::vector<std::string> names;
  for (std::int32_t i = 0; i < records; ++i) names.emplace_back(pack->directory[static_cast<std::size_t>(i)].name());
  names.emplace_back("script");
  names.emplace_back("uninstall");

  for (const std::string& name : names) {
    const std::int32_t at = pack->lookUp(name);
    if (at < 0) continue;
    const setup::DirectoryRecord record = pack->directory[static_cast<std::size_t>(at)];
    // The record found is a prefix of the name (compared over 32 bytes).
    FUZZ_REQUIRE(std::string_view(name).substr(0, setup::kNameSize).starts_with(record.name()));
    const std::int32_t before = pack->status;
    setup::PackEntry* first = pack->loadEntry(name);
    if (!first) {
      FUZZ_REQUIRE(pack->status != setup::kPackOk);
      continue;
    }
    FUZZ_REQUIRE(pack->status == before);
    FUZZ_REQUIRE(first->size == record.size() && first->data[first->size] == 0);
    if (record.flags() & setup::kFlagAligned) FUZZ_REQUIRE(reinterpret_cast<std::uintptr_t>(first->data) % 8 == 0);
    setup::PackEntry* second = pack->loadEntry(name);
    FUZZ_REQUIRE(second != nullptr);
    FUZZ_REQUIRE((second == first) == ((record.flags() & setup::kFlagKeepLoaded) != 0));
    FUZZ_REQUIRE(std::memcmp(first->data, second->data, first->size) == 0);
  }

  // Copies, each into a file of its own; continued entries walk the chain.
  for (std::size_t i = 0; i < names.size() && pack; ++i) {
    const std::string out = "out" + std::to_string(i);
    const std::int32_t at = pack->lookUp(names[i]);
    const bool whole = at >= 0 && (pack->directory[static_cast<std::size_t>(at)].flags() &
                                   (setup::kFlagContinued | setup::kFlagContinuation)) == 0;
    const std::uint32_t expected = at >= 0 ? pack->directory[static_cast<std::size_t>(at)].size() : 0;
    const std::int32_t before = pack->status;
    const bool copied = setup::copyEntry(pack, names[i], out);
    FUZZ_REQUIRE(chain.continuationPending == 0);
    if (copied && whole && before == setup::kPackOk) {
      std::vector<std::uint8_t> bytes;
      FUZZ_REQUIRE(platform::readFile(out, 1u << 31, &bytes) == platform::kErrorSuccess);
      FUZZ_REQUIRE(bytes.size() == expected);
    }
  }
  if (pack) pack->close();
  return 0;
}
