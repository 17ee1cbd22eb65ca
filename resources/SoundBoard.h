// Starts wave files by bare name without waiting; a missing or broken file stays silent.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace hop::resources {

class SoundPath;

// Where a run's sounds go: to the sound device, or, for a run that must stay silent,
// nowhere. `asked`, if set, is told of each sound asked for, as it starts.
struct SoundOutput {
    bool device = true;
    std::function<void(const QString& file)> asked{};
};

class SoundBoard : public QObject {
    Q_OBJECT
public:
    explicit SoundBoard(SoundOutput output = {}, QObject* parent = nullptr);
    ~SoundBoard() override;

    // Cuts off the sound still playing, if any, and starts this one from its first
    // sample. Returns at once: the file is read and played on threads of its own.
    void play(const QString& fileName);

private:
    const SoundOutput output_;
    std::unique_ptr<SoundPath> path_;
};

} // namespace hop::resources
