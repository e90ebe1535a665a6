// The text of the list files: the entries a file's bytes hold, and the
// bytes a list is saved as. Inside the program an entry is UTF-8.
//
// Reading: a byte order mark tells UTF-8, UTF-16 LE or UTF-16 BE, and is no
// part of the first entry. A file without one that has zero bytes and is
// plain UTF-16 text in the byte order its zeros point to (its line ends
// 0D 00 0A 00 in LE or 00 0D 00 0A in BE, no control characters) is UTF-16
// too. Any other file that is valid UTF-8 and holds a character past ASCII
// is UTF-8 (Notepad's default since Windows 10 1903); the rest is in the
// ANSI code page, as every list file Fendrel wrote before. A line ends at
// CR LF, a lone CR or a lone LF; blank lines are no entries.
//
// Writing: when every entry has exact bytes in the ANSI code page, the file
// is ANSI, byte for byte as Fendrel always wrote it; otherwise UTF-8 with a
// byte order mark. Either way CR LF ends every line, and an empty list is a
// file of zero bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lists/list_outcome.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace fendrel {

struct ListText {
  std::vector<std::string> entries;  // valid UTF-8, never empty, never holding CR or LF
  // Why `entries` are not the whole file, or None: TooManyEntries when it
  // holds more than `maxEntries`; NotText at the first line that is not
  // UTF-8 or UTF-16 text (a malformed sequence, a lone surrogate, an odd
  // byte at the end of UTF-16). Either way the entries before are listed
  // and nothing from that line on: a broken line could name another file.
  ListOutcome unread;
};

// `cut`: the bytes are only the start of the file, since a read failed. A
// last line whose end was not read is then left out (it may be cut short),
// and only the lines read whole tell whether the file is UTF-8.
ListText DecodeList(std::string_view bytes, const CodePage& ansi, std::size_t maxEntries, bool cut = false);

// The bytes of a file that DecodeList reads back as exactly `entries`; nothing
// when an entry is not one (not UTF-8, empty, or holding CR or LF).
std::optional<std::string> EncodeList(const std::vector<std::string>& entries, const CodePage& ansi);

}  // namespace fendrel
