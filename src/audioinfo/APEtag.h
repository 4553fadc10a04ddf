// APE tag reader: an APE tag of version 1 (1000) or 2 (2000) at the end of a file,
// in front of an ID3v1 tag when there is one.
//
// Texts are 8-bit strings in the system code page (UTF-8 here). Values of a
// version 1 tag are kept byte for byte; values of a version 2 tag are UTF-8 and are
// decoded and re-encoded, so that a damaged sequence cuts the text where it starts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TAudioFileStream;

class TAPEtag {
public:
    TAPEtag();
    void ResetData();

    // Reads the tag of FileName (8-bit path). False when the file cannot be opened,
    // is shorter than 128 bytes, or its footer cannot be read; true otherwise, with
    // Exists telling whether a footer was found. A damaged item list keeps the items
    // read before the damage.
    bool ReadFromFile(const std::string &FileName);
    // The same on a file view that is already open (shared with other readers).
    bool ReadFromFile(TAudioFileStream &File);

    bool Exists() const { return FExists; }
    int32_t Version() const { return FVersion; }
    int32_t Size() const { return FSize; }
    const std::string &Title() const { return FTitle; }
    const std::string &Artist() const { return FArtist; }
    const std::string &Album() const { return FAlbum; }
    int32_t Track() const { return FTrack; }
    const std::string &Year() const { return FYear; }
    const std::string &Genre() const { return FGenre; }
    const std::string &Comment() const { return FComment; }
    const std::string &Copyright() const { return FCopyright; }

    // Bytes of an item's value that are kept.
    static constexpr std::size_t MaxValueText = 250;

private:
    bool FExists = false;
    int32_t FVersion = 0;
    int32_t FSize = 0;
    std::string FTitle;
    std::string FArtist;
    std::string FAlbum;
    int32_t FTrack = 0;
    std::string FYear;
    std::string FGenre;
    std::string FComment;
    std::string FCopyright;
};

// Decodes an APE version 2 value: bytes below 0x80 stand for themselves; a lead byte
// with the bit 0x20 set starts a three-byte sequence, any other a two-byte one; the
// text ends at the first continuation byte outside 0x80-0xBF or at a sequence cut by
// the end of the value. The code units are returned as UTF-8.
std::string DecodeAPEText(std::string_view Value);
