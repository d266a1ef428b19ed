#include "transport/session.h"

namespace kestrio {

Session::Session(Prompter& prompter, const std::string& settingsPath)
    : prompter_(prompter),
      builder_(labels_, prompter_),
      settings_(settingsPath),
      link_(builder_, prompter_, log_, settings_) {
  link_.SetTimeoutSeconds(settings_.DefaultTimeout());
  link_.SetHost(settings_.DefaultIP());
}

}  // namespace kestrio
