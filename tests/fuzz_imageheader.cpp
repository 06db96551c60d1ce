// libFuzzer target for header detection.
//
// Build and run (clang only):
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -DVANTREL_FUZZ=ON
//   cmake --build build-fuzz --target fuzz_imageheader
//   mkdir -p build-fuzz/corpus
//   build-fuzz/bin/fuzz_imageheader -max_total_time=60 build-fuzz/corpus
// or simply `make fuzz` (FUZZ_SECONDS sets the time). A crash leaves its
// input as crash-* in the working folder; run the target on that file alone
// to reproduce it.
//
// The first input byte chooses one of a few paths; the rest is the file. Detection gets the file
// in a heap block of exactly its size, so AddressSanitizer stops any read
// past it, and the same bytes read through a stream must give the same
// result as the bytes in memory.

#include "image/imageheader.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Only whether the path holds ".rom" in any case matters to detection.
    static const char *const paths[] = {"/games/image.bin", "/games/IMAGE.Rom", "/g.rom/i.bin", ""};
    QByteArray path;
    if (size > 0) {
        path = paths[*data++ % std::size(paths)];
        --size;
    }

    auto bytes = std::make_unique<unsigned char[]>(size);
    if (size > 0)
        std::memcpy(bytes.get(), data, size);

    const ImageHeader fromMemory = detectImageHeader(bytes.get(), size, path);

    std::FILE *stream = fmemopen(bytes.get(), size, "rb");
    if (!stream)
        std::abort();
    const ImageHeader fromStream = detectImageHeader(stream, path);
    std::fclose(stream);
    if (fromStream.loadAddress != fromMemory.loadAddress
        || fromStream.headerSkip != fromMemory.headerSkip)
        std::abort();
    return 0;
}
