#include "unit/manifest.h"

#include "unit/backup_files.h"
#include "unit/json_value.h"

namespace kestrio::unit {

namespace {

bool IsDigest(std::string_view s) {
  if (s.size() != 64) return false;
  for (char c : s)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

}  // namespace

const ManifestFile* Manifest::File(std::string_view name) const {
  for (const ManifestFile& f : files)
    if (f.name == name) return &f;
  return nullptr;
}

bool Manifest::HasGap(std::string_view category) const {
  for (const Gap& g : gaps)
    if (g.category == category) return true;
  return false;
}

std::string WriteManifest(const Manifest& m) {
  JsonValue status = JsonValue::Object();
  for (const auto& [label, value] : m.status) status.Set(label, JsonValue::Str(value));
  JsonValue files = JsonValue::Array();
  for (const ManifestFile& f : m.files)
    files.Add(
        JsonValue::Object().Set("name", JsonValue::Str(f.name)).Set("sha256", JsonValue::Str(f.sha256)));
  JsonValue gaps = JsonValue::Array();
  for (const Gap& g : m.gaps)
    gaps.Add(JsonValue::Object()
                 .Set("category", JsonValue::Str(g.category))
                 .Set("reason", JsonValue::Str(g.reason)));
  JsonValue root = JsonValue::Object();
  root.Set("format", JsonValue::Str(kManifestFormat))
      .Set("version", JsonValue::Int(kManifestVersion))
      .Set("created", JsonValue::Str(m.created))
      .Set("host", JsonValue::Str(m.host))
      .Set("mac", JsonValue::Str(m.mac))
      .Set("status", std::move(status))
      .Set("files", std::move(files))
      .Set("gaps", std::move(gaps));
  return WriteJson(root);
}

std::optional<Manifest> ParseManifest(std::string_view text, std::string& error) {
  std::string why;
  const std::optional<JsonValue> root = ParseJson(text, why);
  auto refuse = [&error](const std::string& reason) {
    error = reason;
    return std::nullopt;
  };
  if (!root) return refuse("it is not valid JSON (" + why + ")");
  auto text_of = [&](const JsonValue& v, std::string_view key) -> std::optional<std::string> {
    const JsonValue* m = v.Find(key);
    return m ? m->AsString() : std::nullopt;
  };
  if (text_of(*root, "format") != std::string(kManifestFormat))
    return refuse("it is not a Kestrio unit backup manifest");
  const JsonValue* version = root->Find("version");
  if (!version || version->AsInt() != kManifestVersion)
    return refuse("its version is not " + std::to_string(kManifestVersion));
  Manifest m;
  const auto created = text_of(*root, "created");
  const auto host = text_of(*root, "host");
  const auto mac = text_of(*root, "mac");
  if (!created || !host || !mac) return refuse("\"created\", \"host\" or \"mac\" is missing");
  m.created = *created;
  m.host = *host;
  m.mac = *mac;
  const JsonValue* status = root->Find("status");
  if (!status || !status->IsObject()) return refuse("\"status\" is missing");
  for (const auto& [label, value] : status->Members()) {
    const auto v = value.AsString();
    if (!v) return refuse("status \"" + label + "\" is not a text");
    m.status.emplace_back(label, *v);
  }
  const JsonValue* files = root->Find("files");
  if (!files || !files->IsArray()) return refuse("\"files\" is missing");
  for (const JsonValue& f : files->Items()) {
    const auto name = text_of(f, "name");
    const auto sha = text_of(f, "sha256");
    if (!name || !sha) return refuse("a file has no \"name\" or \"sha256\"");
    if (!IsBackupFileName(*name)) return refuse("it lists \"" + *name + "\", which is not a backup file");
    if (!IsDigest(*sha)) return refuse("the checksum of " + *name + " is not 64 hex digits");
    if (m.File(*name)) return refuse("it lists " + *name + " twice");
    m.files.push_back({*name, *sha});
  }
  const JsonValue* gaps = root->Find("gaps");
  if (!gaps || !gaps->IsArray()) return refuse("\"gaps\" is missing");
  for (const JsonValue& g : gaps->Items()) {
    const auto category = text_of(g, "category");
    const auto reason = text_of(g, "reason");
    if (!category || !reason) return refuse("a gap has no \"category\" or \"reason\"");
    m.gaps.push_back({*category, *reason});
  }
  return m;
}

}  // namespace kestrio::unit
