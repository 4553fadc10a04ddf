#include "ID3v1.h"

#include "AudioFileStream.h"
#include "TagText.h"

#include <cstring>

using namespace audioinfo;

const std::array<const char *, MAX_MUSIC_GENRES> MusicGenre = {
    // Genres 0 to 79, the original list.
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz",
    "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno",
    "Industrial", "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno",
    "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental",
    "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk",
    "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic", "Darkwave",
    "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy",
    "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American",
    "Cabaret", "New Wave", "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal",
    "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock",
    // Genres 80 to 147, the common extension.
    "Folk", "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin", "Revival",
    "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock", "Progressive Rock", "Psychedelic Rock",
    "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour",
    "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus",
    "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad",
    "Power Ballad", "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock", "Drum Solo", "A capella",
    "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House", "Hardcore", "Terror", "Indie",
    "BritPop", "Afro-Punk", "Polsk Punk", "Beat", "Christian Gangsta Rap", "Heavy Metal",
    "Black Metal", "Crossover", "Contemporary Christian", "Christian Rock", "Merengue", "Salsa",
    "Trash Metal", "Anime", "JPop", "Synthpop"};

namespace {

constexpr int64_t TagSize = 128;
constexpr int64_t LyricsTrailerSize = 15; // 6-digit size and "LYRICS200"

std::string LongCopy(const std::string &Text)
{
    return Text.size() >= 31 ? Text : std::string();
}

// Every CR LF, lone CR and lone LF becomes CR LF.
std::string CrLfLines(std::string_view Text)
{
    std::string Out;
    Out.reserve(Text.size() + Text.size() / 8);
    for (std::size_t I = 0; I < Text.size(); ++I) {
        char C = Text[I];
        if (C == '\r') {
            Out += "\r\n";
            if (I + 1 < Text.size() && Text[I + 1] == '\n')
                ++I;
        } else if (C == '\n') {
            Out += "\r\n";
        } else {
            Out.push_back(C);
        }
    }
    return Out;
}

} // namespace

TID3v1::TID3v1()
{
    ResetData();
}

void TID3v1::ResetData()
{
    FExists = false;
    FVersionID = TAG_VERSION_1_0;
    FTitle.clear();
    FArtist.clear();
    FAlbum.clear();
    FYear.clear();
    FComment.clear();
    FTrack = 0;
    FGenreID = 255;
    FLyricsExists = false;
    FLyricsSize = 0;
    FArtistLong.clear();
    FAlbumLong.clear();
    FTitleLong.clear();
    FCommentLong.clear();
    FImages.clear();
    FAuthor.clear();
    FLyrics.clear();
}

void TID3v1::SetTitle(std::string_view Text)
{
    FTitle = TrimRight(Text);
    FTitleLong = LongCopy(FTitle);
}

void TID3v1::SetArtist(std::string_view Text)
{
    FArtist = TrimRight(Text);
    FArtistLong = LongCopy(FArtist);
}

void TID3v1::SetAlbum(std::string_view Text)
{
    FAlbum = TrimRight(Text);
    FAlbumLong = LongCopy(FAlbum);
}

void TID3v1::SetComment(std::string_view Text)
{
    FComment = TrimRight(Text);
    FCommentLong = LongCopy(FComment);
}

void TID3v1::SetYear(std::string_view Text)
{
    FYear = TrimRight(Text).substr(0, 4);
}

int32_t TID3v1::TotalSize() const
{
    int32_t Result = FExists ? int32_t(TagSize) : 0;
    if (FLyricsSize > 0)
        Result += FLyricsSize + int32_t(LyricsTrailerSize);
    return Result;
}

bool TID3v1::ReadFromFile(const std::string &FileName)
{
    // A file that cannot be opened reads as no tag, with every field reset.
    TAudioFileStream File(FileName);
    return ReadFromFile(File);
}

bool TID3v1::ReadFromFile(TAudioFileStream &File)
{
    ResetData();
    if (!File.IsOpen())
        return false;
    const int64_t Length = File.Size();
    unsigned char Tag[TagSize];
    if (Length < TagSize || !ReadExact(File, Length - TagSize, Tag, sizeof Tag))
        return false;

    if (std::memcmp(Tag, "TAG", 3) == 0) {
        FExists = true;
        auto Text = [&Tag](int Offset, int Count) {
            return std::string_view(reinterpret_cast<const char *>(Tag) + Offset, std::size_t(Count));
        };
        const unsigned char C28 = Tag[125];
        const unsigned char C29 = Tag[126];
        FVersionID = ((C28 == 0 && C29 != 0) || (C28 == ' ' && C29 != ' ')) ? TAG_VERSION_1_1
                                                                             : TAG_VERSION_1_0;
        SetTitle(Text(3, 30));
        SetArtist(Text(33, 30));
        SetAlbum(Text(63, 30));
        SetYear(Text(93, 4));
        if (FVersionID == TAG_VERSION_1_0) {
            SetComment(Text(97, 30));
        } else {
            SetComment(Text(97, 28));
            FTrack = C29;
        }
        FGenreID = Tag[127];
    }
    return ReadLyrics3(File);
}

bool TID3v1::ReadLyrics3(TAudioFileStream &File)
{
    const int64_t Length = File.Size();
    const int64_t BlockEnd = Length - (FExists ? TagSize : 0); // where the trailer ends
    unsigned char Trailer[LyricsTrailerSize];
    if (!ReadExact(File, BlockEnd - LyricsTrailerSize, Trailer, sizeof Trailer))
        return false;
    if (std::memcmp(Trailer + 6, "LYRICS200", 9) != 0)
        return true;
    int32_t Size = 0;
    if (!ParseDecimal(std::string_view(reinterpret_cast<const char *>(Trailer), 6), Size))
        Size = 0;
    FLyricsSize = Size;
    if (FLyricsSize <= 0)
        return true;

    // The block starts with "LYRICSBEGIN", LyricsSize bytes before its trailer. A size
    // that points in front of the file start cannot be a block.
    const int64_t BlockStart = BlockEnd - LyricsTrailerSize - FLyricsSize;
    unsigned char Begin[11];
    if (BlockStart < 0 || ReadSome(File, BlockStart, Begin, sizeof Begin) != int64_t(sizeof Begin)
        || std::memcmp(Begin, "LYRICSBEGIN", 11) != 0) {
        FLyricsExists = false;
        FLyricsSize = 0;
        return true;
    }
    FLyricsExists = true;

    // Fields one after another; the walk ends at the first header that is not a field
    // (the closing size field among them) and at the end of the file.
    int64_t Position = BlockStart + 11;
    std::string Value;
    for (;;) {
        char Header[8];
        if (ReadSome(File, Position, Header, sizeof Header) != int64_t(sizeof Header))
            break;
        int32_t FieldSize = 0;
        if (!ParseDecimal(std::string_view(Header + 3, 5), FieldSize) || FieldSize < 0)
            break;
        Position += 8;
        Value.resize(std::size_t(FieldSize));
        if (FieldSize > 0 && ReadSome(File, Position, Value.data(), Value.size()) != int64_t(Value.size()))
            break;
        Position += FieldSize;
        const std::string_view Id(Header, 3);
        if (Id == "IND") {
            // indications: not kept
        } else if (Id == "LYR") {
            FLyrics = CrLfLines(TrimBoth(Value));
        } else if (Id == "INF") {
            SetComment(TrimBoth(Value));
        } else if (Id == "AUT") {
            FAuthor = TrimBoth(Value);
        } else if (Id == "EAL") {
            SetAlbum(TrimBoth(Value));
        } else if (Id == "EAR") {
            SetArtist(TrimBoth(Value));
        } else if (Id == "ETT") {
            SetTitle(TrimBoth(Value));
        } else if (Id == "IMG") {
            FImages = Value;
        } else {
            break;
        }
    }
    return true;
}
