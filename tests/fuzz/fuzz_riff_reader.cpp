// libFuzzer target: the WAV loader's RIFF reader on any bytes, checking what it hands to the device.
#include "sound/RiffReader.h"

#include "core/ErrorReport.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sound::MemoryByteSource source(std::span(reinterpret_cast<const std::byte*>(data), size));
    sound::WaveLayout layout;
    if (sound::ReadWaveLayout(source, layout)) return 0;

    // The format record is at least a WAVEFORMATEX, and its extra-size never runs past the record, which in
    // turn never holds more than the file.
    const auto& format = layout.WaveFormat;
    if (format.size() < 18 || format.size() > size + 2) std::abort();
    const std::size_t extra = std::to_integer<std::size_t>(format[16]) | std::to_integer<std::size_t>(format[17]) << 8;
    if (18 + extra > format.size()) std::abort();

    sound::Samples samples;
    try {
        if (sound::ReadSamples(source, layout, samples)) {
            if (samples.bytes) std::abort();
            return 0;
        }
    } catch (const core::HandlerError&) {
        return 0;
    }
    if (samples.size != layout.dataSize || samples.size > size || layout.dataOffset + samples.size > size) std::abort();
    return 0;
}
