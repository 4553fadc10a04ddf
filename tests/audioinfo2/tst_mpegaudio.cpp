// MPEG audio reader: files from lame and ffmpeg for the common cases, streams built
// here for the frame search, the variable-rate headers and the encoder mark.
#include "MPEGaudio.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace testfiles;

namespace {

constexpr int V1 = 3, V2 = 2, V25 = 0;
constexpr int L1 = 3, L2 = 2, L3 = 1;
constexpr int Stereo = 0, Joint = 1, Mono = 3;

struct HeaderSpec {
    int Version = V1;
    int Layer = L3;
    int BitRateIndex = 9; // 128 kbit/s for MPEG-1 layer III
    int SampleRateIndex = 0;
    int Padding = 0;
    int Mode = Joint;
};

Bytes Header(const HeaderSpec &H)
{
    return {0xFF, static_cast<unsigned char>(0xE0 | (H.Version << 3) | (H.Layer << 1) | 1),
            static_cast<unsigned char>((H.BitRateIndex << 4) | (H.SampleRateIndex << 2) | (H.Padding << 1)),
            static_cast<unsigned char>(H.Mode << 6)};
}

// Count frames of Length bytes each: the header and filler that holds no 0xFF byte.
Bytes Frames(const HeaderSpec &H, int Count, std::size_t Length, unsigned char Filler = 0x11)
{
    Bytes Out;
    for (int I = 0; I < Count; ++I) {
        Append(Out, Header(H));
        AppendFill(Out, Length - 4, Filler);
    }
    return Out;
}

// Bytes that hold no frame header.
Bytes Junk(std::size_t Count)
{
    Bytes Out;
    for (std::size_t I = 0; I < Count; ++I)
        Out.push_back(static_cast<unsigned char>('a' + I % 26));
    return Out;
}

// An ID3v2 tag of exactly Size bytes (header included), without frames.
Bytes ID3v2Tag(std::size_t Size)
{
    const std::size_t Body = Size - 10;
    Bytes Tag = {'I', 'D', '3', 3, 0, 0};
    Append(Tag, {int((Body >> 21) & 127), int((Body >> 14) & 127), int((Body >> 7) & 127), int(Body & 127)});
    AppendFill(Tag, Body);
    return Tag;
}

Bytes ID3v1Tag()
{
    Bytes Tag = Text("TAG");
    AppendFill(Tag, 125, 0);
    return Tag;
}

// A first frame that carries a Xing header at Offset.
Bytes XingFrame(const HeaderSpec &H, std::size_t Length, std::size_t Offset, uint32_t FrameCount,
                uint32_t ByteCount)
{
    Bytes F = Header(H);
    AppendFill(F, Offset - 4, 0);
    Append(F, "Xing");
    AppendBE32(F, 0x0F);
    AppendBE32(F, FrameCount);
    AppendBE32(F, ByteCount);
    AppendFill(F, 100, 0); // table of contents
    AppendBE32(F, 57);     // quality, its low byte at Offset + 119
    Append(F, "VNDR1.23");
    F.resize(Length, 0);
    return F;
}

} // namespace

TEST(MPEGaudio, FilesFromRealEncoders)
{
    struct Case {
        const char *File;
        uint16_t BitRate;
        int SampleRate;
        const char *Mode;
        double Duration;
        bool VBR;
        int64_t AudioStart;
        int Layer;
    };
    const Case Cases[] = {
        // A constant-rate file with an "Info" header: its frame count gives the duration (the
        // byte count would hold the header frame and the padding as well).
        {"mp3_cbr128_stereo.mp3", 128, 44100, "Joint Stereo", 1152 * 13 / 44100.0, false, 0, L3},
        // The header frame written at 56 kbit/s before 32 kbit/s audio: the rate is the audio's,
        // and the duration the frame count's (0.575 s; the header frame's rate gave 0.35 s).
        {"mp3_ffmpeg_22k_mono_32k_info56.mp3", 32, 22050, "Mono", 576 * 22 / 22050.0, false, 45, L3},
        {"mp3_vbr_stereo.mp3", 79, 44100, "Joint Stereo", 1152 * 21 / 44100.0, true, 0, L3},
        {"mp3_vbr_mono22.mp3", 31, 22050, "Mono", 576 * 33 / 22050.0, true, 0, L3},
        {"mp2_192_stereo.mp2", 192, 44100, "Stereo", 7523 * 8 / 192000.0, false, 0, L2},
        {"tag_id3v11.mp3", 32, 22050, "Mono", (3576 - 128) * 8 / 32000.0, false, 0, L3},
        {"tag_id3v23_lame.mp3", 32, 22050, "Mono", (3921 - 345 - 128) * 8 / 32000.0, false, 345, L3},
    };
    for (const Case &C : Cases) {
        SCOPED_TRACE(C.File);
        TMPEGaudio Reader;
        ASSERT_TRUE(Reader.ReadFromFile(Fixture(C.File)));
        EXPECT_TRUE(Reader.Valid());
        EXPECT_EQ(Reader.BitRate(), C.BitRate);
        EXPECT_EQ(Reader.SampleRate(), C.SampleRate);
        EXPECT_EQ(Reader.ChannelMode(), C.Mode);
        EXPECT_DOUBLE_EQ(Reader.Duration(), C.Duration);
        EXPECT_EQ(Reader.VBR().Found, C.VBR);
        if (C.VBR) {
            EXPECT_EQ(Reader.VBR().ID, "Xing");
        }
        EXPECT_EQ(Reader.Frame().LayerID, C.Layer);
        EXPECT_EQ(Reader.AudioStart(), C.AudioStart);
        EXPECT_EQ(Reader.Frame().Position, C.AudioStart);
        EXPECT_EQ(Reader.AudioEnd(), Reader.FileLength() - Reader.ID3v1().TotalSize());
        if (C.Layer == L3) {
            EXPECT_EQ(Reader.EncoderID().substr(0, 4), "LAME");
        }
    }
}

TEST(MPEGaudio, TagsOfTheFileAreRead)
{
    TMPEGaudio Reader;
    ASSERT_TRUE(Reader.ReadFromFile(Fixture("tag_id3v23_lame.mp3")));
    EXPECT_EQ(Reader.ID3v2().Size(), 345);
    EXPECT_EQ(Reader.ID3v2().Title(), "Lame Title");
    EXPECT_TRUE(Reader.ID3v1().Exists());
    EXPECT_FALSE(Reader.APEtag().Exists());
}

TEST(MPEGaudio, FrameLengthsAndHeaderFields)
{
    struct Case {
        HeaderSpec H;
        uint16_t Length, BitRate;
        int SampleRate;
    };
    const Case Cases[] = {
        {{V1, L3, 9, 0, 0, Joint}, 417, 128, 44100},
        {{V1, L3, 9, 0, 1, Joint}, 418, 128, 44100},
        {{V1, L2, 10, 1, 0, Stereo}, 576, 192, 48000},
        {{V1, L1, 1, 1, 1, Stereo}, 36, 32, 48000},  // layer I pads 4 bytes
        {{V1, L1, 14, 2, 0, Stereo}, 672, 448, 32000},
        {{V2, L3, 8, 0, 0, Mono}, 208, 64, 22050},    // 72 * 64000 / 22050 = 208.97
        {{V2, L2, 8, 1, 1, Mono}, 385, 64, 24000},
        {{V25, L3, 14, 2, 0, Stereo}, 1440, 160, 8000},
        {{V25, L1, 5, 0, 0, Stereo}, 348, 80, 11025}, // 48 * 80000 / 11025 = 348.3
        // Layer I frames are whole 4-byte slots: 4 * floor(12 * rate / sample rate)
        {{V1, L1, 1, 0, 0, Mono}, 32, 32, 44100},     // 12 * 32000 / 44100 = 8.7 slots
        {{V1, L1, 1, 0, 1, Mono}, 36, 32, 44100},
        {{V1, L1, 12, 0, 0, Stereo}, 416, 384, 44100}, // 104.5 slots
        {{V2, L1, 1, 0, 0, Mono}, 68, 32, 22050},     // 17.4 slots
        {{V25, L1, 14, 0, 1, Stereo}, 1116, 256, 11025}, // 278.6 slots and a padding slot
    };
    TempDir Dir;
    for (const Case &C : Cases) {
        SCOPED_TRACE(std::to_string(C.Length));
        TMPEGaudio Reader;
        ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("f.mpa", Frames(C.H, 40, C.Length))));
        ASSERT_TRUE(Reader.Frame().Found);
        EXPECT_EQ(Reader.Frame().Size, C.Length);
        EXPECT_EQ(Reader.BitRate(), C.BitRate);
        EXPECT_EQ(Reader.SampleRate(), C.SampleRate);
        EXPECT_EQ(Reader.Frame().VersionID, C.H.Version);
        EXPECT_EQ(Reader.Frame().LayerID, C.H.Layer);
        EXPECT_EQ(Reader.Frame().PaddingBit, C.H.Padding);
        EXPECT_EQ(Reader.Frame().ModeID, C.H.Mode);
        EXPECT_EQ(Reader.Frame().ProtectionBit, 0);
        EXPECT_EQ(Reader.Frame().EmphasisID, 0);
        EXPECT_FALSE(Reader.Frame().Empty);
        EXPECT_DOUBLE_EQ(Reader.Duration(), 40.0 * C.Length * 8 / C.BitRate / 1000);
    }
}

// A variable-rate stream without a Xing or VBRI header frame, as ffmpeg writes one to a pipe:
// its first frame's rate says nothing of the whole, and the frames' own lengths give the
// duration. A short file is walked whole; a long one is measured in windows, within 1 %.
TEST(MPEGaudio, VariableRateStreamWithoutHeaderFrame)
{
    {
        // 2 s of silence at 8 kbit/s, then noise: 309 frames of 576 samples. The first frame's
        // rate gave 33 s.
        TMPEGaudio Reader;
        ASSERT_TRUE(Reader.ReadFromFile(Fixture("mp3_ffmpeg_22k_mono_vbr_noheader.mp3")));
        EXPECT_TRUE(Reader.Valid());
        EXPECT_FALSE(Reader.VBR().Found);
        EXPECT_EQ(Reader.SampleRate(), 22050);
        EXPECT_EQ(Reader.AudioStart(), 45);
        EXPECT_NEAR(Reader.Duration(), 576 * 309 / 22050.0, 1e-9);
        EXPECT_EQ(Reader.BitRate(), 33); // (33120 - 45) bytes in 8.07 s
    }
    // 3,000 frames at 44.1 kHz after a 32 kbit/s first frame: one in three at 320 kbit/s, the
    // rest at 64, behind an ID3v2 tag and before an ID3v1 tag.
    Bytes Stream = ID3v2Tag(300);
    Append(Stream, Frames({V1, L3, 1, 0, 0, Joint}, 1, 104));
    for (int I = 1; I < 3000; ++I)
        Append(Stream, I % 3 == 0 ? Frames({V1, L3, 14, 0, 0, Joint}, 1, 1044)
                                  : Frames({V1, L3, 5, 0, 0, Joint}, 1, 208));
    Append(Stream, ID3v1Tag());
    TempDir Dir;
    TMPEGaudio Reader;
    ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("long.mp3", Stream)));
    EXPECT_TRUE(Reader.Valid());
    const double Seconds = 3000 * 1152 / 44100.0;
    EXPECT_NEAR(Reader.Duration(), Seconds, Seconds / 100);
    EXPECT_NEAR(Reader.BitRate(), 149, 2); // (999 * 1044 + 2000 * 208 + 104) bytes in 78.4 s
}

// Layer I streams as an encoder lays them out: a padding slot wherever the slots fall behind
// the bit rate. Their duration is that of the samples they hold (384 per frame), within 1 %.
TEST(MPEGaudio, LayerIStreamsAtEverySampleRate)
{
    struct Case {
        int Version, SampleRateIndex, BitRateIndex, Mode;
        int SampleRate, BitRate;
    };
    const Case Cases[] = {
        {V1, 0, 1, Mono, 44100, 32},
        {V1, 0, 12, Stereo, 44100, 384},
        {V1, 1, 4, Joint, 48000, 128},
        {V1, 2, 2, Stereo, 32000, 64},
        {V2, 0, 1, Mono, 22050, 32},
        {V2, 1, 9, Stereo, 24000, 144},
    };
    TempDir Dir;
    for (const Case &C : Cases) {
        SCOPED_TRACE(std::to_string(C.SampleRate) + " Hz " + std::to_string(C.BitRate) + " kbit/s");
        constexpr int FrameCount = 300;
        Bytes Stream;
        long long Rest = 0;
        for (int I = 0; I < FrameCount; ++I) {
            const long long Numerator = 12LL * C.BitRate * 1000;
            Rest += Numerator % C.SampleRate;
            int Padding = 0;
            if (Rest >= C.SampleRate) {
                Rest -= C.SampleRate;
                Padding = 1;
            }
            HeaderSpec H{C.Version, L1, C.BitRateIndex, C.SampleRateIndex, Padding, C.Mode};
            Append(Stream, Header(H));
            AppendFill(Stream, std::size_t(4 * (Numerator / C.SampleRate + Padding) - 4), 0);
        }
        TMPEGaudio Reader;
        ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("layer1.mp1", Stream)));
        ASSERT_TRUE(Reader.Valid());
        EXPECT_EQ(Reader.Frame().LayerID, L1);
        EXPECT_EQ(Reader.Frame().Position, 0);
        EXPECT_EQ(Reader.SampleRate(), C.SampleRate);
        EXPECT_EQ(Reader.BitRate(), C.BitRate);
        const double Samples = 384.0 * FrameCount / C.SampleRate;
        EXPECT_NEAR(Reader.Duration(), Samples, Samples / 100);
    }
}

TEST(MPEGaudio, HeaderFieldBits)
{
    // Protection bit 0 (CRC follows), private, copyright, original, emphasis 1.
    const uint8_t H[4] = {0xFF, 0xFA, 0x93, 0x6D};
    ASSERT_TRUE(TMPEGaudio::IsFrameHeader(H));
    Bytes Stream;
    for (int I = 0; I < 20; ++I) {
        Append(Stream, {H[0], H[1], H[2], H[3]});
        AppendFill(Stream, 418 - 4, 0); // padded
    }
    TempDir Dir;
    TMPEGaudio Reader;
    ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("bits.mp3", Stream)));
    const TFrameData &F = Reader.Frame();
    EXPECT_EQ(F.ProtectionBit, 1);
    EXPECT_EQ(F.PrivateBit, 1);
    EXPECT_EQ(F.ModeID, Joint);
    EXPECT_EQ(F.ModeExtensionID, 2);
    EXPECT_EQ(F.CopyrightBit, 1);
    EXPECT_EQ(F.OriginalBit, 1);
    EXPECT_EQ(F.EmphasisID, 1);
    EXPECT_TRUE(F.Empty);
    EXPECT_EQ(F.Data[3], 0x6D);

    // Every field that the header test rejects.
    const uint8_t Rejected[][4] = {
        {0xFE, 0xFB, 0x90, 0x00}, // no sync byte
        {0xFF, 0xDB, 0x90, 0x00}, // second byte below 0xE0
        {0xFF, 0xEB, 0x90, 0x00}, // reserved version
        {0xFF, 0xF9, 0x90, 0x00}, // reserved layer
        {0xFF, 0xFB, 0x00, 0x00}, // free-format bit rate
        {0xFF, 0xFB, 0xF0, 0x00}, // bad bit rate
        {0xFF, 0xFB, 0x9C, 0x00}, // reserved sample rate
        {0xFF, 0xFB, 0x90, 0x02}, // reserved emphasis
    };
    for (const auto &R : Rejected)
        EXPECT_FALSE(TMPEGaudio::IsFrameHeader(R));
}

TEST(MPEGaudio, HeaderWithoutItsSecondHeaderIsPassedOver)
{
    const HeaderSpec H;
    Bytes File = Header(H); // a header at 0 that nothing confirms
    AppendFill(File, 3, 0x22);
    Append(File, Frames(H, 30, 417));
    TempDir Dir;
    TMPEGaudio Reader;
    ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("false.mp3", File)));
    EXPECT_TRUE(Reader.Valid());
    EXPECT_EQ(Reader.Frame().Position, 7);
    EXPECT_EQ(Reader.AudioStart(), 7);
}

TEST(MPEGaudio, VariableRateHeaderOffsets)
{
    struct Case {
        HeaderSpec H;
        std::size_t Length, Offset;
        double Duration;
    };
    const Case Cases[] = {
        {{V1, L3, 9, 0, 0, Joint}, 417, 36, 1152 * 10000 / 44100.0},
        {{V1, L3, 9, 0, 0, Mono}, 417, 21, 1152 * 10000 / 44100.0},
        {{V2, L3, 8, 0, 0, Stereo}, 208, 21, 576 * 10000 / 22050.0},
        {{V2, L3, 8, 0, 0, Mono}, 208, 13, 576 * 10000 / 22050.0},
    };
    TempDir Dir;
    for (const Case &C : Cases) {
        SCOPED_TRACE(C.Offset);
        Bytes File = XingFrame(C.H, C.Length, C.Offset, 10000, 10000 * uint32_t(C.Length));
        Append(File, Frames(C.H, 20, C.Length));
        TMPEGaudio Reader;
        ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("x.mp3", File)));
        ASSERT_TRUE(Reader.VBR().Found);
        EXPECT_EQ(Reader.VBR().ID, "Xing");
        EXPECT_EQ(Reader.VBR().Frames, 10000);
        EXPECT_EQ(Reader.VBR().Bytes, int32_t(10000 * C.Length));
        EXPECT_EQ(Reader.VBR().Scale, 57);
        EXPECT_EQ(Reader.VBR().VendorID, "VNDR1.23");
        EXPECT_DOUBLE_EQ(Reader.Duration(), C.Duration);
        EXPECT_TRUE(Reader.Valid());

        // The same header one byte off is not seen.
        Bytes Off = XingFrame(C.H, C.Length, C.Offset + 1, 10000, 10000 * uint32_t(C.Length));
        Append(Off, Frames(C.H, 20, C.Length));
        ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("off.mp3", Off)));
        EXPECT_FALSE(Reader.VBR().Found);
    }
    // 10,000 frames at 44100 Hz last about 261.2 seconds.
    EXPECT_NEAR(Cases[0].Duration, 261.22, 0.01);
}

TEST(MPEGaudio, XingHeaderCutByTheFileEnd)
{
    // 26-byte frames put the Xing header of a stereo MPEG-2 file (offset 21) across the
    // following frames, and the 130-byte file ends before its quality and vendor bytes:
    // what lies beyond the end reads as zero.
    const HeaderSpec H{V2, L3, 1, 0, 0, Stereo};
    Bytes File = Frames(H, 5, 26, 0);
    std::copy_n("Xing", 4, File.begin() + 21);
    TempDir Dir;
    TMPEGaudio Reader;
    ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("cutxing.mp3", File)));
    ASSERT_TRUE(Reader.VBR().Found);
    EXPECT_EQ(Reader.VBR().Frames, 0); // the next header's last byte and zero content
    EXPECT_EQ(Reader.VBR().Scale, 0);
    EXPECT_EQ(Reader.VBR().VendorID, std::string(8, '\0'));
    EXPECT_EQ(Reader.BitRate(), 8);
    EXPECT_DOUBLE_EQ(Reader.Duration(), 130 * 8 / 8000.0);
    EXPECT_TRUE(Reader.Valid());
}

TEST(MPEGaudio, VBRIHeader)
{
    const HeaderSpec H;
    Bytes First = Header(H);
    AppendFill(First, 32, 0);
    Append(First, "VBRI");
    Append(First, {0, 1, 0, 0, 0, 75}); // version, delay, quality: its low byte at offset 9
    AppendBE32(First, 2'000'000);    // bytes at offset 10
    AppendBE32(First, 4'800);        // frames at offset 14
    First.resize(417, 0);
    Append(First, Frames(H, 10, 417));
    TempDir Dir;
    TMPEGaudio Reader;
    ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("vbri.mp3", First)));
    ASSERT_TRUE(Reader.VBR().Found);
    EXPECT_EQ(Reader.VBR().ID, "VBRI");
    EXPECT_EQ(Reader.VBR().Scale, 75);
    EXPECT_EQ(Reader.VBR().Bytes, 2'000'000);
    EXPECT_EQ(Reader.VBR().Frames, 4'800);
    EXPECT_TRUE(Reader.VBR().VendorID.empty());
    // round((2,000,000 / 4,800) * 44100 / 144 / 1000) = round(127.6)
    EXPECT_EQ(Reader.BitRate(), 128);
    EXPECT_DOUBLE_EQ(Reader.Duration(), 1152.0 * 4800 / 44100);
}

TEST(MPEGaudio, VariableRateBitRateRounding)
{
    struct Case {
        uint32_t Frames, Bytes;
        int Padding;
        uint16_t BitRate;
    };
    // At 48000 Hz the average rate is (bytes per frame - padding) / 3.
    const Case Cases[] = {
        {2, 771, 0, 128},     // 128.5 goes to the even 128
        {2, 777, 0, 130},     // 129.5 goes to 130
        {2, 773, 1, 128},     // padding taken off first: 385.5 / 3
        {0, 777, 0, 128},     // no frame count: the table rate
        {1, 0x7FFFFFFF, 0, 0}, // a rate that does not fit: none
    };
    TempDir Dir;
    for (const Case &C : Cases) {
        HeaderSpec H{V1, L3, 9, 1, C.Padding, Joint};
        const std::size_t Length = 384 + std::size_t(C.Padding);
        Bytes File = XingFrame(H, Length, 36, C.Frames, C.Bytes);
        Append(File, Frames(H, 10, Length));
        TMPEGaudio Reader;
        ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("r.mp3", File)));
        ASSERT_TRUE(Reader.VBR().Found);
        EXPECT_EQ(Reader.BitRate(), C.BitRate) << C.Bytes << "/" << C.Frames;
    }
}

TEST(MPEGaudio, LongID3v2TagAndID3v1Tag)
{
    const HeaderSpec H;
    Bytes File = ID3v2Tag(100'000);
    while (File.size() < 1'100'000 - 128) {
        Append(File, Header(H));
        AppendFill(File, 413, 0x11);
    }
    File.resize(1'100'000 - 128);
    Append(File, ID3v1Tag());
    ASSERT_EQ(File.size(), 1'100'000u);
    TempDir Dir;
    TMPEGaudio Reader;
    ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("long.mp3", File)));
    EXPECT_TRUE(Reader.Valid());
    EXPECT_EQ(Reader.FileLength(), 1'100'000);
    EXPECT_EQ(Reader.AudioStart(), 100'000);
    EXPECT_EQ(Reader.AudioEnd(), 1'099'872);
    EXPECT_DOUBLE_EQ(Reader.Duration(), 999'872 * 8 / 128'000.0);
    EXPECT_NEAR(Reader.Duration(), 62.49, 0.005);
}

TEST(MPEGaudio, FramesFoundInLaterBlocks)
{
    const HeaderSpec H;
    TempDir Dir;
    TMPEGaudio Reader;

    // 5,000 bytes after the ID3v2 tag: position 1,542 of the second block.
    Bytes File = ID3v2Tag(2048);
    Append(File, Junk(5000));
    Append(File, Frames(H, 30, 417));
    ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("second.mp3", File)));
    EXPECT_TRUE(Reader.Valid());
    EXPECT_EQ(Reader.Frame().Position, 2048 + 5000);
    EXPECT_EQ(Reader.AudioStart(), 2048 + 5000);

    // Frames from 2,000 on: positions 1730 to 3457 of the first block are not tried,
    // so the first frame taken is the first one at 0 to 1729 of the second block.
    Bytes Late = Junk(2000);
    Append(Late, Frames(H, 30, 417));
    ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("late.mp3", Late)));
    EXPECT_TRUE(Reader.Valid());
    EXPECT_EQ(Reader.Frame().Position, 2000 + 4 * 417);

    // Junk only, over many blocks: searched to the end, nothing found.
    ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("junk.mp3", Junk(50'000))));
    EXPECT_FALSE(Reader.Valid());
    EXPECT_FALSE(Reader.Frame().Found);
}

TEST(MPEGaudio, ShortFilesAndCutHeaders)
{
    const HeaderSpec H{V2, L3, 1, 0, 0, Mono}; // 8 kbit/s, 22050 Hz: 26-byte frames
    TempDir Dir;
    TMPEGaudio Reader;
    struct Case {
        const char *Name;
        Bytes File;
        bool Found, Valid;
    };
    Bytes Cut = Junk(100);
    Append(Cut, Frames(H, 1, 26));
    Append(Cut, {0xFF, 0xF3}); // the second header is cut by the end of the file
    Bytes CutPadded = Frames(HeaderSpec{}, 1, 417);
    Append(CutPadded, {0xFF, 0xFB, 0x90}); // a second header missing its last byte
    Bytes Short = Frames(H, 2, 26);                            // 52 bytes
    Bytes Tenth = Frames(H, 6, 26);                            // 156 bytes: 0.156 s
    Bytes Under = Frames(H, 5, 26);                            // 130 bytes, but no room for ID3v1
    Bytes TenthTagged = Frames(H, 5, 26);
    Append(TenthTagged, ID3v1Tag());                           // 130 bytes of audio: 0.13 s
    Bytes Twentieth = Frames(H, 2, 26);
    AppendFill(Twentieth, 3, 0x11);
    Append(Twentieth, ID3v1Tag());                             // 55 bytes of audio: 0.055 s
    const Case Cases[] = {
        {"cut", Cut, false, false},
        {"cutpadded", CutPadded, false, false},
        {"short", Short, false, false}, // shorter than an ID3v1 tag: the tag readers fail first
        {"under", Under, true, true},
        {"tenth", Tenth, true, true},
        {"tenthtagged", TenthTagged, true, true},
        {"twentieth", Twentieth, true, false}, // 8 kbit/s for 0.055 s
    };
    for (const Case &C : Cases) {
        SCOPED_TRACE(C.Name);
        ASSERT_TRUE(Reader.ReadFromFile(Dir.Write(std::string(C.Name) + ".mp3", C.File)));
        EXPECT_EQ(Reader.Frame().Found, C.Found);
        EXPECT_EQ(Reader.Valid(), C.Valid);
        if (!C.Found) {
            EXPECT_EQ(Reader.ChannelMode(), "Unknown");
            EXPECT_EQ(Reader.SampleRate(), 0);
        } else {
            EXPECT_EQ(Reader.BitRate(), 8);
            EXPECT_EQ(Reader.ChannelMode(), "Mono");
        }
    }
}

TEST(MPEGaudio, EncoderMark)
{
    const HeaderSpec H;
    TempDir Dir;
    TMPEGaudio Reader;

    // "GOGO" inside the last five frame lengths of the first block.
    Bytes Gogo = Frames(H, 30, 417);
    std::copy_n("GOGO", 4, Gogo.begin() + 3450 - 5 * 417);
    ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("gogo.mp3", Gogo)));
    EXPECT_EQ(Reader.EncoderID(), "GOGO");

    // One byte further back it lies outside the search of the first block, and the
    // block in front of the end holds no mark either.
    Bytes Outside = Frames(H, 30, 417);
    std::copy_n("GOGO", 4, Outside.begin() + 3450 - 5 * 417 - 1);
    ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("outside.mp3", Outside)));
    EXPECT_TRUE(Reader.Valid());
    EXPECT_TRUE(Reader.EncoderID().empty());

    // "LAME" and four more bytes in the block that ends where the ID3v1 tag begins.
    Bytes Lame = Frames(H, 40, 417);
    const std::size_t End = Lame.size();
    std::copy_n("LAME3.99r", 9, Lame.begin() + std::ptrdiff_t(End - 3458 + 3000));
    Append(Lame, ID3v1Tag());
    ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("lame.mp3", Lame)));
    EXPECT_EQ(Reader.EncoderID(), "LAME3.99");

    // In a file shorter than a block the end search still looks only at its bytes.
    Bytes Small = Frames(H, 6, 417);
    std::copy_n("LAME1234", 8, Small.end() - 300);
    ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("small.mp3", Small)));
    EXPECT_TRUE(Reader.Valid());
    EXPECT_EQ(Reader.EncoderID(), "LAME1234");
}

TEST(MPEGaudio, NotAudioAndUnreadable)
{
    TempDir Dir;
    TMPEGaudio Reader;
    ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("text.mp3", Text(std::string(4000, 't') + "\nsome text\n"))));
    EXPECT_FALSE(Reader.Valid());
    EXPECT_EQ(Reader.ChannelMode(), "Unknown");
    EXPECT_EQ(Reader.BitRate(), 0);
    EXPECT_EQ(Reader.SampleRate(), 0);
    EXPECT_EQ(Reader.Duration(), 0);
    EXPECT_EQ(Reader.FileLength(), 0);
    EXPECT_EQ(Reader.Frame().VersionID, MPEG_VERSION_UNKNOWN);
    EXPECT_EQ(Reader.Frame().SampleRateID, 3);
    EXPECT_EQ(Reader.Frame().ModeExtensionID, 4);
    EXPECT_EQ(Reader.Frame().EmphasisID, 2);

    ASSERT_TRUE(Reader.ReadFromFile(Dir.Write("empty.mp3", {})));
    EXPECT_FALSE(Reader.Valid());

    // After a good file, a bad one leaves nothing of the good one behind.
    ASSERT_TRUE(Reader.ReadFromFile(Fixture("tag_id3v23_lame.mp3")));
    ASSERT_TRUE(Reader.Valid());
    EXPECT_FALSE(Reader.ReadFromFile(Dir.PathOf("missing.mp3")));
    EXPECT_FALSE(Reader.Valid());
    EXPECT_FALSE(Reader.ID3v2().Exists());
    EXPECT_TRUE(Reader.EncoderID().empty());
    EXPECT_FALSE(Reader.ReadFromFile(Dir.PathOf(""))); // a folder
}
