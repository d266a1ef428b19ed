#pragma once
// What the unit services read from a brain, each part on its own so a part the brain does not
// answer becomes a gap rather than the end of the job. The transactions' own messages are
// collected (UnitEngine) and returned, never shown one by one in the middle of a job.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/state_tables.h"
#include "core/session.h"
#include "points/rack.h"
#include "protocol/prompter.h"
#include "transport/engine.h"
#include "unit/backup_files.h"

namespace kestrio::unit {

// Told the step a job is at ("Reading the EEPROM image"), for a progress line or dialog.
using UnitProgress = std::function<void(const std::string& step)>;

// The session's engine with a prompter of its own: every message the steps say is recorded, every
// question they ask is answered Yes (the operator has answered the job's one question already).
class UnitEngine : public ForwardingEngine {
 public:
  explicit UnitEngine(Engine& inner) : ForwardingEngine(inner) { said_.defaultAnswer = Answer::Yes; }
  Prompter& Ui() override { return said_; }
  std::vector<std::string> Said() const { return said_.Messages(); }

 private:
  ScriptedPrompter said_;
};

// The largest block of the unit jobs' reads and writes, in bytes.
inline constexpr double kUnitBlockBytes = 1000;

// The EEPROM image as a data file's text; nullopt when it could not be read.
std::optional<std::string> ReadUnitEeprom(Engine& engine, const std::string& kernelRevision);

// The event/reaction configuration; `failed` gets the kestrio-cli word of each category that the
// brain did not give whole (the tables then hold what was read of it).
config::StateGlobals ReadUnitConfiguration(Engine& engine, std::vector<std::string>& failed);

std::optional<points::RackTypes> ReadUnitRack(Engine& engine);

// The option pages the program ships (the Advanced menu's entries, in menu order): their page files.
std::vector<std::string> ShippedOptionPages();

// The writable rows of a page as the brain holds them; nullopt when the page file cannot be read
// or a row could not be read.
std::optional<OptionPageValues> ReadUnitOptionPage(Engine& engine, const std::string& pageFile);

// The gap category of a configuration category and of an option page.
std::string ConfigurationGap(const std::string& word);
std::string OptionPageGap(const std::string& pageFile);

// The status page's fields as the status window shows them, labels without their colon.
std::vector<std::pair<std::string, std::string>> StatusFields(const StatusRecord& status);

}  // namespace kestrio::unit
