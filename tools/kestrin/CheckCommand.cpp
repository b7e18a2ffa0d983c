// kestrin check: a pack, or a compiled script, read the way the installer
// reads it; the first fault is named and the exit status is 1.
#include <filesystem>
#include <iostream>
#include <memory>

#include "Commands.h"
#include "PackCheck.h"
#include "PackWriter.h"
#include "ScriptCheck.h"

namespace kestrin {
namespace {

struct CheckOptions {
  std::string input;
};

std::string plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string scriptSummary(const ScriptSummary& s) {
  return plural(s.statements, "statement", "statements") + ", " + plural(s.variables, "variable", "variables") + ", " +
         plural(s.codeBytes, "byte", "bytes") + " of code";
}

bool namesVolume(const std::string& given) { return packBase(given) != given; }

int runCheck(const CheckOptions& o) {
  std::error_code ec;
  const bool isFile = std::filesystem::is_regular_file(o.input, ec);
  if (namesVolume(o.input) || (!isFile && std::filesystem::exists(volumePath(o.input, 0), ec))) {
    const std::string base = packBase(o.input);
    PackSummary summary;
    if (auto fault = checkPack(base, true, &summary)) return fail(describe(*fault));
    std::cout << base << ": sound: " << plural(static_cast<std::size_t>(summary.volumes), "volume", "volumes") << ", "
              << plural(summary.entries, "entry", "entries") << "; script of " << scriptSummary(summary.script) << "\n";
    return 0;
  }
  auto text = readText(o.input);
  if (!text) return fail("cannot read " + o.input);
  if (text->compare(0, 3, "VFS") == 0) return fail(o.input + " is a pack volume; name it BASE.i00");
  ScriptSummary summary;
  const Bytes entry(text->begin(), text->end());
  if (auto fault = checkScript(entry, &summary)) return fail(o.input + ": " + describe(*fault));
  std::cout << o.input << ": sound: " << scriptSummary(summary) << "\n";
  return 0;
}

}  // namespace

void addCheckCommand(CLI::App& app, int& status) {
  auto o = std::make_shared<CheckOptions>();
  CLI::App* cmd = app.add_subcommand("check", "Read a pack (or a compiled script) as the installer will and name its first fault");
  cmd->add_option("input", o->input, "BASE or BASE.iNN of a pack, or a compiled script")->required();
  cmd->callback([o, &status] { status = runCheck(*o); });
}

}  // namespace kestrin
