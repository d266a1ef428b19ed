#pragma once
// The commissioning report of the connected unit as it stands: date and host, the status page, the
// rack with each point's type and live value, the shipped option pages and the configuration
// window's eight views, as one Markdown or HTML document for a sign-off sheet.
#include <string>
#include <vector>

#include "core/session.h"
#include "unit/report_document.h"
#include "unit/unit_reads.h"

namespace kestrio::unit {

enum class ReportFormat { Markdown, Html };

struct ReportResult {
  std::string text;
  std::vector<std::string> unread;  // sections that could not be read (they say so in the report too)
  std::vector<std::string> said;
  bool ok() const { return unread.empty(); }
};

// Gathers the report's data from the brain into a document.
ReportDocument BuildUnitReport(Session& session, std::vector<std::string>& unread,
                               std::vector<std::string>& said, const UnitProgress& progress = {});

ReportResult UnitReport(Session& session, ReportFormat format, const UnitProgress& progress = {});

}  // namespace kestrio::unit
