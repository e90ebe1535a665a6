// What a folder entry holds under its folder: every file by a hold like a
// file entry's (read access, sharing with readers only), every subfolder by
// a hold that refuses renames, moves and deletes but admits new files. The
// folder itself is held under its entry's number, as a file entry is.
//
// The tree is walked a few names at a time (Walk), so a folder of tens of
// thousands of files is held between the window's messages. A name that
// comes later is reported by the folder's watch (Changed); one that cannot
// be held now (in use, no access) waits like any entry (NotHeldNow, Retry).
// All trees together hold at most FolderRoom::kMostFiles files; past that,
// or once the system has no room for another open file, the rest wait for
// room, and the counts say how many.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "lists/folder_counts.h"
#include "lists/list_outcome.h"
#include "platform/file_system.h"
#include "protection/healing.h"

namespace fendrel {

// The files held under folder entries, shared by every tree of both lists.
struct FolderRoom {
  static constexpr std::size_t kMostFiles = kMostFolderFiles;
  // Given back when the system runs out of open files, so that Fendrel can
  // still save its lists and hold a file it is given, and other programs
  // can still open files.
  static constexpr std::size_t kGivenBack = 300;
  std::size_t filesHeld = 0;
  bool systemFull = false;  // an open failed for want of resources; cleared when room is freed
  bool HasRoom() const { return !systemFull && filesHeld < kMostFiles; }
};

class FolderTree {
 public:
  FolderTree(std::string root, FolderRoom& room);
  ~FolderTree();  // lets go of every hold, which frees their room
  FolderTree(const FolderTree&) = delete;
  FolderTree& operator=(const FolderTree&) = delete;

  const std::string& root() const { return root_; }
  // Lists folders and holds their names until about `names` names were
  // handled (counted down); true once nothing is left to walk.
  bool Walk(FileSystem& files, std::size_t& names);
  bool walked() const { return toList_.empty() && !roomFreed_; }
  // Another tree let go of its holds: the names that waited for room are
  // tried at the next walk.
  void RoomFreed() { roomFreed_ = true; }

  // A name under the folder changed (`path` lies under root()): a file is
  // held, a folder held and walked, a name gone forgotten. The root itself
  // stands for lost changes: the whole tree is listed again. True when
  // anything changed.
  bool Changed(FileSystem& files, const std::string& path);
  // Tries the names that wait again on what a retry may bring (in use, no
  // access), and lists again the folders that could not be. True when
  // anything changed.
  bool Retry(FileSystem& files);
  // The names that wait on something a wake-up can bring.
  void AddNotHeld(std::vector<NotHeld>& waiting) const;
  FolderCounts counts() const;

 private:
  struct Waiting {
    std::string relative;
    ListOutcome why;
    bool folder = false;
  };
  // Holds one name found under the root, or lets it wait.
  void Take(FileSystem& files, const std::string& relative, FolderItem::Kind kind);
  // The rest of Take once the open went as `error` (`hold` when it went).
  void Keep(const std::string& relative, FolderItem::Kind kind, FileError error,
            std::unique_ptr<OpenFile> hold);
  void Wait(const std::string& relative, ListOutcome why, bool folder);
  bool IsHeld(const std::string& relative) const { return held_.count(std::string_view(relative)) > 0; }
  // A stable copy of a name, in blocks that live as long as the tree.
  std::string_view Stored(const std::string& relative);
  // Takes again the names that wait for a reason `wanted` says yes to;
  // true when anything changed.
  template <typename Wanted>
  bool TakeWaiting(FileSystem& files, Wanted wanted);
  // Lets go of the last `count` file holds, which then wait for room.
  void GiveBack(std::size_t count);
  std::string PathOf(const std::string& relative) const;

  std::string root_;
  FolderRoom& room_;
  std::deque<std::string> toList_;  // folders still to list, relative to the root ("" is the root)
  // Names as Windows matches them: letter case folded (FileKey).
  struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view relative) const;
  };
  struct KeyEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  // Every name held, relative to the root as the system spelled it, with
  // its hold. A held file costs its hold, its name once and one node: tens
  // of thousands of them are held at a time.
  struct Held {
    std::unique_ptr<OpenFile> hold;
    bool file;
  };
  std::unordered_map<std::string_view, Held, KeyHash, KeyEqual> held_;
  std::vector<std::unique_ptr<char[]>> names_;  // the blocks the names of held_ are kept in
  std::size_t nameSize_ = 0;                    // bytes in the last block
  std::size_t nameRoom_ = 0;                    // bytes left in it
  std::size_t filesHeld_ = 0;
  std::unordered_map<std::string, Waiting> waiting_;  // by key
  // Folders that could not be listed, by key: as spelled, and why.
  std::unordered_map<std::string, std::pair<std::string, FileError>> notRead_;
  bool roomFreed_ = false;  // names that waited for room are tried at the next walk
};

}  // namespace fendrel
