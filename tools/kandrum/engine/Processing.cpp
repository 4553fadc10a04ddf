#include "Processing.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

#include <cmath>
#include <cstdio>

namespace kandrum {

std::string FilterNumber(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

std::string TempoFilters(double factor)
{
    // One atempo stage handles 0.5 to 100; below that, chain stages.
    std::string out;
    while (factor < 0.5) {
        out += (out.empty() ? "" : ",") + std::string("atempo=0.5");
        factor /= 0.5;
    }
    return out + (out.empty() ? "" : ",") + "atempo=" + FilterNumber(factor);
}

std::vector<std::string> SoundTouchFilters(const SoundTouchBlock &t, int sampleRate, bool skipFrameRate)
{
    std::vector<std::string> out;
    double tempo = 1.0;
    if (t.frameRate && !skipFrameRate)
        tempo *= t.frameRate->second / t.frameRate->first;
    if (t.tempoPercent)
        tempo *= 1 + *t.tempoPercent / 100;
    double pitch = t.pitchSemitones ? std::pow(2.0, *t.pitchSemitones / 12) : 1.0;
    double rate = t.ratePercent ? 1 + *t.ratePercent / 100 : 1.0;
    // Rate and pitch change the playback speed by resampling; the tempo stage then
    // brings the length to what tempo and rate ask for, so a pitch shift alone keeps it.
    double speed = rate * pitch;
    if (std::fabs(speed - 1.0) > 1e-9) {
        std::string resample = "aresample=" + std::to_string(sampleRate);
        if (t.noAntiAlias)
            resample += ":filter_size=1:cutoff=1:linear_interp=1";
        else if (t.quick)
            resample += ":filter_size=8";
        out.push_back("asetrate=" + FilterNumber(sampleRate * speed) + "," + resample);
    }
    double stretch = tempo / pitch;
    if (std::fabs(stretch - 1.0) > 1e-9)
        out.push_back(TempoFilters(stretch));
    return out;
}

void RefusePlugin(const PluginBlock &p)
{
    if (p.dllName.empty())
        throw JobError("block \"-plugin(\" names no plug-in DLL; Windows DLL plug-ins do not run here anyway", 4);
    throw JobError("plug-in \"" + p.dllName + "\" cannot be loaded: Windows DLL plug-ins do not run here", 4);
}

FilterGraph::FilterGraph(const Source &src, const std::string &desc)
{
    graph_ = avfilter_graph_alloc();
    char layout[128];
    av_channel_layout_describe(&src.layout(), layout, sizeof layout);
    char args[512];
    std::snprintf(args, sizeof args, "time_base=1/%d:sample_rate=%d:sample_fmt=fltp:channel_layout=%s",
                  src.sampleRate(), src.sampleRate(), layout);
    int err = avfilter_graph_create_filter(&in_, avfilter_get_by_name("abuffer"), "in", args, nullptr, graph_);
    if (err >= 0)
        err = avfilter_graph_create_filter(&out_, avfilter_get_by_name("abuffersink"), "out", nullptr, nullptr, graph_);
    if (err < 0) {
        avfilter_graph_free(&graph_);
        throw JobError("cannot set up the processing: " + AvErrorText(err));
    }
    AVFilterInOut *outputs = avfilter_inout_alloc();
    AVFilterInOut *inputs = avfilter_inout_alloc();
    outputs->name = av_strdup("in");
    outputs->filter_ctx = in_;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = out_;
    err = avfilter_graph_parse_ptr(graph_, desc.empty() ? "anull" : desc.c_str(), &inputs, &outputs, nullptr);
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    if (err >= 0)
        err = avfilter_graph_config(graph_, nullptr);
    if (err < 0) {
        avfilter_graph_free(&graph_);
        throw JobError("cannot set up the processing \"" + desc + "\": " + AvErrorText(err));
    }
    frame_ = av_frame_alloc();
}

FilterGraph::~FilterGraph()
{
    av_frame_free(&frame_);
    avfilter_graph_free(&graph_);
}

void FilterGraph::SetFrameSize(int n) { av_buffersink_set_frame_size(out_, unsigned(n)); }

void FilterGraph::Feed(AVFrame *in)
{
    int err = av_buffersrc_add_frame_flags(in_, in, 0);
    if (err < 0)
        throw JobError("processing failed: " + AvErrorText(err));
}

bool FilterGraph::Take()
{
    int err = av_buffersink_get_frame(out_, frame_);
    if (err == AVERROR(EAGAIN) || err == AVERROR_EOF)
        return false;
    if (err < 0)
        throw JobError("processing failed: " + AvErrorText(err));
    return true;
}

void FilterGraph::Release() { av_frame_unref(frame_); }

}  // namespace kandrum
