#include "Transcoder.h"

#include "Layer2Stream.h"
#include "Mp3Writer.h"
#include "Processing.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

namespace kandrum {

namespace {

std::string Num(double v) { return FilterNumber(v); }

std::string LayoutText(const AVChannelLayout &l)
{
    char buf[128];
    av_channel_layout_describe(&l, buf, sizeof buf);
    return buf;
}

// ---- processing chain ----------------------------------------------------------

struct ChainItem {
    std::string filter;   // a filter description, or empty for a peak stage
    bool peak = false;    // gain that brings the peak measured here to `target`
    double target = 1.0;
};

struct Chain {
    std::vector<ChainItem> items;
    int rate = 0;            // sample rate at the end of the chain
    int channels = 0;        // channel count at the end of the chain
    AVChannelLayout layout{};
};

bool HasChannel(const AVChannelLayout &l, AVChannel ch)
{
    return av_channel_layout_index_from_channel(&l, ch) >= 0;
}

void Add(Chain &c, const std::string &filter) { c.items.push_back({filter, false, 1.0}); }
void AddPeak(Chain &c, double target) { c.items.push_back({"", true, target}); }

std::vector<double> ReadEqualizerPreset(const std::string &name)
{
    std::string path = name;
    if (!FileExists(path) && name.find('/') == std::string::npos)
        path = ProgramFolder() + name;
    if (!FileExists(path))
        throw JobError("equaliser preset file \"" + name + "\" not found", 2);
    std::ifstream in(path);
    std::vector<double> gains;
    std::string line;
    while (std::getline(in, line)) {
        auto hash = line.find_first_of("#;");
        if (hash != std::string::npos)
            line.resize(hash);
        for (char &ch : line)
            if (ch == ',' || ch == '=' || ch == '\t' || ch == '\r')
                ch = ' ';
        std::istringstream words(line);
        std::string w;
        while (words >> w) {
            char *end = nullptr;
            double d = std::strtod(w.c_str(), &end);
            if (!end || *end || d < -20 || d > 20)
                throw JobError("equaliser preset file \"" + name + "\" holds \"" + w +
                               "\", not a gain between -20 and 20 dB", 2);
            gains.push_back(d);
        }
    }
    if (gains.size() != 18)
        throw JobError("equaliser preset file \"" + name + "\" must hold 18 band gains, it holds " +
                       std::to_string(gains.size()), 2);
    return gains;
}

bool UsesAc3MuxOrder(const KandrumCommand &cmd)
{
    if (!cmd.encoder)
        return false;
    auto k = cmd.encoder->kind;
    return k == EncoderKind::Ac3Enc || k == EncoderKind::Aften || k == EncoderKind::Vorbis;
}

Chain BuildChain(const KandrumCommand &cmd, const Source &src)
{
    Chain c;
    c.rate = src.sampleRate();
    av_channel_layout_copy(&c.layout, &src.layout());

    if (const auto &a = cmd.azid) {
        if (a->dialogNormalisation) {
            int level = ReadAc3DialogueLevel(cmd.core.input);
            if (level > 0 && level < 31)
                Add(c, "volume=" + Num(level - 31) + "dB");
        }
        if (!a->compression.empty()) {
            static const std::pair<const char *, const char *> curves[] = {
                {"light", "-90/-90|-30/-26|-10/-8|0/-2"},
                {"normal", "-90/-90|-40/-30|-20/-15|0/-5"},
                {"heavy", "-90/-90|-50/-30|-20/-12|0/-8"},
                {"inverse", "-90/-100|-40/-46|-20/-20|0/0"},
            };
            for (auto &cv : curves)
                if (a->compression == cv.first)
                    Add(c, std::string("compand=attacks=0.01:decays=0.3:points=") + cv.second);
        }
        if (a->rearFilter) {
            std::string chans;
            for (AVChannel ch : {AV_CHAN_SIDE_LEFT, AV_CHAN_SIDE_RIGHT, AV_CHAN_BACK_LEFT, AV_CHAN_BACK_RIGHT})
                if (HasChannel(c.layout, ch)) {
                    char name[16];
                    av_channel_name(name, sizeof name, ch);
                    chans += (chans.empty() ? "" : "|") + std::string(name);
                }
            if (!chans.empty())
                Add(c, "lowpass=f=7000:channels=" + chans);
        }
        double lfeGain = a->lfeDb ? std::pow(10.0, *a->lfeDb / 20) : 0.0;
        if (!a->downmix.empty()) {
            std::string enc = a->downmix == "dpl" ? ":matrix_encoding=dolby"
                              : a->downmix == "dplii" ? ":matrix_encoding=dplii" : "";
            bool mono = a->downmix == "mono";
            Add(c, "aresample=lfe_mix_level=" + Num(lfeGain) + enc);
            Add(c, std::string("aformat=channel_layouts=") + (mono ? "mono" : "stereo"));
            av_channel_layout_uninit(&c.layout);
            av_channel_layout_default(&c.layout, mono ? 1 : 2);
        } else if (a->lfeDb && HasChannel(c.layout, AV_CHAN_LOW_FREQUENCY) &&
                   HasChannel(c.layout, AV_CHAN_FRONT_LEFT) && HasChannel(c.layout, AV_CHAN_FRONT_RIGHT)) {
            std::string pan = "pan=" + LayoutText(c.layout);
            for (int i = 0; i < c.layout.nb_channels; ++i) {
                char name[16];
                AVChannel ch = av_channel_layout_channel_from_index(&c.layout, unsigned(i));
                av_channel_name(name, sizeof name, ch);
                pan += "|" + std::string(name) + "=" + name;
                if (ch == AV_CHAN_FRONT_LEFT || ch == AV_CHAN_FRONT_RIGHT)
                    pan += "+" + Num(lfeGain) + "*LFE";
            }
            Add(c, pan);
        }
        if (a->maximize)
            AddPeak(c, 1.0);
        else if (a->normalisePeak)
            AddPeak(c, *a->normalisePeak);
        if (a->gainDb)
            Add(c, "volume=" + Num(*a->gainDb) + "dB");
    }

    if (cmd.equalizer) {
        auto gains = ReadEqualizerPreset(cmd.equalizer->presetFile);
        std::string f = "superequalizer=";
        for (size_t i = 0; i < gains.size(); ++i)
            f += (i ? ":" : "") + std::to_string(i + 1) + "b=" + Num(std::pow(10.0, gains[i] / 20));
        Add(c, f);
    }

    if (const auto &o = cmd.ota) {
        if (o->delayMs && *o->delayMs > 0)
            Add(c, "adelay=delays=" + Num(*o->delayMs) + ":all=1");
        else if (o->delayMs && *o->delayMs < 0)
            Add(c, "atrim=start=" + Num(-*o->delayMs / 1000) + ",asetpts=N/SR/TB");
        if (o->gainMode == GainMode::Hybrid)
            Add(c, "dynaudnorm=f=500:g=31:p=0.95:m=10");
        else if (o->gainMode == GainMode::Pre)
            AddPeak(c, 1.0);
        if (o->appendMs && *o->appendMs > 0)
            Add(c, "apad=pad_dur=" + Num(*o->appendMs / 1000));
        if (o->frameRate)
            Add(c, TempoFilters(o->frameRate->second / o->frameRate->first));
    }

    if (const auto &s = cmd.split) {
        std::string f = "atrim=";
        if (s->start)
            f += "start=" + Num(*s->start);
        if (s->end)
            f += std::string(s->start ? ":" : "") + "end=" + Num(*s->end);
        Add(c, f + ",asetpts=N/SR/TB");
    }

    if (cmd.resampleRate) {
        Add(c, "aresample=" + std::to_string(*cmd.resampleRate));
        c.rate = *cmd.resampleRate;
    }

    if (const auto &b = cmd.boost)
        Add(c, "volume=" + Num(b->gainDb) + "dB,alimiter=limit=" + Num(b->limit) + ":level=0");

    if (cmd.encoder && cmd.encoder->kind == EncoderKind::Speex) {
        if (cmd.encoder->denoise)
            Add(c, "afftdn");
        if (cmd.encoder->agc)
            Add(c, "dynaudnorm=f=250:g=15");
    }

    if (const auto &t = cmd.soundTouch) {
        // The command line names a frame-rate conversion of a non-WAV input in both the gain
        // and the tempo block; it is one conversion and is made once, in the gain block.
        bool sameAsGainBlock = t->frameRate && cmd.ota && cmd.ota->frameRate == t->frameRate;
        for (const std::string &f : SoundTouchFilters(*t, c.rate, sameAsGainBlock))
            Add(c, f);
    }

    if (cmd.ota && cmd.ota->gainMode == GainMode::Post)
        AddPeak(c, cmd.ota->postTarget);

    c.channels = c.layout.nb_channels;
    return c;
}

// ---- filter graph --------------------------------------------------------------

// ---- outputs -------------------------------------------------------------------

class Sink {
public:
    virtual ~Sink() = default;
    virtual std::string Format() const = 0;   // the aformat that ends the chain
    virtual void Open(AVFilterContext *sink) = 0;
    virtual int FrameSize() const { return 0; }
    virtual void Write(AVFrame *frame) = 0;
    virtual void Finish() = 0;
};

std::string AFormat(AVSampleFormat fmt, int rate, const AVChannelLayout &layout)
{
    return std::string("aformat=sample_fmts=") + av_get_sample_fmt_name(fmt) + ":sample_rates=" +
           std::to_string(rate) + ":channel_layouts=" + LayoutText(layout);
}

int ChooseRate(const AVCodec *codec, int rate)
{
    const int *r = codec->supported_samplerates;
    if (!r)
        return rate;
    int best = 0, highest = 0;
    for (; *r; ++r) {
        if (*r == rate)
            return rate;
        highest = std::max(highest, *r);
        if (*r > rate && (best == 0 || *r < best))
            best = *r;
    }
    return best ? best : highest;
}

void ChooseLayout(const AVCodec *codec, int channels, AVChannelLayout &out)
{
    av_channel_layout_uninit(&out);
    AVChannelLayout want{};
    av_channel_layout_default(&want, channels);
    if (channels == 6)
        av_channel_layout_from_mask(&want, AV_CH_LAYOUT_5POINT1);
    if (codec && codec->ch_layouts) {
        const AVChannelLayout *same = nullptr;
        for (const AVChannelLayout *l = codec->ch_layouts; l->nb_channels; ++l) {
            if (av_channel_layout_compare(l, &want) == 0) {
                same = l;
                break;
            }
            if (!same && l->nb_channels == channels)
                same = l;
        }
        if (same) {
            av_channel_layout_copy(&out, same);
            av_channel_layout_uninit(&want);
            return;
        }
    }
    out = want;
}

// Patches the MPEG version bit of every ADTS header: 1 for MPEG-2.
void MarkAdtsMpeg2(const std::string &path)
{
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    std::vector<unsigned char> d((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    size_t pos = 0;
    while (pos + 7 <= d.size() && d[pos] == 0xFF && (d[pos + 1] & 0xF0) == 0xF0) {
        d[pos + 1] |= 0x08;
        size_t len = (size_t(d[pos + 3] & 3) << 11) | (size_t(d[pos + 4]) << 3) | (d[pos + 5] >> 5);
        if (len < 7)
            break;
        pos += len;
    }
    f.clear();
    f.seekp(0);
    f.write(reinterpret_cast<const char *>(d.data()), std::streamsize(d.size()));
    if (!f)
        throw JobError("cannot write the output file");
}

// Swaps the bytes of every 16-bit word: AC-3 in Intel byte order.
void SwapWords(const std::string &path)
{
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    std::vector<char> d((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    for (size_t i = 0; i + 1 < d.size(); i += 2)
        std::swap(d[i], d[i + 1]);
    f.clear();
    f.seekp(0);
    f.write(d.data(), std::streamsize(d.size()));
    if (!f)
        throw JobError("cannot write the output file");
}

// A libavcodec encoder and a libavformat muxer.
class LibavSink : public Sink {
public:
    struct Setup {
        std::string codec;
        std::string muxer;
        int rate = 0;
        int channels = 2;
        AVSampleFormat fmt = AV_SAMPLE_FMT_NONE;   // NONE: the encoder's first format
        int64_t bitRate = 0;
        int64_t minRate = 0, maxRate = 0;
        int globalQuality = -1;                    // >=0: quality mode (qscale)
        bool qualityMode = false;                  // quality mode also for a negative quality
        int compressionLevel = -1;
        int cutoff = 0;
        int profile = FF_PROFILE_UNKNOWN;
        std::vector<std::pair<std::string, std::string>> codecOptions;
        std::vector<std::pair<std::string, std::string>> muxerOptions;
        AVDictionary *metadata = nullptr;
        bool wavWrap = false;                      // write a WAV header around the muxer's output
    };

    LibavSink(const std::string &path, Setup s) : path_(path), s_(std::move(s))
    {
        codec_ = avcodec_find_encoder_by_name(s_.codec.c_str());
        if (!codec_)
            throw JobError("the encoder \"" + s_.codec + "\" is not available");
        if (s_.fmt == AV_SAMPLE_FMT_NONE)
            s_.fmt = codec_->sample_fmts ? codec_->sample_fmts[0] : AV_SAMPLE_FMT_S16;
        s_.rate = ChooseRate(codec_, s_.rate);
        ChooseLayout(codec_, s_.channels, layout_);
    }
    ~LibavSink() override
    {
        if (oc_) {
            if (oc_->pb)
                avio_closep(&oc_->pb);
            avformat_free_context(oc_);
        }
        avcodec_free_context(&enc_);
        av_packet_free(&pkt_);
        av_frame_free(&pad_);
        av_channel_layout_uninit(&layout_);
    }

    std::string Format() const override { return AFormat(s_.fmt, s_.rate, layout_); }
    const AVChannelLayout &layout() const { return layout_; }
    AVSampleFormat format() const { return s_.fmt; }
    int rate() const { return s_.rate; }

    void Open(AVFilterContext *) override { OpenEncoder(); }

    void OpenEncoder()
    {
        enc_ = avcodec_alloc_context3(codec_);
        enc_->sample_rate = s_.rate;
        enc_->sample_fmt = s_.fmt;
        av_channel_layout_copy(&enc_->ch_layout, &layout_);
        enc_->time_base = AVRational{1, s_.rate};
        if (s_.bitRate > 0)
            enc_->bit_rate = s_.bitRate;
        if (s_.minRate > 0)
            enc_->rc_min_rate = s_.minRate;
        if (s_.maxRate > 0)
            enc_->rc_max_rate = s_.maxRate;
        if (s_.globalQuality >= 0 || s_.qualityMode) {
            enc_->flags |= AV_CODEC_FLAG_QSCALE;
            enc_->global_quality = s_.globalQuality;
        }
        if (s_.compressionLevel >= 0)
            enc_->compression_level = s_.compressionLevel;
        if (s_.cutoff > 0)
            enc_->cutoff = s_.cutoff;
        if (s_.profile != FF_PROFILE_UNKNOWN)
            enc_->profile = s_.profile;
        int err = avformat_alloc_output_context2(&oc_, nullptr, s_.muxer.c_str(), path_.c_str());
        if (err < 0 || !oc_)
            throw JobError("cannot write the format \"" + s_.muxer + "\": " + AvErrorText(err));
        if (oc_->oformat->flags & AVFMT_GLOBALHEADER)
            enc_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        AVDictionary *opts = nullptr;
        for (auto &o : s_.codecOptions)
            av_dict_set(&opts, o.first.c_str(), o.second.c_str(), 0);
        err = avcodec_open2(enc_, codec_, &opts);
        if (err >= 0 && av_dict_count(opts) > 0) {
            std::string name = av_dict_get(opts, "", nullptr, AV_DICT_IGNORE_SUFFIX)->key;
            av_dict_free(&opts);
            throw JobError("the encoder \"" + s_.codec + "\" has no option \"" + name + "\"");
        }
        av_dict_free(&opts);
        if (err < 0)
            throw JobError("the encoder \"" + s_.codec + "\" refuses these settings: " + AvErrorText(err));
        AVStream *st = avformat_new_stream(oc_, nullptr);
        avcodec_parameters_from_context(st->codecpar, enc_);
        st->time_base = enc_->time_base;
        if (s_.metadata)
            av_dict_copy(&oc_->metadata, s_.metadata, 0);
        err = avio_open(&oc_->pb, path_.c_str(), AVIO_FLAG_WRITE);
        if (err < 0)
            throw JobError("cannot write the output file: " + AvErrorText(err));
        if (s_.wavWrap)
            WriteWavHeader(0);
        AVDictionary *mopts = nullptr;
        for (auto &o : s_.muxerOptions)
            av_dict_set(&mopts, o.first.c_str(), o.second.c_str(), 0);
        err = avformat_write_header(oc_, &mopts);
        av_dict_free(&mopts);
        if (err < 0)
            throw JobError("cannot write the output file: " + AvErrorText(err));
        pkt_ = av_packet_alloc();
    }

    int FrameSize() const override
    {
        return (codec_->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) ? 0 : enc_->frame_size;
    }

    void Write(AVFrame *frame) override
    {
        int fs = FrameSize();
        if (fs > 0 && frame->nb_samples < fs && !(codec_->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME)) {
            // The last, short frame is padded with silence for encoders that need whole frames.
            if (!pad_)
                pad_ = av_frame_alloc();
            av_frame_unref(pad_);
            pad_->format = frame->format;
            pad_->sample_rate = frame->sample_rate;
            av_channel_layout_copy(&pad_->ch_layout, &frame->ch_layout);
            pad_->nb_samples = fs;
            av_frame_get_buffer(pad_, 0);
            av_samples_set_silence(pad_->extended_data, 0, fs, frame->ch_layout.nb_channels,
                                   AVSampleFormat(frame->format));
            av_samples_copy(pad_->extended_data, frame->extended_data, 0, 0, frame->nb_samples,
                            frame->ch_layout.nb_channels, AVSampleFormat(frame->format));
            frame = pad_;
        }
        frame->pts = samples_;
        samples_ += frame->nb_samples;
        Send(frame);
    }

    void Finish() override
    {
        Send(nullptr);
        int err = av_write_trailer(oc_);
        if (err < 0)
            throw JobError("cannot finish the output file: " + AvErrorText(err));
        if (s_.wavWrap) {
            int64_t end = avio_tell(oc_->pb);
            avio_seek(oc_->pb, 0, SEEK_SET);
            WriteWavHeader(end - 44);
            avio_seek(oc_->pb, end, SEEK_SET);
        }
        avio_flush(oc_->pb);
        err = oc_->pb->error;
        avio_closep(&oc_->pb);
        if (err < 0)
            throw JobError("cannot write the output file: " + AvErrorText(err));
    }

private:
    void Send(AVFrame *frame)
    {
        int err = avcodec_send_frame(enc_, frame);
        if (err < 0)
            throw JobError("the encoder \"" + s_.codec + "\" failed at " + std::to_string(s_.rate) + " Hz, " +
                           std::to_string(layout_.nb_channels) + " channels" +
                           (s_.bitRate > 0 ? ", " + std::to_string(s_.bitRate / 1000) + " kbit/s" : std::string()) +
                           ": " + AvErrorText(err));
        for (;;) {
            err = avcodec_receive_packet(enc_, pkt_);
            if (err == AVERROR(EAGAIN) || err == AVERROR_EOF)
                return;
            if (err < 0)
                throw JobError("encoding failed: " + AvErrorText(err));
            pkt_->stream_index = 0;
            av_packet_rescale_ts(pkt_, enc_->time_base, oc_->streams[0]->time_base);
            err = av_interleaved_write_frame(oc_, pkt_);
            if (err < 0)
                throw JobError("cannot write the output file: " + AvErrorText(err));
        }
    }

    void WriteWavHeader(int64_t dataSize)
    {
        AVIOContext *pb = oc_->pb;
        avio_write(pb, reinterpret_cast<const unsigned char *>("RIFF"), 4);
        avio_wl32(pb, uint32_t(dataSize + 36));
        avio_write(pb, reinterpret_cast<const unsigned char *>("WAVEfmt "), 8);
        avio_wl32(pb, 16);
        avio_wl16(pb, 1);
        avio_wl16(pb, 2);
        avio_wl32(pb, uint32_t(s_.rate));
        avio_wl32(pb, uint32_t(s_.rate * 4));
        avio_wl16(pb, 4);
        avio_wl16(pb, 16);
        avio_write(pb, reinterpret_cast<const unsigned char *>("data"), 4);
        avio_wl32(pb, uint32_t(dataSize));
    }

    std::string path_;
    Setup s_;
    const AVCodec *codec_ = nullptr;
    AVCodecContext *enc_ = nullptr;
    AVFormatContext *oc_ = nullptr;
    AVPacket *pkt_ = nullptr;
    AVFrame *pad_ = nullptr;
    AVChannelLayout layout_{};
    int64_t samples_ = 0;
};

// Six mono files, one per channel of 5.1.
class MonoFilesSink : public Sink {
public:
    MonoFilesSink(const std::vector<std::string> &paths, int rate, bool floats)
    {
        for (const auto &p : paths) {
            LibavSink::Setup s;
            s.codec = floats ? "pcm_f32le" : "pcm_s16le";
            s.muxer = "wav";
            s.rate = rate;
            s.channels = 1;
            s.fmt = floats ? AV_SAMPLE_FMT_FLT : AV_SAMPLE_FMT_S16;
            sinks_.push_back(std::make_unique<LibavSink>(p, s));
        }
        planar_ = floats ? AV_SAMPLE_FMT_FLTP : AV_SAMPLE_FMT_S16P;
        rate_ = rate;
        mono_ = av_frame_alloc();
    }
    ~MonoFilesSink() override { av_frame_free(&mono_); }
    std::string Format() const override
    {
        AVChannelLayout l{};
        av_channel_layout_from_mask(&l, AV_CH_LAYOUT_5POINT1);
        return AFormat(planar_, rate_, l);
    }
    void Open(AVFilterContext *s) override
    {
        for (auto &k : sinks_)
            k->Open(s);
    }
    void Write(AVFrame *frame) override
    {
        int bytes = av_get_bytes_per_sample(planar_);
        for (int c = 0; c < 6; ++c) {
            av_frame_unref(mono_);
            mono_->format = av_get_packed_sample_fmt(planar_);
            mono_->sample_rate = frame->sample_rate;
            AVChannelLayout m = AV_CHANNEL_LAYOUT_MONO;
            av_channel_layout_copy(&mono_->ch_layout, &m);
            mono_->nb_samples = frame->nb_samples;
            av_frame_get_buffer(mono_, 0);
            std::memcpy(mono_->data[0], frame->extended_data[c], size_t(frame->nb_samples) * bytes);
            sinks_[c]->Write(mono_);
        }
    }
    void Finish() override
    {
        for (auto &k : sinks_)
            k->Finish();
    }

private:
    std::vector<std::unique_ptr<LibavSink>> sinks_;
    AVSampleFormat planar_;
    int rate_;
    AVFrame *mono_ = nullptr;
};

class Mp3Sink : public Sink {
public:
    Mp3Sink(const std::string &path, int rate, int channels, Mp3Options o, AVDictionary *tags)
        : path_(path), rate_(rate), channels_(channels), o_(o), tags_(tags) {}
    std::string Format() const override
    {
        AVChannelLayout l{};
        av_channel_layout_default(&l, channels_);
        return AFormat(AV_SAMPLE_FMT_FLTP, rate_, l);
    }
    void Open(AVFilterContext *) override { w_ = std::make_unique<Mp3Writer>(path_, rate_, channels_, o_, tags_); }
    void Write(AVFrame *f) override
    {
        w_->Write(reinterpret_cast<const float *const *>(f->extended_data), f->nb_samples);
    }
    void Finish() override { w_->Finish(); }

private:
    std::string path_;
    int rate_, channels_;
    Mp3Options o_;
    AVDictionary *tags_;
    std::unique_ptr<Mp3Writer> w_;
};

// Measures the peak of the processed signal.
class PeakSink : public Sink {
public:
    std::string Format() const override { return "aformat=sample_fmts=fltp"; }
    void Open(AVFilterContext *) override {}
    void Write(AVFrame *f) override
    {
        for (int c = 0; c < f->ch_layout.nb_channels; ++c) {
            const float *p = reinterpret_cast<const float *>(f->extended_data[c]);
            for (int i = 0; i < f->nb_samples; ++i)
                peak = std::max(peak, std::fabs(p[i]));
        }
    }
    void Finish() override {}
    float peak = 0;
};

// ---- the job -------------------------------------------------------------------

// The AC-3 encoder needs at least this much for six channels.
constexpr int kMinAc3SixChannelKbps = 48;

int TargetChannels(const KandrumCommand &cmd, int chainChannels)
{
    const auto &e = *cmd.encoder;
    if (e.sixChannels)
        return 6;
    bool mono = e.mono || (e.kind == EncoderKind::WinampAac && e.winampMode == 1) ||
                ((e.kind == EncoderKind::TooLame || e.kind == EncoderKind::Mp2Enc) && e.mp2Mode == 'm');
    if (mono || chainChannels == 1)
        return 1;
    return 2;
}

std::string AacMuxer(const KandrumCommand &cmd)
{
    const auto &e = *cmd.encoder;
    if (e.kind == EncoderKind::Faac)
        return e.mp4 ? "mp4" : "adts";
    std::string ext = Extension(cmd.core.output);
    return (ext == ".m4a" || ext == ".mp4") ? "mp4" : "adts";
}

struct Outputs {
    std::vector<std::unique_ptr<OutputFile>> files;
    std::unique_ptr<Sink> sink;
    bool swapWords = false;
    bool adtsMpeg2 = false;
};

Outputs MakeOutputs(const KandrumCommand &cmd, const Chain &chain, AVDictionary *tags)
{
    Outputs out;
    const std::string &path = cmd.core.output;
    AVDictionary *meta = cmd.core.noId3 ? nullptr : tags;
    if (!cmd.encoder) {
        OutputMode m = cmd.core.mode;
        if (m == OutputMode::Mono6 || m == OutputMode::Mono6Float) {
            static const char *names[6] = {"FL", "FR", "C", "LFE", "SL", "SR"};
            std::string stem = ReplaceExtension(path, "");
            std::string ext = path.substr(stem.size());
            std::vector<std::string> io;
            for (const char *n : names) {
                out.files.push_back(std::make_unique<OutputFile>(stem + "_" + n + (ext.empty() ? ".wav" : ext)));
                io.push_back(out.files.back()->ioPath());
            }
            out.sink = std::make_unique<MonoFilesSink>(io, chain.rate, m == OutputMode::Mono6Float);
            return out;
        }
        out.files.push_back(std::make_unique<OutputFile>(path));
        LibavSink::Setup s;
        s.rate = chain.rate;
        s.metadata = meta;
        switch (m) {
        case OutputMode::Aiff6BE:
        case OutputMode::Aiff6LE:
        case OutputMode::Aiff5BE:
            s.codec = m == OutputMode::Aiff6LE ? "pcm_s16le" : "pcm_s16be";
            s.muxer = "aiff";
            s.channels = m == OutputMode::Aiff5BE ? 5 : 6;  // 5.0: the full-range channels, no LFE
            break;
        case OutputMode::DDWav:
            s.codec = "ac3";
            s.muxer = "spdif";
            s.rate = 48000;
            s.channels = chain.channels >= 6 ? 6 : 2;
            s.bitRate = chain.channels >= 6 ? 448000 : 192000;
            s.wavWrap = true;
            s.metadata = nullptr;
            break;
        default:
            s.codec = "pcm_s16le";
            s.muxer = "wav";
            s.channels = m == OutputMode::Wav6ch ? 6 : m == OutputMode::Wav2ch ? 2 : chain.channels;
            break;
        }
        out.sink = std::make_unique<LibavSink>(out.files.back()->ioPath(), s);
        return out;
    }

    const EncoderBlock &e = *cmd.encoder;
    out.files.push_back(std::make_unique<OutputFile>(path));
    const std::string &io = out.files.back()->ioPath();
    int channels = TargetChannels(cmd, chain.channels);

    if (e.kind == EncoderKind::Lame) {
        Mp3Options o;
        o.mode = e.rateMode == RateMode::Cbr ? Mp3Options::Cbr
                 : e.rateMode == RateMode::Abr ? Mp3Options::Abr : Mp3Options::Vbr;
        o.bitrateKbps = e.bitrateKbps;
        o.vbrQuality = e.quality ? int(*e.quality) : 4;
        o.vbrNew = e.vbrNew;
        o.vbrMinKbps = e.minBitrateKbps;
        o.swapBytes = e.swapBytes;
        o.noAth = e.noAth;
        o.athOnly = e.athOnly;
        o.athShort = e.athShort;
        o.experimentalY = e.experimentalY;
        o.errorProtection = e.errorProtection;
        o.athType = e.athType;
        o.lowpassHz = e.lowpassKHz ? int(std::lround(*e.lowpassKHz * 1000)) : 0;
        o.outRate = e.resampleKHz ? int(std::lround(*e.resampleKHz * 1000)) : 0;
        o.writeTags = !cmd.core.noId3;
        out.sink = std::make_unique<Mp3Sink>(io, chain.rate, channels, o, tags);
        return out;
    }

    LibavSink::Setup s;
    s.rate = chain.rate;
    s.channels = channels;
    s.metadata = meta;
    switch (e.kind) {
    case EncoderKind::Aac3gpp:
    case EncoderKind::Faac:
    case EncoderKind::Nero:
    case EncoderKind::WinampAac: {
        s.codec = "aac";
        s.muxer = AacMuxer(cmd);
        if (e.rateMode == RateMode::Vbr) {
            // Quality modes drive the encoder's own quality scale; 100 (FAAC) and 0.5 (Nero)
            // land on its default.
            double lambda = e.kind == EncoderKind::Faac ? *e.quality * 1.2 : 30 + *e.quality * 180;
            s.globalQuality = int(std::lround(lambda));
        } else {
            s.bitRate = int64_t(e.bitrateKbps) * 1000;
        }
        if (e.lowpassHz > 0)
            s.cutoff = e.lowpassHz;
        if (e.speech)
            s.cutoff = 8000;
        if (e.kind == EncoderKind::Faac) {
            s.codecOptions.push_back({"aac_tns", e.tns ? "1" : "0"});
            if (e.noMidSide)
                s.codecOptions.push_back({"aac_ms", "0"});
            if (e.objectType == "Main")
                s.profile = FF_PROFILE_AAC_MAIN;
            else if (e.objectType == "LTP")
                s.profile = FF_PROFILE_AAC_LTP;
            else if (e.objectType == "LC")
                s.profile = FF_PROFILE_AAC_LOW;
        }
        if (e.kind == EncoderKind::WinampAac)
            s.codecOptions.push_back({"aac_pns", e.pns ? "1" : "0"});
        if (e.aacProfile == "lc" || e.winampFormat == "lc")
            s.profile = FF_PROFILE_AAC_LOW;
        if (e.hintForStreaming)
            s.muxerOptions.push_back({"movflags", "+faststart"});
        out.adtsMpeg2 = e.mpegVersion == 2;
        break;
    }
    case EncoderKind::Vorbis:
        s.codec = "libvorbis";
        s.muxer = "ogg";
        if (e.rateMode == RateMode::Vbr) {
            // The lowest step (-0.2) is a negative quality: the quality mode is switched on by
            // itself, not read from the sign of the quality. The Vorbis library goes down to
            // -0.1, which serves the steps below it.
            s.globalQuality = int(std::lround(std::max(*e.quality, -0.1) * 10 * FF_QP2LAMBDA));
            s.qualityMode = true;
        } else {
            s.bitRate = int64_t(e.bitrateKbps) * 1000;
            s.minRate = e.rateMode == RateMode::Cbr ? s.bitRate : int64_t(e.minKbps) * 1000;
            s.maxRate = e.rateMode == RateMode::Cbr ? s.bitRate : int64_t(e.maxKbps) * 1000;
        }
        break;
    case EncoderKind::Ac3Enc:
    case EncoderKind::Aften: {
        s.codec = "ac3";
        s.muxer = "ac3";
        int kbps = e.bitrateKbps;
        if (e.rateMode == RateMode::Vbr) {
            // A quality (0..1023) is served by the constant bit rate it stands for.
            double want = 32 + *e.quality * (640 - 32) / 1023.0;
            if (e.sixChannels)
                want = std::max(want, double(kMinAc3SixChannelKbps));
            kbps = 640;
            for (int r : kAc3BitRates)
                if (r >= want) {
                    kbps = r;
                    break;
                }
        }
        s.bitRate = int64_t(kbps) * 1000;
        out.swapWords = e.intelByteOrder;
        break;
    }
    case EncoderKind::TooLame:
    case EncoderKind::Mp2Enc: {
        s.codec = "libtwolame";
        s.muxer = "mp2";
        // The chosen rate decides the stream: a mono signal that one channel cannot carry at
        // that rate is written as two channels, a sample rate that cannot carry it is taken to
        // the nearest one that can.
        Layer2Stream st = ChooseLayer2Stream(e.bitrateKbps, channels, chain.rate, e.mp2Mode == 'm');
        if (!st.error.empty())
            throw JobError("block \"" + e.blockName + "\" asks for " + std::to_string(e.bitrateKbps) + " kbit/s" +
                               (e.mp2Mode == 'm' ? " with -m m" : "") + ": " + st.error, 1);
        s.channels = st.channels;
        s.rate = st.sampleRate;
        s.bitRate = int64_t(e.bitrateKbps) * 1000;
        static const std::pair<char, const char *> modes[] = {
            {'s', "stereo"}, {'d', "dual_channel"}, {'j', "joint_stereo"}};
        if (st.channels == 1) {
            s.codecOptions.push_back({"mode", "mono"});
        } else {
            for (auto &m : modes)
                if (e.mp2Mode == m.first)
                    s.codecOptions.push_back({"mode", m.second});
        }
        // A VBR level of the encoder's whole range, negative levels included.
        if (e.mp2Vbr) {
            s.globalQuality = *e.mp2Vbr * FF_QP2LAMBDA;
            s.qualityMode = true;
        }
        break;
    }
    case EncoderKind::Speex:
        s.codec = "libspeex";
        s.muxer = "ogg";
        s.rate = chain.rate > 16000 ? 32000 : chain.rate > 8000 ? 16000 : 8000;
        if (e.rateMode == RateMode::Vbr) {
            if (e.speexVbr)
                s.globalQuality = int(*e.quality) * FF_QP2LAMBDA;
            else
                s.codecOptions.push_back({"cbr_quality", std::to_string(int(*e.quality))});
        } else {
            s.bitRate = int64_t(e.bitrateKbps) * 1000;
            if (e.rateMode == RateMode::Abr)
                s.codecOptions.push_back({"abr", "1"});
            else if (e.speexVbr)
                s.globalQuality = 8 * FF_QP2LAMBDA;
        }
        if (e.complexity)
            s.compressionLevel = *e.complexity;
        if (e.framesPerPacket)
            s.codecOptions.push_back({"frames_per_packet", std::to_string(*e.framesPerPacket)});
        break;
    case EncoderKind::Flake:
        s.codec = "flac";
        s.muxer = "flac";
        s.compressionLevel = e.level;
        break;
    default:
        throw JobError("no encoder for block \"" + e.blockName + "\"");
    }
    out.sink = std::make_unique<LibavSink>(io, s);
    return out;
}

std::string Describe(const std::vector<ChainItem> &items, size_t count, const std::vector<double> &gains,
                     const std::string &tail)
{
    std::string desc;
    size_t peak = 0;
    for (size_t i = 0; i < count; ++i) {
        std::string f = items[i].peak ? "volume=" + Num(gains[peak++]) : items[i].filter;
        desc += (desc.empty() ? "" : ",") + f;
    }
    if (!tail.empty())
        desc += (desc.empty() ? "" : ",") + tail;
    return desc;
}

void RunPass(const KandrumCommand &cmd, const std::string &desc, Sink &sink, Reporter &report, bool announce)
{
    auto src = OpenSource(cmd.core.input, UsesAc3MuxOrder(cmd) ? MuxOrder::Ac3Order : MuxOrder::WavOrder);
    FilterGraph graph(*src, desc);
    sink.Open(graph.sink());
    if (int fs = sink.FrameSize(); fs > 0)
        graph.SetFrameSize(fs);
    report.StartPass(announce);
    AVFrame *frame = av_frame_alloc();
    int64_t written = 0;
    auto consume = [&](AVFrame *f) {
        written += f->nb_samples;
        sink.Write(f);
    };
    double total = src->duration();
    try {
        while (src->Read(frame, 4096)) {
            graph.Push(frame, consume);
            report.Progress(src->position(), total);
        }
        graph.Push(nullptr, consume);
    } catch (...) {
        av_frame_free(&frame);
        throw;
    }
    av_frame_free(&frame);
    // A split past the end, or an end point of 0, leaves nothing: no empty file is made.
    if (written == 0)
        throw JobError("the processing leaves no audio to encode");
    sink.Finish();
}

}  // namespace

void CheckCommand(const KandrumCommand &cmd)
{
    if (cmd.plugin)
        RefusePlugin(*cmd.plugin);
    if (!cmd.encoder)
        return;
    const auto &e = *cmd.encoder;
    auto refuse = [&](const std::string &sw) {
        throw JobError("switch \"" + sw + "\" of block \"" + e.blockName + "\" cannot be honoured by this transcoder", 1);
    };
    if (e.objectType == "SSR")
        refuse("--obj-type SSR");
    if (e.shortBlocks != 0)
        refuse("--shortctl " + std::to_string(e.shortBlocks));
    std::string aacMuxer = (e.kind == EncoderKind::Aac3gpp || e.kind == EncoderKind::Faac ||
                            e.kind == EncoderKind::Nero || e.kind == EncoderKind::WinampAac)
                               ? AacMuxer(cmd) : "";
    if (e.mpegVersion == 2 && aacMuxer == "mp4")
        refuse(e.kind == EncoderKind::WinampAac ? "-mpeg2" : "--mpeg-vers 2");
    if (e.hintForStreaming && aacMuxer != "mp4")
        refuse("-hintforstreaming");
    if ((e.kind == EncoderKind::Ac3Enc || e.kind == EncoderKind::Aften) && e.sixChannels &&
        e.rateMode == RateMode::Cbr && e.bitrateKbps < kMinAc3SixChannelKbps)
        throw JobError("block \"" + e.blockName + "\" asks for " + std::to_string(e.bitrateKbps) +
                       " kbit/s: AC-3 needs at least " + std::to_string(kMinAc3SixChannelKbps) + " kbit/s for 5.1", 1);
    if (e.framesPerPacket && *e.framesPerPacket > 8)
        refuse("--nframes " + std::to_string(*e.framesPerPacket));
}

void RunJob(const KandrumCommand &cmd, Reporter &report)
{
    MuxOrder order = UsesAc3MuxOrder(cmd) ? MuxOrder::Ac3Order : MuxOrder::WavOrder;
    auto probe = OpenSource(cmd.core.input, order);
    Chain chain = BuildChain(cmd, *probe);
    AVDictionary *tags = nullptr;
    if (probe->metadata())
        av_dict_copy(&tags, probe->metadata(), 0);
    probe.reset();

    struct TagsGuard {
        AVDictionary **d;
        ~TagsGuard() { av_dict_free(d); }
    } guard{&tags};

    // Gains that bring a measured peak to its target: one measuring pass per stage.
    std::vector<double> gains;
    bool measured = false;
    for (size_t i = 0; i < chain.items.size(); ++i) {
        if (!chain.items[i].peak)
            continue;
        PeakSink meter;
        RunPass(cmd, Describe(chain.items, i, gains, meter.Format()), meter, report, measured);
        measured = true;
        gains.push_back(meter.peak > 1e-6 ? chain.items[i].target / meter.peak : 1.0);
    }

    Outputs out = MakeOutputs(cmd, chain, tags);
    RunPass(cmd, Describe(chain.items, chain.items.size(), gains, out.sink->Format()), *out.sink, report, measured);
    for (auto &f : out.files) {
        if (out.swapWords)
            SwapWords(f->ioPath());
        if (out.adtsMpeg2)
            MarkAdtsMpeg2(f->ioPath());
    }
    for (auto &f : out.files)
        f->Commit();
}

}  // namespace kandrum
