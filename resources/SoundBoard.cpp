// The user-interface thread only hands the file's name over; a thread of the sound
// board's own reads and decodes it (a file can be slow, or huge) and starts it.
#include "resources/SoundBoard.h"

#include "resources/PulsePlayer.h"
#include "resources/WaveFile.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace hop::resources {

namespace {

// Sounds up to this size stay decoded between plays: the click is asked for every
// second, and reading it again each time would be wasted work.
constexpr std::size_t kCachedSamples = 512 * 1024;

} // namespace

class SoundPath {
public:
    SoundPath() : thread_([this] { run(); }) {}

    ~SoundPath()
    {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }

    void request(std::string path)
    {
        {
            std::lock_guard lock(mutex_);
            pending_ = std::move(path);
            asked_ = true;
        }
        wake_.notify_one();
    }

private:
    struct Cached {
        std::string path;
        FileStamp stamp;
        std::shared_ptr<const Wave> wave;
    };

    void run()
    {
        for (;;) {
            std::string path;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return quit_ || asked_; });
                if (quit_)
                    return;
                path = std::move(pending_);
                asked_ = false;
            }
            std::shared_ptr<const Wave> wave = load(path);
            // A start that came while this one was read cuts it off at once: skip it.
            if (!newer())
                player_.start(std::move(wave));
        }
    }

    bool newer()
    {
        std::lock_guard lock(mutex_);
        return asked_;
    }

    std::shared_ptr<const Wave> load(const std::string& path)
    {
        FileStamp stamp;
        const int fd = openRegularFile(path, &stamp);
        if (fd < 0)
            return nullptr;
        for (const Cached& c : cache_) {
            if (c.path == path && c.stamp == stamp) {
                close(fd);
                return c.wave;
            }
        }
        auto wave = std::make_shared<Wave>();
        if (!decodeWave(fd, wave.get(), kMaxWaveData, [this] { return newer(); }))
            return nullptr;
        std::erase_if(cache_, [&](const Cached& c) { return c.path == path; });
        if (wave->samples.size() <= kCachedSamples) {
            // The game plays two files; a few more entries cover a test's own.
            if (cache_.size() >= 4)
                cache_.erase(cache_.begin());
            cache_.push_back({path, stamp, wave});
        }
        return wave;
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::string pending_;
    bool asked_ = false;
    bool quit_ = false;
    std::vector<Cached> cache_;
    PulsePlayer player_;
    std::thread thread_;  // last: it starts running at once
};

bool isPlayableWave(const QString& fileName)
{
    const int fd = openRegularFile(QFile::encodeName(fileName).toStdString(), nullptr);
    Wave wave;
    return fd >= 0 && decodeWave(fd, &wave, 64);
}

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
    // Resolved here: the working folder is the one the game stands in when it asks.
    path_->request(QFile::encodeName(QDir::current().absoluteFilePath(fileName)).toStdString());
}

} // namespace hop::resources
