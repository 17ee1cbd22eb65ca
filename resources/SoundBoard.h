// Starts wave files by bare name without waiting; a missing or broken file stays silent.
#pragma once

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

namespace hop {
struct TestSeam;
}

namespace hop::resources {

class SoundPath;

class SoundBoard : public QObject {
    Q_OBJECT
public:
    explicit SoundBoard(QObject* parent = nullptr);
    ~SoundBoard() override;

    // Cuts off the sound still playing, if any, and starts this one from its first
    // sample. Returns at once: the file is read and played on threads of its own.
    void play(const QString& fileName);
    // The most recent sounds asked for, in order, whether or not they could sound.
    const QStringList& log() const { return log_; }
    void clearLog() { log_.clear(); }
    // How many entries the log keeps; a long session must not grow it forever.
    static constexpr int kLogLimit = 256;

private:
    friend struct hop::TestSeam;

    std::unique_ptr<SoundPath> path_;
    QStringList log_;
    bool muted_ = false;
    std::function<void(const QString&)> startHook_;
};

} // namespace hop::resources
