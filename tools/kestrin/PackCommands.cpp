// kestrin pack, list and extract.
#include <cctype>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>

#include "Commands.h"
#include "Compiler.h"
#include "PackCheck.h"
#include "PackWriter.h"
#include "setup/InstallPack.h"

namespace kestrin {
namespace {

struct PackOptions {
  std::string script;
  bool compiled = false;
  std::string base;
  std::string volumeSize = "0";
  std::vector<std::string> files;
  std::vector<std::string> keep;
  std::vector<std::string> aligned;
};

// "1440K", "2M", "650M", "1G", or bytes.
bool parseSize(const std::string& text, std::uint64_t* size) {
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return false;
  std::size_t used = 0;
  std::uint64_t n = std::stoull(text, &used);
  const std::string unit = text.substr(used);
  const std::map<std::string, std::uint64_t> units = {{"", 1}, {"K", 1024}, {"M", 1u << 20}, {"G", 1u << 30}};
  auto it = units.find(unit);
  if (it == units.end()) return false;
  *size = n * it->second;
  return true;
}

int runPack(const PackOptions& o) {
  std::uint64_t volumeSize = 0;
  if (!parseSize(o.volumeSize, &volumeSize)) return fail("bad volume size \"" + o.volumeSize + "\"");
  auto text = readText(o.script);
  if (!text) return fail("cannot read " + o.script);
  std::vector<PackInput> inputs(1);
  inputs[0].name = "script";
  if (o.compiled) {
    inputs[0].bytes.assign(text->begin(), text->end());
  } else {
    std::string error;
    if (!compileScript(*text, o.script, &inputs[0].bytes, &error)) return fail(error);
  }
  for (const std::string& f : o.files) {
    const std::size_t eq = f.find('=');
    PackInput in;
    in.name = eq == std::string::npos ? std::filesystem::path(f).filename().string() : f.substr(0, eq);
    in.path = eq == std::string::npos ? f : f.substr(eq + 1);
    inputs.push_back(std::move(in));
  }
  const auto flag = [&](const std::vector<std::string>& names, std::uint8_t bit) -> std::string {
    for (const std::string& n : names) {
      bool found = false;
      for (PackInput& in : inputs)
        if (in.name == n) {
          in.flags |= bit;
          found = true;
        }
      if (!found) return n;
    }
    return {};
  };
  if (auto missing = flag(o.keep, setup::kFlagKeepLoaded); !missing.empty())
    return fail("--keep names no entry: " + missing);
  if (auto missing = flag(o.aligned, setup::kFlagAligned); !missing.empty())
    return fail("--aligned names no entry: " + missing);
  const std::filesystem::path folder = std::filesystem::path(packBase(o.base)).parent_path();
  std::error_code ec;
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  std::vector<std::string> written;
  std::string error;
  if (!writePack(packBase(o.base), inputs, volumeSize, &written, &error)) return fail(error);
  for (const std::string& w : written) std::cout << w << "\n";
  return 0;
}

struct ListOptions {
  std::string pack;
  std::string entry;
  std::string output = ".";
};

std::string flagText(std::uint8_t f) {
  std::string s;
  if (f & setup::kFlagKeepLoaded) s += " keep";
  if (f & setup::kFlagAligned) s += " aligned";
  if (f & setup::kFlagContinuation) s += " continuation";
  if (f & setup::kFlagContinued) s += " continued";
  return s;
}

// Opens each volume in turn, from 00 until one is missing.
template <typename Visit>
int eachVolume(const std::string& given, Visit visit) {
  const std::string base = packBase(given);
  for (int v = 0; v < 100; ++v) {
    const std::string path = volumePath(base, v);
    if (v > 0 && !std::filesystem::exists(path)) return 0;
    auto pack = setup::InstallPack::open(path);
    if (pack->status != setup::kPackOk) return fail(path + " " + packStatusText(pack->status));
    if (int r = visit(v, path, *pack)) return r;
  }
  return 0;
}

void listRecords(const std::vector<setup::DirectoryRecord>& records, std::uint64_t volumeLength,
                 const setup::InstallPack* pack) {
  for (std::size_t i = 0; i < records.size(); ++i) {
    const setup::DirectoryRecord& r = records[i];
    std::cout << "  " << r.name() << "  offset " << r.offset() << "  size " << r.size() << flagText(r.flags());
    if (std::uint64_t{r.offset()} + r.size() > volumeLength) std::cout << "  (past the end of the volume)";
    if (pack) {
      const std::int32_t found = pack->lookUp(r.name());
      if (found >= 0 && static_cast<std::size_t>(found) != i)
        std::cout << "  (hidden by \"" << pack->directory[static_cast<std::size_t>(found)].name() << "\")";
    }
    std::cout << "\n";
  }
}

// Lists every volume as far as it can be read, damaged ones too; the exit
// status tells whether the pack is sound, as an archiver's does.
int runList(const ListOptions& o) {
  const std::string base = packBase(o.pack);
  for (int v = 0; v < kMaxVolumes; ++v) {
    const std::string path = volumePath(base, v);
    if (v > 0 && !std::filesystem::exists(path)) break;
    auto pack = setup::InstallPack::open(path);
    if (pack->status == setup::kPackOk) {
      std::cout << path << ": " << pack->recordCount << (pack->recordCount == 1 ? " entry\n" : " entries\n");
      listRecords(pack->directory, pack->volumeLength, pack.get());
      continue;
    }
    std::vector<setup::DirectoryRecord> records;
    std::uint64_t declared = 0;
    if (!salvageDirectory(path, &records, &declared)) continue;  // nothing to list
    std::error_code ec;
    const std::uint64_t length = std::filesystem::file_size(path, ec);
    std::cout << path << ": directory cut short: " << records.size() << " of " << declared << " records\n";
    listRecords(records, ec ? 0 : length, nullptr);
  }
  std::cout.flush();
  if (auto fault = checkPack(base, false)) return fail(describe(*fault));
  return 0;
}

int runExtract(const ListOptions& o) {
  std::error_code ec;
  std::filesystem::create_directories(o.output, ec);
  const std::string base = packBase(o.pack);
  int found = 0;
  int result = eachVolume(o.pack, [&](int v, const std::string& path, setup::InstallPack& pack) {
    for (const setup::DirectoryRecord& r : pack.directory) {
      if (r.flags() & setup::kFlagContinuation) continue;  // copied with its first part
      const std::string name(r.name());
      if (!o.entry.empty() && name != o.entry) continue;
      if (name.empty() || name.find('/') != std::string::npos || name.find('\\') != std::string::npos ||
          name == "." || name == "..")
        return fail(path + ": entry name \"" + name + "\" cannot be a file name");
      ++found;
      // The copy loop of the installer, from this volume on.
      setup::VolumeChain& chain = setup::theVolumeChain();
      chain.start(base);
      chain.volumeName = path;
      chain.volumeNumber = v;
      std::unique_ptr<setup::InstallPack> current = setup::InstallPack::open(path);
      const std::string out = (std::filesystem::path(o.output) / name).string();
      if (!setup::copyEntry(current, name, out)) {
        std::filesystem::remove(out, ec);
        return fail(path + ": entry \"" + name + "\" " +
                    (current && current->status == setup::kPackInvalid
                         ? "reaches past the end of its volume"
                         : "cannot be copied (a volume is missing, or the output cannot be written)"));
      }
      std::cout << out << "\n";
    }
    return 0;
  });
  if (result == 0 && !o.entry.empty() && found == 0) return fail("no entry \"" + o.entry + "\"");
  return result;
}

}  // namespace

void addPackCommand(CLI::App& app, int& status) {
  auto o = std::make_shared<PackOptions>();
  CLI::App* cmd = app.add_subcommand("pack", "Build the volumes BASE.i00, BASE.i01, ... from a script and files");
  cmd->add_option("base", o->base, "Base name of the volumes (a path)")->required();
  cmd->add_option("--script", o->script, "Installation script (source, or compiled with --compiled)")->required();
  cmd->add_flag("--compiled", o->compiled, "The script is already compiled");
  cmd->add_option("--file", o->files, "An entry: NAME=PATH, or PATH (named after the file); in copying order");
  cmd->add_option("--volume-size", o->volumeSize, "Largest volume, in bytes or with K, M, G (default: no limit)");
  cmd->add_option("--keep", o->keep, "Entry that stays loaded once loaded (flag 0x01)");
  cmd->add_option("--aligned", o->aligned, "Entry loaded on an 8-byte boundary (flag 0x02)");
  cmd->callback([o, &status] { status = runPack(*o); });
}

void addListCommand(CLI::App& app, int& status) {
  auto o = std::make_shared<ListOptions>();
  CLI::App* cmd = app.add_subcommand("list", "List the entries of every volume of a pack");
  cmd->add_option("pack", o->pack, "BASE or BASE.i00")->required();
  cmd->callback([o, &status] { status = runList(*o); });
}

void addExtractCommand(CLI::App& app, int& status) {
  auto o = std::make_shared<ListOptions>();
  CLI::App* cmd = app.add_subcommand("extract", "Copy the entries of a pack into files");
  cmd->add_option("pack", o->pack, "BASE or BASE.i00")->required();
  cmd->add_option("--entry", o->entry, "Only this entry");
  cmd->add_option("-o,--output", o->output, "Folder for the files (default: the current one)");
  cmd->callback([o, &status] { status = runExtract(*o); });
}

}  // namespace kestrin
