#pragma once

#include <cstdint>
#include <string>

#include "AudioFileStream.h"

// Raised by TDTS::ReadFromFile when the file cannot be opened or read.
class EDTSError : public EAudioFileError
{
public:
    using EAudioFileError::EAudioFileError;
};

// Reads the first frame header of a DTS core stream. The duration comes from the file size
// and the stream's bit rate; nothing beyond the header is read.
class TDTS
{
public:
    TDTS();
    virtual ~TDTS();

    // Every number 0, not valid.
    void ResetData();
    // Resets, then reads the header of the file (8-bit name in the system code page). True
    // exactly when the stream starts with the DTS sync word; other content gives false with
    // every field 0. The open, variable and lossless rate codes (29 to 31) carry no usable
    // rate: their Duration is 0. A file that cannot be opened or read raises EDTSError.
    bool ReadFromFile(const std::string &fileName);

    std::int64_t FileSize() const { return FFileSize; }
    bool Valid() const { return FValid; }
    int Channels() const { return FChannels; }
    int Bits() const { return FBits; }
    int SampleRate() const { return FSampleRate; }
    std::uint16_t BitRate() const { return FBitRate; } // kbit/s, as the rate table names it
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
