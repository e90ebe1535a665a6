// Folders watched for names that come, go or change in them: a missing file
// or folder appearing is such a change in the nearest folder that exists.
// Each watch is an overlapped ReadDirectoryChangesW whose completion
// routine runs while the window's thread waits alertably (the message
// loop's MsgWaitForMultipleObjectsEx with MWMO_ALERTABLE); it notes the
// names the system reports and asks again at once. So there is no limit to
// how many folders are watched, and a change costs the names it names.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace fendrel {

class FolderWatches {
 public:
  // What changed in one folder since the last TakeChanges.
  struct Changes {
    std::string folder;
    std::vector<std::string> names;  // names in the folder, as the system gave them
    bool lost = false;               // some changes were lost: any name there may have changed
  };

  // `filter`: the FILE_NOTIFY_CHANGE_* kinds of change to report;
  // `subtree`: in the folders under each watched folder too (then a name
  // is the path below the watched folder, "sub\\new.txt").
  explicit FolderWatches(DWORD filter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME,
                         bool subtree = false);
  // Ends every watch; waits for the system to let go of their buffers.
  ~FolderWatches();
  FolderWatches(const FolderWatches&) = delete;
  FolderWatches& operator=(const FolderWatches&) = delete;

  // Exactly these folders are to be watched: the watches of other folders
  // end now, those of folders watched already go on, and the new ones
  // begin in OpenSome.
  void Want(const std::vector<std::string>& folders);
  // Begins up to `most` of the wanted watches; true when none is left to begin.
  bool OpenSome(std::size_t most);
  // Wanted folders that could not be watched (gone meanwhile, no access).
  std::size_t unwatched() const { return unwatched_; }
  // A watch that reports changes within kQuietMs of its last report waits
  // until this asks again, so the changes of a busy folder meanwhile come
  // as one report (the system keeps them for the next read, up to its
  // buffer; past that they are lost). A quiet folder's watch asks again at
  // once. True when some watch was waiting.
  static constexpr DWORD kQuietMs = 100;
  bool AskAgain();
  bool anyWaiting() const { return anyWaiting_; }
  // The changes since the last call, one row per folder that saw any. `ended`
  // becomes true when a watch ended since (its folder went): Want finds the
  // folder that stands nearest now.
  std::vector<Changes> TakeChanges(bool& ended);

 private:
  struct Watch;
  static void CALLBACK Completed(DWORD error, DWORD bytes, OVERLAPPED* overlapped);
  static bool Ask(Watch& watch);
  void End(std::unique_ptr<Watch> watch);
  void DropEnded();

  DWORD filter_;
  bool subtree_;
  std::unordered_map<std::string, std::unique_ptr<Watch>> watches_;  // by folder
  std::vector<std::string> toOpen_;
  std::size_t unwatched_ = 0;
  // Watches ended while the system still had a read of theirs: kept until
  // its completion runs.
  std::vector<std::unique_ptr<Watch>> ending_;
  bool anyChanged_ = false;
  bool anyEnded_ = false;
  bool anyWaiting_ = false;
};

}  // namespace fendrel
