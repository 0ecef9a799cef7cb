#pragma once
// The surroundings every test process runs in: a temporary folder of its own that holds
// its home, configuration, cache, runtime and temporary folders, so that no test writes
// into the user's home (libpulse keeps its cookie under the configuration folder) or the
// shared /tmp, or finds the user's sound server there; and a system and a session D-Bus
// address that name sockets which do not exist there, so that no test talks to the
// machine's buses (the system bus would start RealtimeKit and grant real-time scheduling
// depending on the machine). A test that wants a bus of its own sets the variable itself.

#include <filesystem>

namespace testing_support {

class PrivateSurroundings {
 public:
  // Makes the folder and points the environment at it; call before anything reads it.
  // A process started by a test process keeps its parent's surroundings.
  PrivateSurroundings();
  // Removes the folder, if this process made it, and all that the tests left in it.
  ~PrivateSurroundings();
  PrivateSurroundings(const PrivateSurroundings&) = delete;
  PrivateSurroundings& operator=(const PrivateSurroundings&) = delete;

 private:
  std::filesystem::path dir_;
};

// Removes from PARENT the folders of test processes that ended without removing their
// own (a run stopped with Ctrl+C skips every destructor): each folder names its process
// and the process numbers' namespace in a file "pid", and goes once no process of that
// number runs. A folder whose process still runs, or counts in another namespace, or that
// has no such file yet, or is not this user's, is left.
void removeLeftBehind(const std::filesystem::path& parent);

}  // namespace testing_support
