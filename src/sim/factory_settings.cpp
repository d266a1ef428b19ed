#include "sim/factory_settings.h"

#include <cstring>
#include <initializer_list>
#include <string_view>

#include "protocol/convert.h"

namespace kestrio::sim {

namespace {

class Writer {
 public:
  explicit Writer(std::span<std::uint8_t> area) : area_(area) {}

  // The terminating zero is already there: the area starts zeroed and each field is longer.
  void Text(std::uint32_t at, std::string_view text) { Put(at, text.data(), text.size()); }
  void U32(std::uint32_t at, std::uint32_t value) {
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                               static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
    Put(at, b, 4);
  }
  void Float(std::uint32_t at, float value) {
    const Quad q = FloatToByteArray(value);
    Put(at, q.data(), q.size());
  }
  void Ip(std::uint32_t at, std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    const std::uint8_t bytes[4] = {a, b, c, d};
    Put(at, bytes, 4);
  }
  void Raw(std::uint32_t at, std::initializer_list<std::uint8_t> bytes) {
    Put(at, bytes.begin(), bytes.size());
  }

 private:
  void Put(std::uint32_t at, const void* data, std::size_t size) {
    if (at > area_.size() || size > area_.size() - at) return;
    std::memcpy(area_.data() + at, data, size);
  }
  std::span<std::uint8_t> area_;
};

constexpr std::uint32_t kYes = 1;
constexpr std::uint32_t kNo = 0;

}  // namespace

void WriteFactorySettings(std::span<std::uint8_t> settings) {
  Writer w(settings);
  // System.
  w.Text(0x000, "KESTRIO-SIM");
  w.Text(0x020, "Test bench");
  w.U32(0x04C, 100);  // scan period, ms
  w.Float(0x050, 0.5f);
  w.U32(0x0A0, 0);  // watchdog time, ms
  w.U32(0x0A4, kNo);
  w.Text(0x0A8, "KS-0001234");
  w.U32(0x0B8, 3);  // settings revision
  // Network.
  w.U32(0x048, kNo);  // DHCP
  w.Ip(0x100, 192, 168, 1, 50);
  w.Ip(0x104, 255, 255, 255, 0);
  w.Ip(0x108, 192, 168, 1, 1);
  w.Ip(0x10C, 192, 168, 1, 1);
  w.Text(0x110, "kestrio-sim");
  w.U32(0x130, 60);                                                // keep-alive, s
  w.U32(0x134, 2001);                                              // command port
  w.U32(0x138, 4);                                                 // connections
  w.U32(0x13C, 100);                                               // link speed, Mbit/s
  w.Raw(0x140, {0x02, 0x4B, 0x45, 0x53, 0x54, 0x01, 0x00, 0x00});  // the status area's MAC, padded
  // SNMP.
  w.U32(0x200, kYes);
  w.U32(0x204, 161);  // agent port
  w.Text(0x0C0, "public");
  w.Text(0x220, "private");
  w.Ip(0x040, 0, 0, 0, 0);  // trap host
  w.U32(0x044, 162);        // trap port
  w.U32(0x208, kYes);       // cold-start trap
  w.Float(0x20C, 2.5f);     // trap hold-off, s
  w.U32(0x210, 0);          // traps sent
  w.Text(0x240, "Commissioning team");
  // E-mail.
  w.U32(0x054, kNo);
  w.Text(0x060, "mail.example.com");
  w.Text(0x080, "operator@example.com");
  w.Text(0x300, "brain@example.com");
  w.Ip(0x320, 192, 168, 1, 25);
  w.U32(0x324, 25);  // SMTP port
  w.U32(0x328, 60);  // minimum interval, s
  w.U32(0x32C, 0);   // messages sent
  w.Text(0x340, "[Kestrio]");
  // Serial ports.
  w.U32(0x400, 9600);
  w.U32(0x404, 8);
  w.Float(0x408, 1.0f);
  w.Text(0x40C, "None");
  w.U32(0x414, kNo);
  w.Text(0x418, "ATZ");
  w.U32(0x480, 19200);
  w.U32(0x484, 8);
  w.Float(0x488, 2.0f);
  w.Text(0x48C, "Even");
  w.U32(0x494, kYes);
  w.U32(0x4F0, 0x00000003);  // both ports enabled
  w.U32(0x4F4, 2);           // ports fitted
  // Streaming.
  w.U32(0x600, kNo);
  w.Ip(0x604, 192, 168, 1, 10);
  w.U32(0x608, 5001);  // UDP port
  w.U32(0x60C, 1000);  // period, ms
  w.Float(0x610, 0.25f);
  w.Raw(0x618, {0, 0, 0, 0, 0, 0, 0, 0xFF});  // points 0-7
  w.U32(0x620, 0);                            // packets sent
  // Time.
  w.Ip(0x700, 192, 168, 1, 1);
  w.U32(0x704, kYes);
  w.U32(0x708, 60);  // sync interval, min
  w.Float(0x70C, 1.0f);
  w.Text(0x710, "CET");
  w.U32(0x720, kYes);
  w.Text(0x730, "Internal");
}

}  // namespace kestrio::sim
