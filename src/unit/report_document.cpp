#include "unit/report_document.h"

namespace kestrio::unit {

namespace {

std::string MarkdownCell(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '|') {
      out += "\\|";
    } else if (c == '\n') {
      out += "<br>";
    } else if (c != '\r') {
      out += c;
    }
  }
  // Leading and trailing blanks carry no meaning in a table and Markdown drops them anyway.
  const auto first = out.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

std::string Html(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\n':
        out += "<br>";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

std::string RenderMarkdown(const ReportDocument& doc) {
  std::string out = "# " + doc.title + "\n";
  for (const ReportSection& s : doc.sections) {
    out += "\n## " + s.title + "\n";
    for (const std::string& p : s.paragraphs) out += "\n" + p + "\n";
    for (const ReportTable& t : s.tables) {
      if (!t.caption.empty()) out += "\n### " + t.caption + "\n";
      out += "\n|";
      for (const std::string& h : t.headers) out += " " + MarkdownCell(h) + " |";
      out += "\n|";
      for (std::size_t i = 0; i < t.headers.size(); ++i) out += " --- |";
      out += "\n";
      for (const auto& row : t.rows) {
        out += "|";
        for (std::size_t i = 0; i < t.headers.size(); ++i)
          out += " " + (i < row.size() ? MarkdownCell(row[i]) : std::string()) + " |";
        out += "\n";
      }
    }
  }
  return out;
}

std::string RenderHtml(const ReportDocument& doc) {
  std::string out =
      "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + Html(doc.title) +
      "</title>\n<style>body{font-family:sans-serif}table{border-collapse:collapse;margin-bottom:1em}"
      "th,td{border:1px solid #999;padding:2px 6px;text-align:left}</style>\n</head>\n<body>\n<h1>" +
      Html(doc.title) + "</h1>\n";
  for (const ReportSection& s : doc.sections) {
    out += "<h2>" + Html(s.title) + "</h2>\n";
    for (const std::string& p : s.paragraphs) out += "<p>" + Html(p) + "</p>\n";
    for (const ReportTable& t : s.tables) {
      if (!t.caption.empty()) out += "<h3>" + Html(t.caption) + "</h3>\n";
      out += "<table>\n<tr>";
      for (const std::string& h : t.headers) out += "<th>" + Html(h) + "</th>";
      out += "</tr>\n";
      for (const auto& row : t.rows) {
        out += "<tr>";
        for (std::size_t i = 0; i < t.headers.size(); ++i)
          out += "<td>" + (i < row.size() ? Html(row[i]) : std::string()) + "</td>";
        out += "</tr>\n";
      }
      out += "</table>\n";
    }
  }
  return out + "</body>\n</html>\n";
}

}  // namespace kestrio::unit
