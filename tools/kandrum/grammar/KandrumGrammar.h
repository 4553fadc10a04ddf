// The transcoder's command-line grammar: the blocks " -name( ... )" in their fixed
// order, each with its switches and their values. Parsing turns the argument list
// into a KandrumCommand or names the first thing that is wrong.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kandrum {

// How the WAV/PCM output is written when no encoder block is given.
enum class OutputMode {
    None,        // no switch: a WAV file with the channels of the processed signal
    Wav6ch,      // -6chwav   16-bit 5.1 WAV
    Wav2ch,      // -2ch      16-bit stereo WAV
    Mono6,       // -6ch      six 16-bit mono WAV files
    Mono6Float,  // -6chfloat six 32-bit float mono WAV files
    Aiff6BE,     // -6chaiff  5.1 big-endian AIFF
    Aiff6LE,     // -6chliff  5.1 little-endian AIFF
    Aiff5BE,     // -5chaiff  5.0 big-endian AIFF
    DDWav,       // -ddwav    AC-3 carried in a 16-bit stereo WAV (IEC 61937)
};

struct CoreBlock {
    std::string input;
    std::string output;
    OutputMode mode = OutputMode::None;
    std::string logFile;      // empty: no log
    bool logAppend = false;   // -logfilea
    bool noId3 = false;
};

struct AzidBlock {
    bool dialogNormalisation = false;   // -n1
    std::string downmix;                // -s: "mono", "stereo", "dpl", "dplii" or empty
    bool rearDecode20 = false;          // -d 2/0
    bool rearFilter = false;            // -f1
    std::string compression;            // -c: "normal", "light", "heavy", "inverse" or empty
    std::optional<double> lfeDb;        // -L
    bool maximize = false;              // --maximize
    std::optional<double> normalisePeak;// -g 0.xx
    std::optional<double> gainDb;       // -g NNdb
};

struct EqualizerBlock {
    std::string presetFile;
};

enum class GainMode { None, Hybrid, Pre, Post };

struct OtaBlock {
    std::optional<double> delayMs;              // -d
    GainMode gainMode = GainMode::None;
    double postTarget = 1.0;                    // -G value
    std::optional<double> appendMs;             // -e
    std::optional<std::pair<double, double>> frameRate;  // -r from to
};

struct SplitBlock {
    std::optional<double> start;  // seconds
    std::optional<double> end;
};

struct BoostBlock {
    int preset = 1;       // /b=, /b2=, /b3=
    double gainDb = 0;
    double limit = 0.95;  // /l=
};

struct SoundTouchBlock {
    std::optional<std::pair<double, double>> frameRate;  // -r from to
    std::optional<double> tempoPercent;
    std::optional<double> pitchSemitones;
    std::optional<double> ratePercent;
    bool quick = false;
    bool noAntiAlias = false;
};

struct PluginBlock {
    std::string dllName;
    std::string function;
};

enum class EncoderKind {
    Aac3gpp, Faac, Nero, WinampAac,   // the AAC page
    Vorbis,
    Ac3Enc, Aften,
    TooLame, Mp2Enc,
    Lame,
    Speex,
    Flake,
};

enum class RateMode { Default, Cbr, Abr, Vbr };

// The bit rates (kbit/s) of an AC-3 stream, from the lowest to the highest.
inline constexpr int kAc3BitRates[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 448, 512, 576, 640};

struct EncoderBlock {
    EncoderKind kind = EncoderKind::Lame;
    std::string blockName;    // "-kdn(", "-lame(" ...
    std::string exe;          // the -exe value of a "-kdn(" block
    bool sixChannels = false; // -6ch, -6ch 1, -6chnew
    RateMode rateMode = RateMode::Default;
    int bitrateKbps = 0;      // -b, -cbr, -abr, --bitrate
    std::optional<double> quality;  // -q, -vbr, -V, --quality
    bool mono = false;
    // AAC engines
    bool noParametricStereo = false;  // -nops
    int lowpassHz = 0;                // faac -c
    bool mp4 = false;                 // faac -mp4
    bool tns = false;                 // --tns
    std::string objectType;           // --obj-type Main|LC|SSR|LTP
    bool noMidSide = false;           // --no-midside
    int mpegVersion = 4;              // --mpeg-vers, winamp -mpeg2
    int shortBlocks = 0;              // --shortctl
    std::string aacProfile;           // nero: "lc", "he", "hev2"
    bool hintForStreaming = false;
    bool pns = false;
    bool speech = false;
    int winampMode = 0;               // -mode 1|2|4
    std::string winampFormat;         // "", "high", "lc"
    // Vorbis managed bit rate
    int minKbps = 0, maxKbps = 0;
    // AC-3
    bool intelByteOrder = false;
    // MP2
    char mp2Mode = 0;                 // 's', 'd', 'j', 'm'
    std::optional<int> mp2Vbr;
    // LAME
    bool swapBytes = false;           // -x
    bool noAth = false, athOnly = false, athShort = false, experimentalY = false;
    bool errorProtection = false;     // -p
    std::optional<int> athType;
    std::optional<double> lowpassKHz;
    std::optional<double> resampleKHz;
    bool vbrNew = false;              // --vbr-new (else --vbr-old)
    int minBitrateKbps = 0;           // -b after -V
    // Speex
    bool speexVbr = false;
    std::optional<int> complexity;
    bool agc = false, denoise = false;
    std::optional<int> framesPerPacket;
    // Flake
    int level = 5;
};

struct KandrumCommand {
    CoreBlock core;
    std::optional<AzidBlock> azid;
    std::optional<EqualizerBlock> equalizer;
    std::optional<OtaBlock> ota;
    std::optional<SplitBlock> split;
    std::optional<int> resampleRate;
    std::optional<BoostBlock> boost;
    std::optional<EncoderBlock> encoder;
    std::optional<SoundTouchBlock> soundTouch;
    std::optional<PluginBlock> plugin;
};

struct ParseResult {
    bool ok = false;
    KandrumCommand command;
    std::string error;  // what is wrong, without the leading "Error "
};

// Parses the arguments that follow the program (as the child-process rules split them).
ParseResult ParseKandrumArguments(const std::vector<std::string> &args);

// Parses the blocks that may follow another program's own arguments: "-soundtouch("
// and then "-plugin(", each optional. Anything else is refused by name.
ParseResult ParseTempoAndPluginBlocks(const std::vector<std::string> &args);

// Whether an argument opens a block ("-name(").
bool IsBlockOpening(const std::string &arg);

// Splits a command-line text by the same rules: blanks separate, double quotes group,
// a backslash escapes only a double quote (and backslashes directly before one).
std::vector<std::string> SplitCommandLine(const std::string &text);

// Parses a whole argument text, e.g. `-core( -input "a b.ac3" -output "x.mp3" )`.
ParseResult ParseKandrumCommandLine(const std::string &text);

}  // namespace kandrum
