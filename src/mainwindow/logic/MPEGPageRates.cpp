#include "MPEGPageRates.h"

#include <iterator>

int AC3BitrateOfPosition(int position)
{
    static const int rates[] = {32,  40,  48,  56,  64,  80,  96,  112, 128, 160,
                                192, 224, 256, 320, 384, 448, 512, 576, 640};
    return position >= 0 && position < int(std::size(rates)) ? rates[position] : 0;
}

int MP2BitrateOfPosition(int position)
{
    static const int rates[] = {64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    return position >= 0 && position < int(std::size(rates)) ? rates[position] : 0;
}

int MP3ConstantBitrate(int rate)
{
    static const int rates[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256};
    for (int r : rates) {
        if (rate <= r)
            return r;
    }
    return 320;
}
