#pragma once

#include <cstdint>
#include <string>

#include "AudioFileStream.h"

// Raised by TOggVorbis::ReadFromFile when the file cannot be opened or read.
class EOggVorbisError : public EAudioFileError
{
public:
    using EAudioFileError::EAudioFileError;
};

// Reads an Ogg Vorbis file: an ID3v2 tag in front is skipped, the first page must carry the
// Vorbis identification header, the comment header's fields are taken over, and the sample
// count is the granule position of the last page, found by a backwards search over the end
// of the file. Only page headers are read; the file is never walked.
//
// Texts are 8-bit strings in the system code page (UTF-8 here).
class TOggVorbis
{
public:
    TOggVorbis();
    virtual ~TOggVorbis();

    // Every number 0, every text empty.
    void ResetData();
    // Resets, then reads the file (8-bit name in the system code page). True when the file is
    // an Ogg file whose first packet is a Vorbis identification header; any other content
    // gives false with every field reset. A file that cannot be opened or read raises
    // EOggVorbisError.
    bool ReadFromFile(const std::string &fileName);

    std::int64_t FileSize() const { return FFileSize; }
    std::uint8_t Channels() const { return FChannels; }
    std::int32_t SampleRate() const { return FSampleRate; }
    std::uint16_t BitRateNominal() const { return FBitRateNominal; } // kbit/s
    // Granule position of the last page: samples per channel.
    std::int64_t Samples() const { return FSamples; }
    std::int32_t ID3v2Size() const { return FID3v2Size; }
    const std::string &Title() const { return FTitle; }
    const std::string &Artist() const { return FArtist; }
    const std::string &Album() const { return FAlbum; }
    std::uint8_t Track() const { return FTrack; }
    const std::string &Date() const { return FDate; }
    const std::string &Genre() const { return FGenre; }
    const std::string &Comment() const { return FComment; }
    const std::string &Vendor() const { return FVendor; }

    // "Unknown", "Mono", "Stereo" or "Multichannel".
    std::string ChannelMode() const;
    // Seconds, from the sample count, else estimated from the nominal bit rate.
    double Duration() const;
    // Average bit rate in kbit/s over the Ogg data (the file after the ID3v2 tag).
    int BitRate() const;
    // One, two or six channels, a sample rate, more than 0.1 s and a bit rate.
    bool Valid() const;

private:
    std::int64_t FFileSize;
    std::uint8_t FChannels;
    std::int32_t FSampleRate;
    std::uint16_t FBitRateNominal;
    std::int64_t FSamples;
    std::int32_t FID3v2Size;
    std::string FTitle;
    std::string FArtist;
    std::string FAlbum;
    std::uint8_t FTrack;
    std::string FDate;
    std::string FGenre;
    std::string FComment;
    std::string FVendor;
};
