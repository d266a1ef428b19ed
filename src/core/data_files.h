#pragma once
// Where the program finds its shipped data files (ModulePointInfo.txt, Advanced.mnu, the option page
// files): the working directory first, then the data folder installed beside the program
// (<prefix>/share/kestrio next to <prefix>/bin), then the source tree's data/ when run from the
// build's bin/ (an installed program never falls back to the source tree).
#include <filesystem>
#include <string>
#include <vector>

namespace kestrio {

// The folders searched, in order.
std::vector<std::filesystem::path> DataFolders();

// The first folder's copy of `name` that exists; `name` itself (relative to the working directory)
// when none does, so a message names the file the program looked for first.
std::filesystem::path FindDataFile(const std::string& name);

// The user guide: <prefix>/share/doc/kestrio/guide.md installed, the source tree's docs/guide.md from
// a build; empty when neither exists.
std::filesystem::path FindUserGuide();

}  // namespace kestrio
