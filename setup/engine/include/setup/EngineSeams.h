#pragma once
// The only way the engine reaches the front end. Each hook may be left
// empty: then the request does nothing, a progress step is not shown, the
// abort question is answered no and a copy-error question Abort.
//
// Threads: every hook is called on the worker thread (the thread that calls
// runLoop), never on the main thread or the progress dialog's thread. The
// data a hook is handed stay valid only during the call.
#include <cstdint>
#include <functional>
#include <span>

namespace setup {

// The answers a copy-error question may give (the message box's answers).
enum class CopyErrorAnswer : std::int32_t { Abort = 3, Retry = 4, Ignore = 5 };

// Message box styles the engine asks for.
inline constexpr std::uint32_t kBoxAbortRetryIgnore = 0x0002;  // MB_ABORTRETRYIGNORE
inline constexpr std::uint32_t kBoxIconStop = 0x0010;          // MB_ICONHAND

struct FrontEndHooks {
  // BACKGROUND: the statement from its count field on.
  std::function<void(std::span<const std::uint8_t> statement)> setBackground;
  // DIALOG kinds 0..4: the elements after the kind byte.
  std::function<void(std::uint8_t kind, std::span<const std::uint8_t> elements)> dialogRequest;
  // The abort question of the ABORT statement (`fromUser` 0, no handshake).
  // 1 when the user chose to abort.
  std::function<int(int fromUser)> confirmAbort;
  // One step of the progress dialog: the caption, then one space and the
  // detail, as the install commands report them.
  std::function<void(const char* caption, const char* detail)> progressStep;
  // SCOPY's question about a shared file that could not be installed: a
  // modal message box owned by the main window with this text, caption and
  // style (kBoxAbortRetryIgnore | kBoxIconStop).
  std::function<CopyErrorAnswer(const char* text, const char* caption, std::uint32_t style)> askCopyError;
};

}  // namespace setup
