// libFuzzer target for header detection: `make fuzz` (FUZZ_SECONDS sets the
// time). A crash leaves its input as crash-*; the target run on that file
// alone reproduces it. The first input byte chooses one of a few paths; the
// rest is the file, in a heap block of exactly its size, so AddressSanitizer
// stops any read past it. Read through a stream it must give the same result.

#include "image/imageheader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    // Only whether the path holds ".rom" in any case matters to detection.
    const char *const paths[] = {"/games/image.bin", "/games/IMAGE.Rom", "/g.rom/i.bin", ""};
    const QByteArray path = paths[data[0] % 4];
    const auto bytes = std::make_unique<unsigned char[]>(--size);
    std::memcpy(bytes.get(), data + 1, size);

    const ImageHeader fromMemory = detectImageHeader(bytes.get(), size, path);
    std::FILE *stream = fmemopen(bytes.get(), size, "rb");
    const ImageHeader fromStream = detectImageHeader(stream, path);
    std::fclose(stream);
    if (fromStream.loadAddress != fromMemory.loadAddress
        || fromStream.headerSkip != fromMemory.headerSkip)
        std::abort();
    return 0;
}
