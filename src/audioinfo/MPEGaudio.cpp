#include "MPEGaudio.h"

#include "AudioFileStream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

using namespace audioinfo;

const std::array<const char *, 5> MPEG_CM_MODE = {"Stereo", "Joint Stereo", "Dual Channel", "Mono",
                                                  "Unknown"};

namespace {

// kbit/s by [version][layer][bit-rate index].
constexpr uint16_t BitRates[4][4][16] = {
    // MPEG 2.5
    {{0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0}},
    // reserved
    {{0}, {0}, {0}, {0}},
    // MPEG 2
    {{0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0}},
    // MPEG 1
    {{0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0}},
};

// Hertz by [version][sample-rate index].
constexpr int SampleRates[4][4] = {
    {11025, 12000, 8000, 0}, {0, 0, 0, 0}, {22050, 24000, 16000, 0}, {44100, 48000, 32000, 0}};

uint16_t TableBitRate(const TFrameData &F)
{
    return BitRates[F.VersionID & 3][F.LayerID & 3][F.BitRateID & 15];
}

int TableSampleRate(const TFrameData &F)
{
    return SampleRates[F.VersionID & 3][F.SampleRateID & 3];
}

// Bytes per frame for one kbit/s at one hertz, times 1000: samples per frame / 8.
int Coefficient(const TFrameData &F)
{
    if (F.LayerID == MPEG_LAYER_I)
        return 48;
    if (F.VersionID == MPEG_VERSION_1 || F.LayerID == MPEG_LAYER_II)
        return 144;
    return 72;
}

int Padding(const TFrameData &F)
{
    if (F.PaddingBit == 0)
        return 0;
    return F.LayerID == MPEG_LAYER_I ? 4 : 1;
}

uint16_t FrameLength(const TFrameData &F)
{
    const int Rate = TableSampleRate(F);
    if (Rate == 0)
        return 0;
    // A layer I frame is a whole number of 4-byte slots.
    if (F.LayerID == MPEG_LAYER_I)
        return uint16_t(4 * (int64_t(12) * TableBitRate(F) * 1000 / Rate) + Padding(F));
    return uint16_t(int64_t(Coefficient(F)) * TableBitRate(F) * 1000 / Rate + Padding(F));
}

} // namespace

TMPEGaudio::TMPEGaudio()
    : FID3v1(std::make_unique<TID3v1>()), FID3v2(std::make_unique<TID3v2>()),
      FAPEtag(std::make_unique<TAPEtag>())
{
    ResetData();
}

TMPEGaudio::~TMPEGaudio() = default;

void TMPEGaudio::ResetData()
{
    FFileLength = 0;
    FEncoderID.clear();
    FVBR = TVBRData();
    FInfoFrames = 0;
    FInfoNextBitRate = 0;
    FMeanFrameBytes = 0;
    FFrame = TFrameData(); // the "unknown" defaults of the header fields
    FAudioStart = 0;
    FAudioEnd = 0;
    FID3v1->ResetData();
    FID3v2->ResetData();
    FAPEtag->ResetData();
}

bool TMPEGaudio::IsFrameHeader(const uint8_t *H)
{
    return H[0] == 0xFF && H[1] >= 0xE0 && ((H[1] >> 3) & 3) != 1 && ((H[1] >> 1) & 3) != 0
           && (H[2] >> 4) != 0 && (H[2] >> 4) != 15 && ((H[2] >> 2) & 3) != 3 && (H[3] & 3) != 2;
}

void TMPEGaudio::DecodeHeader(const uint8_t *H, TFrameData &F) const
{
    std::copy(H, H + 4, F.Data.begin());
    F.VersionID = (H[1] >> 3) & 3;
    F.LayerID = (H[1] >> 1) & 3;
    F.ProtectionBit = 1 - (H[1] & 1);
    F.BitRateID = H[2] >> 4;
    F.SampleRateID = (H[2] >> 2) & 3;
    F.PaddingBit = (H[2] >> 1) & 1;
    F.PrivateBit = H[2] & 1;
    F.ModeID = H[3] >> 6;
    F.ModeExtensionID = (H[3] >> 4) & 3;
    F.CopyrightBit = (H[3] >> 3) & 1;
    F.OriginalBit = (H[3] >> 2) & 1;
    F.EmphasisID = H[3] & 3;
}

// Tries positions 0 to 1729 of the block. Only the Count bytes read are searched, and
// a header counts as confirmed only when its second header lies wholly in them.
void TMPEGaudio::SearchFrame(const uint8_t *Block, int Count)
{
    const int Last = std::min(MPEG_SEARCH_POSITIONS - 1, Count - 4);
    for (int Position = 0; Position <= Last; ++Position) {
        if (!IsFrameHeader(Block + Position))
            continue;
        TFrameData Candidate;
        DecodeHeader(Block + Position, Candidate);
        const int Length = FrameLength(Candidate);
        const int Next = Position + Length;
        if (Length == 0 || Next >= MPEG_BLOCK_SIZE || Next + 4 > Count || !IsFrameHeader(Block + Next))
            continue;
        FFrame = Candidate;
        FFrame.Found = true;
        FFrame.Position = Position;
        FFrame.Size = uint16_t(Length);
        FFrame.Empty = std::all_of(Block + Position + 4, Block + Position + 10, [](uint8_t B) { return B == 0; });
        int SideInfo;
        if (FFrame.VersionID == MPEG_VERSION_1)
            SideInfo = FFrame.ModeID == MPEG_CM_MONO ? 21 : 36;
        else
            SideInfo = FFrame.ModeID == MPEG_CM_MONO ? 13 : 21;
        ReadVBR(Block, Position + SideInfo);
        if (FInfoFrames > 0) {
            // The rate of the frame after the header frame, which carries the file's audio.
            TFrameData Second;
            DecodeHeader(Block + Next, Second);
            if (Second.VersionID == FFrame.VersionID && Second.LayerID == FFrame.LayerID
                && Second.SampleRateID == FFrame.SampleRateID)
                FInfoNextBitRate = TableBitRate(Second);
        }
        return;
    }
}

// The Xing or VBRI header at Offset. The block is large enough for either: Offset is
// at most 1729 + 36, and a Xing header is read up to Offset + 127.
void TMPEGaudio::ReadVBR(const uint8_t *Block, int Offset)
{
    static_assert(MPEG_SEARCH_POSITIONS - 1 + 36 + 128 <= MPEG_BLOCK_SIZE);
    const uint8_t *X = Block + Offset;
    if (std::memcmp(X, "Xing", 4) == 0) {
        FVBR.Found = true;
        FVBR.ID = "Xing";
        FVBR.Frames = int32_t(GetBE32(X + 8));
        FVBR.Bytes = int32_t(GetBE32(X + 12));
        FVBR.Scale = X[119];
        FVBR.VendorID.assign(reinterpret_cast<const char *>(X + 120), 8);
    } else if (std::memcmp(X, "Info", 4) == 0) {
        // The flags say which fields are present: the frame count is bit 0.
        const uint32_t Flags = GetBE32(X + 4);
        if (Flags & 1)
            FInfoFrames = int32_t(GetBE32(X + 8));
    } else if (std::memcmp(X, "VBRI", 4) == 0) {
        FVBR.Found = true;
        FVBR.ID = "VBRI";
        FVBR.Scale = X[9];
        FVBR.Bytes = int32_t(GetBE32(X + 10));
        FVBR.Frames = int32_t(GetBE32(X + 14));
        FVBR.VendorID.clear();
    }
}

// Looks backwards from offset 3450 for "LAME" or "GOGO", over 5 frame lengths.
void TMPEGaudio::SearchEncoder(const uint8_t *Block)
{
    const int Length = FFrame.Found ? FFrame.Size : 0;
    const int Count = 5 * Length > 3450 ? 3451 : 5 * Length + 1;
    for (int I = 0; I < Count; ++I) {
        const uint8_t *P = Block + 3450 - I;
        if (std::memcmp(P, "LAME", 4) == 0) {
            FEncoderID.assign(reinterpret_cast<const char *>(P), 8);
            return;
        }
        if (std::memcmp(P, "GOGO", 4) == 0) {
            FEncoderID = "GOGO";
            return;
        }
    }
}

bool TMPEGaudio::ReadFromFile(const std::string &FileName)
{
    ResetData();
    // One view of the file for this reader and its tag readers.
    TAudioFileStream File(FileName);
    if (!File.IsOpen())
        return false;

    bool Ok = true;
    if (FID3v2->ReadFromFile(File) && FID3v1->ReadFromFile(File)) {
        FFileLength = File.Size();
        // Bytes that lie beyond the end of the file read as zero.
        std::array<uint8_t, MPEG_BLOCK_SIZE> Block;
        int Count = 0;
        int64_t BlockStart = FID3v2->Size();
        {
            const int64_t Got = ReadSome(File, BlockStart, Block.data(), Block.size());
            Ok = Got >= 0;
            Count = int(std::max<int64_t>(Got, 0));
        }
        if (Ok) {
            SearchFrame(Block.data(), Count);
            SearchEncoder(Block.data());
        }
        // The blocks after the first are searched one after another as well, but read a run of
        // them at a time, so that a file whose audio starts late costs few reads.
        constexpr int BlocksPerRead = 16;
        std::vector<uint8_t> Run;
        while (Ok && !FFrame.Found && Count == MPEG_BLOCK_SIZE) {
            Run.assign(std::size_t(BlocksPerRead) * MPEG_BLOCK_SIZE, 0);
            const int64_t Got = ReadSome(File, BlockStart + MPEG_BLOCK_SIZE, Run.data(), Run.size());
            if (Got < 0) {
                Ok = false;
                break;
            }
            for (int I = 0; I < BlocksPerRead; ++I) {
                BlockStart += MPEG_BLOCK_SIZE;
                Count = int(std::clamp<int64_t>(Got - int64_t(I) * MPEG_BLOCK_SIZE, 0, MPEG_BLOCK_SIZE));
                SearchFrame(Run.data() + std::size_t(I) * MPEG_BLOCK_SIZE, Count);
                if (FFrame.Found || Count < MPEG_BLOCK_SIZE)
                    break;
            }
        }
        if (Ok && FFrame.Found) {
            FFrame.Position += BlockStart;
            FAudioStart = FFrame.Position;
            FAudioEnd = FFileLength - FID3v1->TotalSize();
            if (FEncoderID.empty()) {
                // The block that ends where the ID3v1 tag begins; in a file shorter
                // than a block, the bytes in front of the file start read as zero.
                const int64_t End = FFileLength - (FID3v1->Exists() ? 128 : 0);
                const int64_t Start = End - MPEG_BLOCK_SIZE;
                const int64_t From = std::max<int64_t>(Start, 0);
                Block.fill(0);
                if (End > From)
                    Ok = ReadSome(File, From, Block.data() + (From - Start), std::size_t(End - From)) >= 0;
                if (Ok)
                    SearchEncoder(Block.data());
            }
            if (Ok && !FVBR.Found && FInfoFrames == 0)
                Ok = MeasureFrames(File);
        }
    }
    File.Close();
    if (!Ok || !FFrame.Found)
        ResetData();
    return Ok;
}

// Walks the chain of frames in a window of the audio, from the first header that another
// header follows one frame length further on; only frames of the first frame's version, layer
// and sample rate count. Adds the frames that start in the window and the bytes they stand
// for: the whole window while the chain holds to its end, so that long frames cut by the
// window's edges weigh as much as short ones, else the bytes up to where the chain broke.
bool TMPEGaudio::WalkWindow(const uint8_t *Window, int Count, int64_t &Frames, int64_t &Bytes,
                            bool &Mixed) const
{
    const auto Matches = [this](const TFrameData &F) {
        return F.VersionID == FFrame.VersionID && F.LayerID == FFrame.LayerID
               && F.SampleRateID == FFrame.SampleRateID && TableBitRate(F) > 0;
    };
    for (int Start = 0; Start + 4 <= Count; ++Start) {
        if (!IsFrameHeader(Window + Start))
            continue;
        TFrameData F;
        DecodeHeader(Window + Start, F);
        int Length = FrameLength(F);
        if (!Matches(F) || Length < 4 || Start + Length + 4 > Count || !IsFrameHeader(Window + Start + Length))
            continue;
        int64_t Pos = Start;
        for (;;) {
            ++Frames;
            if (F.BitRateID != FFrame.BitRateID)
                Mixed = true;
            Pos += Length;
            if (Pos + 4 > Count) {
                // The chain reaches the window's end (a header cut by it included): it holds.
                Bytes += Count;
                return true;
            }
            const bool Header = IsFrameHeader(Window + Pos);
            TFrameData Next;
            if (Header) {
                DecodeHeader(Window + Pos, Next);
                Length = FrameLength(Next);
            }
            if (!Header || !Matches(Next) || Length < 4) {
                Bytes += Pos - Start;
                return true;
            }
            F = Next;
        }
    }
    return false;
}

// A file without a Xing, VBRI or Info header frame is taken at its first frame's rate, which
// is right for a constant rate. A variable-rate stream written where the header could not be
// filled in afterwards (to a pipe, or with the header turned off) has frames of many rates,
// and its first frame says nothing of the whole: the frames of a window in the middle of the
// audio tell the two apart. For a variable rate, the mean frame length comes from the whole
// audio when it is short, else from windows spread evenly over it (an estimate, within a
// fraction of a percent on the encoders' files, at a few reads more for such files only).
bool TMPEGaudio::MeasureFrames(TAudioFileStream &File)
{
    constexpr int WindowSize = 8192;
    constexpr int Windows = 32;
    const int64_t Audio = FAudioEnd - FAudioStart;
    if (Audio <= 0)
        return true;
    std::vector<uint8_t> Window(WindowSize);
    int64_t Frames = 0, Bytes = 0;
    bool Mixed = false;
    const auto Sample = [&](int64_t At) {
        const int64_t Got = ReadSome(File, At, Window.data(), Window.size());
        if (Got < 0)
            return false;
        WalkWindow(Window.data(), int(Got), Frames, Bytes, Mixed);
        return true;
    };
    const auto WalkWhole = [&] {
        // Audio that the windows would cover anyway is walked whole.
        Frames = 0;
        Bytes = 0;
        Window.resize(std::size_t(Audio));
        return Sample(FAudioStart);
    };
    if (Audio <= 2 * int64_t(WindowSize)) {
        if (!WalkWhole())
            return false;
    } else {
        if (!Sample(FAudioStart + Audio / 2 - WindowSize / 2))
            return false;
        if (!Mixed)
            return true;
        if (Audio <= int64_t(Windows) * WindowSize) {
            if (!WalkWhole())
                return false;
        } else {
            Frames = 0;
            Bytes = 0;
            for (int I = 0; I < Windows; ++I)
                if (!Sample(FAudioStart + (Audio - WindowSize) * I / (Windows - 1)))
                    return false;
        }
    }
    if (!Mixed)
        return true;
    if (Frames > 0)
        FMeanFrameBytes = double(Bytes) / double(Frames);
    return true;
}

uint16_t TMPEGaudio::BitRate() const
{
    // The rate of frames of the given mean length; a rate that does not fit is no rate: it makes
    // the file not valid.
    const auto RateOfFrames = [this](double FrameBytes) {
        const double Value = RoundHalfEven(FrameBytes * TableSampleRate(FFrame) / Coefficient(FFrame) / 1000);
        return Value >= 0 && Value <= 65535 ? uint16_t(Value) : uint16_t(0);
    };
    if (FVBR.Found && FVBR.Frames > 0)
        return RateOfFrames(double(FVBR.Bytes) / FVBR.Frames - Padding(FFrame));
    // A constant-rate file whose header frame was written at another rate than its audio has
    // the rate of its audio frames.
    if (!FVBR.Found && FInfoFrames > 0 && FInfoNextBitRate > 0)
        return FInfoNextBitRate;
    if (FMeanFrameBytes > 0)
        return RateOfFrames(FMeanFrameBytes);
    return TableBitRate(FFrame);
}

int TMPEGaudio::SampleRate() const
{
    return TableSampleRate(FFrame);
}

std::string TMPEGaudio::ChannelMode() const
{
    return MPEG_CM_MODE[std::min<std::size_t>(FFrame.ModeID, MPEG_CM_MODE.size() - 1)];
}

double TMPEGaudio::Duration() const
{
    if (!FFrame.Found)
        return 0;
    const int Rate = TableSampleRate(FFrame);
    if (FVBR.Found && FVBR.Frames > 0) {
        if (Rate == 0)
            return 0;
        return double(Coefficient(FFrame)) * FVBR.Frames * 8 / Rate;
    }
    if (!FVBR.Found && FInfoFrames > 0) {
        if (Rate == 0)
            return 0;
        return double(Coefficient(FFrame)) * FInfoFrames * 8 / Rate;
    }
    if (FMeanFrameBytes > 0 && Rate > 0)
        return double(FAudioEnd - FAudioStart) / FMeanFrameBytes * Coefficient(FFrame) * 8 / Rate;
    const uint16_t TableRate = TableBitRate(FFrame);
    if (TableRate == 0)
        return 0;
    return double(FAudioEnd - FAudioStart) / TableRate / 1000 * 8;
}

bool TMPEGaudio::Valid() const
{
    const uint16_t Rate = BitRate();
    return FFrame.Found && Rate >= 8 && Rate <= 448 && Duration() >= 0.1;
}
