// dxg_fuzz.cpp -- libFuzzer target: any bytes through the picture and wave collection readers
// and the graphic and wave decoders. Only the readers' own errors may come out; anything else
// (a crash, another exception, a huge allocation, a hang) is a finding.
#include <cstddef>
#include <cstdint>
#include <span>

#include "graphics/ComponentStream.h"
#include "graphics/DibDecoder.h"
#include "graphics/DxgReader.h"
#include "graphics/PatternCount.h"

namespace {

template <class F> void Guarded(F f) {
    try {
        f();
    } catch (const EReadError&) {
    } catch (const EInvalidGraphic&) {
    } catch (const EWaveStreamError&) {
    }
}

// Touch what was decoded so that a wrong size shows under the address sanitizer.
uint32_t Checksum(const TPicture& p) {
    uint32_t sum = 0;
    if (!p.Empty()) sum = p.Pixel(0, 0) ^ p.Pixel(p.Width() - 1, p.Height() - 1);
    return sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> bytes(data, size);
    volatile uint32_t sink = 0;
    Guarded([&] { sink = sink + uint32_t(PeekCollectionKind(bytes).Kind); });
    Guarded([&] {
        auto pictures = ReadPictureCollection(bytes);
        for (const auto& item : pictures.Items)
            sink = sink + Checksum(item.Picture) + uint32_t(BuiltPatternCount(item));
    });
    Guarded([&] {
        for (const auto& wave : ReadWaveCollection(bytes))
            sink = sink + uint32_t(wave.Wave.Data.size()) + wave.Wave.BitsPerSample();
    });
    // The inner formats straight away too, so mutations need not keep a valid container.
    Guarded([&] { sink = sink + Checksum(DecodePictureData(bytes)); });
    Guarded([&] { sink = sink + uint32_t(ReadRiffWave(bytes).Format.size()); });
    // The generic value reader, which tests and tools use to look inside streams.
    Guarded([&] { sink = sink + uint32_t(TComponentReader(bytes).ReadValue().List.size()); });
    Guarded([&] {
        TComponentReader reader(bytes);
        reader.SkipValue();
        sink = sink + uint32_t(reader.Position());
    });
    return 0;
}
