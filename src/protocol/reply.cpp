#include "protocol/reply.h"

#include <cstdio>

#include "protocol/hex.h"

namespace kestrio {

bool PayloadReader::Has(std::size_t offset, std::size_t count) const {
  return offset <= Bytes() && count <= Bytes() - offset;
}

std::optional<std::uint64_t> PayloadReader::Unsigned(std::size_t offset, std::size_t count) const {
  if (count == 0 || count > 8 || !Has(offset, count)) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits_.substr(offset * 2, count * 2)) {
    if (!IsHexDigit(c)) return std::nullopt;
    value = value << 4 | HexValue(std::string_view(&c, 1));
  }
  return value;
}

std::optional<std::uint8_t> PayloadReader::U8(std::size_t offset) const {
  const auto v = Unsigned(offset, 1);
  if (!v) return std::nullopt;
  return static_cast<std::uint8_t>(*v);
}

std::optional<std::int16_t> PayloadReader::I16(std::size_t offset) const {
  const auto v = Unsigned(offset, 2);
  if (!v) return std::nullopt;
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(*v));
}

std::optional<std::uint32_t> PayloadReader::U32(std::size_t offset) const {
  const auto v = Unsigned(offset, 4);
  if (!v) return std::nullopt;
  return static_cast<std::uint32_t>(*v);
}

std::optional<std::int32_t> PayloadReader::I32(std::size_t offset) const {
  const auto v = U32(offset);
  if (!v) return std::nullopt;
  return static_cast<std::int32_t>(*v);
}

std::optional<std::array<std::uint8_t, 4>> PayloadReader::Quad(std::size_t offset) const {
  const auto v = U32(offset);
  if (!v) return std::nullopt;
  return std::array<std::uint8_t, 4>{static_cast<std::uint8_t>(*v >> 24), static_cast<std::uint8_t>(*v >> 16),
                                     static_cast<std::uint8_t>(*v >> 8), static_cast<std::uint8_t>(*v)};
}

std::optional<std::string_view> PayloadReader::Digits(std::size_t offset, std::size_t count) const {
  if (!Has(offset, count)) return std::nullopt;
  return digits_.substr(offset * 2, count * 2);
}

namespace {
// A response's header is three quadlets; block packets carry their data_length in the fourth.
constexpr std::size_t kHeaderBytes = 12;
constexpr std::size_t kBlockHeaderBytes = 16;
}  // namespace

bool Reply::DeviceError() const {
  return Replied() && packet.size() >= kHeaderBytes * 2 && IsResponseTcode(Tcode()) && Rcode() != 0;
}

std::optional<std::uint32_t> Reply::Quadlet() const {
  if (!Replied() || Tcode() != kReadQuadResponse) return std::nullopt;
  return PayloadReader(packet).U32(kHeaderBytes);
}

std::optional<std::string_view> Reply::BlockData() const {
  if (!Replied() || Tcode() != kReadBlockResponse) return std::nullopt;
  const PayloadReader header(packet);
  const auto length = header.Unsigned(kHeaderBytes, 2);
  if (!length) return std::nullopt;
  return header.Digits(kBlockHeaderBytes, static_cast<std::size_t>(*length));
}

PayloadReader Reply::Block() const {
  const auto data = BlockData();
  return data ? PayloadReader(*data) : PayloadReader();
}

std::string FormatTxRxTime(double seconds) {
  if (!(seconds >= 0)) seconds = 0;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.4f", seconds);
  std::string text = buffer;
  if (text.size() < 10) return std::string(10 - text.size(), ' ') + text;
  return text.substr(0, 10);
}

bool TransactionFailed(const Reply& reply, Prompter& ui) {
  const bool failed = ReplyFailed(reply.flags, ui);  // reports an unknown packet itself
  return failed || (reply.outcome != Outcome::Replied && reply.outcome != Outcome::Sent);
}

bool JudgeReply(const Reply& reply, Prompter& ui, std::string_view failureText, std::string_view title) {
  if (!TransactionFailed(reply, ui)) return true;
  if (reply.flags.ReplyError) ui.ShowStatus();
  if (!failureText.empty()) ui.Message(std::string(failureText), std::string(title));
  return false;
}

}  // namespace kestrio
