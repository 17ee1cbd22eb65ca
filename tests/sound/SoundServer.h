// A private sound server with a null sink, the sink's monitor recorded by parec (judged
// in Judge.h). The server is tests/sound/sound-server:
// PipeWire or PulseAudio (HOPSTONE_SOUND_SERVER), in a folder of its own, meeting no
// desktop's sound server and leaving nothing behind.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "tests/sound/Judge.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>
#include <vector>

namespace hop::test {

class SoundServer {
public:
    explicit SoundServer(bool control = false) : control_(control) {}

    // Starts the server and the recording, and waits until the recording keeps real time.
    bool start()
    {
        const QString ready = dir_.filePath(QStringLiteral("server"));
        server_.setProcessChannelMode(QProcess::ForwardedChannels);
        server_.start(QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("sound-server")),
                      {dir_.path(), recording(), QStringLiteral("2"), control_ ? QStringLiteral("control") : QString()});
        for (int i = 0; i < 1000 && !QFileInfo::exists(ready); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        QFile address(ready);
        if (!address.open(QIODevice::ReadOnly))
            return false;
        // This process's clients find the server by its socket alone, their cookie beside it, not at home.
        qputenv("PULSE_SERVER", address.readAll().trimmed()), qputenv("PULSE_COOKIE", QFile::encodeName(dir_.filePath("cookie")));
        // The first moments of a monitor recording can be lost: wait until it keeps time.
        for (int i = 0; i < 50; ++i) {
            const qint64 before = QFileInfo(recording()).size();
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (QFileInfo(recording()).size() - before > 4 * kRate * 180 / 1000)
                return true;
        }
        return false;
    }

    ~SoundServer() { server_.terminate(), server_.waitForFinished(); }  // SIGTERM to its PID: it stops what it started

    void keep() { dir_.setAutoRemove(false), std::printf("the recording is kept: %s\n", qPrintable(recording())); }  // to read a failure
    // The monitor as parec writes it: 16-bit stereo at kRate.
    QString recording() const { return dir_.filePath(QStringLiteral("monitor.raw")); }
    std::size_t recorded() const { return std::size_t(QFileInfo(recording()).size() / 4); }  // frames, cheaper than samples().size()

    // The left channel, which the control leaves silent; or the control alone.
    std::vector<std::int16_t> samples(bool control = false) const
    {
        QFile file(recording());
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const auto* in = reinterpret_cast<const std::int16_t*>(bytes.constData());
        std::vector<std::int16_t> out(std::size_t(bytes.size() / 4));
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = std::int16_t(control ? in[2 * i + 1] - in[2 * i] : in[2 * i]);
        return out;
    }

private:
    bool control_;
    QTemporaryDir dir_;
    QProcess server_;
};

} // namespace hop::test
