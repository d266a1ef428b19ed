#include "memmap/manual_access.h"

#include "protocol/convert.h"
#include "protocol/hex.h"

namespace kestrio {

namespace {
constexpr char kNothingToWrite[] = "There is no hex data to write.";
}  // namespace

std::string TooManyText() { return "Too many, max: " + NumberText(kMaxManualQuadlets); }

ManualAccessResult ManualAccess(Engine& engine, const ManualAccessInput& input) {
  ManualAccessResult out;
  out.countText = input.count;
  TransferRequest request;
  request.offset = input.address;
  request.blockMode = true;
  request.maxBytes = LeadingNumber(input.maxBytes).value_or(0);
  if (input.write) {
    request.data = StrippedHex(input.data);
    const std::size_t quadlets = (request.data.size() + 7) / 8;
    out.countText = std::to_string(quadlets);
    std::string refusal;
    if (request.data.empty()) {
      refusal = kNothingToWrite;
    } else if (quadlets > static_cast<std::size_t>(kMaxManualQuadlets)) {
      // Writing only the first part would leave the brain half-configured without the operator noticing.
      refusal = TooManyText();
    }
    if (!refusal.empty()) {
      engine.Ui().Message(refusal);
      out.refused = true;
      out.transfer.stopped = out.transfer.refused = true;
      return out;
    }
    request.count = static_cast<double>(quadlets);
  } else {
    request.count = LeadingNumber(input.count).value_or(0);
    if (request.count > kMaxManualQuadlets) {
      engine.Ui().Message(TooManyText());
      out.countText = std::to_string(kMaxManualQuadlets);
      request.count = kMaxManualQuadlets;
    }
  }
  out.transfer = MemMapData(engine, request);
  out.refused = out.transfer.refused;
  if (!out.refused) out.dataText = TransferText(out.transfer, true);
  return out;
}

}  // namespace kestrio
