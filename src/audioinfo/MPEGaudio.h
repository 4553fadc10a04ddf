// MPEG audio reader: MPEG-1, MPEG-2 and MPEG-2.5 audio of layers I, II and III.
//
// The reader skips an ID3v2 tag, finds the first frame header that is confirmed by
// a second header one frame length further on, reads a Xing or VBRI header of a
// variable-rate file, looks for an encoder mark and derives bit rate, sample rate,
// channel mode and duration. It reads a few 3458-byte blocks, never the whole file
// (except a file in which no frame is found at all, which is searched to its end).
//
// A block cut short by the end of the file is searched only where the file has bytes:
// a header, and the second header that confirms it, must lie wholly in the bytes read.
// Where a Xing or VBRI header, or the block that is searched for the encoder mark,
// reaches beyond the file, the missing bytes read as zero.
#pragma once

#include "APEtag.h"
#include "ID3v1.h"
#include "ID3v2.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

// Values of the header fields.
constexpr uint8_t MPEG_VERSION_2_5 = 0;
constexpr uint8_t MPEG_VERSION_UNKNOWN = 1;
constexpr uint8_t MPEG_VERSION_2 = 2;
constexpr uint8_t MPEG_VERSION_1 = 3;

constexpr uint8_t MPEG_LAYER_UNKNOWN = 0;
constexpr uint8_t MPEG_LAYER_III = 1;
constexpr uint8_t MPEG_LAYER_II = 2;
constexpr uint8_t MPEG_LAYER_I = 3;

constexpr uint8_t MPEG_CM_STEREO = 0;
constexpr uint8_t MPEG_CM_JOINT_STEREO = 1;
constexpr uint8_t MPEG_CM_DUAL_CHANNEL = 2;
constexpr uint8_t MPEG_CM_MONO = 3;
constexpr uint8_t MPEG_CM_UNKNOWN = 4;

// Bytes of one search block, and the positions of a block that are tried.
constexpr int MPEG_BLOCK_SIZE = 3458;
constexpr int MPEG_SEARCH_POSITIONS = 1730;

// The variable-rate header of the first frame.
struct TVBRData {
    bool Found = false;
    std::string ID;       // "Xing" or "VBRI"
    int32_t Frames = 0;   // frames of the file
    int32_t Bytes = 0;    // bytes of the file
    uint8_t Scale = 0;    // quality
    std::string VendorID; // 8 bytes after a Xing header, kept as they are; empty for VBRI
};

// The first frame and its header fields.
struct TFrameData {
    bool Found = false;
    int64_t Position = 0; // byte offset of the first frame in the file
    uint16_t Size = 0;    // frame length in bytes
    bool Empty = false;   // the 6 bytes after the header are all zero
    std::array<uint8_t, 4> Data{};
    uint8_t VersionID = MPEG_VERSION_UNKNOWN;
    uint8_t LayerID = 0;
    uint8_t ProtectionBit = 0; // 1 when a CRC follows the header
    uint16_t BitRateID = 0;
    uint16_t SampleRateID = 3;
    uint8_t PaddingBit = 0;
    uint8_t PrivateBit = 0;
    uint8_t ModeID = MPEG_CM_UNKNOWN;
    uint8_t ModeExtensionID = 4;
    uint8_t CopyrightBit = 0;
    uint8_t OriginalBit = 0;
    uint8_t EmphasisID = 2;
};

// Channel-mode texts by ModeID.
extern const std::array<const char *, 5> MPEG_CM_MODE;

class TMPEGaudio {
public:
    TMPEGaudio();
    virtual ~TMPEGaudio();
    TMPEGaudio(const TMPEGaudio &) = delete;
    TMPEGaudio &operator=(const TMPEGaudio &) = delete;

    void ResetData();

    // Reads FileName (8-bit path). False when the file cannot be opened or a read
    // fails; true otherwise. Whether the file holds MPEG audio is told by Valid.
    bool ReadFromFile(const std::string &FileName);

    int64_t FileLength() const { return FFileLength; }
    const std::string &EncoderID() const { return FEncoderID; }
    const TVBRData &VBR() const { return FVBR; }
    const TFrameData &Frame() const { return FFrame; }
    int64_t AudioStart() const { return FAudioStart; }
    int64_t AudioEnd() const { return FAudioEnd; }
    const TID3v1 &ID3v1() const { return *FID3v1; }
    const TID3v2 &ID3v2() const { return *FID3v2; }
    // Owned but not read by this class.
    const TAPEtag &APEtag() const { return *FAPEtag; }

    // kbit/s: the average of a variable-rate file, else the first frame's rate.
    uint16_t BitRate() const;
    // Hertz, from the first frame.
    int SampleRate() const;
    // "Stereo", "Joint Stereo", "Dual Channel", "Mono" or "Unknown".
    std::string ChannelMode() const;
    // Seconds.
    double Duration() const;
    // A frame was found, the bit rate lies between 8 and 448 and the duration is at
    // least 0.1 seconds.
    bool Valid() const;

    // The header test of four bytes.
    static bool IsFrameHeader(const uint8_t *Header);

private:
    void DecodeHeader(const uint8_t *Header, TFrameData &Frame) const;
    // Searches one block, of which Count bytes were read.
    void SearchFrame(const uint8_t *Block, int Count);
    void ReadVBR(const uint8_t *Block, int Offset);
    void SearchEncoder(const uint8_t *Block);
    bool MeasureFrames(TAudioFileStream &File);
    bool WalkWindow(const uint8_t *Window, int Count, int64_t &Frames, int64_t &Bytes, bool &Mixed) const;

    int64_t FFileLength = 0;
    std::string FEncoderID;
    TVBRData FVBR;
    // The "Info" header that encoders write into the first frame of a constant-rate file, in the
    // layout of a Xing header: its frame count gives the duration without the tags and padding
    // that the byte count holds, and where the header frame was written at another rate than the
    // audio (as low-rate encoders do to make room for it), the audio's rate is the next frame's.
    int32_t FInfoFrames = 0;
    uint16_t FInfoNextBitRate = 0;
    double FMeanFrameBytes = 0; // mean frame length of a variable-rate file without a header frame
    TFrameData FFrame;
    int64_t FAudioStart = 0;
    int64_t FAudioEnd = 0;
    std::unique_ptr<TID3v1> FID3v1;
    std::unique_ptr<TID3v2> FID3v2;
    std::unique_ptr<TAPEtag> FAPEtag;
};
