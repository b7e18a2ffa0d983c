// kestrin compile and kestrin disasm.
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>

#include "Commands.h"
#include "Compiler.h"
#include "setup/InstallPack.h"

namespace kestrin {

std::optional<std::string> readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool writeBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

int fail(const std::string& message) {
  std::cerr << "kestrin: " << message << "\n";
  return 1;
}

std::string packBase(const std::string& given) {
  if (given.size() > 4 && given.compare(given.size() - 4, 2, ".i") == 0) return given.substr(0, given.size() - 4);
  return given;
}

namespace {

struct CompileOptions {
  std::string source;
  std::string output;
};

int runCompile(const CompileOptions& o) {
  auto text = readText(o.source);
  if (!text) return fail("cannot read " + o.source);
  Bytes entry;
  std::string error;
  if (!compileScript(*text, o.source, &entry, &error)) return fail(error);
  const std::string out = o.output.empty() ? o.source + ".bin" : o.output;
  if (!writeBytes(out, entry)) return fail("cannot write " + out);
  return 0;
}

struct DisasmOptions {
  std::string input;
};

int runDisasm(const DisasmOptions& o) {
  auto text = readText(o.input);
  if (!text) return fail("cannot read " + o.input);
  Bytes entry(text->begin(), text->end());
  // A pack volume: take its script entry.
  if (text->compare(0, 3, "VFS") == 0) {
    auto pack = setup::InstallPack::open(o.input);
    if (pack->status != setup::kPackOk) return fail(o.input + " is not a readable pack volume");
    setup::PackEntry* script = pack->loadEntry("script");
    if (!script) return fail(o.input + " has no entry \"script\" that it holds in full");
    entry.assign(script->data, script->data + script->size);
  }
  std::string out, error;
  if (!disassembleScript(entry, &out, &error)) return fail(o.input + ": " + error);
  std::cout << out;
  return 0;
}

}  // namespace

void addCompileCommand(CLI::App& app, int& status) {
  auto o = std::make_shared<CompileOptions>();
  CLI::App* cmd = app.add_subcommand("compile", "Compile an installation script into a script entry");
  cmd->add_option("source", o->source, "Script source")->required();
  cmd->add_option("-o,--output", o->output, "Compiled script (default: SOURCE.bin)");
  cmd->callback([o, &status] { status = runCompile(*o); });
}

void addDisasmCommand(CLI::App& app, int& status) {
  auto o = std::make_shared<DisasmOptions>();
  CLI::App* cmd = app.add_subcommand("disasm", "Print a compiled script (or a pack's script) as statements");
  cmd->add_option("input", o->input, "Compiled script, or the first volume of a pack")->required();
  cmd->callback([o, &status] { status = runDisasm(*o); });
}

}  // namespace kestrin
