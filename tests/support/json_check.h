#pragma once
// The tool's --json output must be exactly one JSON object, nothing before or after it.
#include <QJsonDocument>
#include <string>

namespace kestrio::test {

inline bool IsJsonObject(const std::string& text) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
  return error.error == QJsonParseError::NoError && doc.isObject();
}

}  // namespace kestrio::test
