#pragma once
// This program measured side by side with the peer, the program a person would otherwise
// use to play notes (VMPK with its FluidSynth output, on the same soundfont, X display
// and sound server), the two started in turn in one run: key to sound, CPU while silent
// (with no note played, and after a note has ended), and gaps of silence in notes played
// under full load by an unprivileged user.

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "bench/figures.h"
#include "bench/probe/session.h"

namespace probe {

// What the surroundings script prepared, each with the reason when it could not.
struct Surroundings {
  std::optional<Subject> peer;
  std::string noPeer;            // why the peer is not measured
  pid_t server = -1;             // the private sound server
  std::string unprivilegedHome;  // owned by nobody; empty: why in noUnprivileged
  std::string noUnprivileged;
  bool realtimeKit = false;  // RealtimeKit answers on the system bus
  std::string noRealtimeKit;
};

// The surroundings the script describes in the environment:
//   VELMO_BENCH_SERVER_PID   the sound server's pid
//   VELMO_BENCH_PEER         the peer's program; VELMO_BENCH_PEER_CONFIG its
//                            XDG_CONFIG_HOME; VELMO_BENCH_NO_PEER why there is none
//   VELMO_BENCH_NOBODY_HOME  a folder owned by nobody; VELMO_BENCH_NO_NOBODY why not
//   VELMO_BENCH_RTKIT        "yes", or why RealtimeKit is not there
Surroundings surroundingsFromEnvironment();

// The peer's subject: VMPK started with its settings in `configHome`, its window's title,
// and 'z', which its default keyboard map gives to C of its base octave.
Subject peerSubject(const std::string& program, const std::string& configHome);

// Runs every side-by-side measurement and adds their figures to `out`.
void compareWithPeer(XClient& x, MonitorRecorder& monitor, const Subject& program,
                     const Surroundings& around, std::vector<bench::Figure>& out);

}  // namespace probe
