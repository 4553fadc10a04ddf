// ID3v2 tag reader: the tag at the start of a file, versions 2.2, 2.3 and 2.4.
//
// Texts are 8-bit strings in the system code page (UTF-8 here). Frames in
// ISO-8859-1 (encoding 0) are kept byte for byte; UTF-16 frames (encoding 1) are
// converted to UTF-8. Frames in other encodings are not read.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class TAudioFileStream;

class TID3v2 {
public:
    TID3v2();
    void ResetData();

    // Reads the tag of FileName (8-bit path). False when the file cannot be
    // opened or its first 10 bytes cannot be read; true otherwise, with Exists
    // telling whether the file begins with a tag.
    bool ReadFromFile(const std::string &FileName);
    // The same on a file view that is already open (shared with other readers).
    bool ReadFromFile(TAudioFileStream &File);

    bool Exists() const { return FExists; }
    uint8_t VersionID() const { return FVersionID; }
    // Bytes of the whole tag, header and footer included; 0 without a tag or when
    // the declared size is larger than the file.
    int32_t Size() const { return FSize; }
    const std::string &Title() const { return FTitle; }
    const std::string &Artist() const { return FArtist; }
    const std::string &Album() const { return FAlbum; }
    int32_t Track() const { return FTrack; }
    const std::string &TrackString() const { return FTrackString; }
    const std::string &Year() const { return FYear; }
    const std::string &Genre() const { return FGenre; }
    const std::string &Comment() const { return FComment; }
    const std::string &Composer() const { return FComposer; }
    const std::string &Encoder() const { return FEncoder; }
    const std::string &Copyright() const { return FCopyright; }
    const std::string &Language() const { return FLanguage; }
    const std::string &Link() const { return FLink; }
    const std::string &SizeText() const { return FSizeText; }

    // Bytes of frame content kept per frame.
    static constexpr std::size_t MaxFrameText = 500;
    // Number of frame identifiers read.
    static constexpr int FrameSlots = 17;

private:
    bool FExists = false;
    uint8_t FVersionID = 0;
    int32_t FSize = 0;
    std::string FTitle;
    std::string FArtist;
    std::string FAlbum;
    int32_t FTrack = 0;
    std::string FTrackString;
    std::string FYear;
    std::string FGenre;
    std::string FComment;
    std::string FComposer;
    std::string FEncoder;
    std::string FCopyright;
    std::string FLanguage;
    std::string FLink;
    std::string FSizeText;
};
