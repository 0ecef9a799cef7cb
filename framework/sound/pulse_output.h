#pragma once
// The program's own playback stream on the desktop's sound server: PulseAudio, or
// PipeWire through its PulseAudio service. It owns a libpulse threaded main loop whose
// thread renders the sound, a connection (context) to the server, and, only while
// something sounds, a float32 stereo 48 kHz stream.
//
// - Quiet when silent: once the renderer has reported silence, or rendered only sound
//   below hearing, for about a second the stream is closed (corked on PipeWire), so
//   neither this process nor the server wakes for it; wake() opens it again on the next
//   note.
// - Steady under load: the rendering thread asks for real-time scheduling
//   (realtime.h); the stream's buffer is small when that is granted and larger when not,
//   which is said once through the report.
// - Never in the caller's way: nothing here waits for the server. The first attempt's
//   outcome (a server answered, there is none, or one took the connection and does not
//   answer) comes through a callback, so that the caller can choose another output.
// - Back after the server goes: that is said once; the connection is retried with a
//   back-off of up to a second until a server answers, and the next note plays there,
//   as does a note that was sounding when the server went.

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>

namespace fw {

class PulseOutput {
 public:
  // Fills `frames` stereo frames into left and right (each at least that long) and
  // returns true while anything still sounds. Called on the output's own thread; it
  // must not block for long and must not throw.
  using Render = std::function<bool(float* left, float* right, int frames)>;
  // One line for the user (no program name, no newline); called from any thread.
  using Report = std::function<void(const std::string&)>;

  // How the first connection attempt ended.
  enum class Start {
    Answered,      // a server answered
    NoServer,      // none: no socket, the connection refused, or no memory for it
    NotAnswering,  // a server took the connection but has not answered within a few
                   // seconds (stopped, or hung): it is still waited for
  };
  // Called once, on the output's own thread, with its lock held: it must only note the
  // outcome and return, never call back into this object.
  using Started = std::function<void(Start)>;

  // Starts the output's thread, which connects to the server (the one $PULSE_SERVER
  // names, else the default); returns without waiting for the server. connected()
  // tells whether one answers; `started`, when given, how the first attempt ended.
  // When none answered, retrying goes on in the background. The stream and connection
  // carry applicationName and the media role "music"; the stream runs at sampleRate,
  // which the renderer must render at.
  PulseOutput(std::string applicationName, int sampleRate, Render render, Report report,
              Started started = {});
  ~PulseOutput();
  PulseOutput(const PulseOutput&) = delete;
  PulseOutput& operator=(const PulseOutput&) = delete;

  // True when the output's thread could be started at all.
  bool started() const;
  // True while a server answers.
  bool connected() const;
  // The server connected to or tried ("unix:/run/user/1000/pulse/native"); empty
  // before the first attempt.
  std::string server() const;
  // True while a stream asks for sound (for tests and measurements).
  bool streaming() const;
  // Called from the UI thread right after a note-on: opens the stream when closed (or
  // once a server answers again) and restarts the count towards closing it. Returns at
  // once: the output's thread does that work, woken through an event.
  void wake();
  // The buffer that streams are opened with now, in milliseconds.
  double bufferMs() const;
  // The kernel thread id of the rendering thread (0 when not started).
  pid_t renderingThread() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace fw
