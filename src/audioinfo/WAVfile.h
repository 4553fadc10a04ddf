#pragma once

#include <cstdint>
#include <string>

// Reads the header of a RIFF/WAVE file: the "fmt " chunk at its canonical place and the
// header of the "data" chunk. Nothing of the audio itself is read.
class TWAVfile
{
public:
    TWAVfile();

    // Every number 0, not valid, no file name.
    void ResetData();
    // Resets, then reads the header (8-bit name in the system code page). False when the
    // file cannot be opened or read or is shorter than 36 bytes; otherwise true, and Valid
    // tells whether the header is a usable WAVE header. Never raises.
    bool ReadFromFile(const std::string &fileName);

    bool Valid() const { return FValid; }
    std::uint32_t FormatSize() const { return FFormatSize; }
    std::uint16_t FormatTag() const { return FFormatTag; }
    std::uint8_t Channels() const { return FChannels; } // low byte of the channel count
    std::uint32_t SampleRate() const { return FSampleRate; }
    std::uint32_t BytesPerSecond() const { return FBytesPerSecond; }
    std::uint16_t BlockAlign() const { return FBlockAlign; }
    std::uint8_t BitsPerSample() const { return FBitsPerSample; }
    // Sample frames in the "data" chunk (as far as the file holds it).
    std::uint32_t SampleNumber() const { return FSampleNumber; }
    // Offset of the first audio byte (just past the "data" chunk's header), at most FileSize.
    std::uint32_t HeaderSize() const { return FHeaderSize; }
    // The RIFF chunk size plus 8 (what the header says, not the size on disk).
    std::uint32_t FileSize() const { return FFileSize; }
    const std::string &FileName() const { return FFileName; }

    // "Unknown", "Mono", "Stereo" or "Multichannel".
    std::string ChannelMode() const;
    // Seconds, from the sample count, else from the byte rate; 0 when not valid.
    double Duration() const;

private:
    bool FValid;
    std::uint32_t FFormatSize;
    std::uint16_t FFormatTag;
    std::uint8_t FChannels;
    std::uint32_t FSampleRate;
    std::uint32_t FBytesPerSecond;
    std::uint16_t FBlockAlign;
    std::uint8_t FBitsPerSample;
    std::uint32_t FSampleNumber;
    std::uint32_t FHeaderSize;
    std::uint32_t FFileSize;
    std::string FFileName;
};
