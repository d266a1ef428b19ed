#pragma once
// One transaction's result as a value: how it ended, the reply packet and its judgement, with
// bounds-checked accessors for the payload, and the one function that applies the program's rules
// to a failed transaction. Nothing here slices hex at digit positions outside this layer.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/packet.h"
#include "protocol/prompter.h"

namespace kestrio {

// How a transaction ended.
enum class Outcome {
  Replied,       // a packet carrying the request's label arrived
  Sent,          // a response-kind packet was sent; nothing is awaited
  TimedOut,      // no reply within the timeout (the engine has said so)
  NotConnected,  // the connection could not be opened or closed under the request (said so)
  Refused,       // another transaction was still waiting; nothing was sent
  Empty,         // the packet was empty (a builder rejected its input); nothing was sent
};

// Reads big-endian fields by byte offset from hex digits. Every read is checked: a field that runs
// past the data, or digits that are not hex, give nullopt.
class PayloadReader {
 public:
  PayloadReader() = default;
  explicit PayloadReader(std::string_view digits) : digits_(digits) {}

  std::size_t Bytes() const { return digits_.size() / 2; }
  bool Has(std::size_t offset, std::size_t count) const;
  std::optional<std::uint64_t> Unsigned(std::size_t offset, std::size_t count) const;  // count <= 8
  std::optional<std::uint8_t> U8(std::size_t offset) const;
  std::optional<std::int16_t> I16(std::size_t offset) const;
  std::optional<std::uint32_t> U32(std::size_t offset) const;
  std::optional<std::int32_t> I32(std::size_t offset) const;
  std::optional<std::array<std::uint8_t, 4>> Quad(std::size_t offset) const;
  // The digits of `count` bytes at `offset`; nullopt when they run past the data.
  std::optional<std::string_view> Digits(std::size_t offset, std::size_t count) const;
  std::string_view All() const { return digits_; }

 private:
  std::string_view digits_;
};

struct Reply {
  Outcome outcome = Outcome::Empty;
  std::string packet;  // the reply's digits; empty unless Replied
  ReplyFlags flags;    // ReplyError / UnknownReply as the packet's description set them
  double seconds = 0;  // round-trip time; 0 when nothing was awaited or nothing came

  bool Replied() const { return outcome == Outcome::Replied; }
  int Tcode() const { return PacketTcode(packet); }
  int Rcode() const { return PacketRcode(packet); }
  int Label() const { return PacketLabel(packet); }
  // A response that the brain refused with a non-zero rcode.
  bool DeviceError() const;
  // The data of a read quadlet response; nullopt for any other packet.
  std::optional<std::uint32_t> Quadlet() const;
  // The data digits of a read block response, exactly its data_length bytes; nullopt for any other
  // packet or one shorter than its data_length says.
  std::optional<std::string_view> BlockData() const;
  // BlockData as a reader (empty when there is none).
  PayloadReader Block() const;
};

// True when the transaction failed: the reply flags say so (an unknown packet is reported here,
// "Unrecognized Data Received from Ethernet device."), or no reply came at all (the engine has said
// why). A response-kind send that awaits nothing has not failed.
bool TransactionFailed(const Reply& reply, Prompter& ui);

// `seconds` as the footer shows it: "###0.0000" right-aligned in exactly ten characters ("    0.0123").
std::string FormatTxRxTime(double seconds);

// The program's rules for a transaction that went wrong, in one place: an unknown packet is
// reported ("Unrecognized Data Received from Ethernet device."), a brain error (ReplyError) opens
// the status window, and a reply that never came counts as a failure (the engine has said why).
// On failure the caller's `failureText` follows (under `title`) when it is not empty.
// Returns true when the transaction succeeded (replied without error, or a response-kind send).
bool JudgeReply(const Reply& reply, Prompter& ui, std::string_view failureText = {},
                std::string_view title = {});

}  // namespace kestrio
