// Folders watched for a name that comes, goes or changes in them: a missing
// file or folder appearing is such a change in the nearest folder that
// exists. The handles are waited on in the message loop.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/handles_win.h"

namespace fendrel {

class FolderWatches {
 public:
  // A message loop waits on at most MAXIMUM_WAIT_OBJECTS - 1 handles;
  // folders past this many are not watched (the caller retries those on
  // its timer instead).
  static constexpr std::size_t kMostFolders = 60;

  // Watches exactly these folders (at most kMostFolders of them), keeping the
  // watches of folders watched already. The folders that could not be
  // watched (gone meanwhile, no access, past the limit) are returned.
  std::vector<std::string> Watch(const std::vector<std::string>& folders);
  // One handle per watched folder, signalled when a name changes there.
  const std::vector<HANDLE>& handles() const { return handles_; }
  // After handle `index` was signalled: keep watching that folder.
  void Rearm(std::size_t index);
  bool empty() const { return handles_.empty(); }

 private:
  struct Watched {
    std::string folder;
    UniqueChangeNotification handle;
  };
  std::vector<Watched> watched_;
  std::vector<HANDLE> handles_;  // the handles of watched_, in its order
};

}  // namespace fendrel
