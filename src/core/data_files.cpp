#include "core/data_files.h"

#include <QCoreApplication>
#include <system_error>

namespace kestrio {

namespace {

// The folder of the running binary; empty without an application object.
std::filesystem::path BinaryFolder() {
  if (!QCoreApplication::instance()) return {};
  return std::filesystem::path(QCoreApplication::applicationDirPath().toStdString());
}

// True unless the binary runs from somewhere other than the build's bin/: an installed program must
// not quietly read the source tree it was built from, or a broken install would go unnoticed.
bool RunsFromBuild() {
#ifdef KESTRIO_BUILD_BIN_DIR
  const std::filesystem::path bin = BinaryFolder();
  std::error_code ec;
  return bin.empty() || std::filesystem::equivalent(bin, KESTRIO_BUILD_BIN_DIR, ec);
#else
  return false;
#endif
}

}  // namespace

std::vector<std::filesystem::path> DataFolders() {
  std::vector<std::filesystem::path> folders{std::filesystem::path(".")};
  if (const std::filesystem::path bin = BinaryFolder(); !bin.empty())
    folders.push_back(bin.parent_path() / "share" / "kestrio");
#ifdef KESTRIO_SOURCE_DATA_DIR
  if (RunsFromBuild()) folders.emplace_back(KESTRIO_SOURCE_DATA_DIR);
#endif
  return folders;
}

std::filesystem::path FindUserGuide() {
  std::vector<std::filesystem::path> candidates;
  if (const std::filesystem::path bin = BinaryFolder(); !bin.empty())
    candidates.push_back(bin.parent_path() / "share" / "doc" / "kestrio" / "guide.md");
#ifdef KESTRIO_SOURCE_DOCS_DIR
  if (RunsFromBuild()) candidates.push_back(std::filesystem::path(KESTRIO_SOURCE_DOCS_DIR) / "guide.md");
#endif
  std::error_code ec;
  for (const std::filesystem::path& candidate : candidates)
    if (std::filesystem::is_regular_file(candidate, ec)) return std::filesystem::absolute(candidate, ec);
  return {};
}

std::filesystem::path FindDataFile(const std::string& name) {
  std::error_code ec;
  for (const std::filesystem::path& folder : DataFolders()) {
    const std::filesystem::path candidate = folder / name;
    if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
  }
  return name;
}

}  // namespace kestrio
