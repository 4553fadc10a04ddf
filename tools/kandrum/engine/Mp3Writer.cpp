#include "Mp3Writer.h"

#include <cmath>
#include <cstring>

namespace kandrum {

Mp3Writer::Mp3Writer(const std::string &path, int rate, int channels, const Mp3Options &o, AVDictionary *tags)
    : channels_(channels), swap_(o.swapBytes), path_(path)
{
    gfp_ = lame_init();
    if (!gfp_)
        throw JobError("cannot start the MP3 encoder");
    lame_set_in_samplerate(gfp_, rate);
    lame_set_num_channels(gfp_, channels);
    lame_set_mode(gfp_, channels == 1 ? MONO : JOINT_STEREO);
    switch (o.mode) {
    case Mp3Options::Cbr:
        lame_set_VBR(gfp_, vbr_off);
        lame_set_brate(gfp_, o.bitrateKbps);
        break;
    case Mp3Options::Abr:
        lame_set_VBR(gfp_, vbr_abr);
        lame_set_VBR_mean_bitrate_kbps(gfp_, o.bitrateKbps);
        break;
    case Mp3Options::Vbr:
        lame_set_VBR(gfp_, o.vbrNew ? vbr_mtrh : vbr_rh);
        lame_set_VBR_q(gfp_, o.vbrQuality);
        if (o.vbrMinKbps > 0)
            lame_set_VBR_min_bitrate_kbps(gfp_, o.vbrMinKbps);
        break;
    }
    if (o.quality >= 0)
        lame_set_quality(gfp_, o.quality);
    if (o.errorProtection)
        lame_set_error_protection(gfp_, 1);
    if (o.lowpassHz > 0)
        lame_set_lowpassfreq(gfp_, o.lowpassHz);
    if (o.outRate > 0)
        lame_set_out_samplerate(gfp_, o.outRate);
    if (o.noAth)
        lame_set_noATH(gfp_, 1);
    if (o.athOnly)
        lame_set_ATHonly(gfp_, 1);
    if (o.athShort)
        lame_set_ATHshort(gfp_, 1);
    if (o.athType)
        lame_set_ATHtype(gfp_, *o.athType);
    if (o.experimentalY)
        lame_set_experimentalY(gfp_, 1);
    lame_set_bWriteVbrTag(gfp_, 1);
    if (o.writeTags && tags) {
        id3tag_init(gfp_);
        // The input's tags and the ID3 fields they go into.
        static const struct {
            const char *key;
            void (*set)(lame_t, const char *);
        } fields[] = {
            {"title", id3tag_set_title},
            {"artist", id3tag_set_artist},
            {"album", id3tag_set_album},
            {"date", id3tag_set_year},
            {"comment", id3tag_set_comment},
            {"track", [](lame_t gfp, const char *v) { id3tag_set_track(gfp, v); }},
            {"genre", [](lame_t gfp, const char *v) { id3tag_set_genre(gfp, v); }},
        };
        for (const auto &f : fields)
            if (AVDictionaryEntry *e = av_dict_get(tags, f.key, nullptr, AV_DICT_IGNORE_SUFFIX))
                f.set(gfp_, e->value);
    }
    if (lame_init_params(gfp_) < 0)
        throw JobError("the MP3 encoder refuses these settings (rate " + std::to_string(rate) + " Hz, " +
                       std::to_string(channels) + " channels)");
    file_ = fopen(path.c_str(), "w+b");
    if (!file_)
        throw JobError("cannot write the output file: " + std::string(std::strerror(errno)));
}

Mp3Writer::~Mp3Writer()
{
    if (file_)
        fclose(file_);
    if (gfp_)
        lame_close(gfp_);
}

void Mp3Writer::Put(const unsigned char *data, int size)
{
    if (size < 0)
        throw JobError("the MP3 encoder failed (" + std::to_string(size) + ")");
    if (size > 0 && fwrite(data, 1, size_t(size), file_) != size_t(size))
        throw JobError("cannot write the output file: " + std::string(std::strerror(errno)));
}

void Mp3Writer::Write(const float *const *planes, int count)
{
    buf_.resize(size_t(count) * 5 / 4 + 7200);
    int got;
    if (swap_) {
        // Byte-swapped input, as the encoder's swap switch asks for.
        pcm_.resize(size_t(count) * 2);
        for (int c = 0; c < channels_; ++c)
            for (int i = 0; i < count; ++i) {
                float f = std::fmax(-1.0f, std::fmin(1.0f, planes[c][i]));
                auto s = uint16_t(int16_t(std::lrint(f * 32767.0f)));
                pcm_[size_t(c) * count + i] = short(uint16_t((s >> 8) | (s << 8)));
            }
        got = lame_encode_buffer(gfp_, pcm_.data(), channels_ > 1 ? pcm_.data() + count : pcm_.data(), count,
                                 buf_.data(), int(buf_.size()));
    } else {
        got = lame_encode_buffer_ieee_float(gfp_, planes[0], channels_ > 1 ? planes[1] : planes[0], count,
                                            buf_.data(), int(buf_.size()));
    }
    Put(buf_.data(), got);
}

void Mp3Writer::Finish()
{
    buf_.resize(7200 * 2);
    Put(buf_.data(), lame_encode_flush(gfp_, buf_.data(), int(buf_.size())));
    fflush(file_);
    lame_mp3_tags_fid(gfp_, file_);
    if (fflush(file_) != 0 || ferror(file_))
        throw JobError("cannot write the output file: " + std::string(std::strerror(errno)));
    fclose(file_);
    file_ = nullptr;
}

}  // namespace kandrum
