#include "cli/cli_commands.h"

#include <iterator>

#include "memmap/address.h"
#include "memmap/device_commands.h"
#include "memmap/eeprom_image.h"
#include "memmap/manual_packet.h"
#include "memmap/memmap_service.h"
#include "memmap/status_service.h"
#include "protocol/convert.h"
#include "protocol/decoder.h"
#include "protocol/packet.h"

namespace kestrio::cli {

namespace {

constexpr char kNoEepromAddress[] =
    "The EEPROM image address could not be found: the brain gave no usable reply at FFFFF0360000.";
constexpr char kWriteFailed[] = "Write not successful.";

std::string WithoutColon(const std::string& label) {
  return label.ends_with(":") ? label.substr(0, label.size() - 1) : label;
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// A transfer's quadlets as JSON objects: {"address", "data"} per quadlet read, {"address", "rcode"}
// per refused transaction.
std::string LinesJson(const MemMapResult& result) {
  std::vector<std::string> items;
  for (const TransferPiece& p : result.pieces) {
    if (p.rcode != 0) {
      items.push_back(JsonObject().Str("address", p.address).Str("rcode", ToHex(p.rcode, 1)).Text());
      continue;
    }
    PageAddress at = PageAddress::FromCleaned(p.address);
    for (std::size_t q = 0; q + 8 <= p.digits.size(); q += 8, at.Advance(4))
      items.push_back(JsonObject().Str("address", at.Text()).Str("data", p.digits.substr(q, 8)).Text());
  }
  return JsonArray(items);
}

}  // namespace

CommandResult RunStatus(CliRun& run) {
  CommandResult r;
  StatusRecord record;
  if (!ReadStatusArea(run.session.Engine(), record)) {
    r.exit = kExitFailed;
    return r;
  }
  JsonObject fields;
  const StatusView view = ShowStatusRecord(record);
  for (const auto* part : {&view.page, &view.lastError}) {
    for (const StatusField& f : *part) {
      if (!run.args.json) run.out << f.label << " " << f.value << "\n";
      fields.Str(WithoutColon(f.label), f.value);
    }
  }
  r.json.Raw("fields", fields.Text()).Str("raw", record.raw);
  return r;
}

CommandResult RunRead(CliRun& run) {
  CommandResult r;
  const MemMapResult result =
      MemMapData(run.session.Engine(), {static_cast<double>(run.args.count), run.args.address, {}, true,
                                        static_cast<double>(run.args.maxBytes)});
  if (!run.args.json) run.out << TransferText(result, true);
  r.json.Str("address", result.offset).Num("count", run.args.count).Raw("lines", LinesJson(result));
  r.json.Num("deviceErrors", result.deviceErrors);
  if (!result.ok()) r.exit = kExitFailed;
  return r;
}

CommandResult RunWrite(CliRun& run) {
  CommandResult r;
  const long bytes = static_cast<long>(run.args.data.size() / 2);
  const MemMapResult result =
      MemMapData(run.session.Engine(), {static_cast<double>(run.args.count), run.args.address, run.args.data,
                                        true, static_cast<double>(run.args.maxBytes)});
  r.json.Str("address", result.offset).Num("bytes", bytes).Num("deviceErrors", result.deviceErrors);
  if (!result.ok()) {
    // A block write the brain refused reports nothing of its own; the stopped case has said why.
    if (result.deviceErrors > 0) run.ui.Note(kWriteFailed);
    r.exit = kExitFailed;
    return r;
  }
  if (!run.args.json)
    run.out << "Wrote " << bytes << (bytes == 1 ? " byte" : " bytes") << " at " << result.offset << ".\n";
  return r;
}

CommandResult RunCommand(CliRun& run) {
  CommandResult r;
  const bool ok = RunDeviceCommand(run.session.Engine(), run.args.device);
  r.json.Str("name", run.args.deviceName).Bool("refused", run.ui.Declined());
  if (!ok) {
    r.exit = kExitFailed;
    return r;
  }
  if (!run.args.json) run.out << "command " << run.args.deviceName << ": acknowledged.\n";
  return r;
}

CommandResult RunSend(CliRun& run) {
  CommandResult r;
  Engine& engine = run.session.Engine();
  const ManualSendResult sent = SendManualPacket(engine, run.args.packet);
  r.json.Str("packet", run.args.packet).Str("type", PacketTypeName(PacketTcode(run.args.packet)));
  if (!sent.sent) {  // the packet was checked before connecting; this is only a safeguard
    r.exit = kExitUsage;
    return r;
  }
  const Reply& reply = sent.reply;
  if (reply.outcome == Outcome::Sent) {
    if (!run.args.json)
      run.out << "Sent " << PacketTypeName(PacketTcode(run.args.packet)) << "; no reply awaited.\n";
    r.json.Bool("replyAwaited", false);
    return r;
  }
  const bool failed = TransactionFailed(reply, engine.Ui());
  if (reply.Replied()) {
    ReplyFlags flags;
    const std::string description = Trim(DescribePacket(reply.packet, flags));
    const std::string seconds = Trim(sent.txRxTime);
    if (!run.args.json) {
      run.out << "Reply:       " << reply.packet << "\n"
              << "Description: " << description << "\n"
              << "Round trip:  " << seconds << " s\n";
    }
    r.json.Str("reply", reply.packet).Str("description", description).Str("roundTripSeconds", seconds);
    r.json.Num("rcode", reply.Rcode());
  }
  if (failed) r.exit = kExitFailed;
  return r;
}

CommandResult RunEepromRead(CliRun& run) {
  CommandResult r;
  Engine& engine = run.session.Engine();
  r.json.Str("file", run.args.file);
  StatusRecord status;
  if (!ReadStatusArea(engine, status)) {
    r.exit = kExitFailed;
    return r;
  }
  const std::string from = ProbeEepromAddress(engine);
  if (from == kEepromUnknownAddress) {
    run.ui.Note(kNoEepromAddress);
    r.exit = kExitFailed;
    return r;
  }
  r.json.Str("address", from);
  const EepromReadResult image = ReadEepromImage(engine, from, static_cast<double>(run.args.maxBytes),
                                                 FormatDottedHex(status.kernelRevision));
  if (!image.ok) {
    r.exit = kExitFailed;
    return r;
  }
  if (!SaveDataFile(run.ui, run.args.file, image.text)) {
    r.exit = kExitFailed;
    return r;
  }
  const long bytes = static_cast<long>(image.image.size() / 2);
  const bool empty = image.image.size() == 8;  // only the length field: the area holds nothing
  r.json.Num("imageBytes", bytes).Bool("empty", empty);
  if (!run.args.json) {
    run.out << "EEPROM image at " << from << ": " << bytes << " bytes" << (empty ? " (empty)" : "")
            << " saved to " << run.args.file << ".\n";
  }
  return r;
}

bool LoadEepromFile(const std::string& file, std::string& text, std::string& error) {
  const LoadedDataFile loaded = LoadDataFile(file);
  if (!loaded.ok) {
    error = loaded.error;
    return false;
  }
  if (!ParseEepromText(loaded.text, error)) return false;
  text = loaded.text;
  return true;
}

CommandResult RunEepromStore(CliRun& run, const std::string& text) {
  CommandResult r;
  std::string error;
  const auto image = ParseEepromText(text, error);
  r.json.Str("file", run.args.file);
  if (image)
    r.json.Str("address", image->address).Num("records", static_cast<std::int64_t>(image->records.size()));
  if (!StoreEepromImage(run.session.Engine(), text, static_cast<double>(run.args.maxBytes))) {
    r.json.Bool("refused", run.ui.Declined());
    r.exit = kExitFailed;
    return r;
  }
  if (!run.args.json && image) {
    run.out << "Stored " << image->records.size() << (image->records.size() == 1 ? " record" : " records")
            << " from " << run.args.file << ", then the store command.\n";
  }
  return r;
}

CommandResult RunDecode(const CliArgs& args, std::istream& in, std::ostream& out) {
  CommandResult r;
  std::string text = args.packet;
  if (text == "-") text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  const std::vector<DecodedPacket> packets = DecodePackets(text);
  if (!args.json) {
    out << FormatDecoded(packets);
    return r;
  }
  std::vector<std::string> items;
  for (const DecodedPacket& p : packets) {
    std::vector<std::string> fields;
    for (const DecodedField& f : p.fields) {
      fields.push_back(JsonObject().Str("name", f.name).Str("value", f.value).Str("note", f.note).Text());
    }
    items.push_back(JsonObject()
                        .Str("hex", p.hex)
                        .Raw("fields", JsonArray(fields))
                        .Raw("problems", JsonStringArray(p.problems))
                        .Text());
  }
  r.json.Raw("packets", JsonArray(items));
  return r;
}

void ReportLastError(CliRun& run, JsonObject& json) {
  StatusRecord record;
  if (!ReadStatusArea(run.session.Engine(), record)) return;
  JsonObject last;
  run.ui.Note("Last Error:");
  for (const StatusField& f : ShowStatusRecord(record).lastError) {
    run.ui.Note("  " + f.label + " " + f.value);
    last.Str(WithoutColon(f.label), f.value);
  }
  json.Raw("lastError", last.Text());
}

}  // namespace kestrio::cli
