#include "DTS.h"

namespace
{
// Bit rates in kbit/s by rate code, as shown.
constexpr std::uint16_t DTSBitRates[32] = {32,   56,   64,   96,   112,  128,  192,  224,
                                           256,  320,  384,  448,  512,  576,  640,  768,
                                           960,  1024, 1152, 1280, 1344, 1408, 1411, 1472,
                                           1536, 1920, 2048, 3072, 3840, 0,    65535, 1};

// Rates used for the duration; 0 where the code names no fixed rate.
constexpr double DTSExactRates[32] = {32,   56,   64,   96,   112,  128,  192,     224,
                                      256,  320,  384,  448,  512,  576,  640,     754.5,
                                      960,  1024, 1152, 1280, 1344, 1408, 1411,    1472,
                                      1509.75, 1920, 2048, 3072, 3840, 0,  0,       0};

std::int32_t ChannelsOf(unsigned arrangement)
{
    if (arrangement == 0)
        return 1;
    if (arrangement <= 4)
        return 2;
    if (arrangement <= 6)
        return 3;
    if (arrangement <= 8)
        return 4;
    if (arrangement == 9)
        return 5;
    if (arrangement <= 12)
        return 6;
    if (arrangement == 13)
        return 7;
    if (arrangement <= 15)
        return 8;
    return 0; // user-defined arrangements
}

std::int32_t SampleRateOf(unsigned code)
{
    switch (code) {
    case 1: return 8000;
    case 2: return 16000;
    case 3: return 32000;
    case 6: return 11025;
    case 7: return 22050;
    case 8: return 44100;
    case 11: return 12000;
    case 12: return 24000;
    case 13: return 48000;
    default: return 0;
    }
}

constexpr std::int32_t DTSBits[8] = {16, 16, 20, 20, 24, 24, 16, 16};
} // namespace

TDTS::TDTS()
{
    ResetData();
}

TDTS::~TDTS() = default;

void TDTS::ResetData()
{
    FFileSize = 0;
    FValid = false;
    FChannels = 0;
    FBits = 0;
    FSampleRate = 0;
    FBitRate = 0;
    FDuration = 0;
}

bool TDTS::ReadFromFile(const std::string &fileName)
{
    ResetData();
    TAudioFileStream stream;
    if (!stream.Open(fileName)) {
        // A pipe, a device or a folder holds no stream, and is never waited for.
        if (stream.NotRegular())
            return false;
        throw EDTSError(fileName, stream.Error());
    }

    // Sync word in bytes 0-3, the fields used in bytes 7-14; bytes past the end read as 0.
    std::uint8_t header[15];
    std::size_t got = 0;
    if (!stream.ReadAt(0, header, sizeof header, &got))
        throw EDTSError(fileName, stream.Error());
    if (got < 4 || header[0] != 0x7F || header[1] != 0xFE || header[2] != 0x80 || header[3] != 0x01)
        return false;

    FFileSize = stream.Size();
    FValid = true;
    unsigned w78 = audioinfo::GetBE16(header + 7);
    unsigned w89 = audioinfo::GetBE16(header + 8);
    unsigned w1314 = audioinfo::GetBE16(header + 13);
    FChannels = ChannelsOf((w78 >> 6) & 63);
    FSampleRate = SampleRateOf((w78 >> 2) & 15);
    unsigned rateCode = (w89 >> 5) & 31;
    FBitRate = DTSBitRates[rateCode];
    FBits = DTSBits[(w1314 >> 6) & 7];
    double exact = DTSExactRates[rateCode];
    FDuration = exact > 0 ? double(FFileSize) * 8 / 1000 / exact : 0;
    return true;
}
