#pragma once
// Installing a shared file with version checking, as the system's version
// installer does (VerFindFileA and VerInstallFileA). On Windows these are
// the version library's calls; the Linux host does the same work on its own
// files, comparing the version resources of the two files (FileVersion.h).
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// VerFindFile flags and results.
inline constexpr std::uint32_t kVffIsSharedFile = 0x0001;  // VFFF_ISSHAREDFILE
inline constexpr std::uint32_t kVffCurNeDest = 0x0001;     // VFF_CURNEDEST
inline constexpr std::uint32_t kVffFileInUse = 0x0002;     // VFF_FILEINUSE
inline constexpr std::uint32_t kVffBufferTooSmall = 0x0004;

// VerInstallFile flags.
inline constexpr std::uint32_t kViffForceInstall = 0x0001;  // VIFF_FORCEINSTALL
inline constexpr std::uint32_t kViffDontDeleteOld = 0x0002; // VIFF_DONTDELETEOLD

// VerInstallFile result bits.
inline constexpr std::uint32_t kVifTempFile = 0x00000001;
inline constexpr std::uint32_t kVifMismatch = 0x00000002;
inline constexpr std::uint32_t kVifSrcOld = 0x00000004;
inline constexpr std::uint32_t kVifDiffLang = 0x00000008;
inline constexpr std::uint32_t kVifDiffCodepg = 0x00000010;
inline constexpr std::uint32_t kVifDiffType = 0x00000020;
inline constexpr std::uint32_t kVifWriteProt = 0x00000040;
inline constexpr std::uint32_t kVifFileInUse = 0x00000080;
inline constexpr std::uint32_t kVifOutOfSpace = 0x00000100;
inline constexpr std::uint32_t kVifAccessViolation = 0x00000200;
inline constexpr std::uint32_t kVifSharingViolation = 0x00000400;
inline constexpr std::uint32_t kVifCannotCreate = 0x00000800;
inline constexpr std::uint32_t kVifCannotDelete = 0x00001000;
inline constexpr std::uint32_t kVifCannotRename = 0x00002000;
inline constexpr std::uint32_t kVifCannotDeleteCur = 0x00004000;
inline constexpr std::uint32_t kVifOutOfMemory = 0x00008000;
inline constexpr std::uint32_t kVifCannotReadSrc = 0x00010000;
inline constexpr std::uint32_t kVifCannotReadDst = 0x00020000;
inline constexpr std::uint32_t kVifBufferTooSmall = 0x00040000;
inline constexpr std::uint32_t kVifCannotLoadLz32 = 0x00080000;
inline constexpr std::uint32_t kVifCannotLoadCabinet = 0x00100000;

struct FoundLocation {
  std::uint32_t result = 0;   // kVff* bits
  std::string currentDir;     // where a file of that name is now ("" when none)
  std::string destinationDir; // where it should be installed
};

// Where the file `fileName` belongs: with kVffIsSharedFile, the system
// directory (the application directory is only looked in for a present
// copy); otherwise `appDir`. kVffFileInUse when the present copy is in use.
FoundLocation findFileLocation(std::uint32_t flags, std::string_view fileName, std::string_view windowsDir,
                               std::string_view appDir);

struct InstallOutcome {
  std::uint32_t result = 0;  // kVif* bits, 0 when the file was installed
  std::string tempFile;      // with kVifTempFile: the temporary copy left in destinationDir
};

// Installs sourceDir\sourceName as destinationDir\destinationName (in
// sourceDir when destinationDir is empty): copies it to a temporary file
// beside the destination, compares the version resources of the present
// file and the new one unless kViffForceInstall is given, and on a conflict
// keeps the temporary file and answers kVifTempFile with the conflict bits
// (kVifSrcOld | kVifMismatch when the present file is newer, or when only it
// has a version; kVifDiffType | kVifMismatch for another file type).
// Otherwise renames it into place; a destination in use gives
// kVifSharingViolation | kVifCannotDelete and changes nothing. Without
// kViffDontDeleteOld a copy in another currentDir is deleted.
//
// `tempFile` is the name a previous call answered with kVifTempFile: with
// kViffForceInstall that file is installed instead of a new copy.
//
// On the Linux host a file is in use while some open file description
// holds a flock(2) lock on it, shared or exclusive (what a test or a
// running host program holds to keep it); the Windows build asks the
// system's version installer, which sees files held open without sharing.
InstallOutcome installFile(std::uint32_t flags, std::string_view sourceName, std::string_view destinationName,
                           std::string_view sourceDir, std::string_view destinationDir, std::string_view currentDir,
                           std::string_view tempFile = {});

}  // namespace platform
