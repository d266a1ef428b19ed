// The files of a unit backup folder that a restore reads before it writes anything: the manifest,
// the rack file and the option values file, and the JSON reader under the manifest. Each either
// refuses with a message or gives a value that, written again, reads back the same.
//
// Input layout: byte 0 chooses the reader (0 manifest, 1 rack, 2 option values, 3 JSON); the rest is
// the file's bytes.
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "unit/backup_files.h"
#include "unit/json_value.h"
#include "unit/manifest.h"

namespace {

using kestrio::fuzz::FuzzInput;
namespace unit = kestrio::unit;

void CheckManifest(std::string_view text) {
  std::string error;
  const auto m = unit::ParseManifest(text, error);
  if (!m) {
    KESTRIO_FUZZ_CHECK(!error.empty());
    return;
  }
  for (const unit::ManifestFile& f : m->files) KESTRIO_FUZZ_CHECK(unit::IsBackupFileName(f.name));
  const auto again = unit::ParseManifest(unit::WriteManifest(*m), error);
  KESTRIO_FUZZ_CHECK(again && again->files.size() == m->files.size() &&
                     again->gaps.size() == m->gaps.size() && again->status == m->status &&
                     again->host == m->host);
}

void CheckRack(std::string_view text) {
  std::string error;
  const auto rack = unit::ParseRackText(text, error);
  if (!rack) {
    KESTRIO_FUZZ_CHECK(error.rfind("rack file", 0) == 0);
    return;
  }
  const auto again = unit::ParseRackText(unit::WriteRackText(*rack), error);
  KESTRIO_FUZZ_CHECK(again && again->RackModuleTypes == rack->RackModuleTypes &&
                     again->RackPointTypes == rack->RackPointTypes);
}

void CheckOptionValues(std::string_view text) {
  std::string error;
  const auto values = unit::ParseOptionValuesText(text, error);
  if (!values) {
    KESTRIO_FUZZ_CHECK(error.rfind("option values file, line ", 0) == 0);
    return;
  }
  const auto again = unit::ParseOptionValuesText(unit::WriteOptionValuesText(*values), error);
  KESTRIO_FUZZ_CHECK(again && again->size() == values->size());
  for (std::size_t i = 0; i < values->size(); ++i) {
    KESTRIO_FUZZ_CHECK((*again)[i].values.size() == (*values)[i].values.size());
    for (std::size_t j = 0; j < (*values)[i].values.size(); ++j)
      KESTRIO_FUZZ_CHECK((*again)[i].values[j].digits == (*values)[i].values[j].digits);
  }
}

void CheckJson(std::string_view text) {
  std::string error;
  const auto v = unit::ParseJson(text, error);
  if (!v) {
    KESTRIO_FUZZ_CHECK(!error.empty());
    return;
  }
  const std::string written = unit::WriteJson(*v);
  const auto again = unit::ParseJson(written, error);
  KESTRIO_FUZZ_CHECK(again && unit::WriteJson(*again) == written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  const std::uint8_t which = in.Byte();
  const std::string_view text = in.Rest();
  switch (which % 4) {
    case 0:
      CheckManifest(text);
      break;
    case 1:
      CheckRack(text);
      break;
    case 2:
      CheckOptionValues(text);
      break;
    default:
      CheckJson(text);
  }
  return 0;
}
