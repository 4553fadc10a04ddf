#include "WAVfile.h"

#include <algorithm>
#include <cstring>

#include "AudioFileStream.h"

using audioinfo::GetLE16;
using audioinfo::GetLE32;

namespace
{
constexpr int MaxChunksWalked = 4096;
}

TWAVfile::TWAVfile()
{
    ResetData();
}

void TWAVfile::ResetData()
{
    FValid = false;
    FFormatSize = 0;
    FFormatTag = 0;
    FChannels = 0;
    FSampleRate = 0;
    FBytesPerSecond = 0;
    FBlockAlign = 0;
    FBitsPerSample = 0;
    FSampleNumber = 0;
    FHeaderSize = 0;
    FFileSize = 0;
    FFileName.clear();
}

bool TWAVfile::ReadFromFile(const std::string &fileName)
{
    ResetData();
    TAudioFileStream stream;
    if (!stream.Open(fileName))
        return false;

    // The canonical 44-byte header: RIFF header, "fmt " chunk of 16 bytes, then the header of
    // the next chunk. Only the first 36 bytes are taken as they stand.
    std::uint8_t header[44] = {};
    std::size_t got = 0;
    if (!stream.ReadAt(0, header, 36, &got) || got < 36)
        return false;
    const std::int64_t length = stream.Size();

    // A WAV file that may outgrow 4 GiB (RF64) starts with "RF64" and a "ds64" chunk that
    // holds the 64-bit sizes; its "fmt " chunk follows that one, `shift` bytes further on than
    // in a RIFF file. The header record then holds the "fmt " chunk where a RIFF file has it.
    std::int64_t shift = 0;
    bool rf64 = false;
    std::uint64_t rf64Riff = 0, rf64Data = 0;
    if (std::memcmp(header, "RF64", 4) == 0 && std::memcmp(header + 8, "WAVE", 4) == 0 &&
        std::memcmp(header + 12, "ds64", 4) == 0) {
        const std::uint32_t ds64Size = GetLE32(header + 16);
        if (ds64Size < 16)
            return true;
        rf64Riff = std::uint64_t(GetLE32(header + 20)) | std::uint64_t(GetLE32(header + 24)) << 32;
        rf64Data = std::uint64_t(GetLE32(header + 28)) | std::uint64_t(GetLE32(header + 32)) << 32;
        shift = 8 + std::int64_t(ds64Size) + (ds64Size & 1);
        got = 0;
        if (!stream.ReadAt(12 + shift, header + 12, 24, &got) || got < 24)
            return true;
        rf64 = true;
    }
    const std::uint32_t formatSize = GetLE32(header + 16);
    std::uint16_t formatTag = GetLE16(header + 20);

    // The chunk that follows "fmt " is usually "data", but many writers put a "LIST" or
    // "fact" chunk there: walk the chunks (word-aligned, bounded by the file) to "data".
    // Without a "data" chunk the one right after "fmt " is taken as the audio.
    std::uint64_t audioSize = 0;
    std::uint32_t headerSize = std::uint32_t(formatSize + 28 + shift);
    std::uint32_t factSamples = 0; // sample frames a "fact" chunk names, 0 without one
    std::uint16_t subFormat = 0;   // format code of an extensible "fmt " chunk
    if (std::int64_t(formatSize) + 24 + shift < length) {
        if (formatTag == 0xFFFE && formatSize >= 40) {
            std::uint8_t guid[2];
            if (!stream.ReadAt(44 + shift, guid, sizeof guid))
                return false;
            subFormat = GetLE16(guid);
        }
        const std::int64_t next = std::int64_t(formatSize) + 20 + shift;
        std::uint8_t chunk[12];
        if (!stream.ReadAt(next, chunk, 8))
            return false;
        audioSize = GetLE32(chunk + 4);
        std::int64_t pos = next;
        // Real files have a handful of chunks; the cap keeps a file of millions of empty
        // chunks from turning the probe into a walk over the whole file.
        for (int walked = 0; walked < MaxChunksWalked && pos + 8 <= length; ++walked) {
            if (!stream.ReadAt(pos, chunk, sizeof chunk))
                return false;
            std::uint32_t size = GetLE32(chunk + 4);
            if (std::memcmp(chunk, "data", 4) == 0) {
                const std::uint64_t full = rf64 && size == 0xFFFFFFFFu ? rf64Data : size;
                // A writer that could not seek back (output to a pipe) leaves a placeholder
                // size such as 0xFFFFFFFF: count only the audio that the file holds.
                const std::int64_t held = length - (pos + 8);
                audioSize = held >= 0 && full > std::uint64_t(held) ? std::uint64_t(held) : full;
                headerSize = std::uint32_t(std::min<std::int64_t>(pos + 8, 0xFFFFFFFF));
                break;
            }
            if (std::memcmp(chunk, "fact", 4) == 0 && size >= 4 && pos + 12 <= length)
                factSamples = GetLE32(chunk + 8);
            pos += 8 + std::int64_t(size) + (size & 1);
        }
    }
    stream.Close();

    const std::uint16_t channels16 = GetLE16(header + 22);
    const std::uint16_t blockAlign = GetLE16(header + 32);
    if ((!rf64 && std::memcmp(header, "RIFF", 4) != 0) || std::memcmp(header + 8, "WAVE", 4) != 0 ||
        std::memcmp(header + 12, "fmt ", 4) != 0 || channels16 == 0)
        return true;
    // Every WAVE format has a block alignment; without it the sample count and so the
    // duration are unknown, and the header is not taken.
    if (blockAlign == 0)
        return true;

    FValid = true;
    FFormatSize = formatSize;
    FFormatTag = formatTag;
    FChannels = std::uint8_t(channels16 & 0xFF);
    FSampleRate = GetLE32(header + 24);
    FBytesPerSecond = GetLE32(header + 28);
    FBlockAlign = blockAlign;
    FBitsPerSample = header[34];
    // Plain and floating-point samples fill each block with one sample frame. A compressed
    // format (ADPCM, MPEG audio and the like) packs many frames into a block: its count comes
    // from the "fact" chunk, else from the audio bytes at the average byte rate.
    const std::uint16_t coding = formatTag == 0xFFFE ? subFormat : formatTag;
    const bool uncompressed = coding == 1 || coding == 3;
    if (uncompressed)
        FSampleNumber = std::uint32_t(std::min<std::uint64_t>(audioSize / blockAlign, 0xFFFFFFFFu));
    else if (factSamples > 0)
        FSampleNumber = factSamples;
    else if (FBytesPerSecond > 0)
        FSampleNumber = std::uint32_t(std::min<std::uint64_t>(
            audioSize / FBytesPerSecond * FSampleRate
                + audioSize % FBytesPerSecond * FSampleRate / FBytesPerSecond, 0xFFFFFFFFu));
    else
        FSampleNumber = 0;
    FHeaderSize = headerSize;
    FFileSize = rf64 ? std::uint32_t(std::min<std::uint64_t>(rf64Riff + 8, 0xFFFFFFFFu))
                     : GetLE32(header + 4) + 8u;
    if (FFileSize < FHeaderSize)
        FHeaderSize = FFileSize;
    FFileName = fileName;
    return true;
}

std::string TWAVfile::ChannelMode() const
{
    switch (FChannels) {
    case 0: return "Unknown";
    case 1: return "Mono";
    case 2: return "Stereo";
    default: return "Multichannel";
    }
}

double TWAVfile::Duration() const
{
    if (!FValid)
        return 0;
    if (FSampleNumber > 0 && FSampleRate > 0)
        return double(FSampleNumber) / FSampleRate;
    if (FBytesPerSecond > 0)
        return double(std::uint32_t(FFileSize - FHeaderSize)) / FBytesPerSecond;
    return 0;
}
