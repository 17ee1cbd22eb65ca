// The user-interface thread only hands the file's name over; a thread of the sound
// board's own reads and decodes it (a file can be slow, or huge) and starts it.
#include "resources/SoundBoard.h"

#include "resources/PulsePlayer.h"
#include "resources/RegularFile.h"
#include "resources/WaveFile.h"

#include <QFile>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace hop::resources {

namespace {

// Sounds up to this size stay decoded between plays: the click is asked for every
// second, and reading it again each time would be wasted work.
constexpr std::size_t kCachedSamples = 512 * 1024;

constexpr std::chrono::milliseconds kQuitGrace{200};

} // namespace

// Everything the sound thread touches lives here, shared with the thread itself, so a
// thread left behind in a read that never returns still has it to return to.
class SoundPath {
public:
    SoundPath() : state_(std::make_shared<State>())
    {
        thread_ = std::thread([state = state_] { state->run(); });
    }

    // A read from a disk that has stopped answering must not keep the game from
    // ending: the thread gets a moment to finish, then is left behind.
    ~SoundPath()
    {
        std::unique_lock lock(state_->mutex);
        state_->quit = true;
        state_->wake.notify_one();
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
        }
        state_->wake.notify_one();
    }

private:
    struct Cached {
        QByteArray name;
        FileStamp stamp;
        std::shared_ptr<const Wave> wave;
    };

    struct State {
        std::mutex mutex;
        std::condition_variable wake;  // both ways: a request or quit, and the thread's end
        QByteArray pending;
        bool asked = false;
        bool quit = false;
        bool ended = false;
        std::vector<Cached> cache;
        PulsePlayer player;

        void run()
        {
            for (;;) {
                QByteArray name;
                {
                    std::unique_lock lock(mutex);
                    wake.wait(lock, [this] { return quit || asked; });
                    if (quit)
                        break;
                    name = std::move(pending);
                    asked = false;
                }
                std::shared_ptr<const Wave> wave = load(name);
                // A start that came while this one was read cuts it off at once: skip it.
                if (!newer())
                    player.start(std::move(wave));
            }
            std::lock_guard lock(mutex);
            ended = true;
            wake.notify_all();
        }

        bool newer()
        {
            std::lock_guard lock(mutex);
            return asked || quit;
        }

        std::shared_ptr<const Wave> load(const QByteArray& name)
        {
            RegularFile file(name);
            if (!file.isOpen())
                return nullptr;
            for (const Cached& c : cache) {
                if (c.name == name && c.stamp == file.stamp())
                    return c.wave;
            }
            auto wave = std::make_shared<Wave>();
            const FileStamp stamp = file.stamp();
            if (!decodeWave(file.release(), wave.get(), kMaxWaveData, [this] { return newer(); }))
                return nullptr;
            std::erase_if(cache, [&](const Cached& c) { return c.name == name; });
            if (wave->samples.size() <= kCachedSamples) {
                // The game plays two files; a few more entries cover a test's own.
                if (cache.size() >= 4)
                    cache.erase(cache.begin());
                cache.push_back({name, stamp, wave});
            }
            return wave;
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
