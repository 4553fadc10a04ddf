// Processing shared by the transcoder and the 5.1 MP3 encoder: the filter graph that
// runs a chain of libavfilter stages, the tempo block's stages and the plug-in check.
#pragma once

#include "Engine.h"
#include "KandrumGrammar.h"

extern "C" {
#include <libavfilter/avfilter.h>
}

#include <string>
#include <vector>

namespace kandrum {

// A number as a filter option value.
std::string FilterNumber(double v);

// The atempo stages that change the playing speed by `factor` without changing pitch.
std::string TempoFilters(double factor);

// The stages of the tempo block for audio at `sampleRate`, in order; empty when the
// block changes nothing. `skipFrameRate`: its frame-rate conversion is made elsewhere.
std::vector<std::string> SoundTouchFilters(const SoundTouchBlock &t, int sampleRate, bool skipFrameRate);

// The plug-in block names a Windows DLL, which cannot be loaded here: always throws JobError.
[[noreturn]] void RefusePlugin(const PluginBlock &p);

// A filter graph from planar float audio of the source's rate and layout, through the
// stages of `desc`, to a sink.
class FilterGraph {
public:
    FilterGraph(const Source &src, const std::string &desc);
    ~FilterGraph();
    FilterGraph(const FilterGraph &) = delete;
    FilterGraph &operator=(const FilterGraph &) = delete;

    AVFilterContext *sink() const { return out_; }
    void SetFrameSize(int n);

    // Feeds one frame (nullptr: the end) and hands every frame that comes out to `consume`.
    template <class F> void Push(AVFrame *in, F &&consume)
    {
        Feed(in);
        while (Take()) {
            consume(frame_);
            Release();
        }
    }

private:
    void Feed(AVFrame *in);
    bool Take();
    void Release();

    AVFilterGraph *graph_ = nullptr;
    AVFilterContext *in_ = nullptr, *out_ = nullptr;
    AVFrame *frame_ = nullptr;
};

}  // namespace kandrum
