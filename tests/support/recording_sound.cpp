#include "tests/support/recording_sound.h"

#include <memory>

namespace fw {

RecordingSynthesiser& recordingSound() {
  // Installed again if a test replaced it meanwhile, so the reference never dangles.
  static RecordingSynthesiser* installed = nullptr;
  if (installed == nullptr || installedSynthesiser() != installed) {
    auto owned = std::make_unique<RecordingSynthesiser>();
    installed = owned.get();
    installSynthesiser(std::move(owned));
  }
  return *installed;
}

}  // namespace fw

namespace fw {

std::function<void(const std::string&)> SoundReports::sink() {
  return [this](const std::string& line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(line);
  };
}

std::vector<std::string> SoundReports::lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

}  // namespace fw
