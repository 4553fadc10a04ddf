#include "APEtag.h"

#include "AudioFileStream.h"
#include "TagText.h"

#include <array>
#include <cstring>

using namespace audioinfo;

namespace {

constexpr int64_t ID3v1Size = 128;
constexpr std::size_t FooterSize = 32;
// Keys longer than this (once trimmed) cannot be one of the wanted keys.
constexpr std::size_t MaxKeyLength = 64;

enum Field { FieldTitle, FieldArtist, FieldAlbum, FieldTrack, FieldYear, FieldGenre, FieldComment,
             FieldCopyright, FieldCount };
constexpr std::array<const char *, FieldCount> FieldKeys = {
    "Title", "Artist", "Album", "Track", "Year", "Genre", "Comment", "Copyright"};

bool IsContinuation(unsigned char C)
{
    return C >= 0x80 && C <= 0xBF;
}

} // namespace

std::string DecodeAPEText(std::string_view Value)
{
    std::u16string Units;
    std::size_t I = 0;
    while (I < Value.size()) {
        const auto Lead = static_cast<unsigned char>(Value[I]);
        if (Lead < 0x80) {
            Units.push_back(char16_t(Lead));
            ++I;
            continue;
        }
        const std::size_t Length = (Lead & 0x20) ? 3 : 2;
        if (I + Length > Value.size())
            break;
        const auto C1 = static_cast<unsigned char>(Value[I + 1]);
        if (!IsContinuation(C1))
            break;
        if (Length == 2) {
            Units.push_back(char16_t(((Lead & 0x1F) << 6) | (C1 & 0x3F)));
        } else {
            const auto C2 = static_cast<unsigned char>(Value[I + 2]);
            if (!IsContinuation(C2))
                break;
            Units.push_back(char16_t(((Lead & 0x0F) << 12) | ((C1 & 0x3F) << 6) | (C2 & 0x3F)));
        }
        I += Length;
    }
    return Utf16ToSystem(Units);
}

TAPEtag::TAPEtag()
{
    ResetData();
}

void TAPEtag::ResetData()
{
    FExists = false;
    FVersion = 0;
    FSize = 0;
    FTrack = 0;
    for (std::string *Text : {&FTitle, &FArtist, &FAlbum, &FYear, &FGenre, &FComment, &FCopyright})
        Text->clear();
}

bool TAPEtag::ReadFromFile(const std::string &FileName)
{
    // A file that cannot be opened reads as no tag, with every field reset.
    TAudioFileStream File(FileName);
    return ReadFromFile(File);
}

bool TAPEtag::ReadFromFile(TAudioFileStream &File)
{
    ResetData();
    if (!File.IsOpen())
        return false;
    const int64_t Length = File.Size();
    char TagId[3];
    if (!ReadExact(File, Length - ID3v1Size, TagId, sizeof TagId))
        return false;
    const int64_t TagEnd = Length - (std::memcmp(TagId, "TAG", 3) == 0 ? ID3v1Size : 0);

    unsigned char Footer[FooterSize];
    if (!ReadExact(File, TagEnd - int64_t(FooterSize), Footer, sizeof Footer))
        return false;
    if (std::memcmp(Footer, "APETAGEX", 8) != 0)
        return true;

    FExists = true;
    FVersion = int32_t(GetLE32(Footer + 8));
    FSize = int32_t(GetLE32(Footer + 12));
    const uint32_t ItemCount = GetLE32(Footer + 16);

    // The item walk: every read lies inside the file, and each item takes at least
    // nine bytes, so neither a false count nor false sizes can keep it going long.
    std::array<std::string, FieldCount> Values;
    int64_t Position = TagEnd - int64_t(uint32_t(FSize));
    std::string Text(MaxValueText, '\0');
    for (uint32_t Item = 0; Item < ItemCount && Position >= 0; ++Item) {
        unsigned char ItemHeader[8];
        if (!ReadExact(File, Position, ItemHeader, sizeof ItemHeader))
            break;
        const uint32_t ValueSize = GetLE32(ItemHeader);
        Position += 8;

        // The key, byte by byte up to its zero byte, kept trimmed at both ends. A key
        // that is longer than any wanted key is only skipped.
        std::string Key;
        std::string Pending; // trim characters inside the key, kept once more follows
        bool KeyTooLong = false;
        bool KeyEnded = false;
        while (!KeyEnded) {
            char Chunk[64];
            const int64_t Got = ReadSome(File, Position, Chunk, sizeof Chunk);
            if (Got <= 0)
                break;
            int64_t Used = 0;
            while (Used < Got) {
                const char C = Chunk[Used++];
                if (C == 0) {
                    KeyEnded = true;
                    break;
                }
                if (KeyTooLong || (Key.empty() && IsTrimChar(C)))
                    continue;
                if (IsTrimChar(C)) {
                    if (Pending.size() <= MaxKeyLength)
                        Pending.push_back(C);
                } else if (Key.size() + Pending.size() + 1 > MaxKeyLength) {
                    KeyTooLong = true;
                } else {
                    Key += Pending;
                    Key.push_back(C);
                    Pending.clear();
                }
            }
            Position += Used;
        }
        if (!KeyEnded)
            break;

        // At most the first MaxValueText bytes of the value, zero-padded.
        std::fill(Text.begin(), Text.end(), '\0');
        const std::size_t Wanted = std::min<std::size_t>(ValueSize, MaxValueText);
        if (ReadSome(File, Position, Text.data(), Wanted) < 0)
            break;
        Position += int64_t(ValueSize);

        if (KeyTooLong)
            continue;
        for (int F = 0; F < FieldCount; ++F)
            if (SameTextAscii(Key, FieldKeys[std::size_t(F)])) {
                const std::string Value = TrimBoth(Text);
                Values[std::size_t(F)] = FVersion > 1000 ? DecodeAPEText(Value) : Value;
                break;
            }
    }

    FTitle = Values[FieldTitle];
    FArtist = Values[FieldArtist];
    FAlbum = Values[FieldAlbum];
    FYear = Values[FieldYear];
    FGenre = Values[FieldGenre];
    FComment = Values[FieldComment];
    FCopyright = Values[FieldCopyright];
    FTrack = TrackNumberOf(Values[FieldTrack]);
    return true;
}
