#include "framework/sound/soundfonts.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace fw {
namespace {

// Where soundfonts live under each data directory, and the data directories when
// XDG_DATA_DIRS names none.
constexpr const char* kSoundfontFolder = "sounds/sf2";
constexpr const char* kDefaultDataDirs = "/usr/local/share:/usr/share";
// file name          (Debian package)
constexpr const char* kSoundfontFiles[] = {
    "default-GM.sf2",  // the system's choice (an alternative link)
    "FluidR3_GM.sf2",  // fluid-soundfont-gm
    "TimGM6mb.sf2",    // timgm6mb-soundfont
};

}  // namespace

std::vector<std::string> soundfontsIn(const char* xdgDataDirs) {
  auto folders = [](std::string_view dirs) {
    std::vector<std::filesystem::path> found;
    while (!dirs.empty()) {
      const size_t colon = std::min(dirs.find(':'), dirs.size());
      const std::filesystem::path dir(dirs.substr(0, colon));
      dirs.remove_prefix(std::min(colon + 1, dirs.size()));
      if (!dir.is_absolute()) continue;
      const std::filesystem::path folder = (dir / kSoundfontFolder).lexically_normal();
      if (std::find(found.begin(), found.end(), folder) == found.end()) found.push_back(folder);
    }
    return found;
  };
  std::vector<std::filesystem::path> searched = folders(xdgDataDirs ? xdgDataDirs : "");
  if (searched.empty()) searched = folders(kDefaultDataDirs);

  std::vector<std::string> paths;
  for (const char* file : kSoundfontFiles)
    for (const std::filesystem::path& folder : searched) paths.push_back((folder / file).string());
  return paths;
}

std::vector<std::string> defaultSoundfonts() {
  return soundfontsIn(std::getenv("XDG_DATA_DIRS"));
}

std::vector<std::string> soundfontFolders(const std::vector<std::string>& paths) {
  std::vector<std::string> folders;
  for (const std::string& path : paths) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    if (std::find(folders.begin(), folders.end(), folder) == folders.end())
      folders.push_back(folder);
  }
  return folders;
}

bool isSoundfontFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

std::string directoryAmong(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return path;
  }
  return {};
}

std::string cutShort(const std::string& path) {
  // "RIFF", then the size of what follows the first 8 bytes, little-endian.
  unsigned char header[8] = {};
  std::ifstream file(path, std::ios::binary);
  if (!file.read(reinterpret_cast<char*>(header), sizeof header)) return {};
  if (std::string_view(reinterpret_cast<const char*>(header), 4) != "RIFF") return {};
  const std::uint64_t declared =
      8 + (std::uint64_t{header[4]} | std::uint64_t{header[5]} << 8 |
           std::uint64_t{header[6]} << 16 | std::uint64_t{header[7]} << 24);
  std::error_code error;
  const std::uintmax_t actual = std::filesystem::file_size(path, error);
  if (error || actual >= declared) return {};
  return "cut short: " + std::to_string(actual) + " of its " + std::to_string(declared) + " bytes";
}

}  // namespace fw
