// The backup's own formats: checksums, the JSON reader behind the manifest, and the rack and option
// values files, each refusing what it cannot use with the line at fault.
#include "unit/backup_files.h"

#include <gmock/gmock.h>

#include "unit/json_value.h"
#include "unit/manifest.h"
#include "unit/sha256.h"
#include "unit/verify.h"

namespace kestrio::unit {
namespace {

using ::testing::HasSubstr;

TEST(Sha256Test, KnownDigestsAcrossTheOneAndTwoBlockTails) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // 56 bytes: the length no longer fits the last block, so the tail takes two.
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Sha256Hex(std::string(1000, 'a')),
            "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3");
}

TEST(JsonReaderTest, RefusesWhatIsNotOneBoundedValue) {
  struct Case {
    std::string text;
    const char* said;
  };
  const Case cases[] = {
      {"{\"a\": 1,\n \"b\": }", "line 2: not a JSON value"},
      {"\"open", "a string is not closed"},
      {"[1] 2", "text after the end of the value"},
      {std::string(40, '[') + std::string(40, ']'), "nested more than 16 levels deep"},
      {"\"\\x\"", "unknown escape"},
      {"{\"a\" 1}", "':' was expected"},
      {std::string(kMaxJsonBytes + 1, ' '), "larger than"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseJson(c.text, error)) << c.text.substr(0, 40);
    EXPECT_THAT(error, HasSubstr(c.said)) << c.text.substr(0, 40);
  }
  std::string error;
  // A byte that is not UTF-8 (a Latin-1 host name) reads and writes as U+FFFD, so the manifest stays JSON.
  const auto latin1 = ParseJson("\"caf\xe9\"", error);
  ASSERT_TRUE(latin1) << error;
  EXPECT_EQ(latin1->AsString(), "caf\xEF\xBF\xBD");
  EXPECT_EQ(JsonQuoted("caf\xe9"), "\"caf\\ufffd\"");
  // A lone high surrogate becomes U+FFFD and the escape after it is still its own character.
  const auto v = ParseJson("\"\\ud800\\u0041\\ud83d\\ude00\"", error);
  ASSERT_TRUE(v) << error;
  EXPECT_EQ(v->AsString(),
            "\xEF\xBF\xBD"
            "A\xF0\x9F\x98\x80");
}

TEST(ManifestTest, WrittenManifestReadsBackAndForeignOnesAreRefused) {
  Manifest m;
  m.created = "2026-12-07T04:10:00Z";
  m.host = "10.0.0.5";
  m.mac = "02-4B-45-53-54-01";
  m.status = {{"Kernel Revision", "02.01.00.07"}};
  m.files = {{kRackFile, std::string(64, 'a')}};
  m.gaps = {{"configuration:messages", "the brain did not answer \"messages\""}};
  std::string error;
  const auto back = ParseManifest(WriteManifest(m), error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(back->files[0].sha256, m.files[0].sha256);
  EXPECT_EQ(back->gaps[0].reason, m.gaps[0].reason);
  EXPECT_EQ(back->status, m.status);

  std::string text = WriteManifest(m);
  text.replace(text.find("\"version\": 1"), 12, "\"version\": 2");
  EXPECT_FALSE(ParseManifest(text, error));
  EXPECT_EQ(error, "its version is not 1");
}

TEST(BackupFilesTest, RackAndOptionValuesRoundTripAndRefuseBadLines) {
  points::RackTypes rack{};
  rack.RackModuleTypes[2] = 16;
  rack.RackPointTypes[8] = 65;
  rack.RackPointTypes[10] = -1;
  std::string error;
  const auto back = ParseRackText(WriteRackText(rack), error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(back->RackModuleTypes, rack.RackModuleTypes);
  EXPECT_EQ(back->RackPointTypes, rack.RackPointTypes);

  const std::string rackText = WriteRackText(rack);
  struct Case {
    std::string text;
    const char* said;
  };
  const Case rackCases[] = {
      {rackText.substr(0, rackText.rfind("slot 15")), "slot 15 is missing"},
      {rackText + "slot 3: module 0 points 1 2 3 4\n", "line 18: slot 3 appears twice"},
      {"slot 16: module 0 points 1 2 3 4\n", "the slot is not 0 to 15"},
      {"slot 0: module 0 points 1 2 3 99999999999\n", "four whole-number point types"},
      {"slot 0: module 0 points 1 2 3 4 5\n", "text after the fourth point type"},
  };
  for (const Case& c : rackCases) {
    EXPECT_FALSE(ParseRackText(c.text, error));
    EXPECT_THAT(error, HasSubstr(c.said));
  }

  const OptionValues values = {{"Network.opt", {{"FFFFF0100110", "6669656C642D6100", "Host name"}}}};
  const auto read = ParseOptionValuesText(WriteOptionValuesText(values), error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ((*read)[0].values[0].digits, "6669656C642D6100");
  EXPECT_EQ((*read)[0].values[0].label, "Host name");
  const Case optionCases[] = {
      {"FFFFF0100110 00000000 x\n", "line 1: a row comes before the first [page]"},
      {"[A]\nFFFFF01001 00000000\n", "the address is not 12 hex digits"},
      {"[A]\nFFFFF0100110 000000\n", "not whole quadlets"},
      {"[A]\n[A]\n", "page A appears twice"},
  };
  for (const Case& c : optionCases) {
    EXPECT_FALSE(ParseOptionValuesText(c.text, error));
    EXPECT_THAT(error, HasSubstr(c.said));
  }
}

// A message text with a line break or a quote keeps its difference on one line, as config diff does.
TEST(VerifyTextTest, ValuesAreQuotedAndEscaped) {
  EXPECT_EQ(DifferenceText({"Message 3 Text", "Tank \"A\"\r\nhigh", ""}),
            "Message 3 Text: backup \"Tank \\\"A\\\"\\r\\nhigh\", unit \"\"");
}

}  // namespace
}  // namespace kestrio::unit
