// How Windows reads a path, decided from its text alone. The W functions
// take a path through Windows' path rules, which drop a trailing dot or
// blank from every name ("real.txt." opens "real.txt"), take a device's
// name (NUL, COM1) for the device, and refuse 260 characters or more. The
// exact form ("\\?\C:\...", "\\?\UNC\server\share\...") passes every name
// to the file system as it is written, up to 32767 characters.
#pragma once

#include <string>
#include <string_view>

namespace fendrel {

// A path that names a file only against a current folder or drive:
// "report.txt", "..\x", "C:x". Not so: "C:\x", "\\server\share\x", the
// "\\?\" and "\\.\" forms, and a rooted "\x", which names a file on the
// current drive (as a path of the native build names one from its root).
bool IsRelativePath(std::string_view path);

// The exact form of a path: "\\?\C:\..." for one on a drive, "\\?\UNC\..."
// for one on a share, with "/" as "\", empty names (doubled separators) and
// the names "." and ".." resolved as Windows resolves them, and every other
// name exactly as written. A rooted path ("\x") is taken on `currentRoot`
// ("C:" or "\\server\share"). A path in the exact form already keeps it,
// with "/" as "\". Empty for a relative path, a device's ("\\.\") and a
// rooted path without a current root: those go to Windows as they are.
std::string ExactPath(std::string_view path, std::string_view currentRoot = {});

}  // namespace fendrel
