// velmora: random wallpapers on Linux.
#include <CLI/CLI.hpp>

#include <string>

#include "Commands.h"

int main(int argc, char** argv) {
  CLI::App app{"Velmora makes new, randomly generated desktop wallpapers.", "velmora"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "velmora " VELMORA_VERSION);
  // Bad options give one line on stderr and a non-zero exit.
  app.failure_message([](const CLI::App*, const CLI::Error& e) { return "velmora: " + std::string(e.what()) + "\n"; });
  int status = 0;
  velmora::addGenerateCommand(app, status);
  velmora::addNewCommand(app, status);
  velmora::addSettingsCommand(app, status);
  velmora::addApplyCommand(app, status);
  velmora::addAutostartCommand(app, status);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }
  return status;
}
