#include "CommandSupport.h"

#include "setup/RunLoop.h"
#include "setup/UninstallLog.h"

namespace setup {

void progressStep(const char* caption, const char* detail) {
  const FrontEndHooks& hooks = engineState().frontEnd;
  if (hooks.progressStep) hooks.progressStep(caption, detail);
}

void completeRecord(RecordKind kind, std::string_view operand) {
  std::string text(kRecordKeywords[kind]);
  text += ' ';
  text += operand;
  writeRecordText(text);
  closeRecord();
}

bool fitsBuffer(std::string_view text) { return text.size() < kOperandBufferSize; }

bool joinPath(std::string_view dir, std::string_view name, std::string* out) {
  std::string path(dir);
  path += '\\';
  path += name;
  if (!fitsBuffer(path)) return false;
  *out = std::move(path);
  return true;
}

}  // namespace setup
