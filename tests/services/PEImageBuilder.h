#pragma once

// Builds small PE images byte by byte for the version-resource tests: a DOS header, the PE
// headers, one ".rsrc" section and a resource tree type -> name -> language -> data.

#include <cstdint>
#include <cstring>
#include <vector>

struct TPEImageOptions {
    bool Pe32Plus = false;
    std::uint32_t ResourceType = 16; // 16 is the version resource
    std::uint32_t ResourceName = 1;
    std::uint32_t FileVersionMS = 0x00010002;
    std::uint32_t FileVersionLS = 0x00030004;
    bool WithFixedInfo = true;
    std::uint32_t Signature = 0xFEEF04BD;
};

class TPEImage
{
public:
    // Offsets of interesting fields in the built image, for the tests that spoil them.
    static constexpr std::size_t PeOffset = 0x40;
    static constexpr std::size_t RawOffset = 0x200;
    static constexpr std::uint32_t SectionRva = 0x1000;
    static constexpr std::size_t VersionOffset = RawOffset + 0x58; // the VS_VERSIONINFO block

    std::size_t SectionTable = 0;
    std::size_t DataEntry = RawOffset + 0x48;
    std::size_t ResourceDirectoryField = 0; // RVA and size of the resource data directory
    std::size_t VersionSize = 0;
    std::vector<std::uint8_t> Bytes;

    explicit TPEImage(const TPEImageOptions &o = {})
    {
        const std::size_t optionalSize = o.Pe32Plus ? 240 : 224;
        Bytes.assign(RawOffset, 0);
        Put16(0, 0x5A4D); // "MZ"
        Put32(0x3C, PeOffset);
        Put32(PeOffset, 0x00004550); // "PE\0\0"
        const std::size_t coff = PeOffset + 4;
        Put16(coff, o.Pe32Plus ? 0x8664 : 0x014C);
        Put16(coff + 2, 1); // one section
        Put16(coff + 16, static_cast<std::uint16_t>(optionalSize));
        Put16(coff + 18, 0x0102);
        const std::size_t optional = coff + 20;
        Put16(optional, o.Pe32Plus ? 0x20B : 0x10B);
        const std::size_t countField = optional + (o.Pe32Plus ? 108 : 92);
        Put32(countField, 16);
        ResourceDirectoryField = countField + 4 + 2 * 8;
        SectionTable = optional + optionalSize;
        std::memcpy(&Bytes[SectionTable], ".rsrc\0\0\0", 8);

        // The resource section.
        std::vector<std::uint8_t> r(0x58, 0);
        auto dir = [&](std::size_t at, std::uint32_t id, std::uint32_t target) {
            Put16(r, at + 14, 1); // one numbered entry
            Put32(r, at + 16, id);
            Put32(r, at + 20, target);
        };
        dir(0x00, o.ResourceType, 0x80000000u | 0x18);
        dir(0x18, o.ResourceName, 0x80000000u | 0x30);
        dir(0x30, 0x0409, 0x48);

        // VS_VERSIONINFO: header, key, padding, fixed file info.
        std::vector<std::uint8_t> v(40, 0);
        const char16_t key[] = u"VS_VERSION_INFO";
        for (std::size_t i = 0; i < 16; ++i)
            Put16(v, 6 + 2 * i, key[i]);
        if (o.WithFixedInfo) {
            const std::uint32_t fixed[13] = {o.Signature, 0x00010000, o.FileVersionMS, o.FileVersionLS,
                                             o.FileVersionMS, o.FileVersionLS, 0x3F, 0, 0x40004, 1, 0, 0, 0};
            for (std::uint32_t f : fixed) {
                const std::size_t at = v.size();
                v.resize(at + 4);
                Put32(v, at, f);
            }
        }
        Put16(v, 0, static_cast<std::uint16_t>(v.size()));
        Put16(v, 2, o.WithFixedInfo ? 52 : 0);
        VersionSize = v.size();

        Put32(r, 0x48, SectionRva + 0x58);
        Put32(r, 0x4C, static_cast<std::uint32_t>(v.size()));
        r.insert(r.end(), v.begin(), v.end());

        Put32(ResourceDirectoryField, SectionRva);
        Put32(ResourceDirectoryField + 4, static_cast<std::uint32_t>(r.size()));
        Put32(SectionTable + 8, static_cast<std::uint32_t>(r.size())); // virtual size
        Put32(SectionTable + 12, SectionRva);
        Put32(SectionTable + 16, static_cast<std::uint32_t>(r.size())); // raw size
        Put32(SectionTable + 20, RawOffset);
        Bytes.insert(Bytes.end(), r.begin(), r.end());
    }

    void Put16(std::size_t at, std::uint32_t value) { Put16(Bytes, at, value); }
    void Put32(std::size_t at, std::uint32_t value) { Put32(Bytes, at, value); }

private:
    static void Put16(std::vector<std::uint8_t> &b, std::size_t at, std::uint32_t value)
    {
        b[at] = value & 0xFF;
        b[at + 1] = (value >> 8) & 0xFF;
    }
    static void Put32(std::vector<std::uint8_t> &b, std::size_t at, std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            b[at + i] = (value >> (8 * i)) & 0xFF;
    }
};
