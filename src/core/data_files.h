#pragma once
// Where the program finds its shipped data files (ModulePointInfo.txt, Advanced.mnu, the option page
// files): the working directory first, then the data folder installed beside the program
// (<prefix>/share/kestrio next to <prefix>/bin), then the source tree's data/ when run from a build.
#include <filesystem>
#include <string>
#include <vector>

namespace kestrio {

// The folders searched, in order.
std::vector<std::filesystem::path> DataFolders();

// The first folder's copy of `name` that exists; `name` itself (relative to the working directory)
// when none does, so a message names the file the program looked for first.
std::filesystem::path FindDataFile(const std::string& name);

}  // namespace kestrio
