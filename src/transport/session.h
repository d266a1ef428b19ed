#pragma once
// The process-wide state of one run, owned in one place: created in main() (and in each test)
// and passed by reference. Members are built in the order listed; later layers add their own
// state owners beside this one.
#include <string>

#include "protocol/packet.h"
#include "protocol/prompter.h"
#include "transport/link.h"
#include "transport/message_log.h"
#include "transport/settings.h"

namespace kestrio {

class Session {
 public:
  // `settingsPath` empty: the machine's settings store; otherwise an INI file at that path.
  // Start-up reads the timeout and the last host from the settings.
  explicit Session(Prompter& prompter, const std::string& settingsPath = {});
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  TransactionLabels& Labels() { return labels_; }
  PacketBuilder& Builder() { return builder_; }
  MessageLog& Log() { return log_; }
  Settings& SettingsStore() { return settings_; }
  Link& GetLink() { return link_; }
  kestrio::Engine& Engine() { return link_; }
  Prompter& Ui() { return prompter_; }

 private:
  Prompter& prompter_;
  TransactionLabels labels_;
  PacketBuilder builder_;
  MessageLog log_;
  Settings settings_;
  Link link_;
};

}  // namespace kestrio
