#pragma once

#include <cstdint>
#include <string>

#include "APEtag.h"
#include "ID3v1.h"
#include "ID3v2.h"

// Reads a raw AAC file: an ADIF header or a stream of ADTS frames, after an optional ID3v2
// tag. The ID3v1 and APE tags at the end are read as well. For ADTS the frames are walked
// (a constant-rate stream only to its first frame) and the bit rate is the average frame
// size; nothing of the audio is decoded.
class TAACfile
{
public:
    // HeaderType values.
    static constexpr std::uint8_t AAC_HEADER_TYPE_UNKNOWN = 0;
    static constexpr std::uint8_t AAC_HEADER_TYPE_ADIF = 1;
    static constexpr std::uint8_t AAC_HEADER_TYPE_ADTS = 2;

    TAACfile();
    virtual ~TAACfile();
    TAACfile(const TAACfile &) = delete;
    TAACfile &operator=(const TAACfile &) = delete;

    // Every number 0, the tag readers reset.
    void ResetData();
    // Resets, then reads the tags and the stream header of the file (8-bit name in the
    // system code page). False when the file cannot be opened or read, or when a tag reader
    // fails (a file shorter than 128 bytes among others). A file that is neither ADIF nor
    // ADTS gives true with HeaderType 0 and is not Valid. Never raises.
    bool ReadFromFile(const std::string &fileName);

    std::int64_t FileSize() const { return FFileSize; }
    std::uint8_t HeaderType() const { return FHeaderType; }
    std::uint8_t Version() const { return FVersion; }       // 1 MPEG-2, 2 MPEG-4
    std::uint8_t Profile() const { return FProfile; }       // 1 Main, 2 LC, 3 SSR, 4 LTP
    std::uint8_t Channels() const { return FChannels; }     // ADIF: channel elements
    std::int32_t SampleRate() const { return FSampleRate; }
    std::int32_t BitRate() const { return FBitRate; }       // bits per second
    std::uint8_t BitRateType() const { return FBitRateType; } // 1 constant, 2 variable
    const TID3v1 &ID3v1() const { return *FID3v1; }
    const TID3v2 &ID3v2() const { return *FID3v2; }
    const TAPEtag &APEtag() const { return *FAPEtag; }
    std::int32_t Frames() const { return FFrames; }         // ADTS frames counted

    // Seconds: the bytes after the ID3v2 tag at the bit rate; 0 without a bit rate.
    double Duration() const;
    // A header type, channels, a sample rate and a bit rate.
    bool Valid() const;

private:
    std::int64_t FFileSize;
    std::uint8_t FHeaderType;
    std::uint8_t FVersion;
    std::uint8_t FProfile;
    std::uint8_t FChannels;
    std::int32_t FSampleRate;
    std::int32_t FBitRate;
    std::uint8_t FBitRateType;
    TID3v1 *FID3v1;
    TID3v2 *FID3v2;
    TAPEtag *FAPEtag;
    std::int32_t FFrames;
};
