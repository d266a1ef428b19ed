#include "core/scan_registry.h"

#include <utility>
#include <vector>

namespace kestrio {

ScanRegistry::Registration::Registration(ScanRegistry& registry, Scanner scanner)
    : registry_(&registry), id_(registry.Add(std::move(scanner))) {}

ScanRegistry::Registration::~Registration() {
  if (registry_) registry_->Remove(id_);
}

ScanRegistry::Registration::Registration(Registration&& other) noexcept
    : registry_(std::exchange(other.registry_, nullptr)), id_(other.id_) {}

ScanRegistry::Registration& ScanRegistry::Registration::operator=(Registration&& other) noexcept {
  if (this != &other) {
    if (registry_) registry_->Remove(id_);
    registry_ = std::exchange(other.registry_, nullptr);
    id_ = other.id_;
  }
  return *this;
}

int ScanRegistry::Add(Scanner scanner) {
  const int id = next_++;
  scanners_.emplace(id, std::move(scanner));
  return id;
}

bool ScanRegistry::Scanning() const {
  for (const auto& [id, s] : scanners_)
    if (s.scanning && s.scanning()) return true;
  return false;
}

void ScanRegistry::StopAll() {
  // A stop may close its window and unregister: act on a copy.
  std::vector<Scanner> running;
  for (const auto& [id, s] : scanners_)
    if (s.scanning && s.scanning()) running.push_back(s);
  for (const Scanner& s : running)
    if (s.stop) s.stop();
}

}  // namespace kestrio
