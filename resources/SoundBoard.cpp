// The user-interface thread only hands the file's name over. A thread of the sound
// board's own reads and decodes a short file and starts each sound; a long file (or a
// huge one) is read by a reader thread of its own, below the sounds that play, so a
// sound already in memory never waits for it.
#include "resources/SoundBoard.h"

#include "resources/PulsePlayer.h"
#include "resources/RegularFile.h"
#include "resources/WaveFile.h"

#include <QFile>

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace hop::resources {

namespace {

// Sounds up to this size stay decoded between plays: the click is asked for every
// second, and reading it again each time would be wasted work.
constexpr std::size_t kCachedSamples = 512 * 1024;

// Readers stuck on a disk that has stopped answering are left behind; past this many,
// a sound that needs reading stays silent rather than leave one more.
constexpr int kMaxReaders = 4;

// A file up to this size is read by the thread that starts the sounds, without the
// cost of a thread of its own; a larger one by a reader.
constexpr off_t kReadHereBytes = 1 << 20;

constexpr std::chrono::milliseconds kQuitGrace{200};

} // namespace

// Everything the threads touch lives here, shared with the threads themselves, so a
// reader left behind in a read that never returns still has it to return to.
class SoundPath {
public:
    SoundPath() : state_(std::make_shared<State>())
    {
        thread_ = std::thread([state = state_] { state->run(state); });
    }

    // A read from a disk that has stopped answering must not keep the game from
    // ending: the thread gets a moment to finish, then is left behind. Readers end on
    // their own.
    ~SoundPath()
    {
        std::unique_lock lock(state_->mutex);
        state_->quit = true;
        state_->wake.notify_all();
        const bool ended = state_->wake.wait_for(lock, kQuitGrace, [this] { return state_->ended; });
        lock.unlock();
        if (ended)
            thread_.join();
        else
            thread_.detach();
    }

    void request(QByteArray name)
    {
        {
            std::lock_guard lock(state_->mutex);
            state_->pending = std::move(name);
            state_->asked = true;
            ++state_->latest;
        }
        state_->wake.notify_all();
    }

private:
    struct Cached {
        QByteArray name;
        FileStamp stamp;
        std::shared_ptr<const Wave> wave;
    };

    // What a reader hands back for the request it was given.
    struct Decoded {
        std::uint64_t request;
        Cached sound;  // a null wave: the file cannot sound
    };

    struct State {
        std::mutex mutex;
        // Every way: a request, a reader's result, quit, and the starter's end.
        std::condition_variable wake;
        QByteArray pending;
        bool asked = false;
        bool quit = false;
        bool ended = false;
        std::uint64_t latest = 0;  // the number of the newest request
        std::optional<Decoded> decoded;
        int readers = 0;
        std::vector<Cached> cache;  // the starter's alone
        PulsePlayer player;         // the starter's alone

        void run(const std::shared_ptr<State>& self)
        {
            for (;;) {
                QByteArray name;
                std::uint64_t request = 0;
                std::optional<Decoded> done;
                {
                    std::unique_lock lock(mutex);
                    wake.wait(lock, [this] { return quit || asked || decoded; });
                    if (quit)
                        break;
                    if (asked) {
                        name = std::move(pending);
                        asked = false;
                        request = latest;
                    } else {
                        done.swap(decoded);
                    }
                }
                if (done) {
                    finish(done->request, std::move(done->sound));
                    continue;
                }
                RegularFile file(name);
                if (!file.isOpen()) {
                    player.start(nullptr);
                    continue;
                }
                auto known = std::find_if(cache.begin(), cache.end(),
                                          [&](const Cached& c) { return c.name == name && c.stamp == file.stamp(); });
                if (known != cache.end()) {
                    player.start(known->wave);
                } else if (file.stamp().size <= kReadHereBytes) {
                    Cached sound{name, file.stamp(), nullptr};
                    sound.wave = decode(file.release(), [&] { return newer(request); });
                    finish(request, std::move(sound));
                } else {
                    read(self, request, Cached{name, file.stamp(), nullptr}, file.release());
                }
            }
            std::lock_guard lock(mutex);
            ended = true;
            wake.notify_all();
        }

        bool newer(std::uint64_t request)
        {
            std::lock_guard lock(mutex);
            return latest != request || quit;
        }

        void finish(std::uint64_t request, Cached sound)
        {
            if (sound.wave && sound.wave->samples.size() <= kCachedSamples) {
                std::erase_if(cache, [&](const Cached& c) { return c.name == sound.name; });
                // The game plays two files; a few more entries cover a test's own.
                if (cache.size() >= 4)
                    cache.erase(cache.begin());
                cache.push_back(sound);
            }
            // A start that came while this one was read cuts it off at once: skip it.
            if (!newer(request))
                player.start(std::move(sound.wave));
        }

        static std::shared_ptr<const Wave> decode(int fd, const std::function<bool()>& abandon)
        {
            auto wave = std::make_shared<Wave>();
            if (!decodeWave(fd, wave.get(), kMaxWaveData, abandon))
                return nullptr;
            return wave;
        }

        void read(const std::shared_ptr<State>& self, std::uint64_t request, Cached sound, int fd)
        {
            {
                std::lock_guard lock(mutex);
                if (readers == kMaxReaders) {
                    close(fd);
                    return;
                }
                ++readers;
            }
            try {
                std::thread([self, request, sound, fd]() mutable {
                    // A long file is read below the sounds that play: its reading must
                    // hold up neither the server nor the next start, so it gets only
                    // the time that nothing else wants.
                    const sched_param idle{};
                    if (sched_setscheduler(0, SCHED_IDLE, &idle) != 0)
                        setpriority(PRIO_PROCESS, 0, getpriority(PRIO_PROCESS, 0) + 5);
                    sound.wave = decode(fd, [&] { return self->newer(request); });
                    std::lock_guard lock(self->mutex);
                    --self->readers;
                    if (self->latest == request && !self->quit) {
                        self->decoded = Decoded{request, std::move(sound)};
                        self->wake.notify_all();
                    }
                }).detach();
            } catch (const std::system_error&) {  // no thread to be had: this sound stays silent
                close(fd);
                std::lock_guard lock(mutex);
                --readers;
            }
        }
    };

    std::shared_ptr<State> state_;
    std::thread thread_;
};

SoundBoard::SoundBoard(QObject* parent) : QObject(parent) {}

SoundBoard::~SoundBoard() = default;

void SoundBoard::play(const QString& fileName)
{
    if (log_.size() >= 2 * kLogLimit)
        log_.erase(log_.begin(), log_.end() - kLogLimit);
    log_.append(fileName);
    if (muted_)
        return;
    if (!path_)
        path_ = std::make_unique<SoundPath>();
    // The name goes to the system as it is, looked up in the folder the game stands in.
    path_->request(QFile::encodeName(fileName));
}

} // namespace hop::resources
