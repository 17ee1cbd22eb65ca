// The stream is fed from memory: the sound, then silence. A short sound goes to the
// server whole the moment it starts, so however late the game or this thread is woken
// on a busy machine, the server already holds every sample; a new start flushes what is
// queued and is heard within the stream's short target latency. Longer sounds stream.
// One stream in one format carries every sound, whatever its file's rate and channels:
// opening a stream takes PipeWire tens of milliseconds to link, which a click after
// a sound of another format would be heard late by. After a second of silence the
// stream is corked rather than closed, so nothing wakes the game while no sound plays
// and the next sound is not held up either.
#include "resources/PulsePlayer.h"

#include <pulse/context.h>
#include <pulse/proplist.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace hop::resources {

namespace {

constexpr pa_usec_t kTargetLatency = 20 * PA_USEC_PER_MSEC;
constexpr pa_usec_t kRequestSize = 5 * PA_USEC_PER_MSEC;
// Up to this long a sound is written in one piece; the server keeps it in memory.
constexpr pa_usec_t kWholeSound = 10 * PA_USEC_PER_SEC;
constexpr pa_sample_spec kFormat{PA_SAMPLE_S16LE, 48000, 2};
constexpr std::size_t kFrameBytes = 4;

class Locked {
public:
    explicit Locked(pa_threaded_mainloop* loop) : loop_(loop) { pa_threaded_mainloop_lock(loop_); }
    ~Locked() { pa_threaded_mainloop_unlock(loop_); }

private:
    pa_threaded_mainloop* loop_;
};

} // namespace

PulsePlayer::~PulsePlayer()
{
    if (!loop_)
        return;
    {
        Locked lock(loop_);
        closeStream();
        if (context_) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
        if (idleCork_)
            pa_threaded_mainloop_get_api(loop_)->defer_free(idleCork_);
    }
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
}

void PulsePlayer::start(std::shared_ptr<const Wave> wave)
{
    if (!loop_) {
        // The connection starts with the first sound, on PulseAudio's thread, never
        // ahead of the game's first window.
        loop_ = pa_threaded_mainloop_new();
        if (!loop_)
            return;
        pa_threaded_mainloop_set_name(loop_, "hop-sound");
        if (pa_threaded_mainloop_start(loop_) < 0) {
            pa_threaded_mainloop_free(loop_);
            loop_ = nullptr;
            return;
        }
    }
    Locked lock(loop_);
    wave_ = std::move(wave);
    position_ = 0;
    // The sound's length in the stream's frames, rounded up.
    length_ = wave_ ? (wave_->samples.size() / std::size_t(wave_->channels) * kFormat.rate + std::size_t(wave_->rate) - 1) /
                          std::size_t(wave_->rate)
                    : 0;
    silentBytes_ = 0;
    const bool streaming = stream_ && pa_stream_get_state(stream_) == PA_STREAM_READY;
    if (!wave_) {
        if (streaming && !corked_)  // a corked stream plays nothing: no need to wake it
            cut();
        return;
    }
    if (!context_) {
        connectContext();
        return;  // the stream opens once the context is ready
    }
    if (pa_context_get_state(context_) != PA_CONTEXT_READY)
        return;
    if (!stream_)
        openStream();
    else if (streaming)
        cut();
    // A stream still connecting starts the sound from its first request.
}

void PulsePlayer::cut()
{
    // What is queued may be a whole sound: it goes, and the new one starts at once.
    pa_operation* flushed = pa_stream_flush(stream_, nullptr, nullptr);
    if (flushed)
        pa_operation_unref(flushed);
    feed(pa_usec_to_bytes(kTargetLatency, &kFormat), true);
    if (corked_) {
        corked_ = false;
        if (pa_operation* uncorked = pa_stream_cork(stream_, 0, nullptr, nullptr))
            pa_operation_unref(uncorked);
    }
}

void PulsePlayer::connectContext()
{
    // How desktop mixers name and show the game's sounds.
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Hopstone");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, HOPSTONE_APP_ID);
    pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, HOPSTONE_APP_ID);
    context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "Hopstone", props);
    pa_proplist_free(props);
    if (!context_)
        return;
    pa_context_set_state_callback(context_, &PulsePlayer::contextChanged, this);
    // No autospawn: without a server the game is silent rather than starting one.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 && context_) {
        // (A failure reported through the state callback has already let it go.)
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_unref(context_);
        context_ = nullptr;
    }
}

void PulsePlayer::contextChanged(pa_context* context, void* self)
{
    auto* player = static_cast<PulsePlayer*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        if (player->wave_ && !player->stream_)
            player->openStream();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        // The server went away; the next sound tries to connect afresh.
        player->closeStream();
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_unref(context);
        player->context_ = nullptr;
        break;
    default:
        break;
    }
}

void PulsePlayer::openStream()
{
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "game");
    stream_ = pa_stream_new_with_proplist(context_, "Hopstone", &kFormat, nullptr, props);
    pa_proplist_free(props);
    if (!stream_)
        return;
    corked_ = false;
    if (!idleCork_) {
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
        idleCork_ = api->defer_new(api, &PulsePlayer::corkWhenIdle, this);
        api->defer_enable(idleCork_, 0);
    }
    pa_stream_set_state_callback(stream_, &PulsePlayer::streamChanged, this);
    pa_stream_set_write_callback(stream_, &PulsePlayer::streamWants, this);
    pa_buffer_attr attr;
    attr.maxlength = std::uint32_t(-1);
    attr.tlength = std::uint32_t(pa_usec_to_bytes(kTargetLatency, &kFormat));
    attr.prebuf = std::uint32_t(-1);
    attr.minreq = std::uint32_t(pa_usec_to_bytes(kRequestSize, &kFormat));
    attr.fragsize = std::uint32_t(-1);
    if (pa_stream_connect_playback(stream_, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) < 0)
        closeStream();
}

void PulsePlayer::closeStream()
{
    if (!stream_)
        return;
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
}

void PulsePlayer::streamChanged(pa_stream* stream, void* self)
{
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED)
        static_cast<PulsePlayer*>(self)->closeStream();
}

void PulsePlayer::streamWants(pa_stream*, std::size_t bytes, void* self)
{
    static_cast<PulsePlayer*>(self)->feed(bytes, false);
}

void PulsePlayer::render(std::int16_t* out, std::size_t frames)
{
    // Linear interpolation between the file's frames; mono goes to both channels.
    const std::size_t channels = std::size_t(wave_->channels);
    const std::size_t last = wave_->samples.size() / channels - 1;
    const double step = double(wave_->rate) / kFormat.rate;
    for (std::size_t j = 0; j < frames; ++j, ++position_) {
        const double at = double(position_) * step;
        const std::size_t i = std::min(std::size_t(at), last);
        const std::size_t next = std::min(i + 1, last);
        for (std::size_t c = 0; c < 2; ++c) {
            const double a = wave_->samples[i * channels + c % channels];
            const double b = wave_->samples[next * channels + c % channels];
            *out++ = std::int16_t(std::lround(a + (b - a) * (at - double(i))));
        }
    }
}

void PulsePlayer::feed(std::size_t bytes, bool replace)
{
    pa_seek_mode_t seek = replace ? PA_SEEK_RELATIVE_ON_READ : PA_SEEK_RELATIVE;
    bytes = bytes / kFrameBytes * kFrameBytes;
    if (wave_) {
        const std::size_t left = length_ - position_;
        // A short sound is not dealt out request by request: all of it goes now.
        const std::size_t frames =
            left * kFrameBytes <= pa_usec_to_bytes(kWholeSound, &kFormat) ? left : std::min(left, bytes / kFrameBytes);
        std::vector<std::int16_t> piece(2 * frames);
        render(piece.data(), frames);
        if (frames > 0 && pa_stream_write(stream_, piece.data(), frames * kFrameBytes, nullptr, 0, seek) == 0) {
            bytes -= std::min(bytes, frames * kFrameBytes);
            seek = PA_SEEK_RELATIVE;
        }
        if (position_ == length_)
            wave_.reset();  // a long sound's memory goes as soon as it has been sent
    }
    if (bytes == 0)
        return;
    void* buffer = nullptr;
    std::size_t size = bytes;
    if (pa_stream_begin_write(stream_, &buffer, &size) < 0 || !buffer)
        return;
    size = std::min(size, bytes) / kFrameBytes * kFrameBytes;
    if (size == 0) {
        pa_stream_cancel_write(stream_);
        return;
    }
    std::memset(buffer, 0, size);
    silentBytes_ += size;
    pa_stream_write(stream_, buffer, size, nullptr, 0, seek);
    if (silentBytes_ >= pa_bytes_per_second(&kFormat) && idleCork_)
        pa_threaded_mainloop_get_api(loop_)->defer_enable(idleCork_, 1);
}

void PulsePlayer::corkWhenIdle(pa_mainloop_api* api, pa_defer_event* event, void* self)
{
    api->defer_enable(event, 0);
    auto* player = static_cast<PulsePlayer*>(self);
    // A sound started since the request keeps the stream running.
    if (player->stream_ && !player->corked_ && player->silentBytes_ >= pa_bytes_per_second(&kFormat)) {
        player->corked_ = true;
        if (pa_operation* corked = pa_stream_cork(player->stream_, 1, nullptr, nullptr))
            pa_operation_unref(corked);
    }
}

} // namespace hop::resources
