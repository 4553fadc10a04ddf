// Which MPEG audio layer II stream carries a bit rate: the channel count and sample rate that
// the layer II encoder blocks write for a chosen rate, a signal's channels and its sample rate.
#pragma once

#include <string>

namespace kandrum {

// MPEG-1 layer II (32, 44.1 and 48 kHz) has 32 to 384 kbit/s, but one channel allows at most
// 192 and two channels refuse 32, 48, 56 and 80. MPEG-2 layer II at half the sample rate
// (16, 22.05 and 24 kHz) has 8 to 160 kbit/s for one or two channels.
bool Layer2Carries(int mpegVersion, int channels, int kbps);

struct Layer2Stream {
    int channels = 0;      // 1 or 2
    int sampleRate = 0;    // Hz
    int mpegVersion = 0;   // 1 or 2
    std::string error;     // set when no layer II stream carries the rate
};

// The stream for `kbps` from a signal of `channels` channels (more than two are mixed down to
// two) at `sampleRate` Hz. `monoMode` asks for one channel whatever the signal has.
//   - The signal's channels are kept where some layer II sample rate carries the rate with
//     them; a mono signal whose rate one channel cannot carry is written as two channels,
//     unless one channel was asked for: then no stream carries it.
//   - The signal's sample rate is kept where it carries the rate; otherwise the nearest one
//     that does is taken (the higher one of two as near).
Layer2Stream ChooseLayer2Stream(int kbps, int channels, int sampleRate, bool monoMode);

}  // namespace kandrum
