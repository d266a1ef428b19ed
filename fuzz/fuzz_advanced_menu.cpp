// The Advanced menu file as any text: at most twenty entries, no field spanning lines, and the
// entries written back as quoted fields read the same again.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "options/advanced_menu.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestrio::fuzz::FuzzInput in(data, size);
  const std::vector<kestrio::options::MenuEntry> menu = kestrio::options::ParseAdvancedMenu(in.Rest());
  KESTRIO_FUZZ_CHECK(menu.size() <= static_cast<std::size_t>(kestrio::options::kMaxMenuEntries));

  std::string again;
  std::vector<kestrio::options::MenuEntry> quotable;
  for (const auto& e : menu) {
    KESTRIO_FUZZ_CHECK(e.caption.find('\n') == std::string::npos &&
                       e.pageFile.find('\n') == std::string::npos);
    if (e.caption.find('"') != std::string::npos || e.pageFile.find('"') != std::string::npos) continue;
    again += "' written back\n\"" + e.caption + "\", \"" + e.pageFile + "\"\r\n\n";
    quotable.push_back(e);
  }
  const std::vector<kestrio::options::MenuEntry> reread = kestrio::options::ParseAdvancedMenu(again);
  KESTRIO_FUZZ_CHECK(reread.size() == quotable.size());
  for (std::size_t i = 0; i < reread.size(); ++i) {
    KESTRIO_FUZZ_CHECK(reread[i].caption == quotable[i].caption);
    KESTRIO_FUZZ_CHECK(reread[i].pageFile == quotable[i].pageFile);
  }
  return 0;
}
