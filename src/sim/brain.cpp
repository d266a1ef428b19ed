#include "sim/brain.h"

#include <cmath>
#include <cstring>

#include "protocol/convert.h"
#include "sim/factory_settings.h"

namespace kestrio::sim {

using namespace memory_map;

namespace {

enum class Kind {
  Ram,
  Status,
  Image,
  Command,
  DigitalStates,
  DigitalOut,
  AnalogValues,
  AnalogOut,
  PointConfig,
  Calibration
};

std::uint32_t GetU32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}
std::uint64_t GetU64(const std::uint8_t* p) { return (std::uint64_t{GetU32(p)} << 32) | GetU32(p + 4); }
void PutU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}
void PutU16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 8);
  p[1] = static_cast<std::uint8_t>(v);
}
void PutFloat(std::uint8_t* p, float f) {
  Quad q = FloatToByteArray(f);
  std::memcpy(p, q.data(), 4);
}
float GetFloat(const std::uint8_t* p) {
  float f = 0;
  ByteArrayToFloat(Quad{p[0], p[1], p[2], p[3]}, f);
  return f;
}

// A record boundary of the EEPROM image is worth its 8-byte header only across this many zeros.
constexpr std::uint32_t kImageGap = 8;

// One configuration record per point; the analog outputs use the same records, the names sit in them.
constexpr std::uint32_t kRecord = kPointConfig.size / kPoints;
static_assert(kAnalogOutputs.size == kRecord * kPoints && kPointNames.stride == kRecord);
static_assert(kPointNames.base == kPointConfig.base + point_record::kName);

// The bytes a record area's records span.
constexpr std::uint32_t Span(const RecordArea& r) { return r.stride * static_cast<std::uint32_t>(r.records); }
// The serial priorities follow the serial event records directly: one area, so a block may span both.
static_assert(kSerialPriorities.base == kSerialEvents.base + Span(kSerialEvents));

// Copies the name of the point configuration record at `record` from one copy of the area to another.
void CopyName(const Bytes& from, std::uint32_t record, Bytes& to) {
  const auto at = static_cast<std::ptrdiff_t>(record + point_record::kName);
  std::copy(from.begin() + at, from.begin() + at + point_record::kNameBytes, to.begin() + at);
}

}  // namespace

struct Brain::Area {
  Kind kind;
  const char* name;
  std::uint64_t base;
  std::uint32_t size;
  bool readable;
  bool writable;
  bool flash;  // kept by the store command and the EEPROM image
  Bytes mem;
  // Stored into by a write, a restore or Poke since the last reset. Generated areas are rebuilt
  // whole before every read, so Generate needs no mark.
  bool dirty = false;
  // The flash version an image window was last built from (0: not built, or overwritten since).
  std::uint64_t imageBuiltFor = 0;
};

Brain::Brain(Rack rack) : rack_(std::move(rack)) {
  auto add = [&](Kind k, const char* name, memory_map::Area at, bool r, bool w, bool f) {
    owned_.push_back(std::make_unique<Area>(Area{k, name, at.base, at.size, r, w, f, Bytes(at.size, 0)}));
    areas_.push_back(owned_.back().get());
  };
  add(Kind::Ram, "settings", kSettings, true, true, true);
  add(Kind::Status, "status", kStatus, true, false, false);
  add(Kind::Image, "EEPROM image", kEepromImage, true, false, false);
  add(Kind::Image, "EEPROM image (old kernels)", kEepromImageOld, true, false, false);
  add(Kind::Command, "command", kCommand, false, true, false);
  add(Kind::DigitalStates, "digital states", kDigitalStates, true, false, false);
  add(Kind::DigitalOut, "digital output masks", kDigitalOutputs, false, true, false);
  add(Kind::AnalogValues, "analog values", kAnalogValues, true, false, false);
  add(Kind::AnalogOut, "analog outputs", kAnalogOutputs, true, true, false);
  add(Kind::PointConfig, "point configuration", kPointConfig, true, true, true);
  add(Kind::Ram, "digital events", {kDigitalEvents.base, Span(kDigitalEvents)}, true, true, true);
  add(Kind::Ram, "timers", {kTimers.base, Span(kTimers)}, true, true, true);
  add(Kind::Calibration, "offset/gain calibration", kCalibration, true, false, false);
  // The unused quadlet in front of the alarm records is mapped too, so a block from the area's
  // start is not an address error.
  add(Kind::Ram, "alarms", {kAlarms.base - 4, 4 + Span(kAlarms)}, true, true, true);
  add(Kind::Ram, "event messages", {kEventMessages.base, Span(kEventMessages)}, true, true, true);
  add(Kind::Ram, "serial events", {kSerialEvents.base, Span(kSerialEvents) + Span(kSerialPriorities)}, true,
      true, true);
  pointConfig_ = FindArea(kPointConfig.base);
  ResetLive();
}

bool Brain::Withhold(std::uint64_t address) {
  Area* a = FindArea(address);
  if (!a) return false;
  a->readable = a->writable = false;
  return true;
}

void Brain::Reset() {
  flash_.reset();
  ++flashVersion_;
  statePath_.clear();
  pucPending_ = true;
  outputs_ = 0;
  inputOverride_.reset();
  lastError_ = kNoError;
  lastErrorLabel_ = lastErrorSource_ = 0;
  lastErrorOffset_ = 0;
  ip_ = 0x7F000001;
  mask_ = 0xFF000000;
  gateway_ = 0;
  elapsedMs_ = 0;
  calibrations_ = 0;
  ResetLive();
}

Brain::~Brain() = default;
Brain::Brain(Brain&&) noexcept = default;
Brain& Brain::operator=(Brain&&) noexcept = default;

Brain::Area* Brain::FindArea(std::uint64_t address) {
  for (Area* a : areas_)
    if (address >= a->base && address - a->base < a->size) return a;
  return nullptr;
}

void Brain::SetNetwork(std::uint32_t ip, std::uint32_t mask, std::uint32_t gateway) {
  ip_ = ip;
  mask_ = mask;
  gateway_ = gateway;
}

std::int32_t Brain::PointType(int point) const {
  if (point < 0 || point >= kPoints) return kNoPointType;
  return static_cast<std::int32_t>(
      GetU32(pointConfig_->mem.data() + kRecord * point + point_record::kPointType));
}

std::optional<Bytes> Brain::Handle(const Bytes& request) {
  if (request.size() < 12) return std::nullopt;
  const int tcode = request[3] >> 4;
  if (tcode != 0 && tcode != 1 && tcode != 4 && tcode != 5) return std::nullopt;
  const bool isRead = tcode == 4 || tcode == 5;
  const bool quadlet = tcode == 0 || tcode == 4;
  if (request.size() < (tcode == 4 ? 12u : 16u)) return std::nullopt;
  const std::uint32_t length = quadlet ? 4u : (std::uint32_t{request[12]} << 8) | request[13];
  if (tcode == 1 && request.size() < 16 + std::size_t{length}) return std::nullopt;

  const std::uint16_t dst = static_cast<std::uint16_t>((request[0] << 8) | request[1]);
  const std::uint8_t tl = request[2] >> 2;
  const std::uint16_t src = static_cast<std::uint16_t>((request[4] << 8) | request[5]);
  std::uint64_t address = 0;
  for (int i = 6; i < 12; ++i) address = (address << 8) | request[i];

  Result res;
  Bytes data;
  Area* a = FindArea(address);
  if (pucPending_ && !(a && ((isRead && a->kind == Kind::Status) || (!isRead && a->kind == Kind::Command)))) {
    res = {kRcodeConflict, kErrPowerUpClearExpected};
  } else if (!a || (quadlet && address % 4 != 0) || address - a->base + length > a->size) {
    res = {kRcodeAddress, kErrInvalidAddress};
  } else {
    const auto offset = static_cast<std::uint32_t>(address - a->base);
    if (isRead) {
      res = Read(*a, offset, length, data);
    } else {
      const std::uint8_t* p = request.data() + (quadlet ? 12 : 16);
      res = Write(*a, offset, Bytes(p, p + length), quadlet);
    }
  }
  if (res.rcode != kRcodeComplete) {
    lastError_ = res.error;
    lastErrorLabel_ = tl;
    lastErrorSource_ = src;
    lastErrorOffset_ = static_cast<std::uint32_t>(address);
    data.clear();
  }

  // A responder swaps the IDs and keeps the label.
  const int respTcode = tcode == 4 ? 6 : tcode == 5 ? 7 : 2;
  Bytes reply{static_cast<std::uint8_t>(src >> 8),
              static_cast<std::uint8_t>(src),
              static_cast<std::uint8_t>(tl << 2),
              static_cast<std::uint8_t>(respTcode << 4),
              static_cast<std::uint8_t>(dst >> 8),
              static_cast<std::uint8_t>(dst),
              static_cast<std::uint8_t>(res.rcode << 4),
              0,
              0,
              0,
              0,
              0};
  if (respTcode == 6) {
    data.resize(4, 0);
    reply.insert(reply.end(), data.begin(), data.end());
  } else if (respTcode == 7) {
    reply.push_back(static_cast<std::uint8_t>(data.size() >> 8));
    reply.push_back(static_cast<std::uint8_t>(data.size()));
    reply.push_back(0);
    reply.push_back(0);
    reply.insert(reply.end(), data.begin(), data.end());
    while (reply.size() % 4 != 0) reply.push_back(0);
  }
  return reply;
}

Brain::Result Brain::Read(Area& a, std::uint32_t offset, std::uint32_t length, Bytes& out) {
  if (!a.readable) return {kRcodeType, kErrInvalidCommand};
  Generate(a);
  // Reading a calibration quadlet is what starts the calibration of that point.
  if (a.kind == Kind::Calibration) calibrations_ += static_cast<int>(std::max<std::uint32_t>(1, length / 4));
  out.assign(a.mem.begin() + offset, a.mem.begin() + offset + length);
  return {};
}

Brain::Result Brain::Write(Area& a, std::uint32_t offset, const Bytes& data, bool quadlet) {
  if (!a.writable) return {kRcodeType, kErrInvalidCommand};
  a.dirty = true;
  switch (a.kind) {
    case Kind::Command:
      if (offset != 0 || data.size() != kCommand.size) return {kRcodeType, kErrInvalidLength};
      return RunCommand(GetU32(data.data()));
    case Kind::DigitalOut: {
      (void)quadlet;
      if (offset != 0 || data.size() != kDigitalOutputs.size) return {kRcodeType, kErrInvalidLength};
      const std::uint64_t on = GetU64(data.data()), off = GetU64(data.data() + 8);
      for (int p = 0; p < kPoints; ++p) {
        if (PointType(p) != kDigitalOutputType) continue;  // inputs ignore the masks
        const std::uint64_t bit = std::uint64_t{1} << p;
        if (on & bit) outputs_ |= bit;
        if (off & bit) outputs_ &= ~bit;  // a point in both masks ends up off
      }
      return {};
    }
    case Kind::AnalogOut:
      return WriteAnalogOut(offset, data);
    case Kind::PointConfig:
      return WritePointConfig(offset, data);
    default:
      std::copy(data.begin(), data.end(), a.mem.begin() + offset);
      return {};
  }
}

Brain::Result Brain::WriteAnalogOut(std::uint32_t offset, const Bytes& data) {
  Area* a = FindArea(kAnalogOutputs.base);
  Bytes next = a->mem;
  std::copy(data.begin(), data.end(), next.begin() + offset);
  const std::uint32_t end = offset + static_cast<std::uint32_t>(data.size());
  for (std::uint32_t p = offset / kRecord; p < kPoints && p * kRecord < end; ++p) {
    if (offset < p * kRecord + 4 && end > p * kRecord && !std::isfinite(GetFloat(next.data() + p * kRecord)))
      return {kRcodeData, kErrInvalidFloat};
  }
  a->mem = std::move(next);
  return {};
}

Brain::Result Brain::WritePointConfig(std::uint32_t offset, const Bytes& data) {
  Area* a = pointConfig_;
  Bytes next = a->mem;
  std::copy(data.begin(), data.end(), next.begin() + offset);
  const std::uint32_t end = offset + static_cast<std::uint32_t>(data.size());
  const int first = static_cast<int>(offset / kRecord);
  const int last = data.empty() ? first - 1 : static_cast<int>((end - 1) / kRecord);
  for (int p = first; p <= last; ++p) {
    const std::int32_t code =
        static_cast<std::int32_t>(GetU32(next.data() + kRecord * p + point_record::kPointType));
    if (code != PointType(p) && !rack_.Accepts(p, code)) return {kRcodeData, kErrInvalidPointType};
  }
  // Only the point type and the name are the operator's; the module code and scale values belong
  // to the rack and silently keep their values.
  for (int p = first; p <= last; ++p) {
    const std::uint32_t r = kRecord * static_cast<std::uint32_t>(p);
    CopyName(next, r, a->mem);
    const std::int32_t code = static_cast<std::int32_t>(GetU32(next.data() + r + point_record::kPointType));
    if (code != PointType(p)) ApplyPointType(p, code);
  }
  return {};
}

void Brain::ApplyPointType(int point, std::int32_t code) {
  std::uint8_t* rec = pointConfig_->mem.data() + kRecord * point;
  PutU32(rec + point_record::kPointType, static_cast<std::uint32_t>(code));
  auto range = rack_.Range(point, code);
  PutFloat(rec + point_record::kScaleTo, range ? range->to : 0.0f);
  PutFloat(rec + point_record::kScaleFrom, range ? range->from : 0.0f);
  if (code != kDigitalOutputType) outputs_ &= ~(std::uint64_t{1} << point);
}

Brain::Result Brain::RunCommand(std::uint32_t value) {
  std::string why;
  switch (static_cast<DeviceCommand>(value)) {
    case DeviceCommand::PowerUpClear:
      pucPending_ = false;
      return {};
    case DeviceCommand::ResetToDefaults:
      ResetLive();
      return {};
    case DeviceCommand::StoreToEeprom: {
      Snapshot s = Capture();
      if (!statePath_.empty() &&
          !WriteStateFile(statePath_, BuildImage(ImageRecords(s), kEepromImage.size), why)) {
        std::fprintf(stderr, "kestrio-sim: store failed: %s\n", why.c_str());
        return {kRcodeData, kErrCannotProgramFlash};
      }
      flash_ = std::move(s);
      ++flashVersion_;
      return {};
    }
    case DeviceCommand::EraseFlash:
      if (!statePath_.empty() && !WriteStateFile(statePath_, EmptyImage(), why)) {
        std::fprintf(stderr, "kestrio-sim: erase failed: %s\n", why.c_str());
        return {kRcodeData, kErrCannotEraseFlash};
      }
      flash_.reset();
      ++flashVersion_;
      return {};
    case DeviceCommand::RestartFromPowerUp:
      ResetLive();
      if (flash_) Restore(*flash_);
      pucPending_ = true;
      lastError_ = kNoError;
      lastErrorLabel_ = lastErrorSource_ = 0;
      lastErrorOffset_ = 0;
      return {};
    case DeviceCommand::ClearDigitalEvents: {
      Area* a = FindArea(kDigitalEvents.base);
      std::fill(a->mem.begin(), a->mem.end(), std::uint8_t{0});
      return {};
    }
    default:
      return {kRcodeData, kErrInvalidCommand};
  }
}

void Brain::ResetLive() {
  // An area nothing was stored into still holds zeros or the factory values written below.
  for (Area* a : areas_) {
    if (!a->dirty) continue;
    std::fill(a->mem.begin(), a->mem.end(), std::uint8_t{0});
    a->dirty = false;
    a->imageBuiltFor = 0;
  }
  outputs_ = 0;
  for (int p = 0; p < kPoints; ++p) {
    PutU32(pointConfig_->mem.data() + kRecord * p + point_record::kModuleType,
           static_cast<std::uint32_t>(rack_.slotList[p / kPointsPerSlot].moduleCode));
    ApplyPointType(p, rack_.InitialPointType(p));
  }
  // Factory settings; the option pages shipped with the program describe these fields.
  WriteFactorySettings(FindArea(kSettings.base)->mem);
}

Brain::Snapshot Brain::Capture() const {
  Snapshot s;
  for (const Area* a : areas_)
    if (a->flash) s.push_back(a->mem);
  return s;
}

void Brain::Restore(const Snapshot& s) {
  std::size_t i = 0;
  for (Area* a : areas_) {
    if (!a->flash) continue;
    if (i >= s.size() || s[i].size() != a->mem.size()) return;
    const Bytes& copy = s[i++];
    a->dirty = true;
    if (a->kind != Kind::PointConfig) {
      a->mem = copy;
      continue;
    }
    for (int p = 0; p < kPoints; ++p) {
      const std::uint32_t r = kRecord * static_cast<std::uint32_t>(p);
      CopyName(copy, r, a->mem);
      // A stored type the rack no longer accepts (another --rack since) keeps the rack's own.
      const auto code = static_cast<std::int32_t>(GetU32(copy.data() + r + point_record::kPointType));
      if (rack_.Accepts(p, code)) ApplyPointType(p, code);
    }
  }
}

std::vector<ImageRecord> Brain::ImageRecords(const Snapshot& s) const {
  std::vector<ImageRecord> out;
  auto scan = [&](const Area* a, const Bytes& copy, std::uint32_t from, std::uint32_t to) {
    std::uint32_t i = from;
    while (i < to) {
      while (i < to && copy[i] == 0) ++i;
      if (i >= to) break;
      std::uint32_t start = std::max(from, i & ~3u), zeros = 0, j = i;
      for (; j < to && zeros < kImageGap; ++j) zeros = copy[j] == 0 ? zeros + 1 : 0;
      std::uint32_t end = std::min(to, ((j - zeros) + 3) & ~3u);
      out.push_back({a->base + start, Bytes(copy.begin() + start, copy.begin() + end)});
      i = end;
    }
  };
  std::size_t i = 0;
  for (const Area* a : areas_) {
    if (!a->flash || i >= s.size()) continue;
    const Bytes& copy = s[i++];
    if (a->kind == Kind::PointConfig) {
      for (std::uint32_t r = 0; r < kPoints * kRecord; r += kRecord) {
        scan(a, copy, r + point_record::kPointType, r + point_record::kPointType + 4);
        scan(a, copy, r + point_record::kName, r + point_record::kName + point_record::kNameBytes);
      }
    } else {
      scan(a, copy, 0, a->size);
    }
  }
  return out;
}

std::optional<Brain::Snapshot> Brain::SnapshotFromImage(const ParsedImage& img, std::string& error) const {
  Snapshot s;
  std::vector<const Area*> flashAreas;
  for (const Area* a : areas_)
    if (a->flash) {
      s.emplace_back(a->size, 0);
      flashAreas.push_back(a);
    }
  for (const auto& r : img.records) {
    bool placed = false;
    for (std::size_t i = 0; i < flashAreas.size() && !placed; ++i) {
      const Area* a = flashAreas[i];
      if (r.address >= a->base && r.address - a->base + r.data.size() <= a->size) {
        std::copy(r.data.begin(), r.data.end(),
                  s[i].begin() + static_cast<std::ptrdiff_t>(r.address - a->base));
        placed = true;
      }
    }
    if (!placed) {
      error = "record for " + ToHex(r.address, 12) + " (" + std::to_string(r.data.size()) +
              " bytes) lies outside the configuration areas";
      return std::nullopt;
    }
  }
  return s;
}

bool Brain::LoadState(std::string& error) {
  if (statePath_.empty()) return true;
  bool missing = false;
  auto parsed = ReadStateFile(statePath_, missing, error);
  if (missing) {
    flash_.reset();
    ++flashVersion_;
    return true;
  }
  if (!parsed) return false;
  if (parsed->empty) {
    flash_.reset();
    ++flashVersion_;
    return true;
  }
  std::string why;
  auto s = SnapshotFromImage(*parsed, why);
  if (!s) {
    error = "state file " + statePath_ + ": " + why;
    return false;
  }
  flash_ = std::move(*s);
  ++flashVersion_;
  ResetLive();
  Restore(*flash_);
  return true;
}

Bytes Brain::Image() {
  if (!flash_) return EmptyImage();
  int dropped = 0;
  Bytes img = BuildImage(ImageRecords(*flash_), kEepromImage.size, &dropped);
  if (dropped > 0)
    std::fprintf(stderr, "kestrio-sim: %d records do not fit the EEPROM image window\n", dropped);
  return img;
}

std::uint64_t Brain::DigitalStates() const {
  std::uint64_t bits = 0;
  for (int p = 0; p < kPoints; ++p) {
    const std::uint64_t bit = std::uint64_t{1} << p;
    const std::int32_t t = PointType(p);
    if (t == kDigitalOutputType) {
      bits |= outputs_ & bit;
    } else if (t == kDigitalInputType) {
      // Each input toggles at its own slow pace so a scan sees movement.
      const bool on = inputOverride_ ? (*inputOverride_ & bit) != 0
                                     : ((elapsedMs_ / (1000u * (1 + p % 4))) + p / 4) % 2 == 1;
      if (on) bits |= bit;
    }
  }
  return bits;
}

float Brain::AnalogValue(int p) const {
  const Slot& slot = rack_.slotList[p / kPointsPerSlot];
  const std::int32_t t = PointType(p);
  if (slot.kind == SlotKind::AnalogOut && rack_.Range(p, t)) {
    for (const Area* a : areas_)
      if (a->kind == Kind::AnalogOut) return GetFloat(a->mem.data() + kRecord * p);
  }
  if (slot.kind == SlotKind::AnalogIn) {
    if (auto r = rack_.Range(p, t)) {
      // A slow sine inside the scale range, each point a little out of phase with the next.
      const double phase = static_cast<double>(elapsedMs_ % 20000) / 20000.0 + p / 16.0;
      return static_cast<float>(r->from + (r->to - r->from) * (0.5 + 0.4 * std::sin(2 * M_PI * phase)));
    }
  }
  return 0.0f;
}

void Brain::Generate(Area& a) {
  std::uint8_t* m = a.mem.data();
  switch (a.kind) {
    case Kind::Status: {
      std::fill(a.mem.begin(), a.mem.end(), std::uint8_t{0});
      // The busy flag stays 0: the simulator finishes every command before it replies.
      PutU32(m + status::kPowerUpClear, pucPending_ ? 1 : 0);
      PutU32(m + status::kErrorCode, static_cast<std::uint32_t>(lastError_));
      PutU16(m + status::kErrorLabel, lastErrorLabel_);
      PutU16(m + status::kErrorSource, lastErrorSource_);
      PutU32(m + status::kErrorOffset, lastErrorOffset_);
      PutU32(m + status::kLoaderRevision, 0x01000003);  // 01.00.00.03
      PutU32(m + status::kKernelRevision, 0x02010007);  // 02.01.00.07
      PutU32(m + status::kIoUnitType, 0x0000004B);
      m[status::kHardwareMajor] = 1;
      m[status::kHardwareMinor] = 0;
      PutU16(m + status::kHardwareBuild, 7);
      PutU32(m + status::kRamSize, 8u << 20);                            // bytes
      const std::uint8_t mac[6] = {0x02, 0x4B, 0x45, 0x53, 0x54, 0x01};  // locally administered
      std::memcpy(m + status::kMacAddress, mac, sizeof mac);
      PutU32(m + status::kIpAddress, ip_);
      PutU32(m + status::kSubnetMask, mask_);
      PutU32(m + status::kGateway, gateway_);
      break;
    }
    case Kind::Image: {
      // Rebuilding means walking the whole flash and filling 64 KiB: only when the flash changed.
      if (a.imageBuiltFor == flashVersion_) break;
      a.imageBuiltFor = flashVersion_;
      Bytes img = Image();
      std::fill(a.mem.begin(), a.mem.end(), std::uint8_t{0});
      std::copy(img.begin(),
                img.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(img.size(), a.size)),
                a.mem.begin());
      break;
    }
    case Kind::DigitalStates: {
      const std::uint64_t bits = DigitalStates();
      PutU32(m, static_cast<std::uint32_t>(bits >> 32));
      PutU32(m + 4, static_cast<std::uint32_t>(bits));
      break;
    }
    case Kind::AnalogValues:
      for (int p = 0; p < kPoints; ++p) PutFloat(m + 4 * p, AnalogValue(p));
      break;
    default:
      break;
  }
}

bool Brain::Peek(std::uint64_t address, std::size_t length, Bytes& out) {
  Area* a = FindArea(address);
  if (!a || address - a->base + length > a->size) return false;
  Generate(*a);
  const auto off = static_cast<std::ptrdiff_t>(address - a->base);
  out.assign(a->mem.begin() + off, a->mem.begin() + off + static_cast<std::ptrdiff_t>(length));
  return true;
}

bool Brain::Poke(std::uint64_t address, const Bytes& data) {
  Area* a = FindArea(address);
  if (!a || address - a->base + data.size() > a->size) return false;
  a->dirty = true;
  a->imageBuiltFor = 0;
  std::copy(data.begin(), data.end(), a->mem.begin() + static_cast<std::ptrdiff_t>(address - a->base));
  return true;
}

}  // namespace kestrio::sim
