#pragma once
// The script's dialog requests: the DIALOG statement's elements read into
// the request state on the worker thread, the picture they name, the
// answers stored back into script variables, and the progress step text.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "frontend/Picture.h"
#include "platform/DibSection.h"

namespace setup {

inline constexpr std::size_t kCaptionSize = 128;   // up to 127 characters
inline constexpr std::size_t kMessageSize = 16384;  // up to 16383 characters
inline constexpr std::size_t kEditSize = 260;      // an entry's text and its zero
inline constexpr std::size_t kStepTextSize = 128;   // a progress step's text

// Message box flags as the system numbers them.
inline constexpr std::uint32_t kBoxOkCancel = 0x01;           // MB_OKCANCEL
inline constexpr std::uint32_t kBoxYesNo = 0x04;              // MB_YESNO
inline constexpr std::uint32_t kBoxIconHand = 0x10;           // MB_ICONHAND
inline constexpr std::uint32_t kBoxIconQuestion = 0x20;       // MB_ICONQUESTION
inline constexpr std::uint32_t kBoxIconExclamation = 0x30;    // MB_ICONEXCLAMATION
inline constexpr std::uint32_t kBoxIconAsterisk = 0x40;       // MB_ICONASTERISK
inline constexpr int kAnswerOk = 1;                           // IDOK
inline constexpr int kAnswerYes = 6;                          // IDYES

// Dialog templates, and the controls the front end fills.
inline constexpr int kInfoTemplate = 106;
inline constexpr int kInputTemplate = 107;
inline constexpr int kProgressTemplate = 108;
inline constexpr int kPathTemplate = 109;

struct DialogRequest {
  std::uint8_t kind = 0;
  char caption[kCaptionSize] = {};
  char text[kMessageSize] = {};
  std::uint32_t iconFlags = 0;   // kept from one message box to the next
  std::uint32_t buttons = 0;     // kBoxOkCancel or kBoxYesNo
  std::int32_t resultVariable = -1;
  int dialogTemplate = 0;
};

struct ProgressRequest {
  std::int32_t show = 0;  // the last show or hide asked for
  char caption[kCaptionSize] = {};
  char text[kMessageSize] = {};
  std::int32_t total = 0;
};

// The picture of dialogs 106, 107 and 109, kept until a new one replaces it.
struct DialogPicture {
  platform::BitmapInfo256 info;
  platform::DibSection section;  // no handle: no picture
};

// Reads one request. Progress requests change only `progress`; the others
// change only `request`, and a picture element naming a script variable
// replaces `picture` (with none when the variable holds no usable bitmap).
void readDialogRequest(std::uint8_t kind, std::span<const std::uint8_t> elements, DialogRequest* request,
                       ProgressRequest* progress, DialogPicture* picture);

// Replaces the picture with one made from a bitmap file's bytes; a file
// that is not a usable 8-bit bitmap leaves no picture.
void replacePicture(DialogPicture* picture, std::span<const std::uint8_t> file);

// A message box's answer as the script sees it: 1 for OK of OK and Cancel
// or Yes of Yes and No, else 0.
std::int32_t messageAnswer(std::uint32_t buttons, int pressed);

// Stores an answer in the number of a script variable (below 256 and
// declared); other indexes store nothing.
void storeAnswer(std::int32_t variable, std::int32_t answer);

// Gives a script variable a string of kEditSize bytes of its own holding
// its present text (cut to fit), and returns it; null for an index that is
// not a declared script variable. A variable that already has such a
// buffer keeps it.
char* editBuffer(std::int32_t variable);

// message + " " + detail, cut to 127 characters.
std::string stepText(const char* message, const char* detail);

}  // namespace setup
