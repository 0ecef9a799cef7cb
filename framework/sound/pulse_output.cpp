#include "framework/sound/pulse_output.h"

#include <pulse/pulseaudio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include "framework/sound/silence_watch.h"
#include "framework/sound/stream_buffer.h"

namespace fw {
namespace {

// Retrying the server after it went away, or when none answered at start: the waits
// double from the first to the longest, so a restarted server is found within a second
// and a missing one costs a connection attempt a second (measured: no clock tick of CPU
// in 10 s).
constexpr int kRetryFirstMs = 100;
constexpr int kRetryLongestMs = 1000;
// How long a server that took the connection has to answer before the first attempt
// counts as not answering. A live server answers within milliseconds; one starting up
// (autospawned) within a second or two.
constexpr int kAnswerWaitMs = 3000;
// Frames rendered per call of the renderer; a request for more is split.
constexpr int kChunkFrames = 1024;
constexpr int kChannels = 2;
constexpr size_t kFrameBytes = kChannels * sizeof(float);
// Seen in pavucontrol under the application's name, and used to recognise the thread.
constexpr const char* kStreamName = "Notes";
constexpr const char* kThreadName = "audio-out";

void done(pa_operation* operation) {
  if (operation) pa_operation_unref(operation);
}

pa_time_event* timerIn(pa_mainloop_api* api, int ms, pa_time_event_cb_t callback, void* data) {
  timeval when{};
  pa_gettimeofday(&when);
  pa_timeval_add(&when, static_cast<pa_usec_t>(ms) * PA_USEC_PER_MSEC);
  return api->time_new(api, &when, callback, data);
}

}  // namespace

struct PulseOutput::Impl {
  std::string name;
  int rate = 48000;
  Render render;
  Report report;
  Started started;
  pa_threaded_mainloop* loop = nullptr;
  pa_mainloop_api* api = nullptr;

  // Guarded by the main loop's lock (its callbacks run holding it).
  pa_context* context = nullptr;
  pa_stream* stream = nullptr;
  pa_time_event* retry = nullptr;
  pa_time_event* startWait = nullptr;
  int retryMs = kRetryFirstMs;
  bool firstAttempt = true;
  bool settled = false;        // the first attempt's outcome is known (and was told)
  bool connectedOnce = false;  // a server answered since the last "went away"
  bool lossPending = false;
  bool closePending = false;
  bool noteWaiting = false;  // something is to sound once a server answers
  bool stopping = false;
  bool streamFailureSaid = false;
  bool corkWhenIdle = false;  // the server is PipeWire's: see closeIfIdle
  bool corked = false;
  SilenceWatch silence{rate};  // made again at the constructor's rate
  std::vector<float> left = std::vector<float>(kChunkFrames);
  std::vector<float> right = std::vector<float>(kChunkFrames);

  // Read from any thread.
  std::atomic<bool> ready{false};
  std::atomic<bool> streamOpen{false};
  std::atomic<pid_t> tid{0};
  mutable std::mutex serverMutex;
  std::string serverName;  // guarded by serverMutex

  StreamBuffer buffer;

  void say(const std::string& line) noexcept {
    try {
      if (report) report(line);
    } catch (...) {
    }
  }

  // --- the connection (all with the lock held) ---

  void connect() {
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, name.c_str());
    pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "music");
    context = pa_context_new_with_proplist(api, name.c_str(), props);
    pa_proplist_free(props);
    if (!context) {
      loseLater();
      return;
    }
    pa_context_set_state_callback(context, &Impl::contextState, this);
    // Only the first attempt may start a server, as any client would; retries only look.
    const pa_context_flags_t flags = firstAttempt ? PA_CONTEXT_NOFLAGS : PA_CONTEXT_NOAUTOSPAWN;
    firstAttempt = false;
    if (pa_context_connect(context, nullptr, flags, nullptr) < 0) return loseLater();
    if (const char* server = pa_context_get_server(context)) {
      std::lock_guard lock(serverMutex);
      serverName = server;
    }
  }

  // On the main loop's thread: the first attempt, and the time it has to be answered.
  static void begin(pa_mainloop_api*, void* data) noexcept {
    Impl& d = *static_cast<Impl*>(data);
    if (d.stopping) return;
    d.startWait = timerIn(d.api, kAnswerWaitMs, &Impl::startWaitOver, &d);
    d.connect();
  }

  static void contextState(pa_context* c, void* data) noexcept {
    Impl& d = *static_cast<Impl*>(data);
    if (c != d.context) return;
    switch (pa_context_get_state(c)) {
      case PA_CONTEXT_READY:
        done(pa_context_get_server_info(c, &Impl::serverInfo, &d));
        d.ready = true;
        d.connectedOnce = true;
        d.retryMs = kRetryFirstMs;
        d.settle(Start::Answered);
        if (d.noteWaiting) {
          d.noteWaiting = false;
          d.openStream();
        }
        break;
      case PA_CONTEXT_FAILED:
      case PA_CONTEXT_TERMINATED:
        d.loseLater();
        break;
      default:
        break;
    }
  }

  // Tells the first attempt's outcome, once.
  void settle(Start outcome) {
    if (settled) return;
    settled = true;
    if (startWait) {
      api->time_free(startWait);
      startWait = nullptr;
    }
    try {
      if (started) started(outcome);
    } catch (...) {
    }
  }

  // The context is let go outside its own callbacks.
  void loseLater() {
    if (lossPending) return;
    lossPending = true;
    pa_mainloop_api_once(api, &Impl::lose, this);
  }

  static void lose(pa_mainloop_api*, void* data) noexcept {
    Impl& d = *static_cast<Impl*>(data);
    d.lossPending = false;
    if (d.stopping) return;
    // A stream that was asking for sound had voices to render: they play on once a
    // server answers again, as a note that came while none did.
    if (d.stream && !d.corked) d.noteWaiting = true;
    d.dropStream();
    d.dropContext();
    d.settle(Start::NoServer);
    if (d.connectedOnce) {
      d.connectedOnce = false;
      d.say("the sound server went away: no sound until it is back");
    }
    if (!d.stopping && !d.retry) {
      d.retry = timerIn(d.api, d.retryMs, &Impl::retryNow, &d);
      d.retryMs = std::min(2 * d.retryMs, kRetryLongestMs);
    }
  }

  static void retryNow(pa_mainloop_api* api, pa_time_event* e, const timeval*,
                       void* data) noexcept {
    Impl& d = *static_cast<Impl*>(data);
    api->time_free(e);
    d.retry = nullptr;
    if (!d.stopping && !d.context) d.connect();
  }

  static void startWaitOver(pa_mainloop_api* api, pa_time_event* e, const timeval*,
                            void* data) noexcept {
    Impl& d = *static_cast<Impl*>(data);
    api->time_free(e);
    d.startWait = nullptr;
    // A context still there is still connecting or waiting for the server's reply.
    d.settle(d.context ? Start::NotAnswering : Start::NoServer);
  }

  void dropContext() {
    ready = false;
    if (!context) return;
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
    context = nullptr;
  }

  // --- the stream (all with the lock held) ---

  void openStream() {
    if (stream || !context || !ready) return;
    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(rate), kChannels};
    pa_channel_map map;
    pa_channel_map_init_stereo(&map);
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "music");
    pa_proplist_sets(props, PA_PROP_MEDIA_NAME, kStreamName);
    stream = pa_stream_new_with_proplist(context, kStreamName, &format, &map, props);
    pa_proplist_free(props);
    if (!stream) return streamFailed();
    pa_stream_set_state_callback(stream, &Impl::streamState, this);
    pa_stream_set_write_callback(stream, &Impl::write, this);
    const uint32_t bytes = static_cast<uint32_t>(buffer.frames()) * kFrameBytes;
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = bytes;
    attr.prebuf = static_cast<uint32_t>(-1);
    attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(-1);
    if (pa_stream_connect_playback(stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr,
                                   nullptr) < 0)
      return streamFailed();
    silence.streamOpened();
    streamOpen = true;
    buffer.streamOpened();
  }

  void streamFailed() {
    if (!streamFailureSaid && context) {
      streamFailureSaid = true;
      say(std::string("no sound: the sound server refused the stream (") +
          pa_strerror(pa_context_errno(context)) + ")");
    }
    dropStream();
  }

  void dropStream() {
    streamOpen = false;
    corked = false;
    if (!stream) return;
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    pa_stream_disconnect(stream);
    pa_stream_unref(stream);
    stream = nullptr;
  }

  static void streamState(pa_stream* s, void* data) noexcept {
    Impl& d = *static_cast<Impl*>(data);
    if (s != d.stream || pa_stream_get_state(s) != PA_STREAM_FAILED) return;
    // A stream that fails with its context is the context's loss, said there.
    if (d.context && pa_context_get_state(d.context) == PA_CONTEXT_READY)
      pa_mainloop_api_once(d.api, &Impl::failStream, &d);
  }

  static void failStream(pa_mainloop_api*, void* data) noexcept {
    Impl& d = *static_cast<Impl*>(data);
    if (!d.stopping && d.stream && pa_stream_get_state(d.stream) == PA_STREAM_FAILED)
      d.streamFailed();
  }

  // On the main loop's thread: the server wants `bytes` more.
  static void write(pa_stream* s, size_t bytes, void* data) noexcept {
    Impl& d = *static_cast<Impl*>(data);
    if (s != d.stream) return;
    while (bytes >= kFrameBytes) {
      void* buffer = nullptr;
      size_t size = bytes;
      if (pa_stream_begin_write(s, &buffer, &size) < 0 || !buffer) return;
      const int n = static_cast<int>(
          std::min(std::min(size, bytes) / kFrameBytes, static_cast<size_t>(kChunkFrames)));
      if (n == 0) {
        pa_stream_cancel_write(s);
        return;
      }
      bool sounding = false;
      try {
        sounding = d.render(d.left.data(), d.right.data(), n);
      } catch (...) {
        std::fill_n(d.left.begin(), n, 0.0f);
        std::fill_n(d.right.begin(), n, 0.0f);
      }
      float* out = static_cast<float*>(buffer);
      float peak = 0.0f;
      for (int i = 0; i < n; ++i) {
        out[2 * i] = d.left[i];
        out[2 * i + 1] = d.right[i];
        peak = std::max(peak, std::max(std::fabs(d.left[i]), std::fabs(d.right[i])));
      }
      d.silence.rendered(n, peak, sounding);
      pa_stream_write(s, buffer, n * kFrameBytes, nullptr, 0, PA_SEEK_RELATIVE);
      bytes -= n * kFrameBytes;
    }
    if (d.silence.idle() && !d.closePending) {
      d.closePending = true;
      pa_mainloop_api_once(d.api, &Impl::closeIfIdle, &d);
    }
  }

  // Closed on PulseAudio, corked on PipeWire: the measurements are in silence_watch.cpp.
  static void closeIfIdle(pa_mainloop_api*, void* data) noexcept {
    Impl& d = *static_cast<Impl*>(data);
    d.closePending = false;
    if (d.stopping || !d.silence.idle()) return;
    if (!d.corkWhenIdle) return d.dropStream();
    if (d.corked || !d.stream) return;
    d.corked = true;
    d.streamOpen = false;
    done(pa_stream_cork(d.stream, 1, nullptr, nullptr));
  }

  static void serverInfo(pa_context* c, const pa_server_info* info, void* data) noexcept {
    Impl& d = *static_cast<Impl*>(data);
    if (c == d.context && info && info->server_name)
      d.corkWhenIdle = std::strstr(info->server_name, "PipeWire") != nullptr;
  }

  static void noteThread(pa_mainloop_api*, void* data) noexcept {
    Impl& d = *static_cast<Impl*>(data);
    d.tid = gettid();
    pa_threaded_mainloop_signal(d.loop, 0);
  }
};

PulseOutput::PulseOutput(std::string applicationName, int sampleRate, Render render, Report report,
                         Started started)
    : impl_(std::make_unique<Impl>()) {
  Impl& d = *impl_;
  d.name = std::move(applicationName);
  d.rate = sampleRate;
  d.silence = SilenceWatch(sampleRate);
  d.render = std::move(render);
  d.report = std::move(report);
  d.started = std::move(started);
  d.loop = pa_threaded_mainloop_new();
  if (!d.loop) return;
  d.api = pa_threaded_mainloop_get_api(d.loop);
  pa_threaded_mainloop_set_name(d.loop, kThreadName);
  if (pa_threaded_mainloop_start(d.loop) < 0) {
    pa_threaded_mainloop_free(d.loop);
    d.loop = nullptr;
    return;
  }
  // Connecting runs on the output's thread: even its first step may block (libpulse
  // starts a server itself when the configuration asks it to). Only the thread's own
  // start is waited for, to know its id.
  pa_threaded_mainloop_lock(d.loop);
  pa_mainloop_api_once(d.api, &Impl::noteThread, &d);
  pa_mainloop_api_once(d.api, &Impl::begin, &d);
  while (d.tid == 0) pa_threaded_mainloop_wait(d.loop);
  pa_threaded_mainloop_unlock(d.loop);
  d.buffer.requestRealtime(d.tid, sampleRate, d.report);
}

PulseOutput::~PulseOutput() {
  Impl& d = *impl_;
  if (d.loop) {
    pa_threaded_mainloop_lock(d.loop);
    d.stopping = true;
    d.connectedOnce = false;
    d.dropStream();
    d.dropContext();
    if (d.retry) d.api->time_free(d.retry);
    d.retry = nullptr;
    if (d.startWait) d.api->time_free(d.startWait);
    d.startWait = nullptr;
    pa_threaded_mainloop_unlock(d.loop);
    pa_threaded_mainloop_stop(d.loop);
    pa_threaded_mainloop_free(d.loop);
  }
}

bool PulseOutput::started() const {
  return impl_->loop != nullptr;
}

bool PulseOutput::connected() const {
  return impl_->ready;
}

std::string PulseOutput::server() const {
  std::lock_guard lock(impl_->serverMutex);
  return impl_->serverName;
}

bool PulseOutput::streaming() const {
  return impl_->streamOpen;
}

void PulseOutput::wake() {
  Impl& d = *impl_;
  if (!d.loop) return;
  pa_threaded_mainloop_lock(d.loop);
  d.silence.noteOn();
  if (d.stream && pa_stream_get_state(d.stream) == PA_STREAM_READY &&
      d.silence.queueInaudible(d.buffer.frames())) {
    done(pa_stream_flush(d.stream, nullptr, nullptr));
    d.silence.queueDropped();
  }
  if (d.stream && d.corked) {
    d.corked = false;
    d.streamOpen = true;
    done(pa_stream_cork(d.stream, 0, nullptr, nullptr));
  }
  if (!d.stream) {
    if (d.ready)
      d.openStream();
    else
      d.noteWaiting = true;
  }
  pa_threaded_mainloop_unlock(d.loop);
}

double PulseOutput::bufferMs() const {
  return 1000.0 * impl_->buffer.frames() / impl_->rate;
}

pid_t PulseOutput::renderingThread() const {
  return impl_->tid;
}

}  // namespace fw
