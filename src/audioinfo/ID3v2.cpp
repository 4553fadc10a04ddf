#include "ID3v2.h"

#include "AudioFileStream.h"
#include "TagText.h"

#include <algorithm>
#include <cstring>

using namespace audioinfo;

namespace {

constexpr int HeaderSize = 10;

// Wanted frames in slot order, for versions 2.3 and 2.4 and for version 2.2.
constexpr std::array<const char *, TID3v2::FrameSlots> FramesV3 = {
    "TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM", "TCOM", "TENC",
    "TCOP", "TLAN", "WXXX", "TDRC", "TOPE", "TIT1", "TOAL", "TSIZ"};
constexpr std::array<const char *, TID3v2::FrameSlots> FramesV2 = {
    "TT2", "TP1", "TAL", "TRK", "TYE", "TCO", "COM", "TCM", "TEN",
    "TCR", "TLA", "WXX", "TOR", "TOA", "TT1", "TOT", "TSI"};

enum Slot {
    SlotTitle, SlotArtist, SlotAlbum, SlotTrack, SlotYear, SlotGenre, SlotComment,
    SlotComposer, SlotEncoder, SlotCopyright, SlotLanguage, SlotLink, SlotRecordingTime,
    SlotOrigArtist, SlotContentGroup, SlotOrigAlbum, SlotSize
};

// The raw text of a frame: the first bytes of its content, at most MaxFrameText.
using RawText = std::string;

// Decodes a raw frame text. Encoding 1 (UTF-16 with byte-order mark) is read as
// little-endian code units from the second byte on: a unit 0 ends the text and a unit
// whose low byte is 0xFF (the mark among them) is skipped. Anything else is 8-bit text.
// Both are trimmed at both ends.
std::string DecodeText(std::string_view Raw)
{
    if (Raw.empty() || Raw[0] != 1)
        return TrimBoth(Raw);
    std::u16string Units;
    for (std::size_t I = 1; I + 1 < Raw.size(); I += 2) {
        const auto Low = static_cast<unsigned char>(Raw[I]);
        const auto High = static_cast<unsigned char>(Raw[I + 1]);
        const char16_t Unit = char16_t(Low | (High << 8));
        if (Unit == 0)
            break;
        if (Low == 0xFF)
            continue;
        Units.push_back(Unit);
    }
    return TrimBoth(Utf16ToSystem(Units));
}

// The text of a frame that begins with a description (COMM after its language,
// WXXX): the description ends at the first zero code unit for UTF-16 and at the first
// zero byte otherwise; the rest is decoded with the frame's encoding.
std::string TextAfterDescription(const RawText &Raw, std::size_t DescriptionStart)
{
    if (Raw.empty() || DescriptionStart >= Raw.size())
        return std::string();
    const char Encoding = Raw[0];
    std::size_t TextStart = Raw.size();
    if (Encoding == 1) {
        for (std::size_t I = DescriptionStart; I + 1 < Raw.size(); I += 2)
            if (Raw[I] == 0 && Raw[I + 1] == 0) {
                TextStart = I + 2;
                break;
            }
    } else {
        std::size_t Zero = Raw.find('\0', DescriptionStart);
        if (Zero != std::string::npos)
            TextStart = Zero + 1;
    }
    std::string Rest(1, Encoding);
    if (TextStart < Raw.size())
        Rest.append(Raw, TextStart, std::string::npos);
    if (Encoding != 1)
        Rest[0] = ' '; // stands for the encoding byte and is trimmed away
    return DecodeText(Rest);
}

} // namespace

TID3v2::TID3v2()
{
    ResetData();
}

void TID3v2::ResetData()
{
    FExists = false;
    FVersionID = 0;
    FSize = 0;
    FTrack = 0;
    for (std::string *Text : {&FTitle, &FArtist, &FAlbum, &FTrackString, &FYear, &FGenre, &FComment,
                              &FComposer, &FEncoder, &FCopyright, &FLanguage, &FLink, &FSizeText})
        Text->clear();
}

bool TID3v2::ReadFromFile(const std::string &FileName)
{
    // A file that cannot be opened reads as no tag, with every field reset.
    TAudioFileStream File(FileName);
    return ReadFromFile(File);
}

bool TID3v2::ReadFromFile(TAudioFileStream &File)
{
    ResetData();
    if (!File.IsOpen())
        return false;
    unsigned char Header[HeaderSize];
    if (!ReadExact(File, 0, Header, sizeof Header))
        return false;
    const int64_t Length = File.Size();
    if (std::memcmp(Header, "ID3", 3) != 0)
        return true;

    FExists = true;
    FVersionID = Header[3];
    // The size bytes are taken whole, top bits included.
    int64_t Size = int64_t(Header[6]) * (1 << 21) + int64_t(Header[7]) * (1 << 14)
                   + int64_t(Header[8]) * (1 << 7) + int64_t(Header[9]) + HeaderSize;
    if (Header[5] & 0x10)
        Size += HeaderSize; // footer
    FSize = Size > Length ? 0 : int32_t(Size);

    std::array<RawText, FrameSlots> Slots;
    if ((FVersionID == 2 || FVersionID == 3 || FVersionID == 4) && FSize > 0) {
        const bool V2 = FVersionID == 2;
        const std::size_t FrameHeaderSize = V2 ? 6 : 10;
        const std::size_t IdSize = V2 ? 3 : 4;
        const auto &Wanted = V2 ? FramesV2 : FramesV3;
        int64_t Position = HeaderSize;
        RawText Raw;
        while (Position < FSize && Position < Length) {
            unsigned char FrameHeader[10];
            if (!ReadExact(File, Position, FrameHeader, FrameHeaderSize))
                break;
            if (FrameHeader[0] < 'A' || FrameHeader[0] > 'Z')
                break; // padding
            const uint32_t FrameSize = V2 ? (uint32_t(FrameHeader[3]) << 16)
                                                | (uint32_t(FrameHeader[4]) << 8) | FrameHeader[5]
                                          : GetBE32(FrameHeader + 4);
            const int64_t ContentStart = Position + int64_t(FrameHeaderSize);
            const bool Compressed = !V2 && (FrameHeader[9] & 0x80);
            const std::string_view Id(reinterpret_cast<const char *>(FrameHeader), IdSize);
            int SlotIndex = -1;
            for (int I = 0; I < FrameSlots && !Compressed; ++I)
                if (Id == Wanted[std::size_t(I)]) {
                    SlotIndex = I;
                    break;
                }
            if (SlotIndex >= 0) {
                // The first bytes of the content, at most MaxFrameText, in a buffer of
                // MaxFrameText zero bytes: a UTF-16 text whose last code unit lacks its
                // high byte gets a zero one.
                Raw.assign(MaxFrameText, '\0');
                const int64_t Got
                    = ReadSome(File, ContentStart, Raw.data(), std::min<std::size_t>(FrameSize, MaxFrameText));
                if (Got < 0)
                    break;
                const char Encoding = Raw[0];
                if (Encoding == 0 || Encoding == 1)
                    Slots[std::size_t(SlotIndex)] = Raw;
            }
            Position = ContentStart + int64_t(FrameSize);
        }
    }

    FTitle = DecodeText(Slots[SlotTitle]);
    if (FTitle.empty())
        FTitle = DecodeText(Slots[SlotContentGroup]);
    FArtist = DecodeText(Slots[SlotArtist]);
    if (FArtist.empty())
        FArtist = DecodeText(Slots[SlotOrigArtist]);
    FAlbum = DecodeText(Slots[SlotAlbum]);
    if (FAlbum.empty())
        FAlbum = DecodeText(Slots[SlotOrigAlbum]);
    FTrackString = DecodeText(Slots[SlotTrack]);
    FTrack = TrackNumberOf(FTrackString);
    FYear = DecodeText(Slots[SlotYear]);
    if (FYear.empty())
        FYear = FirstCharacters(DecodeText(Slots[SlotRecordingTime]), 4);
    FGenre = DecodeText(Slots[SlotGenre]);
    const std::size_t Paren = FGenre.rfind(')');
    if (Paren != std::string::npos)
        FGenre.erase(0, Paren + 1);
    FComment = TextAfterDescription(Slots[SlotComment], 4);
    FLink = TextAfterDescription(Slots[SlotLink], 1);
    FComposer = DecodeText(Slots[SlotComposer]);
    FEncoder = DecodeText(Slots[SlotEncoder]);
    FCopyright = DecodeText(Slots[SlotCopyright]);
    FLanguage = DecodeText(Slots[SlotLanguage]);
    FSizeText = DecodeText(Slots[SlotSize]);
    return true;
}
