// Text typed or pasted by the operator: the packet decoder, the hex-text helpers and the four
// request builders. Every built packet must be whole quadlets, carry the label it took and be
// exactly as long as its own header says; every refusal must be told once.
//
// Input layout: byte 0 sets how many labels are taken first (so the counter wraps); the rest is
// the decoder's text, and also, split at newlines, the builders' data, offset and length fields.
#include <cctype>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "protocol/decoder.h"
#include "protocol/hex.h"
#include "protocol/packet.h"
#include "protocol/prompter.h"

namespace {

using kestrio::fuzz::FuzzInput;

bool AllHex(std::string_view s) {
  for (char c : s) {
    if (!kestrio::IsHexDigit(c)) return false;
  }
  return true;
}

void CheckDecoder(std::string_view text, const std::string& digits) {
  const std::vector<kestrio::DecodedPacket> packets = kestrio::DecodePackets(text);
  std::string joined;
  for (const kestrio::DecodedPacket& p : packets) {
    KESTRIO_FUZZ_CHECK(!p.hex.empty());
    joined += p.hex;
    for (const kestrio::DecodedField& f : p.fields) KESTRIO_FUZZ_CHECK(!f.name.empty());
  }
  KESTRIO_FUZZ_CHECK(joined == digits);
  const std::string shown = kestrio::FormatDecoded(packets);
  KESTRIO_FUZZ_CHECK(!shown.empty() && shown.back() == '\n');
  KESTRIO_FUZZ_CHECK(packets.empty() == (shown == "No packets.\n"));
}

void CheckHexHelpers(std::string_view text, const std::string& digits) {
  std::string copy(text);
  const std::string returned = kestrio::StripNonHex(copy);
  KESTRIO_FUZZ_CHECK(returned == copy);
  KESTRIO_FUZZ_CHECK(AllHex(copy));
  KESTRIO_FUZZ_CHECK(copy == digits);

  const kestrio::Bytes bytes = kestrio::HexToBytes(text);
  KESTRIO_FUZZ_CHECK(bytes.size() == (text.size() + 1) / 2);
  const kestrio::Bytes clean = kestrio::HexToBytes(copy);
  if (copy.size() % 2 == 0) {
    std::string upper = copy;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    KESTRIO_FUZZ_CHECK(kestrio::BytesToHex(clean) == upper);
  }
  const std::size_t count = text.size() % 7;
  KESTRIO_FUZZ_CHECK(kestrio::BytesToHex(clean, count).size() == 2 * std::min(count, clean.size()));
}

// One builder call: either a whole packet of the right kind and label, or "" and one message.
void CheckBuilt(const std::string& packet, int tcode, kestrio::TransactionLabels& labels,
                kestrio::ScriptedPrompter& prompter) {
  const std::size_t messages = prompter.log.size();
  prompter.Clear();
  if (packet.empty()) {
    KESTRIO_FUZZ_CHECK(messages == 1);
    return;
  }
  KESTRIO_FUZZ_CHECK(messages == 0);
  KESTRIO_FUZZ_CHECK(packet.size() % 8 == 0);
  KESTRIO_FUZZ_CHECK(packet.size() >= 24);
  const int label = kestrio::PacketLabel(packet);
  KESTRIO_FUZZ_CHECK(label >= 0 && label <= 63);
  KESTRIO_FUZZ_CHECK(label == labels.Current());
  KESTRIO_FUZZ_CHECK(kestrio::PacketTcode(packet) == tcode);
  KESTRIO_FUZZ_CHECK(kestrio::PacketLength(packet) == packet.size());
  if (AllHex(packet)) {
    const std::vector<kestrio::DecodedPacket> decoded = kestrio::DecodePackets(packet);
    KESTRIO_FUZZ_CHECK(decoded.size() == 1);
    KESTRIO_FUZZ_CHECK(decoded[0].problems.empty());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  kestrio::TransactionLabels labels;
  kestrio::ScriptedPrompter prompter;
  for (int n = in.Byte(); n > 0; --n) labels.NextTransactionLabel();

  FuzzInput fields = in;
  const std::string_view text = in.Rest();
  const std::string digits = kestrio::StrippedHex(text);
  CheckDecoder(text, digits);
  CheckHexHelpers(text, digits);

  const std::string_view dataField = fields.Until('\n');
  const std::string_view offset = fields.Until('\n');
  const std::string_view length = fields.Until('\n');

  kestrio::PacketBuilder builder(labels, prompter);
  CheckBuilt(builder.BuildReadQuadRequest(offset), kestrio::kReadQuadRequest, labels, prompter);
  CheckBuilt(builder.BuildWriteQuadRequest(dataField, offset), kestrio::kWriteQuadRequest, labels, prompter);
  CheckBuilt(builder.BuildReadBlockRequest(length, offset), kestrio::kReadBlockRequest, labels, prompter);
  CheckBuilt(builder.BuildWriteBlockRequest(dataField, offset), kestrio::kWriteBlockRequest, labels, prompter);
  const int tcode = static_cast<int>(text.size() % 16);
  const std::string header = builder.BuildHeader(tcode);
  KESTRIO_FUZZ_CHECK(header.size() == 12 && AllHex(header));
  KESTRIO_FUZZ_CHECK(kestrio::PacketLabel(header) == labels.Current());
  return 0;
}
