#include "framework/sound/stream_buffer.h"

#include <cstdio>

#include "framework/sound/realtime.h"

namespace fw {
namespace {

// The stream's buffer (the latency asked of the server, which splits it between the
// stream and the sink), in frames at 48 kHz. It decides how late the rendering thread may
// be before a gap of silence is heard. Gaps in six one-second notes on a PulseAudio null
// sink (server at SCHED_RR 5), one busy loop per core at normal priority; real-time
// given to the thread with chrt -r 4; each run, first with other builds also running
// (load about 8 on 8 cores before the busy loops), then without them (load about 4):
//   frames   real-time   gaps, busy machine        gaps, calmer machine
//     256       yes        3, 12, 4, 15               3, 4
//     384       yes        7, 12, 10
//     480       yes        2, 1, 11, 1, 2             0, 0
//     640       yes        2
//     320       no         21
//     480       no         6, 8
//     640       no         2, 5, 6, 16, 4, 5, 1       0
//     960       no         0, 1, 0, 3, 3              0, 0, 0
// and later, the program itself run as nobody with RealtimeKit granting its thread, on a
// quiet machine (load below 0.3 before the busy loops), the bench's gap trial:
//     480       yes        3, 0, 0, 0, 1, 0, 0, 1, 1
//     640       yes        0, 0, 0, 0, 1, 0, 0, 0
//     960       yes        0, 0, 0, 0
// These machines stall even real-time threads for 5-20 ms now and then, so below about
// 600 frames a run of six notes too often has more than one gap.
// The buffer costs key to sound only while the last note still rings (median of 10:
// 9.7 ms at 480 frames, 17.9 ms at 960): a note after quiet drops the quiet sound queued
// ahead of it (pulse_output's kInaudible), which makes key to sound about 3 ms at
// either size.
constexpr int kRealtimeFrames = 640;
constexpr int kPlainFrames = 960;
// SCHED_RR priority asked for: at most RealtimeKit's default limit of 20, and below the
// sound server's own threads (PipeWire 20 through RealtimeKit, PulseAudio 5), so the
// server is never kept waiting by its client; any real-time priority is above every
// busy normal thread, which is what keeps the sound steady.
constexpr int kRealtimePriority = 4;

}  // namespace

StreamBuffer::StreamBuffer() : frames_(kPlainFrames) {}

StreamBuffer::~StreamBuffer() {
  if (request_.joinable()) request_.join();
}

void StreamBuffer::requestRealtime(pid_t tid, int sampleRate, Report report) {
  if (request_.joinable()) return;
  sampleRate_ = sampleRate;
  report_ = std::move(report);
  request_ = std::thread([this, tid] {
    const RealtimeResult result = makeThreadRealtime(tid, kRealtimePriority);
    granted_ = result.grant != RealtimeGrant::None;
    refusal_ = result.reason.empty() ? "refused" : result.reason;
    frames_ = granted_ ? kRealtimeFrames : kPlainFrames;
    decided_ = true;
    tellOnce();
  });
}

void StreamBuffer::streamOpened() noexcept {
  streamed_ = true;
  tellOnce();
}

// Both the request's thread and the stream's opener get here; whichever comes second
// says the line, and only once.
void StreamBuffer::tellOnce() noexcept {
  if (!decided_ || granted_ || !streamed_ || told_.exchange(true)) return;
  char ms[16];
  std::snprintf(ms, sizeof ms, "%.0f", 1000.0 * frames_ / sampleRate_);
  try {
    if (report_)
      report_("no real-time scheduling for the sound (" + refusal_ + "): a " + ms +
              " ms buffer keeps it steady");
  } catch (...) {
  }
}

}  // namespace fw
