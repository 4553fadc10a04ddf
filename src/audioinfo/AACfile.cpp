#include "AACfile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "AudioFileStream.h"

namespace
{
// Sampling-frequency index of the AAC headers.
constexpr std::int32_t AACSampleRates[16] = {96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050,
                                             16000, 12000, 11025, 8000,  0,     0,     0,     0};

struct EReadFailed
{
};

// Reads bit fields anywhere in the file, counted from its first byte, most significant bit
// first. A window of the file is kept, so that the frame walk costs one read per window and
// not one per field; the window starts small (a constant-rate stream needs one header) and
// grows while the walk goes on. Bits outside the file read as 0.
class TBitReader
{
public:
    explicit TBitReader(TAudioFileStream &stream) : m_stream(stream)
    {
        // One window per thread, kept between files: a fresh one for each file would cost an
        // allocation from the system and its page faults every time.
        thread_local std::vector<std::uint8_t> window(MaxWindow);
        m_window = window.data();
    }

    // N bits (at most 24) from bit position P: the 4 bytes at P div 8 as a big-endian number,
    // shifted left by P mod 8, top N bits.
    std::uint32_t ReadBits(std::int64_t p, unsigned n)
    {
        const std::int64_t byte = p >> 3;
        const std::uint32_t word = audioinfo::GetBE32(Bytes(byte));
        return (word << unsigned(p & 7)) >> (32 - n);
    }

private:
    static constexpr std::size_t FirstWindow = 4096;
    static constexpr std::size_t MaxWindow = 256 * 1024;

    const std::uint8_t *Bytes(std::int64_t pos)
    {
        if (m_length == 0 || pos < m_start || pos + 4 > m_start + std::int64_t(m_length)) {
            m_length = m_length == 0 ? FirstWindow : std::min(m_length * 4, MaxWindow);
            if (!m_stream.ReadAt(pos, m_window, m_length))
                throw EReadFailed();
            m_start = pos;
        }
        return m_window + (pos - m_start);
    }

    TAudioFileStream &m_stream;
    std::uint8_t *m_window;
    std::int64_t m_start = 0;
    std::size_t m_length = 0;
};
} // namespace

TAACfile::TAACfile() : FID3v1(new TID3v1), FID3v2(new TID3v2), FAPEtag(new TAPEtag)
{
    ResetData();
}

TAACfile::~TAACfile()
{
    delete FID3v1;
    delete FID3v2;
    delete FAPEtag;
}

void TAACfile::ResetData()
{
    FFileSize = 0;
    FHeaderType = AAC_HEADER_TYPE_UNKNOWN;
    FVersion = 0;
    FProfile = 0;
    FChannels = 0;
    FSampleRate = 0;
    FBitRate = 0;
    FBitRateType = 0;
    FFrames = 0;
    FID3v1->ResetData();
    FID3v2->ResetData();
    FAPEtag->ResetData();
}

bool TAACfile::ReadFromFile(const std::string &fileName)
{
    ResetData();
    // One view of the file for the tag readers and the stream header.
    TAudioFileStream stream(fileName);
    if (!stream.IsOpen())
        return false;
    if (!FID3v2->ReadFromFile(stream) || !FID3v1->ReadFromFile(stream) || !FAPEtag->ReadFromFile(stream))
        return false;

    const std::int64_t length = stream.Size();
    FFileSize = length;
    const std::int64_t start = FID3v2->Size();

    try {
        TBitReader bits(stream);

        std::uint8_t id[4];
        if (!stream.ReadAt(start, id, sizeof id))
            return false;
        if (std::memcmp(id, "ADIF", 4) == 0)
            FHeaderType = AAC_HEADER_TYPE_ADIF;
        else if (id[0] == 0xFF && (id[1] & 0xF0) == 0xF0)
            FHeaderType = AAC_HEADER_TYPE_ADTS;

        if (FHeaderType == AAC_HEADER_TYPE_ADIF) {
            const std::int64_t b = start * 8;
            // The 72-bit copyright id, when present, comes before the stream type.
            std::int64_t a = bits.ReadBits(b + 32, 1) ? b + 107 : b + 35;
            FBitRateType = bits.ReadBits(a, 1) ? 2 : 1;
            FBitRate = std::int32_t(bits.ReadBits(a + 1, 23));
            // To the object type of the first program configuration element: a constant-rate
            // stream also carries its buffer fullness.
            a += FBitRateType == 1 ? 52 : 32;
            FVersion = 2;
            FProfile = std::uint8_t(bits.ReadBits(a, 2) + 1);
            FSampleRate = AACSampleRates[bits.ReadBits(a + 2, 4)];
            // Front, side, back and LFE elements: elements are counted, not channels.
            FChannels = std::uint8_t(bits.ReadBits(a + 6, 4) + bits.ReadBits(a + 10, 4) +
                                     bits.ReadBits(a + 14, 4) + bits.ReadBits(a + 18, 2));
        } else if (FHeaderType == AAC_HEADER_TYPE_ADTS) {
            std::int64_t f = 0; // offset of the frame from the end of the ID3v2 tag
            std::int32_t frames = 0;
            do {
                const std::int64_t q = (f + start) * 8;
                if (bits.ReadBits(q, 12) != 0xFFF)
                    break;
                // The frame length sits at the same place for MPEG-2 and MPEG-4 headers:
                // the emphasis field that once preceded it in MPEG-4 headers is not in the
                // format that encoders write.
                const std::uint32_t frameLength = bits.ReadBits(q + 30, 13);
                ++frames;
                FVersion = bits.ReadBits(q + 12, 1) ? 1 : 2;
                FProfile = std::uint8_t(bits.ReadBits(q + 16, 2) + 1);
                FSampleRate = AACSampleRates[bits.ReadBits(q + 18, 4)];
                FChannels = std::uint8_t(bits.ReadBits(q + 23, 3));
                FBitRateType = bits.ReadBits(q + 43, 11) == 0x7FF ? 2 : 1;
                f += frameLength;
                if (FBitRateType == 1)
                    break; // a constant-rate stream is measured from its first frame
                if (frameLength < 7)
                    break; // shorter than its own header: the walk would crawl or stand still
            } while (f + start < length);
            FFrames = frames;
            FBitRate = frames > 0
                           ? std::int32_t(audioinfo::RoundHalfEven(FSampleRate * (double(f) * 8 / 1024 / frames)))
                           : 0;
        }
    } catch (const EReadFailed &) {
        return false;
    }
    return true;
}

double TAACfile::Duration() const
{
    if (FBitRate == 0)
        return 0;
    return double(std::int64_t(FFileSize) - FID3v2->Size()) * 8 / FBitRate;
}

bool TAACfile::Valid() const
{
    return FHeaderType != AAC_HEADER_TYPE_UNKNOWN && FChannels != 0 && FSampleRate > 0 && FBitRate > 0;
}
