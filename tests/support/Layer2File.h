#pragma once

// What an MPEG audio layer II file holds, read twice: by the program's own MPEG audio reader
// (the first frame's figures) and by a walk over every frame header to the end of the file, each
// header checked against what layer II allows.

#include "MPEGaudio.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

struct Layer2File {
    // The program's reader.
    bool valid = false;            // read, and Valid()
    int layer = MPEG_LAYER_UNKNOWN;
    int version = MPEG_VERSION_UNKNOWN;
    int channels = 0;              // 1 for the mono channel mode, else 2
    int sampleRate = 0;
    int bitRate = 0;               // kbit/s
    // The walk over the frames.
    int frames = 0;
    std::set<int> frameRates;      // the kbit/s of the frames
    std::string fault;             // empty: every frame is a layer II frame that its version and
                                   // mode allow, the versions, sample rates and channels agree, and the
                                   // frames reach the end of the file
};

inline Layer2File ReadLayer2File(const std::string &path)
{
    Layer2File r;
    TMPEGaudio reader;
    if (!reader.ReadFromFile(path) || !reader.Valid()) {
        r.fault = "the MPEG audio reader finds no valid stream";
        return r;
    }
    const TFrameData &first = reader.Frame();
    r.valid = true;
    r.layer = first.LayerID;
    r.version = first.VersionID;
    r.channels = first.ModeID == MPEG_CM_MONO ? 1 : 2;
    r.sampleRate = reader.SampleRate();
    r.bitRate = reader.BitRate();

    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    static const int mpeg1Rates[16] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0};
    static const int mpeg2Rates[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
    static const int mpeg1SampleRates[4] = {44100, 48000, 32000, 0};
    static const int mpeg2SampleRates[4] = {22050, 24000, 16000, 0};
    size_t end = d.size();
    if (end >= 128 && d[end - 128] == 'T' && d[end - 127] == 'A' && d[end - 126] == 'G')
        end -= 128; // an ID3v1 tag
    size_t pos = size_t(first.Position);
    auto fail = [&](const std::string &why) {
        r.fault = why + " at byte " + std::to_string(pos);
        return r;
    };
    while (pos < end) {
        if (pos + 4 > end)
            return fail("a cut frame header");
        const unsigned char *h = &d[pos];
        if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0)
            return fail("no frame header");
        const int version = (h[1] >> 3) & 3, layer = (h[1] >> 1) & 3;
        const int rateIndex = h[2] >> 4, sampleIndex = (h[2] >> 2) & 3, padding = (h[2] >> 1) & 1;
        const int mode = h[3] >> 6;
        if (layer != MPEG_LAYER_II)
            return fail("a frame of another layer");
        if (version != MPEG_VERSION_1 && version != MPEG_VERSION_2)
            return fail("a frame of neither MPEG-1 nor MPEG-2");
        // Joint stereo may write a frame in plain stereo; the channel count stays.
        if (version != r.version || (mode == MPEG_CM_MONO) != (first.ModeID == MPEG_CM_MONO)
            || sampleIndex != first.SampleRateID)
            return fail("a frame whose version, channels or sample rate differ from the first");
        const int kbps = (version == MPEG_VERSION_1 ? mpeg1Rates : mpeg2Rates)[rateIndex];
        const int hz = (version == MPEG_VERSION_1 ? mpeg1SampleRates : mpeg2SampleRates)[sampleIndex];
        if (kbps == 0 || hz == 0)
            return fail("a free-format or reserved bit rate or sample rate");
        if (version == MPEG_VERSION_1 && mode == MPEG_CM_MONO && kbps > 192)
            return fail(std::to_string(kbps) + " kbit/s in a mono MPEG-1 frame");
        if (version == MPEG_VERSION_1 && mode != MPEG_CM_MONO && (kbps == 32 || kbps == 48 || kbps == 56 || kbps == 80))
            return fail(std::to_string(kbps) + " kbit/s in a two-channel MPEG-1 frame");
        r.frameRates.insert(kbps);
        ++r.frames;
        pos += size_t(144 * kbps * 1000 / hz + padding);
    }
    if (pos != end)
        return fail("the last frame reaches beyond the file");
    return r;
}
