// audx.exe QUALITY "input" ["output"] [-soundtouch( ... )] [-plugin( ... )]: encodes a
// six-channel input to MP3 at the bit rate of its quality word and reports
// "progress: N." lines. Input that is not six-channel is refused. No free encoder
// writes 5.1 MP3, so the file holds a stereo downmix of the six channels. The tempo
// and plug-in blocks that follow are those of the transcoder, with the same meaning.
#include "Engine.h"
#include "KandrumGrammar.h"
#include "Mp3Writer.h"
#include "Processing.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

using namespace kandrum;

namespace {

struct Quality {
    const char *word;
    int kbps;
    int algorithm;  // LAME algorithm quality, 0 best
};
const Quality kQualities[] = {
    {"STRQ", 80, 5},
    {"STDQ", 128, 3},
    {"HGHQ", 192, 2},
    {"SPBQ", 192, 0},
};

int Usage(Reporter &r, const std::string &why)
{
    r.Error(why);
    r.Line("usage: audx.exe STRQ|STDQ|HGHQ|SPBQ \"input\" [\"output\"] [-soundtouch( ... )] [-plugin( ... )]");
    return 1;
}

}  // namespace

int main(int argc, char **argv)
{
    InstallStopHandlers();
    av_log_set_level(AV_LOG_QUIET);
    Reporter report;
    std::vector<std::string> args(argv + 1, argv + argc);
    // The quality word and the input, then the output unless the blocks begin there.
    size_t positional = args.size() >= 3 && !IsBlockOpening(args[2]) ? 3 : std::min<size_t>(args.size(), 2);
    if (positional < 2)
        return Usage(report, "wrong number of arguments");
    ParseResult blocks = ParseTempoAndPluginBlocks({args.begin() + long(positional), args.end()});
    if (!blocks.ok)
        return Usage(report, blocks.error);
    const std::optional<SoundTouchBlock> &tempo = blocks.command.soundTouch;
    const Quality *q = nullptr;
    for (const auto &k : kQualities)
        if (args[0] == k.word)
            q = &k;
    if (!q)
        return Usage(report, "unknown quality \"" + args[0] + "\"");
    // The command writes the input's extension in lower case; the file may have it in capitals.
    const std::string input = FindIgnoringCase(args[1]);
    std::string output = positional == 3 ? args[2] : ReplaceExtension(input, ".mp3");
    if (output.empty())
        return Usage(report, "no output file given");
    if (output == input)
        return Usage(report, "the output would overwrite the input");
    try {
        if (blocks.command.plugin)
            RefusePlugin(*blocks.command.plugin);
        if (!FileExists(input))
            throw JobError("the input file \"" + input + "\" does not exist", 2);
        auto src = OpenSource(input, MuxOrder::WavOrder);
        int channels = src->layout().nb_channels;
        if (channels != 6)
            throw JobError("the input has " + std::to_string(channels) + " channels; Aud-X takes six-channel input only", 2);

        // Stereo downmix of the 5.1 input, by the standard coefficients.
        SwrContext *swr = nullptr;
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        AVChannelLayout inLayout{};
        av_channel_layout_copy(&inLayout, &src->layout());
        int rate = src->sampleRate();
        int err = swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_FLTP, rate, &inLayout, AV_SAMPLE_FMT_FLTP, rate, 0,
                                      nullptr);
        av_channel_layout_uninit(&inLayout);
        if (err < 0 || swr_init(swr) < 0)
            throw JobError("cannot set up the downmix");
        struct SwrGuard {
            SwrContext **s;
            ~SwrGuard() { swr_free(s); }
        } guard{&swr};

        Mp3Options o;
        o.mode = Mp3Options::Cbr;
        o.bitrateKbps = q->kbps;
        o.quality = q->algorithm;
        OutputFile file(output);
        Mp3Writer writer(file.ioPath(), rate, 2, o, src->metadata());
        AVFrame *frame = av_frame_alloc();
        std::vector<float> left, right;
        double total = src->duration();
        int lastPercent = -1;
        report.Line("Aud-X encoder: " + std::string(q->word) + " " + std::to_string(q->kbps) + " kbps");
        // The tempo block's stages run on the six channels before the downmix and end
        // at the input's rate, in planar float.
        std::unique_ptr<FilterGraph> graph;
        if (tempo) {
            std::string desc;
            for (const std::string &f : SoundTouchFilters(*tempo, rate, false))
                desc += f + ",";
            if (!desc.empty())
                graph = std::make_unique<FilterGraph>(*src, desc + "aformat=sample_fmts=fltp:sample_rates=" +
                                                                std::to_string(rate));
        }
        auto encode = [&](AVFrame *in) {
            left.resize(size_t(in->nb_samples) + 64);
            right.resize(left.size());
            uint8_t *outPlanes[2] = {reinterpret_cast<uint8_t *>(left.data()), reinterpret_cast<uint8_t *>(right.data())};
            int got = swr_convert(swr, outPlanes, int(left.size()), const_cast<const uint8_t **>(in->extended_data),
                                  in->nb_samples);
            if (got < 0)
                throw JobError("the downmix failed");
            const float *planes[2] = {left.data(), right.data()};
            if (got > 0)
                writer.Write(planes, got);
        };
        while (src->Read(frame, 4096)) {
            if (graph)
                graph->Push(frame, encode);
            else
                encode(frame);
            int percent = total > 0 ? int(std::min(100.0, src->position() * 100 / total)) : 0;
            if (percent != lastPercent) {
                report.Line("progress: " + std::to_string(percent) + ".");
                lastPercent = percent;
            }
        }
        if (graph)
            graph->Push(nullptr, encode);
        av_frame_free(&frame);
        writer.Finish();
        file.Commit();
        if (lastPercent != 100)
            report.Line("progress: 100.");
        return 0;
    } catch (const JobError &e) {
        report.Error(e.what());
        return e.exitCode;
    }
}
