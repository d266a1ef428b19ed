// Saving and loading files: the new bytes replace the old ones whole, and a save that fails for any
// reason leaves the old file byte-identical, no temporary behind, and a message naming the file.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QTemporaryDir>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "memmap/atomic_file.h"
#include "memmap/eeprom_image.h"

namespace kestrio {
namespace {

namespace fs = std::filesystem;

// The old bytes, including ones a text file would not hold.
const std::string kOld = std::string("old\r\n\0binary\xff", 14) + std::string(5000, 'x');

class FileTest : public ::testing::Test {
 protected:
  static std::string Contents(const fs::path& p) {
    std::stringstream s;
    s << std::ifstream(p, std::ios::binary).rdbuf();
    return s.str();
  }
  static void Put(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
  }
  static std::set<std::string> Entries(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
  }
  // Expects a refused save of `path` whose message tells the user which file and that it is intact.
  static void ExpectRefused(const fs::path& path) {
    std::string error;
    EXPECT_FALSE(AtomicSave(path.string(), "new", error)) << path;
    EXPECT_EQ(error.rfind("Could not save " + path.string() + " (", 0), 0u) << error;
    EXPECT_TRUE(error.ends_with("); the old file is unchanged.")) << error;
  }
  QTemporaryDir tmp_;
  const fs::path dir_ = tmp_.path().toStdString();
};

TEST_F(FileTest, SaveReplacesTheWholeFileAndKeepsItsPermissions) {
  const fs::path path = dir_ / "plant.tag";
  std::string error;
  ASSERT_TRUE(AtomicSave(path.string(), kOld, error)) << error;
  EXPECT_EQ(Contents(path), kOld);
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(AtomicSave(path.string(), "new\n", error)) << error;
  EXPECT_EQ(Contents(path), "new\n");
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Entries(dir_), std::set<std::string>{"plant.tag"});
}

TEST_F(FileTest, FailedSavesLeaveTheOldFileByteIdentical) {
  // The target is a folder: the rename is refused, and the folder and what it holds stay.
  fs::create_directories(dir_ / "folder.tag");
  Put(dir_ / "folder.tag" / "inside", kOld);
  ExpectRefused(dir_ / "folder.tag");
  EXPECT_EQ(Contents(dir_ / "folder.tag" / "inside"), kOld);
  // The folder part is a regular file; a name longer than any file system takes; a folder that does
  // not exist; no file name at all.
  Put(dir_ / "file", kOld);
  ExpectRefused(dir_ / "file" / "child.tag");
  EXPECT_EQ(Contents(dir_ / "file"), kOld);
  ExpectRefused(dir_ / std::string(300, 'n'));
  ExpectRefused(dir_ / "missing" / "a.tag");
  ExpectRefused(dir_.string() + "/");
  EXPECT_EQ(Entries(dir_), (std::set<std::string>{"folder.tag", "file"}));
}

// A disk that fills up while the new bytes are written, made with a file size limit (which binds
// root too): the old file stays, the partial temporary is removed, and Save Data File tells the user
// through the same prompter that asked about overwriting.
TEST_F(FileTest, DiskFullDuringTheWriteKeepsTheOldFileAndTellsTheUser) {
  const fs::path path = dir_ / "plant.tag";
  Put(path, kOld);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  ScriptedPrompter ui;
  ui.defaultAnswer = Answer::Yes;
  const bool saved_ok = SaveDataFile(ui, path, std::string(20000, 'd'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);

  EXPECT_FALSE(saved_ok);
  ASSERT_EQ(ui.log.size(), 2u);
  EXPECT_EQ(ui.log[0].text, "Are you sure you want to overwrite " + path.string() + "?");
  EXPECT_EQ(ui.log[1].text.rfind("Could not save " + path.string() + " (", 0), 0u) << ui.log[1].text;
  EXPECT_TRUE(ui.log[1].text.ends_with("); the old file is unchanged.")) << ui.log[1].text;
  EXPECT_EQ(Contents(path), kOld);
  EXPECT_EQ(Entries(dir_), std::set<std::string>{"plant.tag"});
}

TEST_F(FileTest, DataFilesLoadAsLinesAndSaveAfterAsking) {
  const fs::path path = dir_ / "old.tag";
  Put(path, "first\r\nsecond");
  EXPECT_EQ(LoadDataFile(path).text, "first\nsecond\n");
  EXPECT_FALSE(LoadDataFile(dir_ / "missing.tag").ok);
  Put(dir_ / "big.tag", std::string(kMaxDataFileBytes + 1, '0'));
  const LoadedDataFile big = LoadDataFile(dir_ / "big.tag");
  EXPECT_FALSE(big.ok);
  EXPECT_EQ(big.error, (dir_ / "big.tag").string() + " is too large to be a memory map data file.");
  EXPECT_EQ(LoadedTextPreview(std::string(101, 'x')), std::string(100, 'x') + " <remaining data not shown>");

  ScriptedPrompter ui;
  ui.answers = {Answer::No, Answer::Yes};
  EXPECT_FALSE(SaveDataFile(ui, path, "new"));
  EXPECT_EQ(Contents(path), "first\r\nsecond");
  EXPECT_EQ(ui.log[0].text, "Are you sure you want to overwrite " + path.string() + "?");
  EXPECT_EQ(ui.log[0].title, "Warning");
  EXPECT_EQ(ui.log[1].text, "Save Cancelled.");
  EXPECT_EQ(ui.log[1].title, "Warning");
  EXPECT_TRUE(SaveDataFile(ui, path, "new\r\n\n"));
  EXPECT_EQ(Contents(path), "new\n");                      // one line
  EXPECT_TRUE(SaveDataFile(ui, dir_ / "fresh.tag", "x"));  // nothing to overwrite: no question
  EXPECT_EQ(ui.log.size(), 3u);
}

}  // namespace
}  // namespace kestrio
