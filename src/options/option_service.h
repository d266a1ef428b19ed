#pragma once
// An option page's transfers over the engine: "&Read" reads every row the page model plans, one
// block transfer per row; "&Write" writes the rows the model plans from the typed values, then
// sends the store command and says how it went. Everything said goes through the engine's
// Prompter; the page window and the command-line tool both call these.
//
// A transfer that gets no usable reply (a timeout, no connection) ends the job there: the rows
// after it are left unread, or unwritten and not stored, rather than each waiting out the timeout
// with a message of its own.
#include "options/option_page_model.h"
#include "transport/engine.h"

namespace kestrio::options {

struct PageReadResult {
  int read = 0;          // rows read in full
  int failed = 0;        // rows whose read the brain refused or that came back short
  bool stopped = false;  // a read got no usable reply; the rows after it were not read
  bool ok() const { return failed == 0 && !stopped; }
};

// Reads every row of the model's read plan and shows what came back in it.
PageReadResult ReadAll(Engine& engine, OptionPageModel& page);

struct PageWriteResult {
  WritePlan plan;        // what was to be written, refused and skipped
  int written = 0;       // rows the brain took
  int deviceErrors = 0;  // rows the brain refused (the status window has been asked for)
  bool stopped = false;  // a write got no usable reply: the rest and the store were not sent
  bool stored = false;   // the store command was acknowledged
  bool ok() const { return stored && deviceErrors == 0 && plan.refused.empty() && plan.skipped.empty(); }
};

// Writes the model's planned rows in row order, then sends the store command (also when rows
// were refused or skipped), and ends with the model's store message.
PageWriteResult WriteOptions(Engine& engine, const OptionPageModel& page);

}  // namespace kestrio::options
