// The user-interface thread only hands the file's name over. A thread of the sound
// board's own starts each sound and never reads a file: a disk that stops answering
// would hold it, and every sound after. Each file is read by a reader thread of its
// own (a long one below the sounds that play), so a sound already in memory never
// waits for it, and a reader holds nothing but its file and the way back.
#include "resources/SoundBoard.h"

#include "resources/PulsePlayer.h"
#include "resources/RegularFile.h"
#include "resources/WaveFile.h"

#include <QFile>

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace hop::resources {

namespace {

// Sounds up to this size stay decoded between plays: the click is asked for every
// second, and reading it again each time would be wasted work.
constexpr std::size_t kCachedSamples = 512 * 1024;

// Readers stuck on a disk that has stopped answering are left behind; past this many,
// a sound that needs reading stays silent rather than leave one more.
constexpr int kMaxReaders = 4;

// A file larger than this is read at idle priority: reading it takes long enough to
// hold up the sounds that play.
constexpr off_t kIdleReadBytes = 1 << 20;

constexpr std::chrono::milliseconds kQuitGrace{200};

struct Cached {
    QByteArray name;
    FileStamp stamp;
    std::shared_ptr<const Wave> wave;  // null: the file cannot sound
};

// All that a reader shares with the thread that starts the sounds. The connection is
// not in it: a reader left behind in a read that never returns must not keep it open.
struct Inbox {
    std::mutex mutex;
    // Every way: a request, a reader's result, quit, and the starting thread's end.
    std::condition_variable wake;
    QByteArray pending;
    bool asked = false;
    // Written under the mutex, read by the readers without it: a reader at idle priority,
    // put off the core while it held the lock, would hold up the next start until the
    // machine had nothing else to do.
    std::atomic<bool> quit = false;
    bool ended = false;  // the thread that starts the sounds has closed the connection
    std::atomic<std::uint64_t> latest = 0;  // the number of the newest request
    std::optional<std::pair<std::uint64_t, Cached>> decoded;  // a reader's result for its request
    int readers = 0;

    bool newer(std::uint64_t request) const { return latest != request || quit; }
};

void read(const std::shared_ptr<Inbox>& inbox, std::uint64_t request, Cached sound, int fd)
{
    {
        std::lock_guard lock(inbox->mutex);
        if (inbox->readers == kMaxReaders) {
            close(fd);
            return;
        }
        ++inbox->readers;
    }
    try {
        std::thread([inbox, request, sound, fd]() mutable {
            // A long file is read below the sounds that play: its reading must hold up
            // neither the server nor the next start, so it gets only the time that
            // nothing else wants.
            const sched_param idle{};
            if (sound.stamp.size > kIdleReadBytes && sched_setscheduler(0, SCHED_IDLE, &idle) != 0)
                setpriority(PRIO_PROCESS, 0, getpriority(PRIO_PROCESS, 0) + 5);
            auto wave = std::make_shared<Wave>();
            if (decodeWave(fd, wave.get(), kMaxWaveData, [&] { return inbox->newer(request); }))
                sound.wave = std::move(wave);
            // Back at normal priority for the one moment it holds the lock.
            const sched_param normal{};
            sched_setscheduler(0, SCHED_OTHER, &normal);
            std::lock_guard lock(inbox->mutex);
            --inbox->readers;
            if (inbox->latest == request && !inbox->quit) {
                inbox->decoded.emplace(request, std::move(sound));
                inbox->wake.notify_all();
            }
        }).detach();
    } catch (const std::system_error&) {  // no thread to be had: this sound stays silent
        close(fd);
        std::lock_guard lock(inbox->mutex);
        --inbox->readers;
    }
}

} // namespace

class SoundPath {
public:
    // Throws std::system_error when the system has no thread to give.
    SoundPath() : inbox_(std::make_shared<Inbox>())
    {
        thread_ = std::thread([inbox = inbox_] { run(inbox); });
    }

    // The thread that starts the sounds reads nothing, so it ends at once and closes the
    // connection on its way out; readers still in a read are left behind. It still looks
    // each file up, which a disk that stops answering can hold too: after a moment it is
    // left behind as well, rather than keep the game from ending.
    ~SoundPath()
    {
        std::unique_lock lock(inbox_->mutex);
        inbox_->quit = true;
        inbox_->wake.notify_all();
        const bool ended = inbox_->wake.wait_for(lock, kQuitGrace, [this] { return inbox_->ended; });
        lock.unlock();
        if (ended)
            thread_.join();
        else
            thread_.detach();
    }

    void request(QByteArray name)
    {
        {
            std::lock_guard lock(inbox_->mutex);
            inbox_->pending = std::move(name);
            inbox_->asked = true;
            ++inbox_->latest;
        }
        inbox_->wake.notify_all();
    }

private:
    static void run(const std::shared_ptr<Inbox>& inbox)
    {
        play(inbox);
        std::lock_guard lock(inbox->mutex);
        inbox->ended = true;
        inbox->wake.notify_all();
    }

    static void play(const std::shared_ptr<Inbox>& inbox)
    {
        PulsePlayer player;  // made, used and closed on this thread alone
        std::vector<Cached> cache;
        for (;;) {
            QByteArray name;
            std::uint64_t request = 0;
            std::optional<std::pair<std::uint64_t, Cached>> done;
            {
                std::unique_lock lock(inbox->mutex);
                inbox->wake.wait(lock, [&] { return inbox->quit || inbox->asked || inbox->decoded; });
                if (inbox->quit)
                    return;
                if (inbox->asked) {
                    name = std::move(inbox->pending);
                    inbox->asked = false;
                    request = inbox->latest;
                } else {
                    done.swap(inbox->decoded);
                }
            }
            if (done) {
                Cached& sound = done->second;
                if (sound.wave && sound.wave->samples.size() <= kCachedSamples) {
                    std::erase_if(cache, [&](const Cached& c) { return c.name == sound.name; });
                    // The game plays two files; a few more entries cover a test's own.
                    if (cache.size() >= 4)
                        cache.erase(cache.begin());
                    cache.push_back(sound);
                }
                // What played was cut when the read began, so a file that cannot sound
                // has nothing left to do; and a start that came meanwhile cuts this one.
                if (sound.wave && !inbox->newer(done->first))
                    player.start(std::move(sound.wave));
                continue;
            }
            RegularFile file(name);
            auto known = std::find_if(cache.begin(), cache.end(), [&](const Cached& c) {
                return file.isOpen() && c.name == name && c.stamp == file.stamp();
            });
            if (known != cache.end()) {
                player.start(known->wave);
                continue;
            }
            // What plays stops now, not when the read ends: the read may never end.
            player.start(nullptr);
            if (file.isOpen())
                read(inbox, request, Cached{name, file.stamp(), nullptr}, file.release());
        }
    }

    std::shared_ptr<Inbox> inbox_;
    std::thread thread_;
};

SoundBoard::SoundBoard(SoundOutput output, QObject* parent) : QObject(parent), output_(std::move(output)) {}

SoundBoard::~SoundBoard() = default;

void SoundBoard::play(const QString& fileName)
{
    if (!output_.device) {
        if (output_.asked)
            output_.asked(fileName);
        return;
    }
    if (!path_) {
        try {
            path_ = std::make_unique<SoundPath>();
        } catch (const std::system_error&) {
            return;  // no thread to be had: silent, and the next sound asks again
        }
    }
    if (output_.asked)
        output_.asked(fileName);
    // The name goes to the system as it is, looked up in the folder the game stands in.
    path_->request(QFile::encodeName(fileName));
}

} // namespace hop::resources
