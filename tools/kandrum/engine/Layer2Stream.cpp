#include "Layer2Stream.h"

#include <algorithm>
#include <cstdlib>

namespace kandrum {

namespace {

constexpr int kMpeg1Rates[] = {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
constexpr int kMpeg2Rates[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
constexpr int kMpeg1SampleRates[] = {32000, 44100, 48000};
constexpr int kMpeg2SampleRates[] = {16000, 22050, 24000};

template <size_t N>
bool Contains(const int (&list)[N], int v)
{
    return std::find(std::begin(list), std::end(list), v) != std::end(list);
}

// The sample rate nearest to `rate` among those that carry `kbps` with `channels`; 0 for none.
int NearestSampleRate(int kbps, int channels, int rate)
{
    int best = 0;
    auto consider = [&](int candidate) {
        long d = std::labs(long(candidate) - rate), bestD = std::labs(long(best) - rate);
        if (best == 0 || d < bestD || (d == bestD && candidate > best))
            best = candidate;
    };
    if (Layer2Carries(2, channels, kbps))
        for (int r : kMpeg2SampleRates)
            consider(r);
    if (Layer2Carries(1, channels, kbps))
        for (int r : kMpeg1SampleRates)
            consider(r);
    return best;
}

}  // namespace

bool Layer2Carries(int mpegVersion, int channels, int kbps)
{
    if (channels != 1 && channels != 2)
        return false;
    if (mpegVersion == 2)
        return Contains(kMpeg2Rates, kbps);
    if (mpegVersion != 1 || !Contains(kMpeg1Rates, kbps))
        return false;
    if (channels == 1)
        return kbps <= 192;
    return kbps != 32 && kbps != 48 && kbps != 56 && kbps != 80;
}

Layer2Stream ChooseLayer2Stream(int kbps, int channels, int sampleRate, bool monoMode)
{
    Layer2Stream s;
    if (!Contains(kMpeg1Rates, kbps) && !Contains(kMpeg2Rates, kbps)) {
        s.error = "MPEG audio layer II has no bit rate of " + std::to_string(kbps) + " kbit/s";
        return s;
    }
    int want = monoMode || channels <= 1 ? 1 : 2;
    int rate = NearestSampleRate(kbps, want, sampleRate);
    if (rate == 0 && want == 1 && !monoMode) {
        want = 2;
        rate = NearestSampleRate(kbps, want, sampleRate);
    }
    if (rate == 0) {
        s.error = want == 1 ? "MPEG audio layer II allows at most 192 kbit/s in mono"
                            : "MPEG audio layer II does not allow " + std::to_string(kbps) +
                                  " kbit/s for two channels";
        return s;
    }
    s.channels = want;
    s.sampleRate = rate;
    s.mpegVersion = Contains(kMpeg1SampleRates, rate) ? 1 : 2;
    return s;
}

}  // namespace kandrum
