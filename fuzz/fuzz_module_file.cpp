// The module/point file reader: any bytes give tables no larger than the 16-bit codes allow, whose
// every stored code lies inside them, the same tables whether read from text or streamed from a
// file, and lookups that stay inside the tables for any code the brain could report.
//
// Input layout: byte 0 holds options (bit 0: also read through a file on disk); the rest is the file.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "fuzz_input.h"
#include "points/module_point_file.h"

namespace {

using kestrio::fuzz::FuzzInput;
namespace points = kestrio::points;

void CheckTables(const points::ModulePointTables& t, const kestrio::ScriptedPrompter& ui) {
  KESTRIO_FUZZ_CHECK(t.HighestModuleType >= 0 && t.HighestModuleType <= points::kMaxTypeCode);
  KESTRIO_FUZZ_CHECK(t.HighestPointType >= 0 && t.HighestPointType <= points::kMaxTypeCode);
  for (const auto& [code, m] : t.ModuleTypeTable) {
    KESTRIO_FUZZ_CHECK(code >= 0 && code <= t.HighestModuleType);
    KESTRIO_FUZZ_CHECK(m.Name.size() <= points::kMaxFieldLength);
    KESTRIO_FUZZ_CHECK(m.PointTypeCount >= 1 && m.PointTypeCount <= points::kMaxPointTypesPerModule);
    KESTRIO_FUZZ_CHECK(m.PointTypeCodes[0] == 0);
    for (int i = 1; i <= m.PointTypeCount; ++i) {
      KESTRIO_FUZZ_CHECK(t.PointTypeTable.contains(m.PointTypeCodes[i]));
    }
  }
  for (const auto& [code, p] : t.PointTypeTable) {
    KESTRIO_FUZZ_CHECK(code >= 0 && code <= t.HighestPointType);
    KESTRIO_FUZZ_CHECK(p.Name.size() <= points::kMaxFieldLength);
    KESTRIO_FUZZ_CHECK(t.ModuleTypeTable.contains(p.ModuleType));
  }
  // The highest codes are those of listed entries (or 0 for a file that lists none).
  KESTRIO_FUZZ_CHECK(t.ModuleTypeTable.empty() ? t.HighestModuleType == 0
                                               : t.ModuleTypeTable.rbegin()->first == t.HighestModuleType);
  KESTRIO_FUZZ_CHECK(t.PointTypeTable.empty() ? t.HighestPointType == 0
                                              : t.PointTypeTable.rbegin()->first == t.HighestPointType);
  for (const std::string& m : ui.Messages()) {
    KESTRIO_FUZZ_CHECK(m.rfind("There are too many point configuration types for the ", 0) == 0 ||
                       m.rfind("ModulePointInfo.txt, line ", 0) == 0);
  }
  KESTRIO_FUZZ_CHECK(ui.log.size() == ui.Messages().size());
}

// Codes as the brain may report them: negative, at the edges of the tables, huge.
void CheckLookups(const points::ModulePointTables& t, std::uint64_t seed) {
  const std::int64_t codes[] = {-1,
                                0,
                                t.HighestModuleType,
                                t.HighestModuleType + 1,
                                t.HighestPointType,
                                t.HighestPointType + 1,
                                static_cast<std::int32_t>(seed),
                                static_cast<std::int64_t>(seed),
                                INT64_MIN,
                                INT64_MAX};
  for (std::int64_t code : codes) {
    const bool inModules = code >= 0 && code <= t.HighestModuleType;
    KESTRIO_FUZZ_CHECK(t.ModuleName(code).has_value() == inModules);
    KESTRIO_FUZZ_CHECK(t.PointTypeName(code).has_value() == (code >= 0 && code <= t.HighestPointType));
    const bool ao = t.IsAnalogOutputModule(code);
    KESTRIO_FUZZ_CHECK(!ao || t.ModuleName(code)->starts_with("AO"));
    for (const points::PointTypeChoice& c : t.OfferedPointTypes(code)) {
      KESTRIO_FUZZ_CHECK(t.PointTypeName(c.code) == c.name);
    }
  }
}

bool SameTables(const points::ModulePointTables& a, const points::ModulePointTables& b) {
  if (a.HighestModuleType != b.HighestModuleType || a.HighestPointType != b.HighestPointType) return false;
  const auto sameModule = [](const auto& x, const auto& y) {
    return x.first == y.first && x.second.Name == y.second.Name &&
           x.second.PointTypeCount == y.second.PointTypeCount &&
           x.second.PointTypeCodes == y.second.PointTypeCodes;
  };
  const auto samePoint = [](const auto& x, const auto& y) {
    return x.first == y.first && x.second.Name == y.second.Name && x.second.ModuleType == y.second.ModuleType;
  };
  return std::equal(a.ModuleTypeTable.begin(), a.ModuleTypeTable.end(), b.ModuleTypeTable.begin(),
                    b.ModuleTypeTable.end(), sameModule) &&
         std::equal(a.PointTypeTable.begin(), a.PointTypeTable.end(), b.PointTypeTable.begin(),
                    b.PointTypeTable.end(), samePoint);
}


}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  const std::uint8_t options = in.Byte();
  const std::string_view text = in.Rest();

  kestrio::ScriptedPrompter ui;
  const points::ModulePointTables tables = points::ParseModulePointInfo(text, ui);
  CheckTables(tables, ui);
  std::uint64_t seed = 0;
  for (std::size_t i = 0; i < 8 && i < text.size(); ++i)
    seed = seed << 8 | static_cast<unsigned char>(text[i]);
  CheckLookups(tables, seed);

  if (options & 1) {
    static const kestrio::fuzz::ScratchFile scratch("modules.txt");
    std::FILE* f = std::fopen(scratch.Path().c_str(), "wb");
    if (f == nullptr) return 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (std::fclose(f) != 0 || !written) return 0;
    kestrio::ScriptedPrompter fileUi;
    const points::ModulePointFile loaded = points::LoadModulePointInfo(scratch.Path(), fileUi);
    KESTRIO_FUZZ_CHECK(loaded.Opened());
    KESTRIO_FUZZ_CHECK(SameTables(loaded.tables, tables));
    KESTRIO_FUZZ_CHECK(fileUi.Messages() == ui.Messages());
  }
  return 0;
}
