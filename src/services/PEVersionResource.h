#pragma once

// Reads the version resource of a PE executable (an .exe or .dll) from its bytes: DOS header,
// PE header, section table, resource directory down to the version resource, and the fixed
// file information inside it. Plain C++ with no Qt, so that it can be fuzzed on its own.
// Whatever the bytes hold, nothing outside [data, data + size) is ever read.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// The fixed file information block of a version resource, fields in file order.
struct TFixedFileInfo {
    std::uint32_t dwSignature = 0; // 0xFEEF04BD
    std::uint32_t dwStrucVersion = 0;
    std::uint32_t dwFileVersionMS = 0;
    std::uint32_t dwFileVersionLS = 0;
    std::uint32_t dwProductVersionMS = 0;
    std::uint32_t dwProductVersionLS = 0;
    std::uint32_t dwFileFlagsMask = 0;
    std::uint32_t dwFileFlags = 0;
    std::uint32_t dwFileOS = 0;
    std::uint32_t dwFileType = 0;
    std::uint32_t dwFileSubtype = 0;
    std::uint32_t dwFileDateMS = 0;
    std::uint32_t dwFileDateLS = 0;
};

constexpr std::uint32_t FixedFileInfoSignature = 0xFEEF04BDu;
constexpr std::size_t FixedFileInfoSize = 13 * 4;

// The bytes of the version resource (a VS_VERSIONINFO block) inside a PE image, or nothing when
// the bytes are not a PE image, carry no version resource, or the resource does not lie wholly
// inside them. The span points into `image`.
std::optional<std::span<const std::uint8_t>> FindVersionResource(std::span<const std::uint8_t> image);

// The root block of a VS_VERSIONINFO block: its fixed file information, or nothing when the
// block is malformed or carries none.
std::optional<TFixedFileInfo> ParseFixedFileInfo(std::span<const std::uint8_t> versionInfo);

// True when a version block starts as a VS_VERSIONINFO block should: a length that fits into the
// bytes and the key "VS_VERSION_INFO".
bool IsVersionInfoBlock(std::span<const std::uint8_t> versionInfo);
