#pragma once
// The commissioning report as data (sections of paragraphs and tables) and its two renderings,
// Markdown and a standalone HTML page. Plain C++.
#include <string>
#include <vector>

namespace kestrio::unit {

struct ReportTable {
  std::string caption;  // a sub-heading above the table; may be empty
  std::vector<std::string> headers;
  std::vector<std::vector<std::string>> rows;
};

struct ReportSection {
  std::string title;
  std::vector<std::string> paragraphs;
  std::vector<ReportTable> tables;
};

struct ReportDocument {
  std::string title;
  std::vector<ReportSection> sections;
};

// Cells are escaped for each format: "|" and line breaks in Markdown, "<", "&" and quotes in HTML.
std::string RenderMarkdown(const ReportDocument& doc);
std::string RenderHtml(const ReportDocument& doc);

}  // namespace kestrio::unit
