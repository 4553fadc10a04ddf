#include "Engine.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace kandrum {

std::string AvErrorText(int err)
{
    char buf[AV_ERROR_MAX_STRING_SIZE] = {0};
    av_strerror(err, buf, sizeof buf);
    return buf;
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

std::string Extension(const std::string &path)
{
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    return Lower(path.substr(dot));
}

std::string ReplaceExtension(const std::string &path, const std::string &ext)
{
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + ext;
    return path.substr(0, dot) + ext;
}

std::string FolderOf(const std::string &path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool FileExists(const std::string &path)
{
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FindIgnoringCase(const std::string &path)
{
    if (FileExists(path))
        return path;
    std::string folder = FolderOf(path);
    std::string name = path.substr(folder.size());
    DIR *d = opendir(folder.empty() ? "." : folder.c_str());
    if (!d)
        return path;
    // Best: the same name with only the extension's case different; then any case.
    std::string stem = ReplaceExtension(name, "");
    std::vector<std::string> sameStem, anyCase;
    while (dirent *e = readdir(d)) {
        std::string candidate = e->d_name;
        if (strcasecmp(candidate.c_str(), name.c_str()) != 0 || !FileExists(folder + candidate))
            continue;
        (candidate.compare(0, stem.size(), stem) == 0 ? sameStem : anyCase).push_back(folder + candidate);
    }
    closedir(d);
    auto &matches = sameStem.empty() ? anyCase : sameStem;
    if (matches.empty())
        return path;
    std::sort(matches.begin(), matches.end());
    return matches.front();
}

std::string ProgramFolder()
{
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return "";
    buf[n] = 0;
    return FolderOf(buf);
}

// ---- stop handling -------------------------------------------------------------

namespace {

constexpr int kMaxPending = 16;
constexpr int kPathMax = 4096;
char g_pending[kMaxPending][kPathMax];
volatile sig_atomic_t g_pendingUsed[kMaxPending];

void OnStopSignal(int sig)
{
    for (int i = 0; i < kMaxPending; ++i)
        if (g_pendingUsed[i])
            unlink(g_pending[i]);
    _exit(128 + sig);
}

int RegisterPending(const std::string &path)
{
    if (path.size() >= kPathMax)
        return -1;
    for (int i = 0; i < kMaxPending; ++i) {
        if (!g_pendingUsed[i]) {
            std::memcpy(g_pending[i], path.c_str(), path.size() + 1);
            g_pendingUsed[i] = 1;
            return i;
        }
    }
    return -1;
}

void ReleasePending(int slot)
{
    if (slot >= 0)
        g_pendingUsed[slot] = 0;
}

}  // namespace

void InstallStopHandlers()
{
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

// ---- output files --------------------------------------------------------------

std::string TemporaryName(const std::string &fileName, const std::string &suffix, size_t nameMax)
{
    if (fileName.size() + suffix.size() <= nameMax)
        return fileName + suffix;
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : fileName) {
        hash ^= c;
        hash *= 16777619u;
    }
    char mark[16];
    std::snprintf(mark, sizeof mark, "~%08x", unsigned(hash));
    const size_t room = nameMax > suffix.size() + 9 ? nameMax - suffix.size() - 9 : 0;
    size_t keep = std::min(room, fileName.size());
    while (keep > 0 && (static_cast<unsigned char>(fileName[keep]) & 0xC0) == 0x80)
        --keep;
    return fileName.substr(0, keep) + mark + suffix;
}

std::string TemporaryPathBeside(const std::string &finalPath, const std::string &suffix)
{
    const std::string folder = FolderOf(finalPath);
    const long limit = pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    const size_t nameMax = limit > 0 ? size_t(limit) : 255;
    return folder + TemporaryName(finalPath.substr(folder.size()), suffix, nameMax);
}

OutputFile::OutputFile(std::string finalPath) : finalPath_(std::move(finalPath))
{
    std::string folder = FolderOf(finalPath_);
    if (folder.empty())
        folder = ".";
    // KANDRUM_NO_TMPFILE (any value but empty or "0") takes the path of the file systems that
    // have no unnamed files, wherever the output goes.
    const char *noTmpFile = std::getenv("KANDRUM_NO_TMPFILE");
    const bool unnamedAllowed = !noTmpFile || !*noTmpFile || std::strcmp(noTmpFile, "0") == 0;
    fd_ = unnamedAllowed ? open(folder.c_str(), O_TMPFILE | O_RDWR, 0666 & ~0) : -1;
    if (fd_ >= 0) {
        fchmod(fd_, 0644);
        ioPath_ = "/proc/self/fd/" + std::to_string(fd_);
        return;
    }
    // No unnamed files here: write beside the target and rename at the end.
    ioPath_ = TemporaryPathBeside(finalPath_, ".part");
    int probe = open(ioPath_.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (probe < 0)
        throw JobError("cannot write the output file \"" + finalPath_ + "\": " + std::strerror(errno));
    close(probe);
    slot_ = RegisterPending(ioPath_);
}

OutputFile::~OutputFile()
{
    if (fd_ >= 0)
        close(fd_);
    if (!committed_ && fd_ < 0 && !ioPath_.empty())
        unlink(ioPath_.c_str());
    ReleasePending(slot_);
}

void OutputFile::Commit()
{
    if (fd_ >= 0) {
        // Linked under a passing name first, then renamed over any older file in one step.
        std::string passing = TemporaryPathBeside(finalPath_, ".part" + std::to_string(getpid()));
        unlink(passing.c_str());
        int slot = RegisterPending(passing);
        bool linked = linkat(AT_FDCWD, ioPath_.c_str(), AT_FDCWD, passing.c_str(), AT_SYMLINK_FOLLOW) == 0;
        int err = errno;
        if (linked && rename(passing.c_str(), finalPath_.c_str()) != 0) {
            err = errno;
            unlink(passing.c_str());
            linked = false;
        }
        ReleasePending(slot);
        if (!linked)
            throw JobError("cannot create the output file \"" + finalPath_ + "\": " + std::strerror(err));
    } else {
        if (rename(ioPath_.c_str(), finalPath_.c_str()) != 0)
            throw JobError("cannot create the output file \"" + finalPath_ + "\": " + std::strerror(errno));
    }
    committed_ = true;
}

// ---- reporter ------------------------------------------------------------------

Reporter::~Reporter()
{
    if (log_)
        fclose(log_);
}

void Reporter::OpenLog(const std::string &path, bool append)
{
    log_ = fopen(path.c_str(), append ? "ab" : "wb");
    if (!log_)
        throw JobError("cannot open the log file \"" + path + "\": " + std::strerror(errno), 1);
}

void Reporter::Line(const std::string &text)
{
    std::fputs(text.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    if (log_) {
        std::fputs(text.c_str(), log_);
        std::fputs("\r\n", log_);
        std::fflush(log_);
    }
}

void Reporter::StartPass(bool announce)
{
    next_ = 0.1;
    if (announce)
        Line("[00:00:00:00] second pass");
}

void Reporter::Progress(double seconds, double total)
{
    if (seconds + 1e-9 < next_)
        return;
    next_ = std::floor(seconds * 10 + 1e-9) / 10 + 0.1;
    long cs = long(seconds * 100 + 0.5);
    char buf[96];
    int n = std::snprintf(buf, sizeof buf, "[%02ld:%02ld:%02ld:%02ld]", cs / 360000, cs / 6000 % 60,
                          cs / 100 % 60, cs % 100);
    if (total > 0)
        std::snprintf(buf + n, sizeof buf - n, " %d %%", int(std::min(100.0, seconds * 100 / total)));
    Line(buf);
}

// ---- sources -------------------------------------------------------------------

namespace {

void DefaultIfUnspecified(AVChannelLayout &l)
{
    if (l.order == AV_CHANNEL_ORDER_NATIVE || l.order == AV_CHANNEL_ORDER_CUSTOM)
        return;
    int n = l.nb_channels > 0 ? l.nb_channels : 2;
    av_channel_layout_uninit(&l);
    av_channel_layout_default(&l, n);
}

// One decoded file, converted to planar float at a chosen rate and layout.
class FileDecoder {
public:
    FileDecoder(const std::string &path, int rate = 0, const AVChannelLayout *layout = nullptr) : path_(path)
    {
        int err = avformat_open_input(&fmt_, path.c_str(), nullptr, nullptr);
        if (err < 0)
            throw JobError("cannot open the input \"" + path + "\": " + AvErrorText(err), 2);
        err = avformat_find_stream_info(fmt_, nullptr);
        if (err < 0)
            throw JobError("cannot read the input \"" + path + "\": " + AvErrorText(err), 2);
        const AVCodec *codec = nullptr;
        stream_ = av_find_best_stream(fmt_, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        if (stream_ < 0 || !codec)
            throw JobError("the input \"" + path + "\" has no audio that can be decoded", 2);
        dec_ = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(dec_, fmt_->streams[stream_]->codecpar);
        dec_->pkt_timebase = fmt_->streams[stream_]->time_base;
        err = avcodec_open2(dec_, codec, nullptr);
        if (err < 0)
            throw JobError("cannot decode the input \"" + path + "\": " + AvErrorText(err), 2);
        for (unsigned i = 0; i < fmt_->nb_streams; ++i)
            if (int(i) != stream_)
                fmt_->streams[i]->discard = AVDISCARD_ALL;
        outRate_ = rate > 0 ? rate : dec_->sample_rate;
        if (layout) {
            av_channel_layout_copy(&outLayout_, layout);
        } else {
            av_channel_layout_copy(&outLayout_, &dec_->ch_layout);
            DefaultIfUnspecified(outLayout_);
        }
        if (outRate_ <= 0)
            throw JobError("the input \"" + path + "\" has no sample rate", 2);
        fifo_ = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, outLayout_.nb_channels, 8192);
        pkt_ = av_packet_alloc();
        frame_ = av_frame_alloc();
        // Tags of the file and of its audio stream (Vorbis comments live on the stream).
        av_dict_copy(&tags_, fmt_->metadata, 0);
        av_dict_copy(&tags_, fmt_->streams[stream_]->metadata, AV_DICT_DONT_OVERWRITE);
        if (fmt_->duration > 0)
            duration_ = double(fmt_->duration) / AV_TIME_BASE;
        else if (fmt_->streams[stream_]->duration > 0)
            duration_ = double(fmt_->streams[stream_]->duration) * av_q2d(fmt_->streams[stream_]->time_base);
    }
    ~FileDecoder()
    {
        av_dict_free(&tags_);
        av_frame_free(&frame_);
        av_packet_free(&pkt_);
        if (fifo_)
            av_audio_fifo_free(fifo_);
        swr_free(&swr_);
        avcodec_free_context(&dec_);
        avformat_close_input(&fmt_);
        av_channel_layout_uninit(&outLayout_);
        av_channel_layout_uninit(&swrInLayout_);
    }

    int rate() const { return outRate_; }
    const AVChannelLayout &layout() const { return outLayout_; }
    double duration() const { return duration_; }
    AVDictionary *metadata() const { return tags_; }
    int available() const { return av_audio_fifo_size(fifo_); }
    bool finished() const { return done_ && available() == 0; }

    // Decodes until `want` samples wait in the queue or the input ends.
    void Fill(int want)
    {
        while (!done_ && available() < want)
            DecodeSome();
    }
    int Take(float **planes, int count) { return av_audio_fifo_read(fifo_, reinterpret_cast<void **>(planes), count); }

private:
    void Convert(const AVFrame *in)
    {
        if (in) {
            AVChannelLayout inLayout{};
            av_channel_layout_copy(&inLayout, &in->ch_layout);
            DefaultIfUnspecified(inLayout);
            bool changed = !swr_ || in->format != swrInFormat_ || in->sample_rate != swrInRate_ ||
                           av_channel_layout_compare(&inLayout, &swrInLayout_) != 0;
            if (changed) {
                swr_free(&swr_);
                int err = swr_alloc_set_opts2(&swr_, &outLayout_, AV_SAMPLE_FMT_FLTP, outRate_, &inLayout,
                                              AVSampleFormat(in->format), in->sample_rate, 0, nullptr);
                if (err >= 0)
                    err = swr_init(swr_);
                if (err < 0)
                    throw JobError("cannot convert the audio of \"" + path_ + "\": " + AvErrorText(err));
                swrInFormat_ = in->format;
                swrInRate_ = in->sample_rate;
                av_channel_layout_uninit(&swrInLayout_);
                av_channel_layout_copy(&swrInLayout_, &inLayout);
            }
            av_channel_layout_uninit(&inLayout);
        }
        if (!swr_)
            return;
        int outCount = swr_get_out_samples(swr_, in ? in->nb_samples : 0);
        if (outCount <= 0)
            return;
        uint8_t **buf = nullptr;
        av_samples_alloc_array_and_samples(&buf, nullptr, outLayout_.nb_channels, outCount, AV_SAMPLE_FMT_FLTP, 0);
        int got = swr_convert(swr_, buf, outCount, in ? const_cast<const uint8_t **>(in->extended_data) : nullptr,
                              in ? in->nb_samples : 0);
        if (got > 0)
            av_audio_fifo_write(fifo_, reinterpret_cast<void **>(buf), got);
        av_freep(&buf[0]);
        av_freep(&buf);
    }

    void DecodeSome()
    {
        for (;;) {
            int err = avcodec_receive_frame(dec_, frame_);
            if (err == 0) {
                Convert(frame_);
                av_frame_unref(frame_);
                return;
            }
            if (err == AVERROR_EOF) {
                Convert(nullptr);
                done_ = true;
                return;
            }
            if (err != AVERROR(EAGAIN))
                throw JobError("cannot decode \"" + path_ + "\": " + AvErrorText(err));
            if (inputEnded_) {
                done_ = true;
                return;
            }
            err = av_read_frame(fmt_, pkt_);
            if (err < 0) {
                inputEnded_ = true;
                avcodec_send_packet(dec_, nullptr);
                continue;
            }
            if (pkt_->stream_index == stream_) {
                err = avcodec_send_packet(dec_, pkt_);
                // A damaged packet is skipped, as players do; anything else ends the job.
                if (err < 0 && err != AVERROR_INVALIDDATA && err != AVERROR(EAGAIN)) {
                    av_packet_unref(pkt_);
                    throw JobError("cannot decode \"" + path_ + "\": " + AvErrorText(err));
                }
            }
            av_packet_unref(pkt_);
        }
    }

    std::string path_;
    AVFormatContext *fmt_ = nullptr;
    AVDictionary *tags_ = nullptr;
    AVCodecContext *dec_ = nullptr;
    int stream_ = -1;
    SwrContext *swr_ = nullptr;
    int swrInFormat_ = -1, swrInRate_ = 0;
    AVChannelLayout swrInLayout_{};
    AVAudioFifo *fifo_ = nullptr;
    AVPacket *pkt_ = nullptr;
    AVFrame *frame_ = nullptr;
    int outRate_ = 0;
    AVChannelLayout outLayout_{};
    double duration_ = 0;
    bool inputEnded_ = false, done_ = false;
};

bool AllocFrame(AVFrame *frame, const AVChannelLayout &layout, int rate, int samples)
{
    av_frame_unref(frame);
    frame->format = AV_SAMPLE_FMT_FLTP;
    frame->sample_rate = rate;
    av_channel_layout_copy(&frame->ch_layout, &layout);
    frame->nb_samples = samples;
    if (av_frame_get_buffer(frame, 0) < 0)
        throw JobError("out of memory");
    return true;
}

class SingleSource : public Source {
public:
    explicit SingleSource(const std::string &path) : dec_(path) {}
    int sampleRate() const override { return dec_.rate(); }
    const AVChannelLayout &layout() const override { return dec_.layout(); }
    double duration() const override { return dec_.duration(); }
    AVDictionary *metadata() const override { return dec_.metadata(); }
    bool Read(AVFrame *frame, int maxSamples) override
    {
        dec_.Fill(maxSamples);
        int n = std::min(maxSamples, dec_.available());
        if (n <= 0)
            return false;
        AllocFrame(frame, dec_.layout(), dec_.rate(), n);
        dec_.Take(reinterpret_cast<float **>(frame->extended_data), n);
        frame->pts = samplesRead_;
        samplesRead_ += n;
        return true;
    }

private:
    FileDecoder dec_;
};

std::vector<std::string> ReadQuotedLines(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw JobError("cannot open the input \"" + path + "\"", 2);
    std::vector<std::string> lines;
    std::string line;
    std::string folder = FolderOf(path);
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        size_t b = line.find_first_not_of(" \t");
        if (b == std::string::npos)
            continue;
        line = line.substr(b);
        // A quoted name ends at its partner quote; a doubled quote inside it is one quote. A line
        // without a partner quote is taken as it stands.
        if (line.front() == '"') {
            std::string name;
            bool closed = false;
            for (size_t i = 1; i < line.size(); ++i) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        name += '"';
                        ++i;
                        continue;
                    }
                    closed = true;
                    break;
                }
                name += line[i];
            }
            if (closed)
                line = name;
        }
        if (line.empty())
            continue;
        if (line[0] != '/')
            line = folder + line;
        lines.push_back(line);
    }
    return lines;
}

// Six mono files merged into one 5.1 input.
class MuxSource : public Source {
public:
    MuxSource(const std::string &path, MuxOrder order)
    {
        auto lines = ReadQuotedLines(path);
        if (lines.size() != 6)
            throw JobError("the mux file \"" + path + "\" must name six files, it names " +
                           std::to_string(lines.size()), 2);
        for (const auto &l : lines)
            if (!FileExists(l))
                throw JobError("the file \"" + l + "\" named in \"" + path + "\" does not exist", 2);
        av_channel_layout_from_mask(&layout_, AV_CH_LAYOUT_5POINT1);
        // Where each line goes in the 5.1 layout (FL FR FC LFE SL SR).
        static const int wavOrder[6] = {0, 1, 2, 3, 4, 5};
        static const int ac3Order[6] = {0, 2, 1, 4, 5, 3};
        const int *map = order == MuxOrder::WavOrder ? wavOrder : ac3Order;
        AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
        for (int i = 0; i < 6; ++i) {
            decs_[i] = std::make_unique<FileDecoder>(lines[i], i == 0 ? 0 : decs_[0]->rate(), &mono);
            target_[i] = map[i];
            duration_ = std::max(duration_, decs_[i]->duration());
        }
        rate_ = decs_[0]->rate();
    }
    ~MuxSource() override { av_channel_layout_uninit(&layout_); }
    int sampleRate() const override { return rate_; }
    const AVChannelLayout &layout() const override { return layout_; }
    double duration() const override { return duration_; }
    bool Read(AVFrame *frame, int maxSamples) override
    {
        int n = 0;
        for (auto &d : decs_) {
            d->Fill(maxSamples);
            n = std::max(n, std::min(maxSamples, d->available()));
        }
        if (n <= 0)
            return false;
        AllocFrame(frame, layout_, rate_, n);
        for (int i = 0; i < 6; ++i) {
            float *plane = reinterpret_cast<float *>(frame->extended_data[target_[i]]);
            int got = decs_[i]->Take(&plane, n);
            // A shorter file goes on as silence until the longest one ends.
            std::fill(plane + std::max(got, 0), plane + n, 0.0f);
        }
        frame->pts = samplesRead_;
        samplesRead_ += n;
        return true;
    }

private:
    std::unique_ptr<FileDecoder> decs_[6];
    int target_[6] = {};
    AVChannelLayout layout_{};
    int rate_ = 0;
    double duration_ = 0;
};

// The files of a list, one after the other, at the rate and layout of the first.
class ListSource : public Source {
public:
    explicit ListSource(const std::string &path) : files_(ReadQuotedLines(path))
    {
        if (files_.empty())
            throw JobError("the list file \"" + path + "\" names no file", 2);
        for (const auto &f : files_) {
            if (!FileExists(f))
                throw JobError("the file \"" + f + "\" named in \"" + path + "\" does not exist", 2);
            FileDecoder probe(f);
            duration_ += probe.duration();
        }
        current_ = std::make_unique<FileDecoder>(files_[0]);
        rate_ = current_->rate();
        av_channel_layout_copy(&layout_, &current_->layout());
    }
    ~ListSource() override { av_channel_layout_uninit(&layout_); }
    int sampleRate() const override { return rate_; }
    const AVChannelLayout &layout() const override { return layout_; }
    double duration() const override { return duration_; }
    bool Read(AVFrame *frame, int maxSamples) override
    {
        for (;;) {
            current_->Fill(maxSamples);
            int n = std::min(maxSamples, current_->available());
            if (n > 0) {
                AllocFrame(frame, layout_, rate_, n);
                current_->Take(reinterpret_cast<float **>(frame->extended_data), n);
                frame->pts = samplesRead_;
                samplesRead_ += n;
                return true;
            }
            if (++index_ >= files_.size())
                return false;
            current_ = std::make_unique<FileDecoder>(files_[index_], rate_, &layout_);
        }
    }

private:
    std::vector<std::string> files_;
    size_t index_ = 0;
    std::unique_ptr<FileDecoder> current_;
    AVChannelLayout layout_{};
    int rate_ = 0;
    double duration_ = 0;
};

}  // namespace

std::unique_ptr<Source> OpenSource(const std::string &path, MuxOrder order)
{
    if (!FileExists(path))
        throw JobError("the input file \"" + path + "\" does not exist", 2);
    std::string ext = Extension(path);
    if (ext == ".mux")
        return std::make_unique<MuxSource>(path, order);
    if (ext == ".lst")
        return std::make_unique<ListSource>(path);
    return std::make_unique<SingleSource>(path);
}

int ReadAc3DialogueLevel(const std::string &path)
{
    if (Extension(path) != ".ac3")
        return 0;
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> buf(8192);
    in.read(reinterpret_cast<char *>(buf.data()), std::streamsize(buf.size()));
    size_t n = size_t(in.gcount());
    for (size_t i = 0; i + 8 < n; ++i) {
        if (buf[i] != 0x0B || buf[i + 1] != 0x77)
            continue;
        // Bit reader over the bit stream information after syncinfo (5 bytes).
        size_t bit = (i + 5) * 8;
        auto get = [&](int count) {
            int v = 0;
            for (int k = 0; k < count; ++k, ++bit)
                v = (v << 1) | ((buf[bit / 8] >> (7 - bit % 8)) & 1);
            return v;
        };
        int bsid = get(5);
        if (bsid > 10)
            continue;
        get(3);  // bsmod
        int acmod = get(3);
        if ((acmod & 1) && acmod != 1)
            get(2);
        if (acmod & 4)
            get(2);
        if (acmod == 2)
            get(2);
        get(1);  // lfeon
        int dialnorm = get(5);
        return dialnorm == 0 ? 31 : dialnorm;
    }
    return 0;
}

}  // namespace kandrum
