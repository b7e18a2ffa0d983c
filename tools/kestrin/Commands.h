#pragma once
// The kestrin subcommands. Each adds itself to the application; when it runs
// it leaves its exit status in `status` (0, or 1 with a message on stderr).
#include <CLI/CLI.hpp>

#include <optional>
#include <string>

#include "Bytecode.h"

namespace kestrin {

void addCompileCommand(CLI::App& app, int& status);
void addDisasmCommand(CLI::App& app, int& status);
void addPackCommand(CLI::App& app, int& status);
void addListCommand(CLI::App& app, int& status);
void addExtractCommand(CLI::App& app, int& status);
void addCheckCommand(CLI::App& app, int& status);

// Whole small files (scripts), and one-line errors.
std::optional<std::string> readText(const std::string& path);
bool writeBytes(const std::string& path, const Bytes& bytes);
int fail(const std::string& message);

// The base name of a pack given as BASE or BASE.i00.
std::string packBase(const std::string& given);

}  // namespace kestrin
