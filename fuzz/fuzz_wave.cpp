// The wave reader on any bytes, read through a file as the game reads one.
#include "resources/WaveFile.h"

#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int fd = memfd_create("wave", MFD_CLOEXEC);
    if (fd < 0 || write(fd, data, size) != ssize_t(size))
        std::abort();
    hop::resources::Wave wave;
    // A small limit on the data played, so a long file's cut is reached too.
    if (hop::resources::decodeWave(fd, &wave, 1 << 12)) {
        if (wave.channels < 1 || wave.channels > 2 || wave.samples.empty() || wave.samples.size() % wave.channels != 0 ||
            wave.rate < hop::resources::kMinWaveRate || wave.rate > hop::resources::kMaxWaveRate)
            std::abort();
    }
    return 0;
}
