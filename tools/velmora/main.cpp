// velmora: random wallpapers on Linux.
#include <CLI/CLI.hpp>

#include "GenerateCommand.h"

int main(int argc, char** argv) {
  CLI::App app{"Velmora makes new, randomly generated desktop wallpapers.", "velmora"};
  app.require_subcommand(1);
  velmora::addGenerateCommand(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::RuntimeError& e) {
    return e.get_exit_code();
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }
  return 0;
}
