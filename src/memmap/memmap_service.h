#pragma once
// The general memory-map transfer: a start address, a number of quadlets and, for a write, the
// data; performed as quadlet or block transactions through the engine and returned as text.
// Addresses and data are hex-digit text; byte counts are decimal bytes.
//
// Failure behaviour: a transaction the brain answers with a non-zero rcode does not stop the
// transfer (its line reports the rcode, and the status window is opened). A transaction that gets
// no usable reply (timeout, no connection, busy engine, malformed reply) ends the transfer, because
// carrying on would report the previous reply's data as this address's data.
#include <string>

#include "transport/engine.h"

namespace kestrio {

// The program's own words for this service.
inline constexpr char kMemMapErrorPrefix[] = "Error getting data (MemMapData function). Error number: ";
inline constexpr char kBadBlockSize[] = "The largest block must be at least 4 bytes.";

// Error numbers shown after kMemMapErrorPrefix.
enum class TransferError : int {
  NoReply = 1,          // the engine's timeout passed
  NotConnected = 2,     // the connection could not be opened
  EngineBusy = 3,       // another transaction was still waiting
  RequestRejected = 4,  // a builder refused the request (it has said why)
  MalformedReply = 5,   // the reply is of the wrong kind or shorter than its data
  OutOfMemory = 7,
};

// One transfer's text and how it ended.
struct MemMapResult {
  std::string text;
  int deviceErrors = 0;  // transactions answered with a non-zero rcode (their lines are in the text)
  bool stopped = false;  // ended early: refused arguments, no usable reply, or StopRequested
  bool ok() const { return deviceErrors == 0 && !stopped; }
};

// The most quadlets one transfer may carry: one 64 KiB page; more would wrap onto addresses
// the transfer has already visited.
inline constexpr double kMaxTransferQuadlets = 16384;

// count: quadlets (a fraction is dropped); offset: cleaned in place by StripNonHex; data: empty for a
// read, else hex digits (cleaned in place; the write consumes it); formatted: one line per quadlet
// with its address; blockMode: always use block transactions; maxBytes: the largest block (at least
// 4; used in whole quadlets, at most 65532).
MemMapResult MemMapTransfer(Engine& engine, double count, std::string& offset, std::string& data,
                            bool formatted, bool blockMode, double maxBytes);

// MemMapTransfer's text alone.
std::string MemMapData(Engine& engine, double count, std::string& offset, std::string& data, bool formatted,
                       bool blockMode, double maxBytes);

// One block transaction: with empty data a read of byteCount bytes, otherwise a write of the data.
MemMapResult MemMapBlockTransfer(Engine& engine, const std::string& offset, bool formatted, long byteCount,
                                 const std::string& data);
std::string MemMapBlock(Engine& engine, const std::string& offset, bool formatted, long byteCount,
                        const std::string& data);

// maxBytes as a usable block size in bytes (a multiple of 4, 4 to 65532), or 0 when it is below 4
// or not a number.
long UsableBlockSize(double maxBytes);

}  // namespace kestrio
