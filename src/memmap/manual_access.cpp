#include "memmap/manual_access.h"

#include "protocol/convert.h"
#include "protocol/hex.h"

namespace kestrio {

namespace {
constexpr char kNothingToWrite[] = "There is no hex data to write.";
}  // namespace

std::string TooManyText() { return "Too many, max: " + NumberText(kMaxManualQuadlets); }

ManualAccessResult ManualAccess(Engine& engine, bool write, const std::string& countText,
                                const std::string& address, const std::string& dataText,
                                const std::string& maxBytesText) {
  ManualAccessResult out;
  out.countText = countText;
  std::string data;
  double count = 0;
  if (write) {
    data = StrippedHex(dataText);
    const std::size_t quadlets = (data.size() + 7) / 8;
    out.countText = std::to_string(quadlets);
    if (data.empty()) {
      engine.Ui().Message(kNothingToWrite);
      out.transfer.stopped = true;
      return out;
    }
    if (quadlets > static_cast<std::size_t>(kMaxManualQuadlets)) {
      // Writing only the first part would leave the brain half-configured without the operator noticing.
      engine.Ui().Message(TooManyText());
      out.transfer.stopped = true;
      return out;
    }
    count = static_cast<double>(quadlets);
  } else {
    count = LeadingNumber(countText).value_or(0);
    if (count > kMaxManualQuadlets) {
      engine.Ui().Message(TooManyText());
      out.countText = std::to_string(kMaxManualQuadlets);
      count = kMaxManualQuadlets;
    }
  }
  std::string offset = address;
  const double maxBytes = LeadingNumber(maxBytesText).value_or(0);
  out.transfer = MemMapTransfer(engine, count, offset, data, true, true, maxBytes);
  out.dataText = out.transfer.text;
  return out;
}

}  // namespace kestrio
