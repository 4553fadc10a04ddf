// Tag readers: ID3v1 with Lyrics3, ID3v2, APE. Real files from lame, ffmpeg and the
// WavPack muxer cover the common cases; bytes built here cover the rules at the edges.
#include "APEtag.h"
#include "ID3v1.h"
#include "ID3v2.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace testfiles;

namespace {

// A 128-byte ID3v1 tag; Comment is given as its 30 raw bytes.
Bytes ID3v1Tag(const std::string &Title, const std::string &Artist, const std::string &Album,
               const std::string &Year, const Bytes &Comment, int Genre)
{
    auto Field = [](Bytes &Out, const std::string &T, std::size_t Size) {
        Bytes F(Size, 0);
        std::copy(T.begin(), T.begin() + std::ptrdiff_t(std::min(T.size(), Size)), F.begin());
        Append(Out, F);
    };
    Bytes Tag;
    Append(Tag, "TAG");
    Field(Tag, Title, 30);
    Field(Tag, Artist, 30);
    Field(Tag, Album, 30);
    Field(Tag, Year, 4);
    Bytes C = Comment;
    C.resize(30, 0);
    Append(Tag, C);
    Tag.push_back(static_cast<unsigned char>(Genre));
    return Tag;
}

Bytes ID3v1Tag()
{
    return ID3v1Tag("Title", "Artist", "Album", "2001", Text("Comment"), 17);
}

// A Lyrics3 v2 block: "LYRICSBEGIN", the fields (identifier + 5-digit size + value),
// the 6-digit block size and "LYRICS200". DeclaredSize < 0 writes the true size.
Bytes Lyrics3Block(const std::vector<std::pair<std::string, std::string>> &Fields,
                   long DeclaredSize = -1)
{
    Bytes Block;
    Append(Block, "LYRICSBEGIN");
    for (const auto &[Id, Value] : Fields) {
        char Size[6];
        std::snprintf(Size, sizeof Size, "%05zu", Value.size());
        Append(Block, Id);
        Append(Block, std::string(Size, 5));
        Append(Block, Value);
    }
    char Size[7];
    std::snprintf(Size, sizeof Size, "%06ld", DeclaredSize < 0 ? long(Block.size()) : DeclaredSize);
    Append(Block, std::string(Size, 6));
    Append(Block, "LYRICS200");
    return Block;
}

Bytes Audio(std::size_t Count)
{
    return Bytes(Count, 0x55);
}

// An ID3v2 tag header with the given size bytes.
Bytes ID3v2Header(int Version, int Flags, std::initializer_list<int> SizeBytes)
{
    Bytes H;
    Append(H, "ID3");
    Append(H, {Version, 0, Flags});
    Append(H, SizeBytes);
    return H;
}

// An ID3v2 header whose size is the synchsafe encoding of BodySize.
Bytes ID3v2Header(int Version, std::size_t BodySize)
{
    return ID3v2Header(Version, 0,
                       {int((BodySize >> 21) & 127), int((BodySize >> 14) & 127),
                        int((BodySize >> 7) & 127), int(BodySize & 127)});
}

Bytes FrameV3(const std::string &Id, const Bytes &Content, int Flags2 = 0)
{
    Bytes F;
    Append(F, Id);
    AppendBE32(F, uint32_t(Content.size()));
    Append(F, {0, Flags2});
    Append(F, Content);
    return F;
}

Bytes FrameV2(const std::string &Id, const Bytes &Content)
{
    Bytes F;
    Append(F, Id);
    const auto S = Content.size();
    Append(F, {int((S >> 16) & 255), int((S >> 8) & 255), int(S & 255)});
    Append(F, Content);
    return F;
}

// Text frame content in ISO-8859-1 (encoding 0).
Bytes Latin1(const std::string &T)
{
    Bytes C{0};
    Append(C, T);
    return C;
}

// Text frame content in UTF-16 with the byte-order mark FF FE (encoding 1).
Bytes Utf16(const std::u16string &T, bool WithMark = true)
{
    Bytes C{1};
    if (WithMark)
        Append(C, {0xFF, 0xFE});
    for (char16_t U : T)
        Append(C, {U & 255, U >> 8});
    Append(C, {0, 0});
    return C;
}

// A tag of the given version made of the frames, padded, followed by some audio.
Bytes ID3v2File(int Version, const std::vector<Bytes> &Frames, std::size_t Padding = 16)
{
    Bytes Body;
    for (const auto &F : Frames)
        Append(Body, F);
    AppendFill(Body, Padding);
    Bytes File = ID3v2Header(Version, Body.size());
    Append(File, Body);
    Append(File, Audio(200));
    return File;
}

} // namespace

// ---------------------------------------------------------------- ID3v1

TEST(ID3v1, ReadsTheTagLameWrote)
{
    TID3v1 Tag;
    ASSERT_TRUE(Tag.ReadFromFile(Fixture("tag_id3v11.mp3")));
    EXPECT_TRUE(Tag.Exists());
    EXPECT_EQ(Tag.VersionID(), TID3v1::TAG_VERSION_1_1);
    EXPECT_EQ(Tag.Title(), "Short Title");
    EXPECT_EQ(Tag.Artist(), "Some Artist");
    EXPECT_EQ(Tag.Album(), "An Album");
    EXPECT_EQ(Tag.Year(), "1999");
    EXPECT_EQ(Tag.Comment(), "A comment");
    EXPECT_EQ(Tag.Track(), 7);
    EXPECT_EQ(Tag.GenreID(), 17);
    EXPECT_STREQ(MusicGenre[Tag.GenreID()], "Rock");
    EXPECT_TRUE(Tag.TitleLong().empty());
    EXPECT_FALSE(Tag.LyricsExists());
    EXPECT_EQ(Tag.TotalSize(), 128);
}

TEST(ID3v1, GenreTable)
{
    EXPECT_STREQ(MusicGenre.front(), "Blues");
    EXPECT_STREQ(MusicGenre[80], "Folk");
    EXPECT_STREQ(MusicGenre.back(), "Synthpop");
}

TEST(ID3v1, VersionFromTheLastTwoCommentBytes)
{
    struct Case {
        int Byte28, Byte29;
        uint8_t Version;
        int Track;
        std::string Comment;
    };
    const std::string Head = "abcdefghijklmnopqrstuvwxyz01"; // comment bytes 0-27
    const Case Cases[] = {
        {0, 7, TID3v1::TAG_VERSION_1_1, 7, Head},
        {0, 0, TID3v1::TAG_VERSION_1_0, 0, Head},
        {' ', 'x', TID3v1::TAG_VERSION_1_1, 'x', Head},
        {' ', ' ', TID3v1::TAG_VERSION_1_0, 0, Head},
        {'A', 'B', TID3v1::TAG_VERSION_1_0, 0, Head + "AB"},
        {'A', 0, TID3v1::TAG_VERSION_1_0, 0, Head + "A"},
    };
    TempDir Dir;
    for (const Case &C : Cases) {
        Bytes Comment = Text(Head);
        Append(Comment, {C.Byte28, C.Byte29});
        Bytes File = Audio(300);
        Append(File, ID3v1Tag("T", "A", "B", "1990", Comment, 3));
        TID3v1 Tag;
        ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("v.mp3", File)));
        SCOPED_TRACE(std::to_string(C.Byte28) + "/" + std::to_string(C.Byte29));
        EXPECT_EQ(Tag.VersionID(), C.Version);
        EXPECT_EQ(Tag.Track(), C.Track);
        EXPECT_EQ(Tag.Comment(), C.Comment);
        EXPECT_EQ(Tag.GenreID(), 3);
    }
}

TEST(ID3v1, NoTagShortFileAndMissingFile)
{
    TempDir Dir;
    TID3v1 Tag;
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("plain.mp3", Audio(1000))));
    EXPECT_FALSE(Tag.Exists());
    EXPECT_EQ(Tag.GenreID(), 255);
    EXPECT_EQ(Tag.VersionID(), TID3v1::TAG_VERSION_1_0);
    EXPECT_EQ(Tag.TotalSize(), 0);

    EXPECT_FALSE(Tag.ReadFromFile(Dir.Write("short.mp3", Audio(127))));
    EXPECT_FALSE(Tag.Exists());
    EXPECT_FALSE(Tag.ReadFromFile(Dir.PathOf("missing.mp3")));
    EXPECT_FALSE(Tag.ReadFromFile(Dir.PathOf(""))); // a folder

    // A tag with no room for a Lyrics3 trailer in front of it: the read fails at the
    // trailer, and what was read of the tag stays.
    Bytes TagOnly = Audio(10);
    Append(TagOnly, ID3v1Tag());
    EXPECT_FALSE(Tag.ReadFromFile(Dir.Write("tagonly.mp3", TagOnly)));
    EXPECT_TRUE(Tag.Exists());
    EXPECT_EQ(Tag.Title(), "Title");
}

TEST(ID3v1, Lyrics3BlockSizes)
{
    TempDir Dir;
    TID3v1 Tag;

    // A block of 500 bytes, LYRICSBEGIN included, in front of the tag.
    std::string Filler(500 - 11 - 8, 'x');
    Bytes Block = Lyrics3Block({{"IND", Filler}});
    ASSERT_EQ(Block.size(), 500u + 15u);
    Bytes File = Audio(2000);
    Append(File, Block);
    Append(File, ID3v1Tag());
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("ly.mp3", File)));
    EXPECT_TRUE(Tag.LyricsExists());
    EXPECT_EQ(Tag.LyricsSize(), 500);
    EXPECT_EQ(Tag.TotalSize(), 128 + 500 + 15);

    // The same trailer, but nothing that begins a block at the place it points to.
    Bytes Wrong = Audio(2000);
    Append(Wrong, Lyrics3Block({{"IND", Filler}}, 480));
    Append(Wrong, ID3v1Tag());
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("wrong.mp3", Wrong)));
    EXPECT_FALSE(Tag.LyricsExists());
    EXPECT_EQ(Tag.LyricsSize(), 0);
    EXPECT_EQ(Tag.TotalSize(), 128);
    EXPECT_EQ(Tag.Title(), "Title");

    // A size that points in front of the file start: no block, and the tag still reads.
    Bytes Beyond = Audio(100);
    Append(Beyond, Lyrics3Block({{"IND", "1"}}, 999999));
    Append(Beyond, ID3v1Tag());
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("beyond.mp3", Beyond)));
    EXPECT_TRUE(Tag.Exists());
    EXPECT_FALSE(Tag.LyricsExists());
    EXPECT_EQ(Tag.TotalSize(), 128);

    // A trailer whose size is not a number.
    Bytes NotNumber = Audio(100);
    Append(NotNumber, "LYRICSBEGIN12x456LYRICS200");
    Append(NotNumber, ID3v1Tag());
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("nan.mp3", NotNumber)));
    EXPECT_EQ(Tag.LyricsSize(), 0);
    EXPECT_EQ(Tag.TotalSize(), 128);

    // A block at the very end of a file without an ID3v1 tag.
    Bytes Bare = Audio(300);
    Bytes Only = Lyrics3Block({{"ETT", "Bare"}});
    Append(Bare, Only);
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("bare.mp3", Bare)));
    EXPECT_FALSE(Tag.Exists());
    EXPECT_TRUE(Tag.LyricsExists());
    EXPECT_EQ(Tag.TotalSize(), int32_t(Only.size()));
    EXPECT_EQ(Tag.Title(), "Bare");
}

TEST(ID3v1, Lyrics3FieldsReplaceTheShortTexts)
{
    const std::string LongTitle = "A title of forty characters, exactly 40.";
    ASSERT_EQ(LongTitle.size(), 40u);
    Bytes File = Audio(500);
    Append(File, Lyrics3Block({{"IND", "110"},
                               {"ETT", "  " + LongTitle + "  "},
                               {"EAR", "Extended Artist"},
                               {"EAL", "An album name that is longer than thirty"},
                               {"INF", "Information"},
                               {"AUT", " Author "},
                               {"IMG", " raw image line "},
                               {"LYR", "\r\nline one\rline two\nline three\r\nlast\n"},
                               {"XYZ", "stops the walk"},
                               {"AUT", "never read"}}));
    Append(File, ID3v1Tag());
    TempDir Dir;
    TID3v1 Tag;
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("fields.mp3", File)));
    EXPECT_TRUE(Tag.LyricsExists());
    EXPECT_EQ(Tag.Title(), LongTitle);
    EXPECT_EQ(Tag.TitleLong(), LongTitle);
    EXPECT_EQ(Tag.Artist(), "Extended Artist");
    EXPECT_TRUE(Tag.ArtistLong().empty());
    EXPECT_EQ(Tag.Album(), "An album name that is longer than thirty");
    EXPECT_EQ(Tag.AlbumLong(), Tag.Album());
    EXPECT_EQ(Tag.Comment(), "Information");
    EXPECT_EQ(Tag.Author(), "Author");
    EXPECT_EQ(Tag.Images(), " raw image line ");
    EXPECT_EQ(Tag.Lyrics(), "line one\r\nline two\r\nline three\r\nlast");
    EXPECT_EQ(Tag.Year(), "2001"); // not in the block: the tag's own
}

TEST(ID3v1, Lyrics3FieldRunningPastTheFileEnd)
{
    // A field whose declared length runs past the end of the file ends the walk.
    Bytes File = Audio(200);
    Bytes Block;
    Append(Block, "LYRICSBEGIN");
    Append(Block, "ETT00004Kept");
    Append(Block, "LYR99999abc");
    char Size[7];
    std::snprintf(Size, sizeof Size, "%06zu", Block.size());
    Append(Block, std::string(Size, 6));
    Append(Block, "LYRICS200");
    Append(File, Block);
    TempDir Dir;
    TID3v1 Tag;
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("cut.mp3", File)));
    EXPECT_EQ(Tag.Title(), "Kept");
    EXPECT_TRUE(Tag.Lyrics().empty());
}

TEST(ID3v1, SettersTrimAndCut)
{
    TID3v1 Tag;
    Tag.SetYear(std::string("19999\0 ", 7));
    EXPECT_EQ(Tag.Year(), "1999");
    Tag.SetComment(std::string(31, 'c') + std::string("\0\t ", 3));
    EXPECT_EQ(Tag.Comment(), std::string(31, 'c'));
    EXPECT_EQ(Tag.CommentLong(), Tag.Comment());
    Tag.SetComment("short");
    EXPECT_TRUE(Tag.CommentLong().empty());
}

// ---------------------------------------------------------------- ID3v2

TEST(ID3v2, ReadsUtf16FramesFfmpegWrote)
{
    TID3v2 Tag;
    ASSERT_TRUE(Tag.ReadFromFile(Fixture("tag_id3v23_utf16.mp3")));
    EXPECT_TRUE(Tag.Exists());
    EXPECT_EQ(Tag.VersionID(), 3);
    EXPECT_EQ(Tag.Size(), 0x80 + 0x46 + 10); // size bytes 00 00 01 46
    EXPECT_EQ(Tag.Title(), "Grüße aus Köln");
    EXPECT_EQ(Tag.Artist(), "Plain Artist");
    EXPECT_EQ(Tag.Album(), "Album");
    EXPECT_EQ(Tag.TrackString(), "5/12");
    EXPECT_EQ(Tag.Track(), 5);
    EXPECT_EQ(Tag.Genre(), "Rock");
    EXPECT_EQ(Tag.Year(), "2004");
    EXPECT_TRUE(Tag.Comment().empty()); // written as a TXXX frame, which is not read
}

TEST(ID3v2, ReadsTheTagLameWrote)
{
    TID3v2 Tag;
    ASSERT_TRUE(Tag.ReadFromFile(Fixture("tag_id3v23_lame.mp3")));
    EXPECT_TRUE(Tag.Exists());
    EXPECT_EQ(Tag.Title(), "Lame Title");
    EXPECT_EQ(Tag.Artist(), "Lame Artist");
    EXPECT_EQ(Tag.Album(), "Lame Album");
    EXPECT_EQ(Tag.Year(), "2001");
    EXPECT_EQ(Tag.Comment(), "Lame comment"); // UTF-16 after an empty description
    EXPECT_EQ(Tag.TrackString(), "3/10");
    EXPECT_EQ(Tag.Track(), 3);
    EXPECT_EQ(Tag.Genre(), "Rock");
}

TEST(ID3v2, Utf8FramesOfVersion24AreNotRead)
{
    TID3v2 Tag;
    ASSERT_TRUE(Tag.ReadFromFile(Fixture("tag_id3v24_utf8.mp3")));
    // ffmpeg writes every frame of a version 2.4 tag in UTF-8: the tag is found and
    // measured, its texts stay empty.
    EXPECT_TRUE(Tag.Exists());
    EXPECT_EQ(Tag.VersionID(), 4);
    EXPECT_EQ(Tag.Size(), 0x64 + 10);
    EXPECT_TRUE(Tag.Title().empty());
    EXPECT_TRUE(Tag.Artist().empty());
    EXPECT_TRUE(Tag.Year().empty());
}

TEST(ID3v2, SizeWithAndWithoutFooter)
{
    TempDir Dir;
    TID3v2 Tag;
    struct Case {
        int Flags;
        std::initializer_list<int> SizeBytes;
        std::size_t FileSize;
        int32_t Size;
    };
    const Case Cases[] = {
        {0x00, {0, 0, 2, 1}, 1000, 267},
        {0x10, {0, 0, 2, 1}, 1000, 277},
        {0x00, {0, 0, 2, 1}, 267, 267},   // exactly the file
        {0x00, {0, 0, 2, 1}, 266, 0},     // one byte beyond it
        {0x00, {0, 0, 0x80, 0}, 20000, 16384 + 10}, // top bits are not masked
        {0x00, {0xFF, 0xFF, 0xFF, 0xFF}, 20000, 0},
    };
    for (const Case &C : Cases) {
        Bytes File = ID3v2Header(3, C.Flags, C.SizeBytes);
        File.resize(C.FileSize, 0);
        ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("s.mp3", File)));
        EXPECT_TRUE(Tag.Exists());
        EXPECT_EQ(Tag.Size(), C.Size) << "file of " << C.FileSize << " bytes";
    }

    // A declared size beyond the file: no frames are read either.
    Bytes File = ID3v2Header(3, 0, {0, 1, 0, 0});
    Append(File, FrameV3("TIT2", Latin1("Lost")));
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("beyond.mp3", File)));
    EXPECT_EQ(Tag.Size(), 0);
    EXPECT_TRUE(Tag.Title().empty());
}

TEST(ID3v2, NoTagAndShortFile)
{
    TempDir Dir;
    TID3v2 Tag;
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("plain.mp3", Audio(100))));
    EXPECT_FALSE(Tag.Exists());
    EXPECT_EQ(Tag.Size(), 0);
    EXPECT_FALSE(Tag.ReadFromFile(Dir.Write("short.mp3", Text("ID3\3\0\0\0\0\1"))));
    EXPECT_FALSE(Tag.ReadFromFile(Dir.PathOf("missing.mp3")));
}

TEST(ID3v2, LongFrameKeepsItsFirst500Bytes)
{
    Bytes Long = Latin1(std::string(1999, 'a'));
    ASSERT_EQ(Long.size(), 2000u);
    TempDir Dir;
    TID3v2 Tag;
    ASSERT_TRUE(Tag.ReadFromFile(
        Dir.Write("long.mp3", ID3v2File(3, {FrameV3("TIT2", Long), FrameV3("TPE1", Latin1("Next"))}))));
    EXPECT_EQ(Tag.Title(), std::string(499, 'a'));
    EXPECT_EQ(Tag.Artist(), "Next");

    // The same cut for UTF-16: 249 code units after the encoding byte.
    std::u16string Wide(1000, u'\u00e9');
    ASSERT_TRUE(Tag.ReadFromFile(
        Dir.Write("wide.mp3", ID3v2File(3, {FrameV3("TIT2", Utf16(Wide, false)), FrameV3("TPE1", Latin1("N"))}))));
    std::string Expected;
    for (int I = 0; I < 249; ++I)
        Expected += "é";
    EXPECT_EQ(Tag.Title(), Expected);
    EXPECT_EQ(Tag.Artist(), "N");
}

TEST(ID3v2, TextEncodings)
{
    TempDir Dir;
    TID3v2 Tag;
    Bytes Utf8Title{3};
    Append(Utf8Title, "Utf8");
    Bytes Utf16BE{2, 0, 'B', 0, 'E', 0, 0};
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write(
        "enc.mp3", ID3v2File(4, {FrameV3("TIT2", Latin1("  First  ")), FrameV3("TIT2", Utf8Title),
                                 FrameV3("TPE1", Latin1("Replaced")), FrameV3("TPE1", Utf16(u"Ærø")),
                                 FrameV3("TALB", Utf16BE), FrameV3("TCOM", Utf16(u"\U0001F3B5 note")),
                                 FrameV3("TENC", Latin1(std::string("Enc\0junk", 8))),
                                 FrameV3("TCOP", Bytes{1, 0xFF, 0xFE, 'O', 0, 'K'})}))));
    EXPECT_EQ(Tag.Title(), "First");     // trimmed; the UTF-8 frame does not replace it
    EXPECT_EQ(Tag.Artist(), "Ærø");      // the later frame replaces; the mark is dropped
    EXPECT_TRUE(Tag.Album().empty());    // UTF-16BE is not read
    EXPECT_EQ(Tag.Composer(), "\U0001F3B5 note"); // a surrogate pair becomes one character
    EXPECT_EQ(Tag.Encoder(), std::string("Enc\0junk", 8));
    EXPECT_EQ(Tag.Copyright(), "OK"); // a last code unit without its high byte still counts
}

TEST(ID3v2, GenreAndTrackTexts)
{
    struct Case {
        std::string Genre, GenreOut, TrackText;
        int32_t Track;
    };
    const Case Cases[] = {
        {"(13)", "", "5/12", 5},
        {"(17)Rock", "Rock", "A", 0},
        {"(4)(17)Disco Rock", "Disco Rock", "12", 12},
        {"Jazz", "Jazz", "/3", 0},
        {"Pop)", "", "007/010", 7},
    };
    TempDir Dir;
    TID3v2 Tag;
    for (const Case &C : Cases) {
        ASSERT_TRUE(Tag.ReadFromFile(Dir.Write(
            "g.mp3", ID3v2File(3, {FrameV3("TCON", Latin1(C.Genre)), FrameV3("TRCK", Latin1(C.TrackText))}))));
        EXPECT_EQ(Tag.Genre(), C.GenreOut) << C.Genre;
        EXPECT_EQ(Tag.TrackString(), C.TrackText);
        EXPECT_EQ(Tag.Track(), C.Track) << C.TrackText;
    }
}

TEST(ID3v2, FallbackFramesCommentAndLink)
{
    Bytes Comment = Latin1("eng");
    Append(Comment, "description");
    Append(Comment, {0});
    Append(Comment, "The comment");
    Bytes WideComment{1};
    Append(WideComment, "deu");
    Append(WideComment, {0xFF, 0xFE, 'D', 0, 0, 0, 0xFF, 0xFE, 'H', 0, 'i', 0, 0, 0});
    Bytes Link = Latin1("site");
    Append(Link, {0});
    Append(Link, "http://example.org/");
    TempDir Dir;
    TID3v2 Tag;
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write(
        "fb.mp3", ID3v2File(3, {FrameV3("TIT1", Latin1("Group")), FrameV3("TOPE", Latin1("Original")),
                                FrameV3("TOAL", Latin1("Old Album")), FrameV3("TDRC", Latin1("1987-01-01")),
                                FrameV3("COMM", Comment), FrameV3("WXXX", Link),
                                FrameV3("TCOP", Latin1("(c)")), FrameV3("TLAN", Latin1("eng")),
                                FrameV3("TSIZ", Latin1("1234"))}))));
    EXPECT_EQ(Tag.Title(), "Group");
    EXPECT_EQ(Tag.Artist(), "Original");
    EXPECT_EQ(Tag.Album(), "Old Album");
    EXPECT_EQ(Tag.Year(), "1987");
    EXPECT_EQ(Tag.Comment(), "The comment");
    EXPECT_EQ(Tag.Link(), "http://example.org/");
    EXPECT_EQ(Tag.Copyright(), "(c)");
    EXPECT_EQ(Tag.Language(), "eng");
    EXPECT_EQ(Tag.SizeText(), "1234");

    // A UTF-16 description ends at a whole zero code unit, not at "D" and its zero byte.
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("wc.mp3", ID3v2File(3, {FrameV3("COMM", WideComment)}))));
    EXPECT_EQ(Tag.Comment(), "Hi");
}

TEST(ID3v2, Version22Frames)
{
    Bytes Comment = Latin1("eng");
    Append(Comment, {0});
    Append(Comment, "two-two");
    TempDir Dir;
    TID3v2 Tag;
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write(
        "v22.mp3", ID3v2File(2, {FrameV2("TT2", Latin1("Old")), FrameV2("TP1", Utf16(u"Wide")),
                                 FrameV2("TRK", Latin1("9/9")), FrameV2("TOR", Latin1("1970")),
                                 FrameV2("COM", Comment), FrameV2("TCO", Latin1("(8)Jazz"))}))));
    EXPECT_EQ(Tag.VersionID(), 2);
    EXPECT_EQ(Tag.Title(), "Old");
    EXPECT_EQ(Tag.Artist(), "Wide");
    EXPECT_EQ(Tag.Track(), 9);
    EXPECT_EQ(Tag.Year(), "1970");
    EXPECT_EQ(Tag.Comment(), "two-two");
    EXPECT_EQ(Tag.Genre(), "Jazz");
}

TEST(ID3v2, WalkStopsAtPaddingSkipsCompressedAndIgnoresOtherVersions)
{
    TempDir Dir;
    TID3v2 Tag;
    // Frames behind the padding are not part of the walk.
    Bytes Body = FrameV3("TIT2", Latin1("Before"));
    AppendFill(Body, 20);
    Append(Body, FrameV3("TPE1", Latin1("After")));
    Bytes File = ID3v2Header(3, Body.size());
    Append(File, Body);
    Append(File, Audio(10));
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("pad.mp3", File)));
    EXPECT_EQ(Tag.Title(), "Before");
    EXPECT_TRUE(Tag.Artist().empty());

    // A compressed frame is skipped and the next one read.
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write(
        "comp.mp3", ID3v2File(3, {FrameV3("TIT2", Latin1("Packed"), 0x80), FrameV3("TPE1", Latin1("Plain"))}))));
    EXPECT_TRUE(Tag.Title().empty());
    EXPECT_EQ(Tag.Artist(), "Plain");

    // Version 2.5 and 2.1 tags have a size but no frames are read.
    for (int Version : {1, 5}) {
        ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("v.mp3", ID3v2File(Version, {FrameV3("TIT2", Latin1("X"))}))));
        EXPECT_TRUE(Tag.Exists());
        EXPECT_GT(Tag.Size(), 0);
        EXPECT_TRUE(Tag.Title().empty());
    }
}

TEST(ID3v2, HostileFrameSizesEndTheWalk)
{
    TempDir Dir;
    TID3v2 Tag;
    // A frame declaring four gigabytes, inside a tag that fits the file.
    Bytes Huge;
    Append(Huge, "TIT2");
    AppendBE32(Huge, 0xFFFFFFF0u);
    Append(Huge, {0, 0, 0});
    Append(Huge, "Short");
    // Its first 500 bytes are what follows in the file; the walk then ends.
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("huge.mp3", ID3v2File(4, {Huge, FrameV3("TPE1", Latin1("Unseen"))}))));
    EXPECT_EQ(Tag.Title().substr(0, 9), "ShortTPE1");
    EXPECT_LE(Tag.Title().size(), 499u);
    EXPECT_TRUE(Tag.Artist().empty());

    // A tag that is all zero-size frames walks to its end and stops.
    Bytes Many;
    for (int I = 0; I < 20000; ++I)
        Append(Many, FrameV3("TIT2", {}));
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("many.mp3", ID3v2File(3, {FrameV3("TIT2", Latin1("X")), Many}))));
    EXPECT_TRUE(Tag.Title().empty()); // the empty frames replace the first one
}

// ---------------------------------------------------------------- APE

namespace {

Bytes APEItem(const std::string &Key, const Bytes &Value)
{
    Bytes Item;
    AppendLE32(Item, uint32_t(Value.size()));
    AppendLE32(Item, 0);
    Append(Item, Key);
    Item.push_back(0);
    Append(Item, Value);
    return Item;
}

Bytes APEFooter(uint32_t Version, uint32_t Size, uint32_t Count)
{
    Bytes F;
    Append(F, "APETAGEX");
    AppendLE32(F, Version);
    AppendLE32(F, Size);
    AppendLE32(F, Count);
    AppendLE32(F, 0);
    AppendFill(F, 8);
    return F;
}

// Audio, the items and their footer, and an optional ID3v1 tag.
Bytes APEFile(uint32_t Version, const std::vector<Bytes> &Items, bool WithID3v1 = false)
{
    Bytes File = Audio(400);
    Bytes Body;
    for (const auto &I : Items)
        Append(Body, I);
    Append(File, Body);
    Append(File, APEFooter(Version, uint32_t(Body.size() + 32), uint32_t(Items.size())));
    if (WithID3v1)
        Append(File, ID3v1Tag());
    return File;
}

} // namespace

TEST(APEtag, ReadsTheTagOfAWavPackFile)
{
    TAPEtag Tag;
    ASSERT_TRUE(Tag.ReadFromFile(Fixture("tag_apev2.wv")));
    EXPECT_TRUE(Tag.Exists());
    EXPECT_EQ(Tag.Version(), 2000);
    EXPECT_EQ(Tag.Title(), "Ünïcode Title"); // lower-case key, UTF-8 value
    EXPECT_EQ(Tag.Artist(), "APE Artist");
    EXPECT_EQ(Tag.Track(), 3);
    EXPECT_EQ(Tag.Year(), "2020");
}

TEST(APEtag, KeysValuesAndVersions)
{
    TempDir Dir;
    TAPEtag Tag;
    const Bytes Latin{'C', 'a', 'f', 0xE9};
    const std::vector<Bytes> Items = {
        APEItem("tItLe", Text("Caf\xC3\xA9 \xE2\x82\xAC")),
        APEItem(" Artist ", Latin),
        APEItem("Album", Text(std::string(300, 'a'))),
        APEItem("Track", Text("12/20")),
        APEItem("GENRE", Text("  Ambient  ")),
        APEItem("Comment", Text("ok\xC3\x28rest")),
        APEItem("Copyright", Text("cut \xE2\x82")),
        APEItem("Year", Text("")),
        APEItem("Unknown", Text("ignored")),
    };

    for (bool WithID3v1 : {false, true}) {
        ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("v2.ape", APEFile(2000, Items, WithID3v1))));
        SCOPED_TRACE(WithID3v1 ? "before an ID3v1 tag" : "at the end");
        EXPECT_TRUE(Tag.Exists());
        EXPECT_EQ(Tag.Version(), 2000);
        EXPECT_EQ(Tag.Title(), "Café €");
        EXPECT_EQ(Tag.Artist(), "Caf"); // 0xE9 starts a sequence the value cuts
        EXPECT_EQ(Tag.Album(), std::string(250, 'a'));
        EXPECT_EQ(Tag.Track(), 12);
        EXPECT_EQ(Tag.Genre(), "Ambient");
        EXPECT_EQ(Tag.Comment(), "ok");
        EXPECT_EQ(Tag.Copyright(), "cut ");
        EXPECT_TRUE(Tag.Year().empty());
    }

    // Version 1 values are kept byte for byte.
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("v1.ape", APEFile(1000, Items))));
    EXPECT_EQ(Tag.Version(), 1000);
    EXPECT_EQ(Tag.Artist(), "Caf\xE9");
    EXPECT_EQ(Tag.Comment(), "ok\xC3\x28rest");
}

TEST(APEtag, NoFooterShortFileAndMissingFile)
{
    TempDir Dir;
    TAPEtag Tag;
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("plain.mp3", Audio(500))));
    EXPECT_FALSE(Tag.Exists());
    EXPECT_FALSE(Tag.ReadFromFile(Dir.Write("short.mp3", Audio(127))));
    EXPECT_FALSE(Tag.ReadFromFile(Dir.PathOf("missing.mp3")));
    // An ID3v1 tag with no room for a footer in front of it.
    Bytes TagOnly = Audio(10);
    Append(TagOnly, ID3v1Tag());
    EXPECT_FALSE(Tag.ReadFromFile(Dir.Write("tagonly.mp3", TagOnly)));
}

TEST(APEtag, HostileCountsAndSizes)
{
    TempDir Dir;
    TAPEtag Tag;
    // A count in the millions over two real items: the walk ends at the file's end.
    Bytes Body;
    Append(Body, APEItem("Title", Text("One")));
    Append(Body, APEItem("Artist", Text("Two")));
    Bytes File = Audio(200);
    Append(File, Body);
    Append(File, APEFooter(2000, uint32_t(Body.size() + 32), 50'000'000));
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("count.ape", File)));
    EXPECT_EQ(Tag.Title(), "One");
    EXPECT_EQ(Tag.Artist(), "Two");

    // A tag size beyond the file: the footer is there, the items are not.
    Bytes Beyond = Audio(200);
    Append(Beyond, APEFooter(2000, 0x7FFFFFF0u, 3));
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("size.ape", Beyond)));
    EXPECT_TRUE(Tag.Exists());
    EXPECT_TRUE(Tag.Title().empty());

    // A value size of four gigabytes after a good item keeps the good item.
    Bytes Bad = APEItem("Title", Text("Kept"));
    Bytes Item;
    AppendLE32(Item, 0xFFFFFFFFu);
    AppendLE32(Item, 0);
    Append(Item, "Artist");
    Item.push_back(0);
    Append(Item, "x");
    Append(Bad, Item);
    Append(Bad, APEItem("Album", Text("Unseen")));
    Bytes HugeValue = Audio(200);
    Append(HugeValue, Bad);
    Append(HugeValue, APEFooter(2000, uint32_t(Bad.size() + 32), 3));
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("value.ape", HugeValue)));
    EXPECT_EQ(Tag.Title(), "Kept");
    EXPECT_EQ(Tag.Artist().substr(0, 2), "x\x06"); // the value runs on to the file's end
    EXPECT_TRUE(Tag.Album().empty());

    // A key without its zero byte runs to the end of the file.
    Bytes NoZero;
    AppendLE32(NoZero, 4);
    AppendLE32(NoZero, 0);
    AppendFill(NoZero, 5000, 'k');
    Bytes KeyFile = Audio(10);
    Append(KeyFile, NoZero);
    Append(KeyFile, APEFooter(2000, uint32_t(NoZero.size() + 32), 1));
    ASSERT_TRUE(Tag.ReadFromFile(Dir.Write("key.ape", KeyFile)));
    EXPECT_TRUE(Tag.Exists());
}

TEST(APEtag, Utf8DecodingTable)
{
    struct Case {
        std::string In, Out;
    };
    const Case Cases[] = {
        {"plain", "plain"},
        {"\xC3\xA9t\xC3\xA9", "été"},
        {"\xE2\x82\xAC 5", "€ 5"},
        {"a\xC3", "a"},              // cut two-byte sequence
        {"a\xE2\x82", "a"},          // cut three-byte sequence
        {"a\xC3(b", "a"},            // continuation out of range
        {"a\xE2\x82(b", "a"},
        {"\xED\xA0\xBC\xED\xBE\xB5", "\U0001F3B5"}, // a surrogate pair in three-byte form
        {"x\xED\xA0\xBDy", "x?y"},   // a lone surrogate
    };
    for (const Case &C : Cases)
        EXPECT_EQ(DecodeAPEText(C.In), C.Out) << C.In;
}
