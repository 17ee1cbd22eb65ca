// One PulseAudio playback stream that plays one sound at a time, each from its first sample.
#pragma once

#include "resources/WaveFile.h"

#include <cstdint>
#include <memory>

struct pa_context;
struct pa_mainloop_api;
struct pa_defer_event;
struct pa_stream;
struct pa_threaded_mainloop;

namespace hop::resources {

class PulsePlayer {
public:
    PulsePlayer() = default;
    ~PulsePlayer();
    PulsePlayer(const PulsePlayer&) = delete;
    PulsePlayer& operator=(const PulsePlayer&) = delete;

    // Cuts off whatever plays and starts this sound; null just stops. Returns at once:
    // connecting and streaming happen on PulseAudio's own thread.
    void start(std::shared_ptr<const Wave> wave);

private:
    void connectContext();
    void openStream();
    void closeStream();
    // Renders the sound from where it stands in the stream's format, `frames` at most.
    void render(std::int16_t* out, std::size_t frames);
    // Drops whatever is queued and starts the current sound (or silence) in its place.
    void cut();
    // Writes the sound from where it stands (a short one whole), then silence up to
    // `bytes` in all. With replace the data goes in at the server's read position.
    void feed(std::size_t bytes, bool replace);

    static void contextChanged(pa_context* context, void* self);
    static void streamChanged(pa_stream* stream, void* self);
    static void streamWants(pa_stream* stream, std::size_t bytes, void* self);
    static void corkWhenIdle(pa_mainloop_api* api, pa_defer_event* event, void* self);

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    pa_defer_event* idleCork_ = nullptr;
    bool corked_ = false;
    // Guarded by the mainloop's lock.
    std::shared_ptr<const Wave> wave_;
    std::size_t position_ = 0;  // in the stream's frames
    std::size_t length_ = 0;
    std::size_t silentBytes_ = 0;
};

} // namespace hop::resources
