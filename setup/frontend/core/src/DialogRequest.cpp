#include "frontend/DialogRequest.h"

#include <cstring>
#include <deque>
#include <memory>
#include <unordered_set>

#include "frontend/Elements.h"
#include "setup/Bytecode.h"
#include "setup/ScriptMachine.h"

namespace setup {
namespace {

std::uint32_t iconFor(std::uint8_t code, std::uint32_t previous) {
  switch (code) {
    case kIconStop:
      return kBoxIconHand;
    case kIconExclamation:
      return kBoxIconExclamation;
    case kIconInformation:
      return kBoxIconAsterisk;
    case kIconQuestion:
      return kBoxIconQuestion;
    default:
      return previous;
  }
}

std::uint32_t buttonsFor(std::uint8_t code) { return code == kButtonsYesNo ? kBoxYesNo : kBoxOkCancel; }

Variable* scriptVariable(std::int32_t index) {
  return index >= 0 && index < 256 ? variableAt(static_cast<std::uint32_t>(index)) : nullptr;
}

// A text element: an expression, or a variable whose string (as many bytes
// as its number, up to its first zero) is the text.
void readText(std::span<const std::uint8_t> content, char* text) {
  if (!content.empty() && content[0] == kTextFromVariable) {
    const Variable* v = content.size() >= 3 ? variableAt(static_cast<std::uint32_t>(content[1] | content[2] << 8))
                                            : nullptr;
    const std::span<const std::uint8_t> bytes = v ? entryBytes(v->string, v->number) : std::span<const std::uint8_t>{};
    const std::size_t limit = bytes.size() < kMessageSize - 1 ? bytes.size() : kMessageSize - 1;
    // Loaded entries and script strings both end in a zero, so looking for
    // it never passes their end.
    const std::size_t n = limit ? strnlen(reinterpret_cast<const char*>(bytes.data()), limit) : 0;
    copyCut({reinterpret_cast<const char*>(bytes.data()), n}, text, kMessageSize);
    return;
  }
  copyCut(expressionText(content, kMessageSize - 1), text, kMessageSize);
}

void readPictureElement(std::span<const std::uint8_t> content, DialogPicture* picture) {
  if (content.size() < 3) return;
  const std::uint32_t index = content[1] | content[2] << 8;
  if (index >= kFirstSystemIndex) return;  // a system variable keeps the picture
  const Variable* v = variableAt(index);
  replacePicture(picture, v ? entryBytes(v->string, v->number) : std::span<const std::uint8_t>{});
}

}  // namespace

void replacePicture(DialogPicture* picture, std::span<const std::uint8_t> file) {
  if (picture->section.handle) platform::releaseDibSection(picture->section.handle);
  picture->section = {};
  platform::BitmapInfo256 info;
  std::span<const std::uint8_t> rows;
  if (!readPicture(file, &info, &rows)) return;
  platform::DibSection section = platform::createDibSection(info);
  if (!section.bits) {
    if (section.handle) platform::releaseDibSection(section.handle);
    return;
  }
  std::memcpy(section.bits, rows.data(), rows.size());
  picture->info = info;
  picture->section = section;
}

void readDialogRequest(std::uint8_t kind, std::span<const std::uint8_t> elements, DialogRequest* request,
                       ProgressRequest* progress, DialogPicture* picture) {
  ElementReader reader(elements);
  std::span<const std::uint8_t> content;
  if (kind == kDialogProgress) {
    if (!reader.next(&content)) return;
    const std::uint8_t show = codeOf(content, 0);
    if (show == kProgressShow) progress->show = 1;
    if (show == kProgressHide) progress->show = 0;
    if (!reader.next(&content)) return;
    copyCut(expressionText(content, kCaptionSize - 1), progress->caption, kCaptionSize);
    if (!reader.next(&content)) return;
    copyCut(expressionText(content, kMessageSize - 1), progress->text, kMessageSize);
    if (!reader.next(&content)) return;
    progress->total = expressionNumber(content);
    return;
  }
  request->kind = kind;
  if (!reader.next(&content)) return;
  if (kind == kDialogMessage) {
    request->iconFlags = iconFor(codeOf(content, 0), request->iconFlags);
  } else {
    readPictureElement(content, picture);
    request->dialogTemplate = kind == kDialogInfo ? kInfoTemplate : kind == kDialogInput ? kInputTemplate : kPathTemplate;
  }
  if (!reader.next(&content)) return;
  copyCut(expressionText(content, kCaptionSize - 1), request->caption, kCaptionSize);
  if (!reader.next(&content)) return;
  if (kind == kDialogMessage) {
    copyCut(expressionText(content, kMessageSize - 1), request->text, kMessageSize);
  } else {
    readText(content, request->text);
  }
  if (!reader.next(&content)) return;
  request->buttons = buttonsFor(codeOf(content, 0));
  request->resultVariable = reader.next(&content) ? expressionVariable(content) : -1;
}

std::int32_t messageAnswer(std::uint32_t buttons, int pressed) {
  if (buttons == kBoxOkCancel) return pressed == kAnswerOk ? 1 : 0;
  if (buttons == kBoxYesNo) return pressed == kAnswerYes ? 1 : 0;
  return 0;
}

void storeAnswer(std::int32_t variable, std::int32_t answer) {
  if (Variable* v = scriptVariable(variable)) v->number = answer;
}

char* editBuffer(std::int32_t variable) {
  Variable* v = scriptVariable(variable);
  if (!v) return nullptr;
  // Buffers handed out here, never released while the program runs.
  static std::deque<std::unique_ptr<char[]>> buffers;
  static std::unordered_set<const char*> ours;
  if (v->string && ours.count(v->string)) return const_cast<char*>(v->string);
  auto block = std::make_unique<char[]>(kEditSize);
  copyCut(v->string ? std::string_view(v->string) : std::string_view(), block.get(), kEditSize);
  char* buffer = block.get();
  buffers.push_back(std::move(block));
  ours.insert(buffer);
  v->string = buffer;
  return buffer;
}

std::string stepText(const char* message, const char* detail) {
  std::string text = message ? message : "";
  text += ' ';
  text += detail ? detail : "";
  if (text.size() > kStepTextSize - 1) text.resize(kStepTextSize - 1);
  return text;
}

}  // namespace setup
