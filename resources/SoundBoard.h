// Starts wave files by bare name without waiting; a missing or broken file stays silent.
#pragma once

#include <QHash>
#include <QObject>
#include <QStringList>

class QSoundEffect;

namespace hop::res {

class SoundBoard : public QObject {
    Q_OBJECT
public:
    explicit SoundBoard(QObject* parent = nullptr);
    ~SoundBoard() override;

    void play(const QString& fileName);
    // What was asked for, in order, whether or not it could sound.
    const QStringList& log() const { return log_; }
    void clearLog() { log_.clear(); }
    // Tests and benchmarks keep the log but touch no audio device.
    void setMuted(bool muted) { muted_ = muted; }

private:
    QHash<QString, QSoundEffect*> effects_;
    QHash<QString, qint64> stamps_;
    QStringList log_;
    bool muted_ = false;
};

// A RIFF/WAVE file with a PCM format chunk and a data chunk that fits the file.
bool isPlayableWave(const QString& fileName);

} // namespace hop::res
