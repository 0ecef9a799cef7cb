#include "tests/support/private_surroundings.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace testing_support {

namespace fs = std::filesystem;

namespace {

// Names the folder for the processes a test process starts again from its own binary (a
// death test run in its own process), which live in the same surroundings and leave
// them to their parent to remove: they end without returning from main.
constexpr const char* kInherited = "VELMO_TEST_SURROUNDINGS";
constexpr const char* kPrefix = "velmo-test.";

bool ended(pid_t pid) {
  return pid > 0 && kill(pid, 0) != 0 && errno == ESRCH;
}

// What process numbers count in: a /tmp shared with a container is also written by
// processes whose numbers count in another, and mean nothing here.
std::string pidNamespace() {
  std::error_code error;
  return fs::read_symlink("/proc/self/ns/pid", error).string();
}

}  // namespace

void removeLeftBehind(const fs::path& parent) {
  // Other test processes may be removing the same folders: no error here stops a run.
  std::error_code error, ignored;
  const std::string here = pidNamespace();
  for (fs::directory_iterator it(parent, error), end; !error && it != end; it.increment(error)) {
    const fs::path& dir = it->path();
    struct stat info {};
    if (dir.filename().string().rfind(kPrefix, 0) != 0 || lstat(dir.c_str(), &info) != 0 ||
        !S_ISDIR(info.st_mode) || info.st_uid != geteuid())
      continue;
    std::ifstream owner(dir / "pid");
    pid_t pid = 0;
    std::string counted;
    if (owner >> pid >> counted && counted == here && ended(pid)) fs::remove_all(dir, ignored);
  }
}

PrivateSurroundings::PrivateSurroundings() {
  if (const char* inherited = std::getenv(kInherited); inherited && fs::is_directory(inherited))
    return;
  removeLeftBehind(fs::temp_directory_path());
  std::string templ = (fs::temp_directory_path() / (std::string(kPrefix) + "XXXXXX")).string();
  if (mkdtemp(templ.data()) == nullptr) {
    // Without it the tests would run in the user's home and on the machine's buses.
    std::perror("cannot make the tests' temporary folder");
    std::exit(1);
  }
  dir_ = templ;
  std::ofstream(dir_ / "pid") << getpid() << ' ' << pidNamespace() << '\n';
  setenv(kInherited, dir_.c_str(), 1);
  const auto folder = [&](const char* variable, const char* name) {
    const fs::path path = dir_ / name;
    fs::create_directory(path);
    setenv(variable, path.c_str(), 1);
  };
  folder("HOME", "home");
  folder("XDG_CONFIG_HOME", "config");
  folder("XDG_CACHE_HOME", "cache");
  folder("XDG_DATA_HOME", "data");
  folder("XDG_STATE_HOME", "state");
  folder("XDG_RUNTIME_DIR", "run");
  fs::permissions(dir_ / "run", fs::perms::owner_all);  // as a runtime folder must be
  // Temporary files too: a name fixed in the shared /tmp would clash with another user's
  // run, or another build's running at the same time, and a file left there by another
  // user can be neither overwritten nor removed.
  folder("TMPDIR", "tmp");

  // libpulse may start a server of the user's when none answers; never in a test.
  const fs::path client = dir_ / "pulse-client.conf";
  std::ofstream(client) << "autospawn = no\n";
  setenv("PULSE_CLIENTCONFIG", client.c_str(), 1);
  // Nor the machine-wide server: a test that wants one starts its own and names it.
  setenv("PULSE_SERVER", ("unix:" + (dir_ / "no-pulse-server").string()).c_str(), 1);

  setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + (dir_ / "no-system-bus").string()).c_str(), 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (dir_ / "no-session-bus").string()).c_str(),
         1);
}

PrivateSurroundings::~PrivateSurroundings() {
  std::error_code ignored;
  if (!dir_.empty()) fs::remove_all(dir_, ignored);
}

}  // namespace testing_support
