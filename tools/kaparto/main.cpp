// Kaparto.exe: the splitter. It cuts an audio file at break points (seconds) into pieces named
// by the prefix, copying the compressed frames (or PCM blocks) without decoding them. Without a
// -split( block it rewrites the whole file as one piece, which repairs its length information.
// It never writes over a file: before anything is written, every piece name is checked, and one
// that exists already (the input itself, or a piece of an earlier run) stops the run. A run that
// is stopped (SIGTERM, SIGINT, SIGHUP) or fails takes away the pieces it has written.
// Progress goes out as "[h:m:s:f] NN%" lines, failures as "Error " lines with a non-zero exit
// code (1 command line, 2 input, 3 processing); "Done in N s." and 0 when every piece is written.
#include "KapartoGrammar.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

using namespace kaparto;

namespace {

// The pieces this run has created, taken away again when the run is stopped (SIGTERM, SIGINT,
// SIGHUP) or fails: no cut-off piece is left behind to pass for a whole one. The names live in
// fixed storage, so that the signal handler can reach them.
constexpr int kMaxPieces = 64;
constexpr int kPathMax = 4096;
char g_pieces[kMaxPieces][kPathMax];
volatile sig_atomic_t g_pieceCount = 0;

void RemovePieces()
{
    for (int i = 0; i < g_pieceCount; ++i)
        unlink(g_pieces[i]);
}

void OnStopSignal(int sig)
{
    RemovePieces();
    _exit(128 + sig);
}

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

// Called once the piece is created, before anything is written into it; false when the name
// cannot be kept (too long or too many pieces), so that the run stops before writing it.
bool RememberPiece(const std::string &name)
{
    if (name.size() >= size_t(kPathMax) || g_pieceCount >= kMaxPieces)
        return false;
    std::memcpy(g_pieces[g_pieceCount], name.c_str(), name.size() + 1);
    g_pieceCount = g_pieceCount + 1;
    return true;
}

void Line(const std::string &text)
{
    std::fputs(text.c_str(), stdout);
    std::fputs("\r\n", stdout);
    std::fflush(stdout);
}

int Error(const std::string &text, int code)
{
    Line("Error " + text);
    return code;
}

std::string TimeStamp(double seconds)
{
    if (seconds < 0)
        seconds = 0;
    const long long hundredths = static_cast<long long>(seconds * 100);
    char buf[48];
    std::snprintf(buf, sizeof buf, "[%02lld:%02lld:%02lld:%02lld]", hundredths / 360000, hundredths / 6000 % 60,
                  hundredths / 100 % 60, hundredths % 100);
    return buf;
}

const char *MuxerFor(const std::string &type)
{
    if (type == "aac")
        return "adts";
    return type.c_str();
}

std::string AvError(int code)
{
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return buf;
}

struct Piece {
    AVFormatContext *out = nullptr;
    AVStream *stream = nullptr;
    int64_t firstPts = AV_NOPTS_VALUE;
    int64_t firstDts = AV_NOPTS_VALUE;
    std::string fileName;
};

int ClosePiece(Piece &piece)
{
    int result = 0;
    if (piece.out) {
        result = av_write_trailer(piece.out);
        if (!(piece.out->oformat->flags & AVFMT_NOFILE))
            avio_closep(&piece.out->pb);
        avformat_free_context(piece.out);
    }
    piece = Piece();
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    av_log_set_level(AV_LOG_QUIET);
    InstallStopHandlers();
    const std::vector<std::string> args(argv + 1, argv + argc);
    const KapartoParse parsed = ParseKapartoArguments(args);
    if (!parsed.ok)
        return Error(parsed.error, 1);
    const KapartoCommand &cmd = parsed.command;
    const auto start = std::chrono::steady_clock::now();

    // The cut positions inside the file; a break point at or before the start cuts nothing.
    std::vector<double> cuts;
    for (double point : cmd.breakPoints) {
        if (point > 0 && (cuts.empty() || point > cuts.back()))
            cuts.push_back(point);
    }

    AVFormatContext *in = nullptr;
    if (int rc = avformat_open_input(&in, cmd.input.c_str(), nullptr, nullptr); rc < 0)
        return Error("cannot open the input file \"" + cmd.input + "\": " + AvError(rc), 2);
    if (avformat_find_stream_info(in, nullptr) < 0) {
        avformat_close_input(&in);
        return Error("cannot read the input file \"" + cmd.input + "\"", 2);
    }
    const int audio = av_find_best_stream(in, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (audio < 0) {
        avformat_close_input(&in);
        return Error("the input file \"" + cmd.input + "\" holds no audio", 2);
    }
    AVStream *inStream = in->streams[audio];
    const double total = in->duration > 0 ? in->duration / double(AV_TIME_BASE) : 0.0;
    Line("Kaparto splitter: \"" + cmd.input + "\"");

    // A break point at or beyond the end would cut nothing and leave a whole copy as a "piece".
    if (total > 0) {
        for (double cut : cuts) {
            if (cut >= total) {
                avformat_close_input(&in);
                char text[160];
                std::snprintf(text, sizeof text, "the break point %g lies beyond the end of the input (%.2f s)", cut,
                              total);
                return Error(text, 1);
            }
        }
    }

    // Every piece this run writes must be a new file: one that exists (the input itself, or a
    // piece left by an earlier run) is refused before anything is written.
    for (int number = 1; number <= int(cuts.size()) + 1; ++number) {
        const std::string name = PieceFileName(cmd, number);
        std::error_code ec;
        const auto status = std::filesystem::symlink_status(name, ec);
        if (ec && ec != std::errc::no_such_file_or_directory) {
            avformat_close_input(&in);
            return Error("cannot check the piece \"" + name + "\": " + ec.message(), 3);
        }
        if (!std::filesystem::exists(status))
            continue;
        avformat_close_input(&in);
        std::error_code same;
        if (std::filesystem::equivalent(name, cmd.input, same) && !same)
            return Error("the piece \"" + name + "\" is the input file: choose another prefix", 3);
        return Error("the piece \"" + name + "\" exists already: choose another prefix", 3);
    }

    const AVOutputFormat *format = av_guess_format(MuxerFor(cmd.type), nullptr, nullptr);
    if (!format) {
        avformat_close_input(&in);
        return Error("no writer for the type " + cmd.type, 3);
    }

    Piece piece;
    size_t nextCut = 0;
    int pieceNumber = 0;
    int exitCode = 0;
    double lastReport = -1;
    AVPacket *packet = av_packet_alloc();
    int64_t runningPts = 0; // for packets without a time stamp: the end of the previous one
    auto SecondsOf = [&](int64_t pts) {
        double seconds = pts * av_q2d(inStream->time_base);
        if (inStream->start_time != AV_NOPTS_VALUE)
            seconds -= inStream->start_time * av_q2d(inStream->time_base);
        return std::max(0.0, seconds);
    };
    // Writes one packet into the piece its time belongs to, opening pieces as cuts are crossed.
    auto WritePacket = [&](AVPacket *packet, int64_t pts) -> int {
        const double seconds = SecondsOf(pts);
        // Crossing a cut closes the piece being written.
        bool crossed = false;
        while (nextCut < cuts.size() && seconds >= cuts[nextCut] - 1e-9) {
            ++nextCut;
            crossed = true;
        }
        if (crossed && piece.out) {
            if (ClosePiece(piece) < 0)
                return Error("writing a piece failed", 3);
        }
        if (!piece.out) {
            piece.fileName = PieceFileName(cmd, ++pieceNumber);
            if (avformat_alloc_output_context2(&piece.out, format, nullptr, piece.fileName.c_str()) < 0)
                return Error("cannot create the piece \"" + piece.fileName + "\"", 3);
            piece.stream = avformat_new_stream(piece.out, nullptr);
            avcodec_parameters_copy(piece.stream->codecpar, inStream->codecpar);
            piece.stream->codecpar->codec_tag = 0;
            piece.stream->time_base = inStream->time_base;
            if (!(format->flags & AVFMT_NOFILE)) {
                // The piece is claimed as a new file first: one that has appeared since the check
                // above is not written over either.
                const int claim = ::open(piece.fileName.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
                if (claim < 0) {
                    const std::string name = piece.fileName;
                    const int error = errno;
                    avformat_free_context(piece.out);
                    piece = Piece();
                    return Error(error == EEXIST ? "the piece \"" + name + "\" exists already: choose another prefix"
                                                 : "cannot write the piece \"" + name + "\": " + std::strerror(error),
                                 3);
                }
                ::close(claim);
                if (!RememberPiece(piece.fileName)) {
                    const std::string name = piece.fileName;
                    ::unlink(name.c_str());
                    avformat_free_context(piece.out);
                    piece = Piece();
                    return Error("too many pieces or too long a name: \"" + name + "\"", 3);
                }
                if (int orc = avio_open(&piece.out->pb, piece.fileName.c_str(), AVIO_FLAG_WRITE); orc < 0) {
                    const std::string name = piece.fileName;
                    avformat_free_context(piece.out);
                    piece = Piece();
                    return Error("cannot write the piece \"" + name + "\": " + AvError(orc), 3);
                }
            }
            if (int hrc = avformat_write_header(piece.out, nullptr); hrc < 0) {
                ClosePiece(piece);
                return Error("the type " + cmd.type + " cannot hold this input's audio: " + AvError(hrc), 3);
            }
            Line("Piece " + std::to_string(pieceNumber) + ": \"" + piece.fileName + "\" from "
                 + TimeStamp(seconds));
        }
        // Each piece starts at time zero.
        if (piece.firstPts == AV_NOPTS_VALUE) {
            piece.firstPts = pts;
            piece.firstDts = packet->dts;
        }
        packet->pts = pts - piece.firstPts;
        packet->dts = packet->dts - piece.firstDts;
        if (packet->dts > packet->pts)
            packet->dts = packet->pts;
        av_packet_rescale_ts(packet, inStream->time_base, piece.stream->time_base);
        packet->stream_index = 0;
        packet->pos = -1;
        if (int wrc = av_interleaved_write_frame(piece.out, packet); wrc < 0) {
            return Error("writing the piece \"" + piece.fileName + "\" failed: " + AvError(wrc), 3);
        }
        if (seconds - lastReport >= 1.0 || lastReport < 0) {
            lastReport = seconds;
            std::string text = TimeStamp(seconds);
            if (total > 0) {
                char pct[16];
                std::snprintf(pct, sizeof pct, " %d%%", std::min(100, int(seconds * 100 / total)));
                text += pct;
            }
            Line(text);
        }
        return 0;
    };
    while (exitCode == 0) {
        int rc = av_read_frame(in, packet);
        if (rc == AVERROR_EOF)
            break;
        if (rc < 0) {
            exitCode = Error("reading the input failed: " + AvError(rc), 2);
            break;
        }
        if (packet->stream_index != audio) {
            av_packet_unref(packet);
            continue;
        }
        int64_t pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (pts == AV_NOPTS_VALUE)
            pts = runningPts;
        runningPts = pts + std::max<int64_t>(packet->duration, 0);
        packet->pts = pts;
        if (packet->dts == AV_NOPTS_VALUE)
            packet->dts = pts;
        // PCM blocks are cut at the exact sample of a break point.
        const AVCodecParameters *par = inStream->codecpar;
        const bool pcm = par->block_align > 0 && par->sample_rate > 0 && par->codec_id >= AV_CODEC_ID_PCM_S16LE
                         && par->codec_id < AV_CODEC_ID_ADPCM_IMA_QT;
        while (exitCode == 0 && pcm && nextCut < cuts.size()) {
            const double begin = SecondsOf(pts);
            const int64_t frames = packet->size / par->block_align;
            const double end = begin + double(frames) / par->sample_rate;
            if (!(cuts[nextCut] > begin + 1e-9 && cuts[nextCut] < end - 1e-9))
                break;
            const int64_t head = std::llround((cuts[nextCut] - begin) * par->sample_rate);
            if (head <= 0 || head >= frames)
                break;
            AVPacket *first = av_packet_clone(packet);
            first->size = int(head * par->block_align);
            first->duration = av_rescale_q(head, AVRational{1, par->sample_rate}, inStream->time_base);
            exitCode = WritePacket(first, pts);
            av_packet_free(&first);
            packet->data += head * par->block_align;
            packet->size -= int(head * par->block_align);
            pts += av_rescale_q(head, AVRational{1, par->sample_rate}, inStream->time_base);
            packet->pts = packet->dts = pts;
        }
        if (exitCode == 0)
            exitCode = WritePacket(packet, pts);
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    if (piece.out && ClosePiece(piece) < 0 && exitCode == 0)
        exitCode = Error("writing the last piece failed", 3);
    avformat_close_input(&in);
    // A run that fails takes away the pieces it has written: they would not be whole.
    if (exitCode != 0) {
        RemovePieces();
        return exitCode;
    }
    if (pieceNumber == 0)
        return Error("the input file \"" + cmd.input + "\" holds no audio frames", 2);
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    char buf[64];
    std::snprintf(buf, sizeof buf, "Done in %.2f s.", secs);
    Line(buf);
    return 0;
}
