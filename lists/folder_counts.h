// What a folder entry holds under its folder: the files held, those not
// held and why, for the row's tooltip, the Welcome summary and the
// emergency message.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "lists/list_outcome.h"

namespace fendrel {

// The most files held under folder entries, both lists together. Each held
// file costs a handle, and under Wine a Linux file descriptor of Wine's
// server, which allows about 20,000 per process on common systems.
inline constexpr int kMostFolderFiles = 50000;

// What a tree holds, for the row's tooltip, the summary and the emergency
// message.
struct FolderCounts {
  int filesHeld = 0;
  int filesNotHeld = 0;
  int foldersNotRead = 0;                               // their files are not known
  std::vector<std::pair<ListOutcome, int>> notHeldWhy;  // files and folders not held, by reason
  bool walked = false;                                  // every folder listed
  bool whole() const { return walked && filesNotHeld == 0 && foldersNotRead == 0 && notHeldWhy.empty(); }
  friend bool operator==(const FolderCounts&, const FolderCounts&) = default;
};

}  // namespace fendrel
