#pragma once
// Shell shortcut (.lnk) files. On Windows through the shell's link object
// (IShellLinkA and IPersistFile); the Linux host writes the binary
// shell-link format itself (header, link target, arguments, description).
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The failing step's HRESULT, 0 (S_OK) when the link file was saved.
struct ShellLinkOutcome {
  enum class Step : std::uint8_t { Done, Create, QueryPersist, Save, Load } failedAt = Step::Done;
  std::int32_t hresult = 0;
  bool ok() const { return failedAt == Step::Done; }
};

// Creates (or replaces) the shortcut file `linkPath` to `target` with its
// arguments and description. Initialises COM on the calling thread first
// (once; it stays initialised). A folder that does not exist fails the Save
// step with 0x80070003 and leaves no file.
ShellLinkOutcome createShellLink(std::string_view target, std::string_view arguments, std::string_view linkPath,
                                 std::string_view description);

// What a shortcut file says, as the shell reads it back (a failure is the
// Load step's).
struct ShellLinkFields {
  std::string target;
  std::string arguments;
  std::string description;
};
ShellLinkOutcome readShellLink(std::string_view linkPath, ShellLinkFields* fields);

}  // namespace platform
