#include "framework/sound/pulse_output.h"

#include <pulse/pulseaudio.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

#include "framework/sound/pulse_output_impl.h"

namespace fw {
namespace {

pa_time_event* timerIn(pa_mainloop_api* api, int ms, pa_time_event_cb_t callback, void* data) {
  timeval when{};
  pa_gettimeofday(&when);
  pa_timeval_add(&when, static_cast<pa_usec_t>(ms) * PA_USEC_PER_MSEC);
  return api->time_new(api, &when, callback, data);
}

}  // namespace

void PulseOutput::Impl::say(const std::string& line) noexcept {
  try {
    if (report) report(line);
  } catch (...) {
  }
}

void PulseOutput::Impl::connect() {
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
void PulseOutput::Impl::begin(pa_mainloop_api*, void* data) noexcept {
  Impl& d = *static_cast<Impl*>(data);
  if (d.stopping) return;
  d.startWait = timerIn(d.api, kAnswerWaitMs, &Impl::startWaitOver, &d);
  d.connect();
}

void PulseOutput::Impl::contextState(pa_context* c, void* data) noexcept {
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
void PulseOutput::Impl::settle(Start outcome) {
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
void PulseOutput::Impl::loseLater() {
  if (lossPending) return;
  lossPending = true;
  pa_mainloop_api_once(api, &Impl::lose, this);
}

void PulseOutput::Impl::lose(pa_mainloop_api*, void* data) noexcept {
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

void PulseOutput::Impl::retryNow(pa_mainloop_api* api, pa_time_event* e, const timeval*,
                                 void* data) noexcept {
  Impl& d = *static_cast<Impl*>(data);
  api->time_free(e);
  d.retry = nullptr;
  if (!d.stopping && !d.context) d.connect();
}

void PulseOutput::Impl::startWaitOver(pa_mainloop_api* api, pa_time_event* e, const timeval*,
                                      void* data) noexcept {
  Impl& d = *static_cast<Impl*>(data);
  api->time_free(e);
  d.startWait = nullptr;
  // A context still there is still connecting or waiting for the server's reply.
  d.settle(d.context ? Start::NotAnswering : Start::NoServer);
}

void PulseOutput::Impl::dropContext() {
  ready = false;
  if (!context) return;
  pa_context_set_state_callback(context, nullptr, nullptr);
  pa_context_disconnect(context);
  pa_context_unref(context);
  context = nullptr;
}

void PulseOutput::Impl::noteThread(pa_mainloop_api*, void* data) noexcept {
  Impl& d = *static_cast<Impl*>(data);
  d.tid = gettid();
  pa_threaded_mainloop_signal(d.loop, 0);
}
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
  d.wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (d.wakeFd >= 0)
    d.wakeEvent = d.api->io_new(d.api, d.wakeFd, PA_IO_EVENT_INPUT, &Impl::woken, &d);
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
    if (d.wakeEvent) d.api->io_free(d.wakeEvent);
    d.wakeEvent = nullptr;
    pa_threaded_mainloop_unlock(d.loop);
    pa_threaded_mainloop_stop(d.loop);
    pa_threaded_mainloop_free(d.loop);
  }
  if (d.wakeFd >= 0) close(d.wakeFd);
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
  if (d.wakeEvent) {
    const uint64_t one = 1;
    if (write(d.wakeFd, &one, sizeof one) == sizeof one) return;
  }
  // No event to tell the loop by (no file descriptor left for one): with its lock.
  pa_threaded_mainloop_lock(d.loop);
  d.noteOn();
  pa_threaded_mainloop_unlock(d.loop);
}

double PulseOutput::bufferMs() const {
  return 1000.0 * impl_->buffer.frames() / impl_->rate;
}

pid_t PulseOutput::renderingThread() const {
  return impl_->tid;
}

}  // namespace fw
