// velmora-helpc: makes a Windows Help file (.hlp) from a plain-text help
// source, for the system's help viewer (WinHelp, winhlp32 under Wine).
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "HelpFileWriter.h"
#include "HelpText.h"

namespace {

int fail(const std::string& message) {
  std::fprintf(stderr, "velmora-helpc: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"velmora-helpc makes a Windows Help file (.hlp) from a plain-text help source.\n"
               "The source's first line is the title; \"# Heading\" lines start topics; blank lines\n"
               "separate paragraphs; \"- \" starts a list item. UTF-8 or Windows-1252.",
               "velmora-helpc"};
  std::string source, output;
  app.add_option("source", source, "the help text")->required();
  app.add_option("-o,--output", output, "the help file to write")->required();
  app.failure_message([](const CLI::App*, const CLI::Error& e) { return "velmora-helpc: " + std::string(e.what()) + "\n"; });
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }

  std::ifstream in(source, std::ios::binary);
  if (!in) return fail(source + ": cannot read: " + std::strerror(errno));
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  if (in.bad()) return fail(source + ": cannot read: " + std::strerror(errno));

  helpfile::HelpDocument doc;
  helpfile::TextError textError;
  if (!helpfile::parseHelpText(text, &doc, &textError)) {
    const std::string where = textError.line ? source + ":" + std::to_string(textError.line) : source;
    return fail(where + ": " + textError.message);
  }
  helpfile::Bytes bytes;
  std::string error;
  if (!helpfile::writeHelpFile(doc, &bytes, &error)) return fail(source + ": " + error);

  // Written beside the target and renamed, so a failed run leaves no half file.
  const std::filesystem::path target(output);
  std::filesystem::path partial = target;
  partial += ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      const int saved = errno;
      std::error_code ignored;
      std::filesystem::remove(partial, ignored);
      return fail(output + ": cannot write: " + std::strerror(saved));
    }
  }
  std::error_code ec;
  std::filesystem::rename(partial, target, ec);
  if (ec) {
    std::filesystem::remove(partial, ec);
    return fail(output + ": cannot write: " + ec.message());
  }
  return 0;
}
