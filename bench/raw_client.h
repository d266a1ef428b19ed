#pragma once
// The physical limit the engine is measured against: a plain blocking POSIX client with TCP_NODELAY
// that sends each request in one send() and takes its reply with one exact recv(). No hex text, no
// log, no event loop. Replies are checked only for kind and label, and a reply that does not come
// within a few seconds ends the run instead of hanging it.
#include <cstdint>
#include <string>

#include "protocol/hex.h"

namespace kestrio::bench {

class RawClient {
 public:
  RawClient() = default;
  ~RawClient();
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  // False, with Error() saying why, when the connection cannot be made.
  bool Connect(const std::string& ip, std::uint16_t port);
  // One request and its reply; false (and Error()) when the reply is missing or not this request's.
  bool Transact(const Bytes& request);
  const std::string& Error() const { return error_; }

  // The byte length of the reply a well-formed request gets from a brain that accepts it.
  static std::size_t ReplyBytes(const Bytes& request);
  // Sets the 6-bit transaction label of a request in place.
  static void SetLabel(Bytes& request, int label);

 private:
  int fd_ = -1;
  Bytes reply_;
  std::string error_;
};

}  // namespace kestrio::bench
