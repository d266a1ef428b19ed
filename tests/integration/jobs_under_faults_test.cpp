// Multi-transaction jobs with the connection reset in the middle: the job stops with a message,
// nothing is reported as success, and a retry after reconnecting completes.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "integration/sim_rig.h"
#include "memmap/eeprom_image.h"

namespace kestrio::integration {
namespace {

constexpr double kMaxBytes = 1000;
constexpr char kKernelRevision[] = "02.01.00.07";
constexpr char kStoreComplete[] = "EEPROM Store complete.";
constexpr char kStoreNotPerformed[] = "EEProm Store not performed, error in data file.";
constexpr char kStoreFailed[] = "EEPROM Store not successful.";
constexpr char kReadFailed[] = "EEPROM read not successful.";

struct Record {
  std::uint32_t address;  // low 32 bits
  std::size_t bytes;
};
// Three records in three flash areas, never a zero byte, so the image read back lists them whole.
// With blocks of 1000 bytes they take 2 + 5 + 2 block writes; the store command is request 10.
const std::vector<Record> kRecords = {{0xF0100000, 1024}, {0xF0D40000, 4096}, {0xF1200000, 2000}};
constexpr int kStoreRequests = 10;

std::string ImageText() {
  std::string records;
  std::size_t length = 0;
  for (const Record& r : kRecords) {
    Bytes data;
    for (std::size_t i = 0; i < r.bytes; ++i)
      data.push_back(static_cast<std::uint8_t>((i * 13 + r.address / 4096) % 255 + 1));
    records += ToHex(r.address, 8) + ToHex(r.bytes, 8) + BytesToHex(data);
    length += 8 + r.bytes;
  }
  return EepromProbeAddress() + ": " + ToHex(length, 8) + "00000000" + records;
}

// The image's bytes, as hex, by full address.
std::map<std::uint64_t, std::string> ImageBytes(const std::string& text) {
  std::string error;
  const auto image = ParseEepromText(text, error);
  EXPECT_TRUE(image) << error;
  std::map<std::uint64_t, std::string> bytes;
  for (const EepromRecord& record : image ? image->records : std::vector<EepromRecord>{})
    for (std::size_t i = 0; i + 2 <= record.data.size(); i += 2)
      bytes[HexValue(record.address) + i / 2] = record.data.substr(i, 2);
  return bytes;
}

class EepromJob : public SimRig {
 protected:
  void SetUp() override {
    SimRig::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(session_->Connect(false));
  }
  void BreakNextReply() { sim_->SetFaultPlan({.segmentGapMs = 5, .resetMidReply = true}); }

  // Every byte stored is in the image the brain now holds, at its address.
  void ExpectTheBrainHoldsTheImage() {
    const EepromReadResult read = ReadEepromImage(engine(), EepromProbeAddress(), kMaxBytes, kKernelRevision);
    ASSERT_TRUE(read.ok) << LogText();
    const auto held = ImageBytes(read.text);
    std::size_t wrong = 0;
    for (const auto& [address, byte] : ImageBytes(ImageText()))
      wrong += !held.contains(address) || held.at(address) != byte;
    EXPECT_EQ(wrong, 0u);
  }
};

class EepromStoreCut : public EepromJob, public ::testing::WithParamInterface<int> {};

TEST_P(EepromStoreCut, StopsWithAMessageAndARetryCompletes) {
  const int cutAt = GetParam();
  prompter_.answers = {Answer::Yes, Answer::Yes};
  FaultAtRequest faulty(engine(), cutAt, [this] { BreakNextReply(); });
  EXPECT_FALSE(StoreEepromImage(faulty, ImageText(), kMaxBytes));
  EXPECT_EQ(faulty.Requests(), cutAt) << "the job went on after the connection broke";
  const std::string verdict = cutAt < kStoreRequests ? kStoreNotPerformed : kStoreFailed;
  EXPECT_EQ(prompter_.Messages(), (std::vector<std::string>{kNotConnected, verdict}));
  EXPECT_EQ(prompter_.statusShown, 0);
  // Before the store command nothing reaches the flash. (A reset under the command's own reply
  // leaves it unknown whether the brain stored: the job says it did not succeed, which is honest.)
  if (cutAt < kStoreRequests) {
    EXPECT_TRUE(sim_->WithBrain([](sim::Brain& brain) { return brain.FlashEmpty(); }));
  }

  // The job does not reconnect behind the operator's back: the retry follows a Connect.
  sim_->SetFaultPlan({});
  prompter_.Clear();
  ASSERT_TRUE(session_->Connect(false));
  ASSERT_TRUE(StoreEepromImage(engine(), ImageText(), kMaxBytes)) << LogText();
  EXPECT_EQ(prompter_.Messages(), std::vector<std::string>{kStoreComplete});
  ExpectTheBrainHoldsTheImage();
}

// The first block, one in the middle of a record, the last block, and the store command itself.
INSTANTIATE_TEST_SUITE_P(AtRequest, EepromStoreCut, ::testing::Values(1, 5, 9, kStoreRequests));

TEST_F(EepromJob, ReadResetInTheMiddleGivesNoImageAndARetryReadsItWhole) {
  prompter_.answers = {Answer::Yes};
  ASSERT_TRUE(StoreEepromImage(engine(), ImageText(), kMaxBytes));
  prompter_.Clear();

  FaultAtRequest faulty(engine(), 3, [this] { BreakNextReply(); });
  const EepromReadResult broken = ReadEepromImage(faulty, EepromProbeAddress(), kMaxBytes, kKernelRevision);
  EXPECT_FALSE(broken.ok);
  EXPECT_EQ(broken.text, "");  // nothing a data file could be saved from
  EXPECT_EQ(broken.image, "");
  EXPECT_EQ(faulty.Requests(), 3);
  const auto messages = prompter_.Messages();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.front(), kNotConnected);
  EXPECT_EQ(messages.back(), kReadFailed);

  sim_->SetFaultPlan({});
  prompter_.Clear();
  ExpectTheBrainHoldsTheImage();
  EXPECT_EQ(prompter_.Messages(), std::vector<std::string>{});
}

}  // namespace
}  // namespace kestrio::integration
