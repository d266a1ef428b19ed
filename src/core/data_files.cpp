#include "core/data_files.h"

#include <QCoreApplication>
#include <system_error>

namespace kestrio {

std::vector<std::filesystem::path> DataFolders() {
  std::vector<std::filesystem::path> folders{std::filesystem::path(".")};
  if (QCoreApplication::instance()) {
    const std::filesystem::path bin = QCoreApplication::applicationDirPath().toStdString();
    folders.push_back(bin.parent_path() / "share" / "kestrio");
  }
#ifdef KESTRIO_SOURCE_DATA_DIR
  folders.emplace_back(KESTRIO_SOURCE_DATA_DIR);
#endif
  return folders;
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
