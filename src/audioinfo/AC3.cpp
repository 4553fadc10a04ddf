#include "AC3.h"

namespace
{
// Nominal bit rates in kbit/s, indexed by the frame-size code shifted right by one.
constexpr std::uint16_t AC3BitRates[19] = {32,  40,  48,  56,  64,  80,  96,  112, 128, 160,
                                           192, 224, 256, 320, 384, 448, 512, 576, 640};

// Channels by audio coding mode; the LFE channel is not counted.
constexpr std::int32_t AC3Channels[8] = {2, 1, 2, 3, 3, 4, 4, 5};
} // namespace

TAC3::TAC3()
{
    ResetData();
}

TAC3::~TAC3() = default;

void TAC3::ResetData()
{
    FFileSize = 0;
    FValid = false;
    FChannels = 0;
    FBits = 0;
    FSampleRate = 0;
    FBitRate = 0;
    FDuration = 0;
}

bool TAC3::ReadFromFile(const std::string &fileName)
{
    ResetData();
    TAudioFileStream stream;
    if (!stream.Open(fileName)) {
        // A pipe, a device or a folder holds no stream, and is never waited for.
        if (stream.NotRegular())
            return false;
        throw EAC3Error(fileName, stream.Error());
    }

    // Bytes 0-6: sync word, CRC, rate byte, stream id byte, coding mode byte. Bytes past the
    // end of a short file read as 0.
    std::uint8_t header[7];
    std::size_t got = 0;
    if (!stream.ReadAt(0, header, sizeof header, &got))
        throw EAC3Error(fileName, stream.Error());
    if (got < 2 || header[0] != 0x0B || header[1] != 0x77)
        return false;

    // Frame-size codes 38 to 63 are reserved and have no rate: such a header is not taken.
    unsigned rateIndex = (header[4] & 0x3F) >> 1;
    if (rateIndex >= sizeof AC3BitRates / sizeof AC3BitRates[0])
        return false;

    FFileSize = stream.Size();
    FValid = true;
    switch (header[4] >> 6) {
    case 0: FSampleRate = 48000; break;
    case 1: FSampleRate = 44100; break;
    case 2: FSampleRate = 32000; break;
    default: FSampleRate = 0; break;
    }
    FBitRate = AC3BitRates[rateIndex];
    FChannels = AC3Channels[header[6] >> 5];
    FBits = 16;
    FDuration = double(FFileSize) * 8 / 1000 / FBitRate;
    return true;
}
