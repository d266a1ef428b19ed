// Replays fuzz inputs without libFuzzer: each argument is a file or a folder of files, run in
// name order, so a crash found by the fuzzer reproduces under any compiler and a debugger.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool RunFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::fprintf(stderr, "running %s (%zu bytes)\n", path.c_str(), bytes.size());
  // A copy sized exactly to the input, so reads past its end show up under AddressSanitizer.
  std::vector<std::uint8_t> exact(bytes.begin(), bytes.end());
  LLVMFuzzerTestOneInput(exact.empty() ? nullptr : exact.data(), exact.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 0;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (!arg.empty() && arg[0] == '-') continue;  // libFuzzer flags are accepted and ignored
    std::error_code ec;
    if (std::filesystem::is_directory(arg, ec)) {
      std::vector<std::filesystem::path> files;
      for (const auto& entry : std::filesystem::directory_iterator(arg, ec)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
      std::sort(files.begin(), files.end());
      for (const auto& f : files) ok = RunFile(f) && ok, ++runs;
    } else {
      ok = RunFile(arg) && ok;
      ++runs;
    }
  }
  if (runs == 0) {
    std::fprintf(stderr, "usage: %s FILE_OR_FOLDER...\n", argc > 0 ? argv[0] : "replay");
    return 2;
  }
  std::fprintf(stderr, "replayed %d input(s)\n", runs);
  return ok ? 0 : 1;
}
