// ID3v1 tag reader: the 128-byte tag at the end of a file (versions 1.0 and 1.1)
// and a Lyrics3 version 2 block in front of it.
//
// Texts are 8-bit strings in the system code page, kept byte for byte as the tag
// holds them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class TAudioFileStream;

// Number of names in the genre table: genres 0 to 147.
constexpr int MAX_MUSIC_GENRES = 148;
// Genre names by genre number, "Blues" first and "Synthpop" last.
extern const std::array<const char *, MAX_MUSIC_GENRES> MusicGenre;

class TID3v1 {
public:
    // Version numbers of VersionID.
    static constexpr uint8_t TAG_VERSION_1_0 = 1;
    static constexpr uint8_t TAG_VERSION_1_1 = 2;

    TID3v1();
    void ResetData();

    // Reads the tag of FileName (8-bit path). False when the file cannot be
    // opened, is shorter than 128 bytes or a read fails; the fields read until
    // then stay. A file without a tag gives true with Exists false.
    bool ReadFromFile(const std::string &FileName);
    // The same on a file view that is already open (shared with other readers).
    bool ReadFromFile(TAudioFileStream &File);

    bool Exists() const { return FExists; }
    uint8_t VersionID() const { return FVersionID; }
    const std::string &Title() const { return FTitle; }
    const std::string &Artist() const { return FArtist; }
    const std::string &Album() const { return FAlbum; }
    const std::string &Year() const { return FYear; }
    const std::string &Comment() const { return FComment; }
    uint8_t Track() const { return FTrack; }
    uint8_t GenreID() const { return FGenreID; }
    bool LyricsExists() const { return FLyricsExists; }
    int32_t LyricsSize() const { return FLyricsSize; }
    const std::string &ArtistLong() const { return FArtistLong; }
    const std::string &AlbumLong() const { return FAlbumLong; }
    const std::string &TitleLong() const { return FTitleLong; }
    const std::string &CommentLong() const { return FCommentLong; }
    const std::string &Images() const { return FImages; }
    const std::string &Author() const { return FAuthor; }
    const std::string &Lyrics() const { return FLyrics; }

    // Bytes the tags take at the end of the file: 128 for the tag, plus the
    // Lyrics3 block and its 15-byte trailer.
    int32_t TotalSize() const;

    // Setters: the text is stored right-trimmed; the long field gets the same
    // text when it has 31 characters or more, else it is emptied.
    void SetTitle(std::string_view Text);
    void SetArtist(std::string_view Text);
    void SetAlbum(std::string_view Text);
    void SetComment(std::string_view Text);
    // The year is stored right-trimmed and cut to 4 characters.
    void SetYear(std::string_view Text);

private:
    // Reads the Lyrics3 block in front of the tag; false on a read error.
    bool ReadLyrics3(TAudioFileStream &File);

    bool FExists = false;
    uint8_t FVersionID = TAG_VERSION_1_0;
    std::string FTitle;
    std::string FArtist;
    std::string FAlbum;
    std::string FYear;
    std::string FComment;
    uint8_t FTrack = 0;
    uint8_t FGenreID = 255;
    bool FLyricsExists = false;
    int32_t FLyricsSize = 0;
    std::string FArtistLong;
    std::string FAlbumLong;
    std::string FTitleLong;
    std::string FCommentLong;
    std::string FImages;
    std::string FAuthor;
    std::string FLyrics;
};
