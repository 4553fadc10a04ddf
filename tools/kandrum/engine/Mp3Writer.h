// MP3 output through the LAME library, with every option the LAME block can carry.
#pragma once

#include "Engine.h"

#include <lame/lame.h>

#include <optional>

namespace kandrum {

struct Mp3Options {
    enum Mode { Cbr, Abr, Vbr } mode = Cbr;
    int bitrateKbps = 128;
    int vbrQuality = 4;
    bool vbrNew = false;
    int vbrMinKbps = 0;
    int quality = -1;              // algorithm quality 0 (best) .. 9, -1: the library's default
    bool swapBytes = false;
    bool noAth = false, athOnly = false, athShort = false, experimentalY = false;
    bool errorProtection = false;
    std::optional<int> athType;
    int lowpassHz = 0;
    int outRate = 0;
    bool writeTags = true;
};

class Mp3Writer {
public:
    Mp3Writer(const std::string &path, int rate, int channels, const Mp3Options &o, AVDictionary *tags);
    ~Mp3Writer();
    // Planar float samples, one plane per channel.
    void Write(const float *const *planes, int count);
    void Finish();

private:
    void Put(const unsigned char *data, int size);
    lame_global_flags *gfp_ = nullptr;
    FILE *file_ = nullptr;
    int channels_;
    bool swap_;
    std::vector<unsigned char> buf_;
    std::vector<short> pcm_;
    std::string path_;
};

}  // namespace kandrum
