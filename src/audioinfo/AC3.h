#pragma once

#include <cstdint>
#include <string>

#include "AudioFileStream.h"

// Raised by TAC3::ReadFromFile when the file cannot be opened or read.
class EAC3Error : public EAudioFileError
{
public:
    using EAudioFileError::EAudioFileError;
};

// Reads the first frame header of an AC-3 elementary stream. The duration comes from the
// file size and the nominal bit rate; nothing beyond the header is read.
class TAC3
{
public:
    TAC3();
    virtual ~TAC3();

    // Every number 0, not valid.
    void ResetData();
    // Resets, then reads the header of the file (8-bit name in the system code page). True
    // exactly when the stream starts with the AC-3 sync word and carries a defined
    // frame-size code; any other content gives false with every field 0. A file that cannot
    // be opened or read raises EAC3Error.
    bool ReadFromFile(const std::string &fileName);

    std::int64_t FileSize() const { return FFileSize; }
    bool Valid() const { return FValid; }
    int Channels() const { return FChannels; }
    int Bits() const { return FBits; }
    int SampleRate() const { return FSampleRate; }
    std::uint16_t BitRate() const { return FBitRate; } // kbit/s
    double Duration() const { return FDuration; }       // seconds

private:
    std::int64_t FFileSize;
    bool FValid;
    std::int32_t FChannels;
    std::int32_t FBits;
    std::int32_t FSampleRate;
    std::uint16_t FBitRate;
    double FDuration;
};
