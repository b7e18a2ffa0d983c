#pragma once
// Checking an install pack the way the installer will read it: every volume
// of the chain opens, every entry lies within its volume and is the one a
// look-up of its name finds, split entries go on in the next volume, every
// volume is reached, and the "script" entry is there and sound.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ScriptCheck.h"
#include "setup/InstallPack.h"

namespace kestrin {

struct PackFault {
  std::string volume;  // "BASE.i01"
  std::string entry;   // "entry \"name\" (record 2)", or empty for the volume itself
  std::string what;    // for the volume itself, said of it: "cannot be opened"
};

struct PackSummary {
  int volumes = 0;
  std::size_t entries = 0;  // first parts only: a split entry counts once
  ScriptSummary script;
};

// The pack BASE.i00, BASE.i01, ... (the chain ends at the first missing
// volume). With `withScript` false only the volumes and their directories
// are checked. None when sound; else the first fault, in volume order and
// within a volume in directory order, the script last.
std::optional<PackFault> checkPack(const std::string& base, bool withScript, PackSummary* summary = nullptr);

// "BASE.i01 cannot be opened" or "BASE.i01: entry \"name\" (record 2): what".
std::string describe(const PackFault& fault);

// What an open status other than 0 means, for messages.
const char* packStatusText(std::int32_t status);

// The directory records a volume holds in full, read even when the volume
// is cut short inside its directory (the installer refuses such a volume).
// False when it is no pack volume at all (unreadable, or wrong signature);
// `declared` receives the record count its directory length stands for.
bool salvageDirectory(const std::string& path, std::vector<setup::DirectoryRecord>* records, std::uint64_t* declared);

}  // namespace kestrin
