#include "memmap/eeprom_image.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "memmap/address.h"
#include "memmap/atomic_file.h"
#include "memmap/memmap_service.h"
#include "protocol/convert.h"
#include "protocol/hex.h"
#include "protocol/memory_map.h"
#include "protocol/packet.h"

namespace kestrio {

namespace {

constexpr char kReadOldKernel[] =
    "An error occurred while trying to read from the memory map.\n"
    "You may need a newer version of the kernel to perform this operation.\n"
    "Currently loaded kernel version: ";
constexpr char kReadFailed[] = "EEPROM read not successful.";
constexpr char kNoData[] = "There's no data to store.  Open a file containing data.";
constexpr char kStoreQuestion[] =
    "Are you sure you want to \nstore all the current configuration \nparameters into memory?";
constexpr char kStoreCancelled[] = "EEPROM store CANCELLED.";
constexpr char kNoLongerConnected[] = "EEProm Store not performed, no longer connected..";
constexpr char kErrorInDataFile[] = "EEProm Store not performed, error in data file.";
constexpr char kStoreFailed[] = "EEPROM Store not successful.";
constexpr char kStoreComplete[] = "EEPROM Store complete.";

// The first read covers this many bytes of the image; a longer image continues at +4000 hex.
constexpr std::int64_t kFirstPart = 16384;
// The image lives in one 64 KiB page: the transfers cannot address more.
constexpr std::int64_t kPageBytes = 65536;

void Say(const StatusFn& status, const std::string& text) {
  if (status) status(text);
}

std::string Trimmed(const std::string& text) {
  const char* blanks = " \t\r\n";
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::int32_t SignedQuad(const std::string& digits8) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(HexValue(digits8)));
}

bool ReadFailed(Engine& engine, const MemMapResult& r, const std::string& kernelRevision) {
  if (r.ok()) return false;
  if (r.deviceErrors > 0) engine.Ui().Message(kReadOldKernel + kernelRevision);
  engine.Ui().Message(kReadFailed);
  return true;
}

}  // namespace

std::string EepromProbeAddress() { return memory_map::AddressText(memory_map::kEepromImage.base); }

std::string ProbeEepromAddress(Engine& engine) {
  const Reply reply =
      engine.SendAndAwaitReply(engine.Builder().BuildReadQuadRequest(EepromProbeAddress()), kReadQuadRequest);
  if (TransactionFailed(reply, engine.Ui())) {
    return reply.flags.ReplyError ? memory_map::AddressText(memory_map::kEepromImageOld.base)
                                  : kEepromUnknownAddress;
  }
  return EepromProbeAddress();
}

EepromReadResult ReadEepromImage(Engine& engine, const std::string& from, double maxBytes,
                                 const std::string& kernelRevision, const StatusFn& status) {
  EepromReadResult result;
  std::string offset = StrippedHex(from);
  if (offset.size() != 12) {
    engine.Ui().Message("'" + from + "' is not an EEPROM address.");
    engine.Ui().Message(kReadFailed);
    return result;
  }
  Say(status, "Reading EEPROM data...");
  MemMapResult first = MemMapData(engine, {kFirstPart / 4, offset, {}, true, maxBytes});
  Say(status, "");
  if (ReadFailed(engine, first, kernelRevision)) return result;
  std::string image = first.Data();
  if (image.size() < 8) {
    engine.Ui().Message(kReadFailed);
    return result;
  }

  const std::int64_t length = SignedQuad(image.substr(0, 8));
  if (length < 0) {
    image.resize(8);
  } else {
    const std::int64_t total = length + 8;
    if (total > kPageBytes) {
      engine.Ui().Message("The EEPROM image claims " + std::to_string(length) +
                          " bytes of records, more than its memory map page holds.");
      engine.Ui().Message(kReadFailed);
      return result;
    }
    if (total > kFirstPart) {
      // A partial quadlet at the end is still read: records may hold any number of bytes.
      const double rest = static_cast<double>((total - kFirstPart + 3) / 4);
      PageAddress next = PageAddress::FromCleaned(offset);
      next.Advance(0x4000);
      std::string restOffset = next.Text();
      Say(status, "Reading EEPROM data...");
      MemMapResult more = MemMapData(engine, {rest, restOffset, {}, true, maxBytes});
      Say(status, "");
      if (ReadFailed(engine, more, kernelRevision)) return result;
      image += more.Data();
    }
    if (image.size() < static_cast<std::size_t>(total * 2)) {
      engine.Ui().Message(kReadFailed);
      return result;
    }
    image.resize(static_cast<std::size_t>(total * 2));
  }
  result.ok = true;
  result.text = from + ": " + image;
  result.image = std::move(image);
  return result;
}

std::string EepromReadPreview(const std::string& from, const std::string& image) {
  if (image.size() <= 100) return from + ": " + image;
  return from + ": " + image.substr(0, 100) + kRemainingNotShown;
}

std::string LoadedTextPreview(const std::string& text) {
  if (text.size() <= 100) return text;
  return text.substr(0, 100) + " " + kRemainingNotShown;
}

bool StoreEepromImage(Engine& engine, const std::string& text, double maxBytes, const StatusFn& status) {
  Prompter& ui = engine.Ui();
  if (Trimmed(text).empty()) {
    ui.Message(kNoData);
    return false;
  }
  const long block = UsableBlockSize(maxBytes);
  if (block == 0) {
    ui.Message(kBadBlockSize);
    return false;
  }
  // The question comes before the data is judged, as the window has always asked it.
  if (ui.Ask(kStoreQuestion, false, "WARNING!!") != Answer::Yes) {
    ui.Message(kStoreCancelled);
    return false;
  }
  std::string error;
  const std::optional<EepromImage> image = ParseEepromText(text, error);
  if (!image) {
    ui.Message(error);
    return false;
  }
  if (image->ignoredDigits > 0) {
    engine.AddMsg("\nEEPROM data: " + std::to_string(image->ignoredDigits) +
                  " digits after the image's records are not part of it and were not stored.");
  }

  for (const EepromRecord& record : image->records) {
    PageAddress address = PageAddress::FromCleaned(record.address);
    Say(status, "Writing to address: " + record.address);
    if (!engine.IsConnected()) {
      Say(status, "");
      ui.Message(kNoLongerConnected);
      return false;
    }
    for (std::size_t at = 0; at < record.data.size(); at += static_cast<std::size_t>(block) * 2) {
      const std::string chunk = record.data.substr(at, static_cast<std::size_t>(block) * 2);
      const Reply reply = engine.SendAndAwaitReply(
          engine.Builder().BuildWriteBlockRequest(chunk, address.Text()), kWriteBlockRequest);
      if (TransactionFailed(reply, ui)) {
        if (reply.flags.ReplyError) ui.ShowStatus();
        Say(status, "");
        ui.Message(kErrorInDataFile);
        return false;
      }
      address.Advance(static_cast<std::uint32_t>(chunk.size() / 2));
    }
  }
  Say(status, "");

  if (!JudgeReply(SendCommandQuadlet(engine, DeviceCommand::StoreToEeprom), ui, kStoreFailed)) return false;
  ui.Message(kStoreComplete);
  return true;
}

LoadedDataFile LoadDataFile(const std::filesystem::path& path) {
  LoadedDataFile out;
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) {
    out.error = "Could not open " + path.string() + ": " + ec.message() + ".";
    return out;
  }
  if (size > kMaxDataFileBytes) {
    out.error = path.string() + " is too large to be a memory map data file.";
    return out;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    out.error = "Could not open " + path.string() + ".";
    return out;
  }
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.text += line + "\n";
  }
  if (in.bad()) {
    out.error = "Could not read " + path.string() + ".";
    return out;
  }
  out.ok = true;
  return out;
}

bool WriteDataFile(const std::filesystem::path& path, const std::string& text, std::string& error) {
  std::string line = text;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  line += "\n";
  return AtomicSave(path.string(), line, error);
}

bool SaveDataFile(Prompter& ui, const std::filesystem::path& path, const std::string& text) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec) && std::filesystem::file_size(path, ec) > 0 && !ec) {
    if (ui.Ask("Are you sure you want to overwrite " + path.string() + "?", false, "Warning") !=
        Answer::Yes) {
      ui.Message("Save Cancelled.", "Warning");
      return false;
    }
  }
  std::string error;
  if (!WriteDataFile(path, text, error)) {
    ui.Message(error);
    return false;
  }
  return true;
}

}  // namespace kestrio
