// The file is checked on every play, so a file changed or removed while the game
// runs is noticed; the decoder only ever sees well-formed wave files.
#include "resources/SoundBoard.h"

#include <QFile>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace hop::res {

bool isPlayableWave(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 44 || file.size() > (64 << 20))
        return false;
    const QByteArray data = file.read(qMin<qint64>(file.size(), 4096));
    if (!data.startsWith("RIFF") || data.mid(8, 4) != "WAVE")
        return false;
    auto le32 = [&](int at) {
        return quint32(quint8(data[at])) | quint32(quint8(data[at + 1])) << 8 |
               quint32(quint8(data[at + 2])) << 16 | quint32(quint8(data[at + 3])) << 24;
    };
    bool pcm = false;
    qint64 at = 12;
    while (at + 8 <= data.size()) {
        const QByteArray id = data.mid(int(at), 4);
        const qint64 size = le32(int(at) + 4);
        if (id == "fmt ") {
            if (size < 16 || at + 8 + 16 > data.size())
                return false;
            const int tag = quint8(data[int(at) + 8]) | quint8(data[int(at) + 9]) << 8;
            const int channels = quint8(data[int(at) + 10]) | quint8(data[int(at) + 11]) << 8;
            const int bits = quint8(data[int(at) + 22]) | quint8(data[int(at) + 23]) << 8;
            pcm = tag == 1 && channels >= 1 && channels <= 2 && (bits == 8 || bits == 16) && le32(int(at) + 12) > 0;
        } else if (id == "data") {
            return pcm && size > 0 && at + 8 + size <= file.size();
        }
        at += 8 + size + (size & 1);
    }
    return false;
}

SoundBoard::SoundBoard(QObject* parent) : QObject(parent) {}

SoundBoard::~SoundBoard() = default;

void SoundBoard::play(const QString& fileName)
{
    log_.append(fileName);
    if (muted_)
        return;
    const QFileInfo info(fileName);
    if (!isPlayableWave(fileName)) {
        if (QSoundEffect* stale = effects_.take(fileName))
            stale->deleteLater();
        return;
    }
    const qint64 stamp = info.lastModified().toMSecsSinceEpoch() ^ info.size();
    QSoundEffect*& effect = effects_[fileName];
    if (!effect || stamps_.value(fileName) != stamp) {
        if (effect)
            effect->deleteLater();
        effect = new QSoundEffect(this);
        effect->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
        stamps_[fileName] = stamp;
    }
    // A new click cuts off the one still playing.
    effect->stop();
    effect->play();
}

} // namespace hop::res
