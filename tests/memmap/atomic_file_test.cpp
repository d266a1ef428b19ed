// Saving files: the new bytes replace the old ones whole, and a save that fails for any reason
// leaves the old file byte-identical, no temporary behind, and a message naming the file.
#include "memmap/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "memmap/eeprom_image.h"
#include "protocol/prompter.h"

namespace kestrio {
namespace {

namespace fs = std::filesystem;

class AtomicSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("kestrio-save-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(dir_, ec))
      if (e.is_directory(ec)) fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }
  static std::string Contents(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void Put(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }
  std::set<std::string> Entries(const fs::path& folder) const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
  }
  // Expects a refused save of `path` whose message tells the user which file and that it is intact.
  static void ExpectRefused(const fs::path& path, const std::string& bytes) {
    std::string error;
    EXPECT_FALSE(AtomicSave(path.string(), bytes, error)) << path;
    EXPECT_EQ(error.rfind("Could not save " + path.string() + " (", 0), 0u) << error;
    EXPECT_NE(error.find("); the old file is unchanged."), std::string::npos) << error;
  }
  fs::path dir_;
};

// The old bytes, including ones a text file would not hold, against a shorter and a longer save.
const std::string kOld = std::string("old\r\n\0binary\xff", 14) + std::string(5000, 'x');

TEST_F(AtomicSaveTest, ReplacesTheWholeFileAndKeepsItsPermissions) {
  const fs::path path = dir_ / "plant.tag";
  std::string error;
  ASSERT_TRUE(AtomicSave(path.string(), kOld, error)) << error;
  EXPECT_EQ(Contents(path), kOld);
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);

  ASSERT_TRUE(AtomicSave(path.string(), "new\n", error)) << error;
  EXPECT_EQ(Contents(path), "new\n");
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(AtomicSave(path.string(), "", error)) << error;
  EXPECT_EQ(fs::file_size(path), 0u);
  EXPECT_EQ(Entries(dir_), std::set<std::string>{"plant.tag"});

  // A bare file name saves into the working folder.
  const fs::path here = fs::current_path();
  fs::current_path(dir_);
  EXPECT_TRUE(AtomicSave("bare.tag", "x", error)) << error;
  fs::current_path(here);
  EXPECT_EQ(Contents(dir_ / "bare.tag"), "x");
}

TEST_F(AtomicSaveTest, FailedSavesLeaveTheOldFileByteIdentical) {
  // The target is a folder: the rename is refused, and the folder and what it holds stay.
  const fs::path folder = dir_ / "folder.tag";
  fs::create_directories(folder);
  Put(folder / "inside", kOld);
  ExpectRefused(folder, "new");
  EXPECT_EQ(Contents(folder / "inside"), kOld);

  // The folder part is a regular file.
  const fs::path file = dir_ / "file";
  Put(file, kOld);
  ExpectRefused(file / "child.tag", "new");
  EXPECT_EQ(Contents(file), kOld);

  // A name longer than any file system takes.
  ExpectRefused(dir_ / std::string(300, 'n'), "new");
  // A folder that does not exist, and no file name at all.
  ExpectRefused(dir_ / "missing" / "a.tag", "new");
  ExpectRefused(dir_.string() + "/", "new");
  EXPECT_EQ((Entries(dir_)), (std::set<std::string>{"folder.tag", "file"}));
}

TEST_F(AtomicSaveTest, ReadOnlyFolderRefusesTheSave) {
  const fs::path folder = dir_ / "locked";
  fs::create_directories(folder);
  const fs::path path = folder / "plant.tag";
  Put(path, kOld);
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  // Root writes into read-only folders anyway (as CI runs the tests); the other failures cover it.
  if (::access(folder.c_str(), W_OK) == 0) GTEST_SKIP() << "read-only folders are writable for this user";
  ExpectRefused(path, "new");
  EXPECT_EQ(Contents(path), kOld);
  EXPECT_EQ(Entries(folder), std::set<std::string>{"plant.tag"});
}

// A disk that fills up while the new bytes are written, made with a file size limit (which binds
// root too): the old file stays, the partial temporary is removed, and the user hears of it through
// the same message box that asked about overwriting.
TEST_F(AtomicSaveTest, DiskFullDuringTheWriteKeepsTheOldFileAndTellsTheUser) {
  const fs::path path = dir_ / "plant.tag";
  Put(path, kOld);

  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);

  std::string error;
  const bool saved_ok = AtomicSave(path.string(), std::string(20000, 'n'), error);
  ScriptedPrompter ui;
  ui.defaultAnswer = Answer::Yes;
  const bool data_file_saved = SaveDataFile(ui, path, std::string(20000, 'd'));

  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);

  EXPECT_FALSE(saved_ok);
  EXPECT_NE(error.find("the old file is unchanged"), std::string::npos) << error;
  EXPECT_FALSE(data_file_saved);
  ASSERT_EQ(ui.log.size(), 2u);
  EXPECT_EQ(ui.log[0].text, "Are you sure you want to overwrite " + path.string() + "?");
  EXPECT_EQ(ui.log[1].text.rfind("Could not save " + path.string() + " (", 0), 0u) << ui.log[1].text;
  EXPECT_NE(ui.log[1].text.find("the old file is unchanged."), std::string::npos);
  EXPECT_EQ(Contents(path), kOld);
  EXPECT_EQ(Entries(dir_), std::set<std::string>{"plant.tag"});
}

}  // namespace
}  // namespace kestrio
