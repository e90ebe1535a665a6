#include "platform/folder_watches_win.h"

#include <algorithm>

#include "platform/wide_text_win.h"

namespace fendrel {

std::vector<std::string> FolderWatches::Watch(const std::vector<std::string>& folders) {
  std::vector<Watched> kept;
  std::vector<std::string> unwatched;
  for (const std::string& folder : folders) {
    if (std::any_of(kept.begin(), kept.end(), [&](const Watched& w) { return w.folder == folder; })) continue;
    const auto old =
        std::find_if(watched_.begin(), watched_.end(), [&](const Watched& w) { return w.folder == folder; });
    if (old != watched_.end()) {
      kept.push_back(std::move(*old));
      continue;
    }
    const std::optional<std::wstring> name = ToWidePath(folder);
    UniqueChangeNotification handle;
    if (name && kept.size() < kMostFolders) {
      handle = UniqueChangeNotification(FindFirstChangeNotificationW(
          name->c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME));
    }
    if (handle) {
      kept.push_back({folder, std::move(handle)});
    } else {
      unwatched.push_back(folder);
    }
  }
  watched_ = std::move(kept);  // the watches no longer wanted close here
  handles_.clear();
  for (const Watched& w : watched_) handles_.push_back(w.handle.get());
  return unwatched;
}

void FolderWatches::Rearm(std::size_t index) {
  if (index >= watched_.size()) return;
  // A folder that went away cannot be watched on; the next Watch finds
  // the folder that now stands nearest.
  if (FindNextChangeNotification(watched_[index].handle.get())) return;
  watched_.erase(watched_.begin() + static_cast<std::ptrdiff_t>(index));
  handles_.erase(handles_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace fendrel
