// The daemon runs as whoever runs the tests, with its own runtime folder and home, no
// D-Bus and no autospawn, so it meets no desktop's sound server and leaves nothing behind.
#include "tests/sound/SoundServer.h"

#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace hop::test {

namespace {

pid_t spawn(std::vector<std::string> args, int outFd, const std::vector<std::string>& env, bool logsErrors = false)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings = env;
    for (char** e = environ; *e; ++e)
        envStrings.emplace_back(*e);  // the first of a name wins
    std::vector<char*> envp;
    for (std::string& e : envStrings)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    if (outFd >= 0 && logsErrors)
        posix_spawn_file_actions_adddup2(&actions, outFd, 2);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void end(pid_t& pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

} // namespace

bool SoundServer::start()
{
    char pattern[] = "/tmp/hopstone-pulse-XXXXXX";
    if (!mkdtemp(pattern))
        return false;
    dir_ = pattern;
    const std::string socket = dir_ + "/native";
    const std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + dir_, "HOME=" + dir_,
                                          "DBUS_SESSION_BUS_ADDRESS=unix:path=" + dir_ + "/no-bus", "DISPLAY="};
    const int logFd = open(log().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    daemon_ = spawn({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                     "-L", "module-null-sink sink_name=hop rate=48000 channels=2",
                     "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket},
                    logFd, env, true);
    if (logFd >= 0)
        close(logFd);
    struct stat st;
    for (int i = 0; i < 500 && stat(socket.c_str(), &st) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (daemon_ < 0 || stat(socket.c_str(), &st) != 0)
        return false;
    setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);

    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return false;
    recorder_ = spawn({"parec", "--server=unix:" + socket, "--device=hop.monitor", "--raw", "--format=s16le",
                       "--rate=48000", "--channels=1", "--latency-msec=2"},
                      pipeFds[1], env);
    close(pipeFds[1]);
    reader_ = std::thread([this, fd = pipeFds[0]] { readRecording(fd); });
    // The first moments of a monitor recording can be lost: wait until it keeps time.
    for (int i = 0; i < 50; ++i) {
        const std::size_t before = recorded();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (recorded() - before > kRate * 180 / 1000)
            return true;
    }
    return false;
}

void SoundServer::stop()
{
    end(recorder_);
    if (reader_.joinable())
        reader_.join();
    end(daemon_);
}

void SoundServer::readRecording(int fd)
{
    std::int16_t buffer[2048];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        const Clock::time_point now = Clock::now();
        std::lock_guard lock(mutex_);
        samples_.insert(samples_.end(), buffer, buffer + got / 2);
        arrivals_.emplace_back(samples_.size(), now);
    }
    close(fd);
}

std::size_t SoundServer::recorded()
{
    std::lock_guard lock(mutex_);
    return samples_.size();
}

std::vector<std::int16_t> SoundServer::samples()
{
    std::lock_guard lock(mutex_);
    return samples_;
}

Clock::time_point SoundServer::timeOf(std::size_t sample)
{
    std::lock_guard lock(mutex_);
    for (const auto& [count, when] : arrivals_) {
        if (count > sample)
            return when - std::chrono::microseconds((count - sample) * 1000000 / kRate);
    }
    return Clock::time_point::max();
}

std::vector<Burst> findBursts(const std::vector<std::int16_t>& samples, std::size_t from)
{
    constexpr int kThreshold = 1500;
    constexpr std::size_t kGap = SoundServer::kRate * 3 / 1000;
    std::vector<Burst> bursts;
    std::size_t first = 0, last = 0;
    bool in = false;
    auto ms = [](std::size_t n) { return double(n) * 1000.0 / SoundServer::kRate; };
    for (std::size_t i = from; i < samples.size(); ++i) {
        if (std::abs(samples[i]) < kThreshold)
            continue;
        if (in && i - last > kGap) {
            bursts.push_back({ms(first), ms(last + 1 - first)});
            in = false;
        }
        if (!in)
            first = i;
        in = true;
        last = i;
    }
    if (in)
        bursts.push_back({ms(first), ms(last + 1 - first)});
    return bursts;
}

} // namespace hop::test
