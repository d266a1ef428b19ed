// clang-format off
// The simulator header comes before any Qt header: its rack has a member named like Qt's `slots` keyword.
#include "sim/server.h"
// clang-format on

#include "engine_bench.h"

#include <sys/resource.h>

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

#include "config/mask.h"
#include "core/session.h"
#include "memmap/eeprom_image.h"
#include "memmap/memmap_service.h"
#include "points/points_service.h"
#include "protocol/hex.h"
#include "protocol/packet.h"
#include "raw_client.h"
#include "recording_engine.h"
#include "stats.h"
#include "transfer/brain_reader.h"
#include "transfer/upload.h"
#include "unit/backup.h"
#include "unit/restore.h"

namespace kestrio::bench {

namespace {

using Clock = std::chrono::steady_clock;

// The quadlet read is the status area's power-up clear flag; the block read is the whole settings area.
constexpr char kQuadAddress[] = "FFFFF0300004";
constexpr char kBlockAddress[] = "FFFFF0100000";
constexpr char kBlockLength[] = "0400";  // 1024 bytes
// 4096 quadlets of the event message area, and the program's default largest block.
constexpr char kJobAddress[] = "FFFFF1200000";
constexpr double kJobQuadlets = 4096;
constexpr double kDefaultMaxBytes = 1000;
constexpr double kStallNs = 40e6;
constexpr std::size_t kImageBytes = 16384;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
double Us(double ns) { return ns / 1000.0; }
double CpuSeconds(const rusage& u) {
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A configuration that fills every table: 64 names, 64 alarms, 128 messages, 32 serial events, and
// 64 digital events and 64 timers over 128 distinct sets (which the download rebuilds).
config::StateGlobals FullConfiguration() {
  config::StateGlobals t;
  const auto mask = [](int bit) { return config::MaskText(std::uint64_t{1} << (bit % 64)); };
  for (int i = 0; i < config::kPointCount; ++i) t.pointNames[i].name = "Point name " + std::to_string(i);
  for (int i = 0; i < config::kAlarmCount; ++i) {
    config::AlarmRecord& a = t.alarms[i];
    a.deviationStatus = a.highStatus = a.lowStatus = "Enabled";
    a.midRange = "50";
    a.deviationLimit = a.highDeadBand = a.lowDeadBand = "1.5";
    a.highLimit = "90";
    a.lowLimit = "10";
    a.deviationFlagsOn = a.highFlagsOn = a.lowFlagsOn = mask(i);
    a.deviationFlagsOff = a.highFlagsOff = a.lowFlagsOff = mask(i + 1);
    a.addressToCheck = "F0400100";
    a.isFloat = "Yes";
  }
  for (int i = 0; i < config::kEventMessageCount; ++i) {
    config::EventMessageRecord& m = t.eventMessages[i];
    m.name = "Message " + std::to_string(i);
    m.serialStatus = m.snmpStatus = m.emailStatus = m.streamPackets = "Enabled";
    m.serialPortMask = "00000001";
    m.trapType = "6";
    m.trapPeriod = m.emailPeriod = m.streamPeriod = "1000";
    m.priority = "High";
    m.messageText = std::string(100, static_cast<char>('A' + i % 26));
    m.flagsOn = mask(i);
    m.flagsOff = mask(i + 1);
  }
  for (int i = 0; i < config::kSerialEventCount; ++i) {
    config::SerialEventRecord& e = t.serialEvents[i];
    e.patternString = std::string(38, static_cast<char>('a' + i % 26));
    e.resultingString = std::string(38, 'R');
    e.portMask = "00000003";
    e.trapType = "1";
    e.trapPeriod = "500";
    e.flagsOn = mask(i);
    e.priority = i % 2 ? "Low" : "High";
  }
  for (int s = 0; s < config::kUsableStates; ++s) {
    config::StateRecord& set = t.states[s];
    set.number = static_cast<std::int16_t>(s);
    set.name = "Set " + std::to_string(s);
    (s < 64 ? set.digitalOn : set.flagsOn) = mask(s);
  }
  for (int i = 0; i < 64; ++i) {
    t.digitalEvents[i] = {static_cast<std::int16_t>(i), static_cast<std::int16_t>(i),
                          static_cast<std::int16_t>(64 + i)};
    t.timers[i] = {static_cast<std::int16_t>(i), static_cast<std::int16_t>(i),
                   static_cast<std::int16_t>(64 + i), "500"};
  }
  return t;
}

class Bench {
 public:
  bool Setup(std::string& error) {
    if (!dir_.isValid()) return Fail(error, "no temporary directory");
    if (!sim_.Start("127.0.0.1", 0)) return Fail(error, "simulator: " + sim_.Error());
    session_ = std::make_unique<Session>(prompter_, dir_.filePath("settings.ini").toStdString());
    session_->SetHost("127.0.0.1:" + std::to_string(sim_.Port()));
    engine().SetTimeoutSeconds(10);
    if (!session_->Connect(false)) return Fail(error, "the engine could not connect: " + Messages());
    if (!raw_.Connect("127.0.0.1", sim_.Port())) return Fail(error, "raw client: " + raw_.Error());
    // The raw client's requests are built once; only their label changes per transaction.
    PacketBuilder builder(rawLabels_, prompter_);
    rawQuad_ = HexToBytes(builder.BuildReadQuadRequest(kQuadAddress));
    rawBlock_ = HexToBytes(builder.BuildReadBlockRequest(kBlockLength, kBlockAddress));
    return true;
  }

  void Teardown() {
    session_.reset();
    sim_.Stop();
  }

  bool Run(const Sizes& z, EngineResults& out, std::string& error) {
    if (!Pairs(
            z, "quad", rawQuad_, [this] { return EngineQuad(); }, out.quad, error))
      return false;
    if (!Pairs(
            z, "block", rawBlock_, [this] { return EngineBlock(); }, out.block, error))
      return false;
    out.rawRttUsQuad = rawQuadRttUs_;
    if (!Stalls(z, out, error)) return false;
    if (!Waiting(z, out, error)) return false;
    if (!TimeoutInfluence(z, out, error)) return false;
    return Jobs(z, out, error);
  }

 private:
  RequestEngine& engine() { return session_->Engine(); }

  static bool Fail(std::string& error, const std::string& why) {
    error = why;
    return false;
  }
  std::string Messages() const {
    std::string all;
    for (const auto& m : prompter_.log) all += "[" + m.kind + "] " + m.text + " ";
    return all;
  }

  static bool Replied(const Reply& r) {
    return r.outcome == Outcome::Replied && !r.flags.ReplyError && !r.flags.UnknownReply;
  }
  // One engine transaction as a service makes it: build the request, send it, wait for the reply.
  bool EngineQuad() {
    return Replied(
        engine().SendAndAwaitReply(session_->Builder().BuildReadQuadRequest(kQuadAddress), kReadQuadRequest));
  }
  bool EngineBlock() {
    return Replied(engine().SendAndAwaitReply(
        session_->Builder().BuildReadBlockRequest(kBlockLength, kBlockAddress), kReadBlockRequest));
  }
  bool RawOne(Bytes& request) {
    RawClient::SetLabel(request, rawLabels_.NextTransactionLabel());
    return raw_.Transact(request);
  }

  // `n` transactions of `one`, each latency (ns) appended to `latencies`; the batch's wall seconds,
  // or a negative value when a transaction failed.
  static double Batch(int n, const std::function<bool()>& one, std::vector<double>* latencies) {
    if (latencies) latencies->reserve(latencies->size() + static_cast<std::size_t>(n));
    const auto start = Clock::now();
    auto last = start;
    for (int i = 0; i < n; ++i) {
      if (!one()) return -1;
      const auto now = Clock::now();
      if (latencies) latencies->push_back(std::chrono::duration<double, std::nano>(now - last).count());
      last = now;
    }
    return Seconds(last - start);
  }

  bool Pairs(const Sizes& z, const std::string& name, Bytes& rawRequest, const std::function<bool()>& engine,
             KindResult& r, std::string& error) {
    r.name = name;
    const std::function<bool()> raw = [this, &rawRequest] { return RawOne(rawRequest); };
    if (Batch(z.warmup, raw, nullptr) < 0) return Fail(error, name + " raw warm-up: " + raw_.Error());
    if (Batch(z.warmup, engine, nullptr) < 0) return Fail(error, name + " engine warm-up: " + Messages());
    std::vector<double> rawLat, engineLat, rawTps, engineTps;
    for (int p = 0; p < z.pairs; ++p) {
      double rawS = 0, engineS = 0;
      // Alternate which side goes first so a drift in the machine's load favours neither.
      for (int side = 0; side < 2; ++side) {
        if ((side == 0) == (p % 2 == 0)) {
          rawS = Batch(z.perPair, raw, &rawLat);
          if (rawS < 0) return Fail(error, name + " raw: " + raw_.Error());
        } else {
          engineS = Batch(z.perPair, engine, &engineLat);
          if (engineS < 0) return Fail(error, name + " engine: " + Messages());
        }
      }
      rawTps.push_back(z.perPair / rawS);
      engineTps.push_back(z.perPair / engineS);
      r.ratios.push_back(engineTps.back() / rawTps.back());
    }
    r.ratioMedian = Median(r.ratios);
    r.rawTps = Median(rawTps);
    r.engineTps = Median(engineTps);
    r.rawP50us = Us(Percentile(rawLat, 0.5));
    r.rawP99us = Us(Percentile(rawLat, 0.99));
    r.engineP50us = Us(Percentile(engineLat, 0.5));
    r.engineP99us = Us(Percentile(engineLat, 0.99));
    if (name == "quad") rawQuadRttUs_ = r.rawP50us;
    return true;
  }

  bool Stalls(const Sizes& z, EngineResults& out, std::string& error) {
    std::vector<double> lat, rawLat;
    const int chunk = z.stallRun / z.stallChunks;
    for (int c = 0; c < z.stallChunks; ++c) {
      if (Batch(
              chunk, [this] { return EngineQuad(); }, &lat) < 0)
        return Fail(error, "stall run: " + Messages());
      if (Batch(
              chunk / 5, [this] { return RawOne(rawQuad_); }, &rawLat) < 0)
        return Fail(error, "stall run, raw: " + raw_.Error());
    }
    out.stalls = CountAtLeast(lat, kStallNs);
    out.stallP50us = Us(Percentile(lat, 0.5));
    out.stallP99us = Us(Percentile(lat, 0.99));
    out.stallMaxUs = Us(Percentile(lat, 1.0));
    out.rawStalls = CountAtLeast(rawLat, kStallNs);
    out.rawStallP50us = Us(Percentile(rawLat, 0.5));
    out.rawStallP99us = Us(Percentile(rawLat, 0.99));
    out.rawStallMaxUs = Us(Percentile(rawLat, 1.0));
    return true;
  }

  bool Waiting(const Sizes& z, EngineResults& out, std::string& error) {
    sim_.SetFaultPlan(sim::FaultPlan{.delayMs = z.delayMs});
    engine().SetTimeoutSeconds(30);
    rusage before{}, after{}, threadBefore{}, threadAfter{};
    getrusage(RUSAGE_SELF, &before);
    getrusage(RUSAGE_THREAD, &threadBefore);
    const auto start = Clock::now();
    bool ok = true;
    for (int i = 0; i < z.delayedCount && ok; ++i) ok = EngineQuad();
    const double wall = Seconds(Clock::now() - start);
    getrusage(RUSAGE_SELF, &after);
    getrusage(RUSAGE_THREAD, &threadAfter);
    sim_.SetFaultPlan(sim::FaultPlan{});
    engine().SetTimeoutSeconds(10);
    if (!ok) return Fail(error, "delayed replies: " + Messages());
    out.waitWallS = wall;
    out.waitCpuFraction = (CpuSeconds(after) - CpuSeconds(before)) / wall;
    out.waitCpuFractionMainThread = (CpuSeconds(threadAfter) - CpuSeconds(threadBefore)) / wall;
    return true;
  }

  bool TimeoutInfluence(const Sizes& z, EngineResults& out, std::string& error) {
    std::vector<double> short1, long3000;
    for (int p = 0; p < z.timeoutPairs; ++p) {
      for (int side = 0; side < 2; ++side) {
        const bool shortFirst = p % 2 == 0;
        const bool shortNow = (side == 0) == shortFirst;
        engine().SetTimeoutSeconds(shortNow ? 1 : 3000);
        if (Batch(
                z.timeoutPerPair, [this] { return EngineQuad(); }, shortNow ? &short1 : &long3000) < 0)
          return Fail(error, "timeout run: " + Messages());
      }
    }
    engine().SetTimeoutSeconds(10);
    out.p50us_timeout1 = Us(Percentile(short1, 0.5));
    out.p50us_timeout3000 = Us(Percentile(long3000, 0.5));
    out.p50TimeoutRatio = out.p50us_timeout1 / out.p50us_timeout3000;
    return true;
  }

  // A flash image of exactly 16 KiB: what the flash holds anyway (settings, point types) plus one
  // record of non-zero bytes in the event message area sized to fill the rest, stored.
  bool FillEepromImage(std::string& error) {
    const bool ok = sim_.WithBrain([](sim::Brain& brain) {
      const Bytes store = HexToBytes("000000000000FFFFF038000000000003");  // store-to-flash command
      const auto stored = [&brain, &store] {
        const auto reply = brain.Handle(store);
        return reply && reply->size() >= 7 && ((*reply)[6] >> 4) == 0;
      };
      if (!stored()) return false;
      const std::size_t base = brain.Image().size();
      constexpr std::size_t kRecordHeader = 8;
      if (base + kRecordHeader >= kImageBytes) return false;
      Bytes data(kImageBytes - base - kRecordHeader);
      for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i % 251 + 1);
      return brain.Poke(memory_map::kEventMessages.base, data) && stored() &&
             brain.Image().size() == kImageBytes;
    });
    return ok || Fail(error, "the simulator's EEPROM image could not be filled to 16 KiB");
  }

  bool Jobs(const Sizes& z, EngineResults& out, std::string& error) {
    if (!FillEepromImage(error)) return false;
    // The physical limit of a job: its transactions at the raw client's mean round trip.
    const double rawQuadMs = 1000.0 / out.quad.rawTps, rawBlockMs = 1000.0 / out.block.rawTps;
    RecordingEngine rec(engine());
    const config::StateGlobals configuration = FullConfiguration();
    struct Job {
      std::string name, what;
      std::function<bool()> run;
    };
    const auto memRead = [&rec](bool blocks) {
      const MemMapResult r = MemMapData(rec, {kJobQuadlets, kJobAddress, {}, blocks, kDefaultMaxBytes});
      // The window shows the transfer's lines: making them is part of the job.
      return r.ok() && !TransferText(r, true).empty();
    };
    // The whole-unit jobs write their folders to memory when the machine offers it: the figure is
    // the job's traffic and work against its replay, not the disk's flush.
    const QString shm = "/dev/shm";
    QTemporaryDir unitDir((QDir(shm).exists() ? shm : QDir::tempPath()) + "/kestrio-bench-XXXXXX");
    int backups = 0;
    const auto backupDir = [&unitDir, &backups] {
      return unitDir.filePath(QString("unit-%1").arg(backups++)).toStdString();
    };
    // The unit jobs work on a unit as commissioned: every table full (what the image filling left in
    // the message area is no configuration an upload could write back), and a backup of it. Made
    // once, before a unit job's first (unmeasured) run, over the session's own engine.
    std::optional<unit::UnitBackup> unitBackup;
    const auto prepareUnit = [this, &configuration, &unitBackup, &backupDir] {
      if (unitBackup) return true;
      transfer::LoadedItems loaded;
      if (!transfer::UploadConfiguration(engine(), configuration, transfer::UploadSelection::All(), loaded).ok())
        return false;
      prompter_.Clear();
      const std::string first = backupDir();
      std::string why;
      if (unit::BackupUnit(*session_, first).ok) unitBackup = unit::LoadBackup(first, why);
      return unitBackup.has_value();
    };
    const std::vector<Job> jobs = {
        {"eeprom_read_16k", "EEPROM image read, 16 KiB (probe + blocks of 1000 bytes)",
         [&rec] {
           return ProbeEepromAddress(rec) == EepromProbeAddress() &&
                  ReadEepromImage(rec, EepromProbeAddress(), kDefaultMaxBytes, "02.01.00.07").ok;
         }},
        {"memread_4096_blocks", "4096-quadlet memory read in blocks of 1000 bytes",
         [&memRead] { return memRead(true); }},
        {"memread_4096_quads", "4096-quadlet memory read in quadlets", [&memRead] { return memRead(false); }},
        {"config_upload", "configuration upload, every table full (a write per record, then the store)",
         [this, &rec, &configuration] {
           const bool ok = transfer::UploadConfiguration(rec, configuration, transfer::UploadSelection::All(),
                                                         session_->LoadedConfiguration())
                               .ok();
           // Its closing message is no failure.
           const bool said = prompter_.Messages() == std::vector<std::string>{"Upload Complete."};
           prompter_.Clear();
           return ok && said;
         }},
        {"config_download", "configuration download, every table full (a read per record, sets rebuilt)",
         [this, &rec] {
           transfer::BrainReader reader(rec, {session_->Configuration(), session_->DownloadCancelled(),
                                              session_->LoadedConfiguration()});
           return reader.Run({}).ok() && session_->Configuration().timers[63].outputState != config::NO_STATE;
         }},
        {"unit_backup", "unit backup: status, EEPROM image, rack, configuration, option pages, folder written",
         [this, &rec, &backupDir, &prepareUnit] {
           return prepareUnit() && unit::BackupUnit(*session_, rec, backupDir()).ok;
         }},
        {"unit_restore", "unit restore: rack, EEPROM image, upload, point types, option values, store",
         [this, &rec, &unitBackup, &prepareUnit] {
           if (!prepareUnit()) return false;
           prompter_.defaultAnswer = Answer::Yes;
           const unit::RestoreResult r = unit::RestoreUnit(*session_, rec, *unitBackup);
           if (!r.ok()) {
             std::string said;
             for (const std::string& s : r.said) said += " " + s;
             std::fprintf(stderr, "unit_restore stopped at: %s;%s\n", r.failed.c_str(), said.c_str());
           }
           const bool ok = r.ok();
           // Its one question is no failure.
           const bool asked = prompter_.log.size() == 1 && prompter_.log[0].kind == "ask";
           prompter_.Clear();
           prompter_.defaultAnswer = Answer::No;
           return ok && asked;
         }},
        {"rack_read_1000_scans", "rack read (4 blocks of 1024 bytes) + 1000 scans (256 + 8 bytes each)",
         [&rec] {
           // As the points window in values mode: the rack once, then the scans with their texts.
           points::RackTypes rack;
           points::PointTexts texts;
           if (!points::ReadRackPointTypes(rec, rack).Complete()) return false;
           for (int i = 0; i < 1000; ++i)
             if (!points::Scan(rec, rack, texts).ok) return false;
           return true;
         }},
    };
    for (const Job& job : jobs) {
      if (!z.onlyJobs.empty() && std::find(z.onlyJobs.begin(), z.onlyJobs.end(), job.name) == z.onlyJobs.end())
        continue;
      JobResult r{job.name, job.what};
      // A first run records the job's requests (the same every run) and warms both sides up.
      rec.Clear();
      prompter_.Clear();
      if (!job.run() || !prompter_.log.empty()) return Fail(error, job.name + ": " + Messages());
      std::vector<Bytes> requests;
      double rttFloorMs = 0;
      for (const std::string& hex : rec.Requests()) {
        requests.push_back(HexToBytes(hex));
        rttFloorMs += PacketTcode(hex) == kReadBlockRequest ? rawBlockMs : rawQuadMs;
      }
      r.transactions = static_cast<std::int64_t>(requests.size());
      r.rttFloorMs = rttFloorMs;
      // Short jobs are repeated more, so each side sees about ten thousand transactions: a job of a few
      // hundred is over in 15 ms, and fewer repeats leave its median to the machine's moods.
      const int repeats = std::clamp(static_cast<int>(10000 / std::max<std::size_t>(requests.size(), 1)) | 1,
                                     z.jobRepeats, 41);
      std::vector<double> wall, engine, replay;
      for (int rep = 0; rep < repeats; ++rep) {
        // Alternate which side goes first: the first transactions after a pause wake an idle
        // processor and cost more, and neither side should always pay that.
        for (int side = 0; side < 2; ++side) {
          if ((side == 0) == (rep % 2 == 0)) {
            rec.Clear();
            prompter_.Clear();
            const auto start = Clock::now();
            const bool ok = job.run();
            wall.push_back(Seconds(Clock::now() - start) * 1000);
            engine.push_back(rec.EngineMs());
            if (!ok || !prompter_.log.empty()) return Fail(error, job.name + ": " + Messages());
          } else {
            const auto start = Clock::now();
            for (const Bytes& request : requests)
              if (!raw_.Transact(request)) return Fail(error, job.name + " raw replay: " + raw_.Error());
            replay.push_back(Seconds(Clock::now() - start) * 1000);
          }
        }
      }
      r.repeats = repeats;
      r.wallMs = Median(wall);
      r.engineMs = Median(engine);
      r.floorMs = Median(replay);
      r.ratio = r.wallMs / r.floorMs;
      out.jobs.push_back(r);
    }
    return true;
  }

  QTemporaryDir dir_;
  sim::SimServer sim_;
  ScriptedPrompter prompter_;
  std::unique_ptr<Session> session_;
  RawClient raw_;
  TransactionLabels rawLabels_;
  Bytes rawQuad_, rawBlock_;
  double rawQuadRttUs_ = 0;
};

}  // namespace

bool RunEngineBench(const Sizes& sizes, EngineResults& out, std::string& error) {
  Bench bench;
  const bool ok = bench.Setup(error) && bench.Run(sizes, out, error);
  bench.Teardown();
  return ok;
}

}  // namespace kestrio::bench
