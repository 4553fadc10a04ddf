#include "PEVersionResource.h"

#include <cstring>

namespace {

using Bytes = std::span<const std::uint8_t>;

// Every read goes through these: an offset and length are first checked against the size, with
// 64-bit arithmetic so that no sum can wrap.
bool InRange(Bytes bytes, std::uint64_t offset, std::uint64_t length)
{
    return offset <= bytes.size() && length <= bytes.size() - offset;
}

bool ReadU16(Bytes bytes, std::uint64_t offset, std::uint16_t &value)
{
    if (!InRange(bytes, offset, 2))
        return false;
    value = static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
    return true;
}

bool ReadU32(Bytes bytes, std::uint64_t offset, std::uint32_t &value)
{
    if (!InRange(bytes, offset, 4))
        return false;
    value = static_cast<std::uint32_t>(bytes[offset]) | static_cast<std::uint32_t>(bytes[offset + 1]) << 8
        | static_cast<std::uint32_t>(bytes[offset + 2]) << 16
        | static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
    return true;
}

constexpr std::uint16_t DosSignature = 0x5A4D;         // "MZ"
constexpr std::uint32_t PeSignature = 0x00004550;      // "PE\0\0"
constexpr std::uint16_t OptionalMagicPe32 = 0x10B;
constexpr std::uint16_t OptionalMagicPe32Plus = 0x20B;
constexpr std::uint32_t ResourceDirectoryIndex = 2;
constexpr std::uint32_t RtVersion = 16;
constexpr std::uint32_t VsVersionInfoId = 1;
constexpr std::uint32_t HighBit = 0x80000000u;
constexpr std::uint64_t SectionHeaderSize = 40;
constexpr std::uint64_t ResourceDirectorySize = 16;
constexpr std::uint64_t ResourceEntrySize = 8;

struct TSection {
    std::uint32_t VirtualAddress;
    std::uint32_t VirtualSize;
    std::uint32_t RawSize;
    std::uint32_t RawOffset;
};

// The file bytes that an address range of the loaded image maps to, when the whole range lies in
// the raw data of one section and in the file.
std::optional<Bytes> MapRange(Bytes image, Bytes sectionTable, std::uint16_t sectionCount,
                              std::uint32_t rva, std::uint32_t size)
{
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        const std::uint64_t at = i * SectionHeaderSize;
        TSection s{};
        if (!ReadU32(sectionTable, at + 8, s.VirtualSize) || !ReadU32(sectionTable, at + 12, s.VirtualAddress)
            || !ReadU32(sectionTable, at + 16, s.RawSize) || !ReadU32(sectionTable, at + 20, s.RawOffset))
            return std::nullopt;
        const std::uint64_t extent = s.VirtualSize != 0 ? s.VirtualSize : s.RawSize;
        if (rva < s.VirtualAddress || rva - std::uint64_t(s.VirtualAddress) >= extent)
            continue;
        const std::uint64_t inSection = rva - std::uint64_t(s.VirtualAddress);
        // Only what the section holds in the file counts; the zero-filled rest is not data.
        if (inSection + size > s.RawSize)
            return std::nullopt;
        const std::uint64_t offset = s.RawOffset + inSection;
        if (!InRange(image, offset, size))
            return std::nullopt;
        return image.subspan(offset, size);
    }
    return std::nullopt;
}

// One entry of a resource directory: its name or number, and where it leads.
struct TEntry {
    std::uint32_t Name;
    std::uint32_t Offset;
};

// The entry of the directory at `directory` (an offset into the resource section) whose number
// is `id`; with `anyEntry` set, that entry when present and else the first entry of all.
std::optional<TEntry> FindEntry(Bytes resources, std::uint32_t directory, std::uint32_t id, bool anyEntry)
{
    std::uint16_t named = 0;
    std::uint16_t numbered = 0;
    if (!ReadU16(resources, std::uint64_t(directory) + 12, named)
        || !ReadU16(resources, std::uint64_t(directory) + 14, numbered))
        return std::nullopt;
    const std::uint64_t first = std::uint64_t(directory) + ResourceDirectorySize;
    const std::uint32_t count = std::uint32_t(named) + numbered;
    if (!InRange(resources, first, count * ResourceEntrySize))
        return std::nullopt;
    std::optional<TEntry> fallback;
    for (std::uint32_t i = 0; i < count; ++i) {
        TEntry e{};
        ReadU32(resources, first + i * ResourceEntrySize, e.Name);
        ReadU32(resources, first + i * ResourceEntrySize + 4, e.Offset);
        if ((e.Name & HighBit) == 0 && e.Name == id)
            return e;
        if (anyEntry && !fallback)
            fallback = e;
    }
    return fallback;
}

} // namespace

std::optional<Bytes> FindVersionResource(Bytes image)
{
    std::uint16_t dosSignature = 0;
    std::uint32_t peOffset = 0;
    if (!ReadU16(image, 0, dosSignature) || dosSignature != DosSignature || !ReadU32(image, 0x3C, peOffset))
        return std::nullopt;

    std::uint32_t peSignature = 0;
    std::uint16_t sectionCount = 0;
    std::uint16_t optionalSize = 0;
    const std::uint64_t coff = std::uint64_t(peOffset) + 4;
    if (!ReadU32(image, peOffset, peSignature) || peSignature != PeSignature
        || !ReadU16(image, coff + 2, sectionCount) || !ReadU16(image, coff + 16, optionalSize))
        return std::nullopt;

    const std::uint64_t optional = coff + 20;
    std::uint16_t magic = 0;
    if (!ReadU16(image, optional, magic))
        return std::nullopt;
    std::uint64_t countField = 0;
    if (magic == OptionalMagicPe32)
        countField = 92;
    else if (magic == OptionalMagicPe32Plus)
        countField = 108;
    else
        return std::nullopt;
    const std::uint64_t directories = countField + 4;
    std::uint32_t directoryCount = 0;
    // The data directories must lie inside the optional header as its size states.
    if (!ReadU32(image, optional + countField, directoryCount) || directoryCount <= ResourceDirectoryIndex
        || directories + (ResourceDirectoryIndex + 1) * 8 > optionalSize)
        return std::nullopt;
    std::uint32_t resourceRva = 0;
    std::uint32_t resourceSize = 0;
    if (!ReadU32(image, optional + directories + ResourceDirectoryIndex * 8, resourceRva)
        || !ReadU32(image, optional + directories + ResourceDirectoryIndex * 8 + 4, resourceSize)
        || resourceRva == 0 || resourceSize == 0)
        return std::nullopt;

    const std::uint64_t sectionTableOffset = optional + optionalSize;
    if (!InRange(image, sectionTableOffset, sectionCount * SectionHeaderSize))
        return std::nullopt;
    const Bytes sectionTable = image.subspan(sectionTableOffset, sectionCount * SectionHeaderSize);

    // The resource directory tree: type, then name, then language.
    const std::optional<Bytes> resources = MapRange(image, sectionTable, sectionCount, resourceRva, resourceSize);
    if (!resources)
        return std::nullopt;
    const std::optional<TEntry> type = FindEntry(*resources, 0, RtVersion, false);
    if (!type || (type->Offset & HighBit) == 0)
        return std::nullopt;
    const std::optional<TEntry> name = FindEntry(*resources, type->Offset & ~HighBit, VsVersionInfoId, true);
    if (!name || (name->Offset & HighBit) == 0)
        return std::nullopt;
    const std::optional<TEntry> language = FindEntry(*resources, name->Offset & ~HighBit, 0, true);
    if (!language || (language->Offset & HighBit) != 0)
        return std::nullopt;

    // The data entry: address and size of the resource's bytes.
    std::uint32_t dataRva = 0;
    std::uint32_t dataSize = 0;
    if (!ReadU32(*resources, language->Offset, dataRva) || !ReadU32(*resources, std::uint64_t(language->Offset) + 4, dataSize)
        || dataSize == 0)
        return std::nullopt;
    const std::optional<Bytes> data = MapRange(image, sectionTable, sectionCount, dataRva, dataSize);
    if (!data || !IsVersionInfoBlock(*data))
        return std::nullopt;
    return data;
}

namespace {

// The key of the root block, as UTF-16 code units with the terminating zero.
constexpr char16_t VersionInfoKey[] = u"VS_VERSION_INFO";
constexpr std::uint64_t KeyOffset = 6;
constexpr std::uint64_t KeyBytes = sizeof(VersionInfoKey); // 16 code units, zero included

} // namespace

bool IsVersionInfoBlock(Bytes block)
{
    std::uint16_t length = 0;
    if (!ReadU16(block, 0, length) || length > block.size() || length < KeyOffset + KeyBytes)
        return false;
    for (std::uint64_t i = 0; i < KeyBytes / 2; ++i) {
        std::uint16_t unit = 0;
        if (!ReadU16(block, KeyOffset + 2 * i, unit) || unit != VersionInfoKey[i])
            return false;
    }
    return true;
}

std::optional<TFixedFileInfo> ParseFixedFileInfo(Bytes block)
{
    if (!IsVersionInfoBlock(block))
        return std::nullopt;
    std::uint16_t length = 0;
    std::uint16_t valueLength = 0;
    ReadU16(block, 0, length);
    if (!ReadU16(block, 2, valueLength) || valueLength < FixedFileInfoSize)
        return std::nullopt;
    // The value follows the key, aligned to four bytes from the start of the block.
    const std::uint64_t value = (KeyOffset + KeyBytes + 3) & ~std::uint64_t(3);
    const Bytes inside = block.first(length);
    std::uint32_t fields[FixedFileInfoSize / 4] = {};
    for (std::uint64_t i = 0; i < FixedFileInfoSize / 4; ++i) {
        if (!ReadU32(inside, value + 4 * i, fields[i]))
            return std::nullopt;
    }
    if (fields[0] != FixedFileInfoSignature)
        return std::nullopt;
    TFixedFileInfo info;
    static_assert(sizeof(TFixedFileInfo) == FixedFileInfoSize);
    std::memcpy(&info, fields, sizeof info);
    return info;
}
