#include "sim/flash_image.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "protocol/memory_map.h"

namespace kestrio::sim {

namespace {

void PutU32(Bytes& b, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<std::uint8_t>(v >> s));
}

std::uint32_t GetU32(const Bytes& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) |
         b[at + 3];
}

constexpr std::uintmax_t kMaxStateFile = 1024 * 1024;

}  // namespace

Bytes EmptyImage() { return Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}; }

Bytes BuildImage(const std::vector<ImageRecord>& records, std::size_t maxBytes, int* dropped) {
  Bytes img(8, 0);
  int lost = 0;
  for (const auto& r : records) {
    if (img.size() + 8 + r.data.size() > maxBytes) {
      ++lost;
      continue;
    }
    PutU32(img, static_cast<std::uint32_t>(r.address));
    PutU32(img, static_cast<std::uint32_t>(r.data.size()));
    img.insert(img.end(), r.data.begin(), r.data.end());
  }
  std::uint32_t len = static_cast<std::uint32_t>(img.size() - 8);
  for (int i = 0; i < 4; ++i) img[i] = static_cast<std::uint8_t>(len >> (24 - 8 * i));
  if (dropped) *dropped = lost;
  return img;
}

std::optional<ParsedImage> ParseImage(const Bytes& image, std::string& error) {
  if (image.size() < 4) {
    error = "image shorter than its length quadlet";
    return std::nullopt;
  }
  ParsedImage out;
  auto len = static_cast<std::int32_t>(GetU32(image, 0));
  if (len < 0) return out;
  out.empty = false;
  std::size_t end = 8 + static_cast<std::size_t>(len);
  if (end > image.size()) {
    error =
        "image length " + std::to_string(len) + " runs past its " + std::to_string(image.size()) + " bytes";
    return std::nullopt;
  }
  std::size_t at = 8;
  while (at < end) {
    if (end - at < 8) {
      error = "record header at image byte " + std::to_string(at) + " is cut short";
      return std::nullopt;
    }
    ImageRecord r;
    r.address = 0xFFFF00000000ULL | GetU32(image, at);
    std::uint32_t n = GetU32(image, at + 4);
    at += 8;
    if (n > end - at) {
      error = "record at image byte " + std::to_string(at - 8) + " claims " + std::to_string(n) +
              " bytes, more than the image holds";
      return std::nullopt;
    }
    r.data.assign(image.begin() + static_cast<std::ptrdiff_t>(at),
                  image.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
    out.records.push_back(std::move(r));
  }
  return out;
}

std::optional<ParsedImage> ReadStateFile(const std::string& path, bool& missing, std::string& error) {
  missing = false;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    missing = true;
    return std::nullopt;
  }
  auto size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxStateFile) {
    error = "state file " + path + (ec ? " cannot be read" : " is larger than 1 MiB");
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  std::string text(static_cast<std::size_t>(size), '\0');
  if (!in || !in.read(text.data(), static_cast<std::streamsize>(size))) {
    error = "state file " + path + " cannot be read";
    return std::nullopt;
  }
  // The address prefix is optional, so a tag file saved by the memory-map window also loads.
  std::string_view body = text;
  if (auto colon = body.find(':'); colon != std::string_view::npos) body.remove_prefix(colon + 1);
  std::string hex = StrippedHex(body);
  if (hex.size() % 2 != 0) {
    error = "state file " + path + " holds an odd number of hex digits";
    return std::nullopt;
  }
  std::string why;
  auto parsed = ParseImage(HexToBytes(hex), why);
  if (!parsed) error = "state file " + path + ": " + why;
  return parsed;
}

bool WriteStateFile(const std::string& path, const Bytes& image, std::string& error) {
  std::string tmp = path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    // The address a tag file of the image window starts with, so the program loads it as one.
    out << memory_map::AddressText(memory_map::kEepromImage.base) << ": " << BytesToHex(image) << '\n';
    out.flush();
    if (!out) {
      error = "cannot write " + tmp;
      std::remove(tmp.c_str());
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(tmp, path, ec);
  if (ec) {
    error = "cannot replace " + path + ": " + ec.message();
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace kestrio::sim
