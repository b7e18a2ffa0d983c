// kestrin: compiles installation scripts and builds, lists, unpacks and
// checks install packs.
#include <CLI/CLI.hpp>

#include <string>

#include "Commands.h"

int main(int argc, char** argv) {
  CLI::App app{"kestrin makes install packs: it compiles installation scripts and builds, lists, unpacks and checks packs.",
               "kestrin"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "kestrin " VELMORA_VERSION);
  app.failure_message([](const CLI::App*, const CLI::Error& e) { return "kestrin: " + std::string(e.what()) + "\n"; });
  int status = 0;
  kestrin::addCompileCommand(app, status);
  kestrin::addDisasmCommand(app, status);
  kestrin::addPackCommand(app, status);
  kestrin::addListCommand(app, status);
  kestrin::addExtractCommand(app, status);
  kestrin::addCheckCommand(app, status);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }
  return status;
}
