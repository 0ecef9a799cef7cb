#pragma once
// The trials that are run alike on this program and on the peer, each on its subject
// started afresh in the session and ended before returning.

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "bench/probe/session.h"
#include "bench/probe/silent_cpu.h"

namespace probe {

struct KeyToSound {
  std::vector<double> delays;      // ms from each key to its first audible frame
  std::vector<double> afterQuiet;  // the same for notes after a long silence
  std::string problem;             // why nothing was measured
};
// The first note waits for the soundfont; then `presses` notes, each after the last has
// ended and 50 ms of silence, then `quietNotes` notes each after `quiet` of silence.
KeyToSound keyToSoundTrial(Session& session, int presses, int quietNotes, Clock::duration quiet);

// What happens between the program's start and the CPU measured while it is silent.
enum class BeforeSilence {
  kNothing,    // no note played: the window maps, then `settle`
  kNoteEnded,  // its first note played and ended (the key released, or the space bar),
               // the recording quiet again, then `settle`
};
// CPU time of the whole program and of the sound server over `length`, starting
// `settle` after the program's window maps or after its note ended (`before`): from
// utime + stime of /proc/PID/stat. Nullopt when the program did not start, its note was
// not heard, or either process ended.
std::optional<SilentCpu> silentCpuTrial(Session& session, pid_t server, BeforeSilence before,
                                        Clock::duration settle, Clock::duration length);

struct GapTrial {
  std::optional<std::size_t> gaps;  // in the notes heard; empty when none was
  int heard = 0;                    // notes that sounded
  int realtimeThreads = 0;          // of the program, at SCHED_FIFO or SCHED_RR
  std::string problem;
};
// After a first note (the soundfont loading), `notes` notes of `length` each, with the
// monitor recorded through each, the gaps of silence counted in them (gaps.h).
GapTrial gapTrial(Session& session, int notes, Clock::duration length);

}  // namespace probe
