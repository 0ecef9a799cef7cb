// The stream half of PulseOutput (pulse_output_impl.h): opened on a note, fed by the
// renderer, closed or corked once silent.

#include <pulse/pulseaudio.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "framework/sound/pulse_output_impl.h"

namespace fw {

void PulseOutput::Impl::openStream() {
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

void PulseOutput::Impl::streamFailed() {
  if (!streamFailureSaid && context) {
    streamFailureSaid = true;
    say(std::string("no sound: the sound server refused the stream (") +
        pa_strerror(pa_context_errno(context)) + ")");
  }
  dropStream();
}

void PulseOutput::Impl::dropStream() {
  streamOpen = false;
  corked = false;
  if (!stream) return;
  pa_stream_set_state_callback(stream, nullptr, nullptr);
  pa_stream_set_write_callback(stream, nullptr, nullptr);
  pa_stream_disconnect(stream);
  pa_stream_unref(stream);
  stream = nullptr;
}

void PulseOutput::Impl::streamState(pa_stream* s, void* data) noexcept {
  Impl& d = *static_cast<Impl*>(data);
  if (s != d.stream || pa_stream_get_state(s) != PA_STREAM_FAILED) return;
  // A stream that fails with its context is the context's loss, said there.
  if (d.context && pa_context_get_state(d.context) == PA_CONTEXT_READY)
    pa_mainloop_api_once(d.api, &Impl::failStream, &d);
}

void PulseOutput::Impl::failStream(pa_mainloop_api*, void* data) noexcept {
  Impl& d = *static_cast<Impl*>(data);
  if (!d.stopping && d.stream && pa_stream_get_state(d.stream) == PA_STREAM_FAILED)
    d.streamFailed();
}

// On the main loop's thread: the server wants `bytes` more.
void PulseOutput::Impl::write(pa_stream* s, size_t bytes, void* data) noexcept {
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
void PulseOutput::Impl::closeIfIdle(pa_mainloop_api*, void* data) noexcept {
  Impl& d = *static_cast<Impl*>(data);
  d.closePending = false;
  if (d.stopping || !d.silence.idle()) return;
  if (!d.corkWhenIdle) return d.dropStream();
  if (d.corked || !d.stream) return;
  d.corked = true;
  d.streamOpen = false;
  done(pa_stream_cork(d.stream, 1, nullptr, nullptr));
}

void PulseOutput::Impl::serverInfo(pa_context* c, const pa_server_info* info, void* data) noexcept {
  Impl& d = *static_cast<Impl*>(data);
  if (c == d.context && info && info->server_name)
    d.corkWhenIdle = std::strstr(info->server_name, "PipeWire") != nullptr;
}

// With the lock held: a note was played.
void PulseOutput::Impl::noteOn() {
  silence.noteOn();
  if (stream && pa_stream_get_state(stream) == PA_STREAM_READY &&
      silence.queueInaudible(buffer.frames())) {
    done(pa_stream_flush(stream, nullptr, nullptr));
    silence.queueDropped();
  }
  if (stream && corked) {
    corked = false;
    streamOpen = true;
    done(pa_stream_cork(stream, 0, nullptr, nullptr));
  }
  if (!stream) {
    if (ready)
      openStream();
    else
      noteWaiting = true;
  }
}

void PulseOutput::Impl::woken(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t,
                              void* data) noexcept {
  uint64_t count = 0;
  if (read(fd, &count, sizeof count) < 0) return;  // EAGAIN: already taken
  Impl& d = *static_cast<Impl*>(data);
  if (!d.stopping) d.noteOn();
}

}  // namespace fw
