// Fuzzes the version-resource reader of PE files: any bytes, no read outside them, no crash.
// Built with src/services/PEVersionResource.cpp (plain C++, no Qt), named in tests/fuzz/CMakeLists.txt.

#include "PEVersionResource.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // An exact-size copy, so that the sanitizer sees any read past the end.
    const std::vector<std::uint8_t> image(data, data + size);
    const std::span<const std::uint8_t> bytes(image.data(), image.size());

    if (const auto resource = FindVersionResource(bytes)) {
        // The resource lies inside the image.
        if (resource->data() < image.data() || resource->data() + resource->size() > image.data() + image.size())
            __builtin_trap();
        // Parse it on its own too, as a copy of its exact size.
        const std::vector<std::uint8_t> block(resource->begin(), resource->end());
        if (const auto info = ParseFixedFileInfo(block); info && info->dwSignature != FixedFileInfoSignature)
            __builtin_trap();
    }
    // The version block parser on raw bytes.
    (void)IsVersionInfoBlock(bytes);
    (void)ParseFixedFileInfo(bytes);
    return 0;
}
