#pragma once
// The general memory-map transfer: a start address, a number of quadlets and, for a write, the data;
// performed as quadlet or block transactions through the engine and returned as pieces (what each
// transaction read, wrote or was refused), which TransferText turns into the program's text.
// Addresses and data are hex-digit text; byte counts are decimal bytes.
//
// Failure behaviour: a transaction the brain answers with a non-zero rcode does not stop the
// transfer (its piece carries the rcode, and the status window is opened). A transaction that gets
// no usable reply (timeout, no connection, busy engine, malformed reply) ends the transfer, because
// carrying on would report the previous reply's data as this address's data.
#include <string>
#include <vector>

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

struct TransferRequest {
  double count = 0;       // quadlets (a fraction is dropped)
  std::string offset;     // start address; blanks and other separators are ignored
  std::string data;       // empty for a read, else the hex digits to write
  bool blockMode = false; // always use block transactions
  double maxBytes = 1000; // the largest block: at least 4, used in whole quadlets, at most 65532
};

// What one transaction of a transfer did.
struct TransferPiece {
  bool block = false;   // a block transaction (else one quadlet)
  std::string address;  // where it starts, 12 digits
  int quadlet = 0;      // quadlet transactions: the quadlet's number, from 1
  std::string digits;   // the data read: 8 digits a quadlet, 2 a byte of a block; empty for writes
  int rcode = 0;        // non-zero: the brain refused the transaction
  bool write = false;
};

struct MemMapResult {
  std::string offset;  // the start address as cleaned
  std::vector<TransferPiece> pieces;
  int deviceErrors = 0;  // transactions answered with a non-zero rcode
  bool stopped = false;  // ended early: refused arguments, no usable reply, or StopRequested
  bool refused = false;  // the arguments were refused: nothing was sent
  bool ok() const { return deviceErrors == 0 && !stopped; }
  // The data digits read, joined.
  std::string Data() const;
};

// The most quadlets one transfer may carry: one 64 KiB page; more would wrap onto addresses the
// transfer has already visited.
inline constexpr double kMaxTransferQuadlets = 16384;

MemMapResult MemMapData(Engine& engine, const TransferRequest& request);

// One block transaction: with empty data a read of byteCount bytes, otherwise a write of the data.
// A read pads the offset on the right to 12 digits, a write on the left; a refusal names the offset
// as passed.
MemMapResult MemMapBlock(Engine& engine, const std::string& offset, long byteCount, const std::string& data);

// The transfer as the program shows it. formatted: one line per quadlet with its address
// ("FFFFF0300000:01020304" for blocks, "FFFFF0300000: 01020304" for quadlets, "quad  1 ok" for
// quadlet writes, "rcode  2:7" for a refused quadlet); otherwise the bare digits. A refused block
// shows its address, ":" and the rcode. Block writes show nothing.
std::string TransferText(const MemMapResult& result, bool formatted);

// maxBytes as a usable block size in bytes (a multiple of 4, 4 to 65532), or 0 when it is below 4
// or not a number.
long UsableBlockSize(double maxBytes);

}  // namespace kestrio
