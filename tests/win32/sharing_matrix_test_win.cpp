// The sharing matrix: a second process tries every way of writing,
// cutting, deleting, renaming, replacing and reading a file this program
// holds. Every writer and deleter must be refused and every plain reader
// admitted; the file keeps its bytes. The matrix is printed as a table.
// Two ways that Windows refuses get through under Wine; see sharing_ways_win.h.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_layer.h"
#include "platform/file_system_win.h"
#include "protection/protection.h"
#include "tests/core/test_support.h"
#include "tests/win32/process_support_win.h"
#include "tests/win32/sharing_ways_win.h"

namespace fendrel {
namespace {

using testing::Outcome;
using testing::ReadBytes;
using testing::SharingWays;
using testing::TempFolder;
using testing::WayFile;
using testing::WriteBytes;

std::string CodeText(unsigned long code) {
  switch (code) {
    case ERROR_SUCCESS: return "0 (worked)";
    case ERROR_ACCESS_DENIED: return "5 ERROR_ACCESS_DENIED";
    case ERROR_SHARING_VIOLATION: return "32 ERROR_SHARING_VIOLATION";
    case ERROR_INVALID_PARAMETER: return "87 ERROR_INVALID_PARAMETER";
    case ERROR_ALREADY_EXISTS: return "183 ERROR_ALREADY_EXISTS";
    case ERROR_FILE_EXISTS: return "80 ERROR_FILE_EXISTS";
    case ERROR_UNABLE_TO_REMOVE_REPLACED: return "1175 ERROR_UNABLE_TO_REMOVE_REPLACED";
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT: return "1176 ERROR_UNABLE_TO_MOVE_REPLACEMENT";
    default: return std::to_string(code);
  }
}

TEST(SharingMatrixTest, AnotherProcessIsRefusedEveryWriteDeleteAndRenameButMayRead) {
  TempFolder folder;
  Win32FileSystem system;
  FileLayer layer(system);
  Protection protection(layer, folder.path());
  const auto& ways = SharingWays();
  for (std::size_t i = 0; i < ways.size(); ++i) {
    WriteBytes(WayFile(folder.path(), i), testing::kSharingContent);
    ASSERT_EQ(FileError::None, protection.Add(ListKind::Safe, WayFile(folder.path(), i))) << i;
  }

  testing::ChildProcess probe("sharing_probe", {"matrix", folder.path()});
  ASSERT_TRUE(probe.started());
  std::vector<std::string> lines;
  ASSERT_TRUE(probe.WaitForLine("done", &lines)) << "the probe's output was cut";
  ASSERT_EQ(ways.size(), lines.size()) << "the probe's output was cut";

  const bool wine = testing::UnderWine();
  std::printf("| # | access | call or disposition | expected | got |\n|---|---|---|---|---|\n");
  for (std::size_t i = 0; i < ways.size(); ++i) {
    std::size_t index = 0;
    unsigned long code = 0;
    ASSERT_EQ(2, std::sscanf(lines[i].c_str(), "%zu %lu", &index, &code)) << lines[i];
    ASSERT_EQ(i, index);
    const testing::SharingWay& way = ways[i];
    std::printf("| %zu | %s | %s | %s | %s |\n", i, way.access, way.call, testing::Describe(way.expected),
                CodeText(code).c_str());
    const std::string file = WayFile(folder.path(), i);
    if (way.expected == Outcome::Admitted) {
      EXPECT_EQ(ERROR_SUCCESS, code) << "way " << i << " (" << way.access << ", " << way.call
                                     << "): expected admitted, got " << CodeText(code);
    } else if (way.expected == Outcome::Refused || (way.expected == Outcome::RefusedOnWindows && !wine)) {
      EXPECT_NE(ERROR_SUCCESS, code) << "way " << i << " (" << way.access << ", " << way.call
                                     << "): expected refused, got " << CodeText(code);
    }
    // Whatever the way, the held file is still there with its bytes.
    if (way.expected == Outcome::RefusedOnWindows && wine) continue;
    EXPECT_EQ(testing::kSharingContent, ReadBytes(file))
        << "way " << i << " (" << way.access << ", " << way.call << ") changed the held file";
  }
  std::fflush(stdout);
}

// Folders held as folder entries hold them: a second process can neither
// rename, move nor delete a held folder or a held folder inside it, and
// still makes files in both.
TEST(SharingMatrixTest, AnotherProcessCannotRenameMoveOrDeleteAHeldFolderButMakesFilesInIt) {
  TempFolder folder;
  Win32FileSystem system;
  const auto& ways = testing::FolderWays();
  std::vector<std::unique_ptr<OpenFile>> holds;
  for (std::size_t k = 0; k < 2 * ways.size(); ++k) {
    const std::string pair = testing::FolderWayPair(folder.path(), k);
    testing::MakeFolder(pair + "\\sub");
    for (const std::string& held : {pair, pair + "\\sub"}) {
      ASSERT_EQ(FileError::None, system.HoldFolder(held, holds.emplace_back())) << held;
    }
  }

  testing::ChildProcess probe("sharing_probe", {"folders", folder.path()});
  ASSERT_TRUE(probe.started());
  std::vector<std::string> lines;
  ASSERT_TRUE(probe.WaitForLine("done", &lines)) << "the probe's output was cut";
  ASSERT_EQ(2 * ways.size(), lines.size()) << "the probe's output was cut";
  for (std::size_t k = 0; k < lines.size(); ++k) {
    std::size_t index = 0;
    unsigned long code = 0;
    ASSERT_EQ(2, std::sscanf(lines[k].c_str(), "%zu %lu", &index, &code)) << lines[k];
    ASSERT_EQ(k, index);
    const testing::FolderWay& way = ways[k / 2];
    const std::string target = testing::FolderWayTarget(folder.path(), k);
    const char* which = k % 2 == 0 ? "the held folder" : "the held folder inside it";
    EXPECT_EQ(way.admitted ? ERROR_SUCCESS : ERROR_SHARING_VIOLATION, code)
        << way.call << " on " << which << " got " << CodeText(code);
    EXPECT_TRUE(system.FolderExists(target)) << way.call << " took away " << which;
    if (way.admitted) {
      EXPECT_TRUE(testing::Exists(target + "\\new.txt")) << which;
    }
  }
}

}  // namespace
}  // namespace fendrel
