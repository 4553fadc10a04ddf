#include "KandrumGrammar.h"

#include <algorithm>
#include <type_traits>
#include <cmath>
#include <cctype>
#include <charconv>
#include <functional>
#include <span>
#include <stdexcept>

namespace kandrum {

namespace {

struct GrammarError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string &what) { throw GrammarError(what); }

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// A whole or decimal number, the whole text of it, with an optional leading "+". "nan" and "inf"
// are no numbers here: they would slip through every range check.
template <class T> bool ParseNumber(const std::string &text, T &out)
{
    if (text.empty())
        return false;
    const char *b = text.data();
    const char *e = b + text.size();
    if (*b == '+')
        ++b;
    auto r = std::from_chars(b, e, out);
    if (r.ec != std::errc() || r.ptr != e)
        return false;
    if constexpr (std::is_floating_point_v<T>)
        return std::isfinite(out);
    return true;
}

// Position of each block kind in the fixed order of a command line.
enum Order {
    OrderCore, OrderAzid, OrderAac, OrderShibatch, OrderOta, OrderOgg, OrderSplit,
    OrderSsrc, OrderBoost, OrderEncoder, OrderSoundTouch, OrderPlugin,
};

// Walks the switches of one block.
class Block {
public:
    Block(std::string name, std::vector<std::string> tokens)
        : name_(std::move(name)), tokens_(std::move(tokens)) {}

    const std::string &name() const { return name_; }
    bool atEnd() const { return pos_ >= tokens_.size(); }
    const std::string &peek() const { return tokens_[pos_]; }

    std::string next()
    {
        std::string s = tokens_[pos_++];
        if (given(s))
            Fail("switch \"" + s + "\" is given twice in block \"" + name_ + "\"");
        seen_.push_back(s);
        return s;
    }
    std::string nextAllowRepeat() { return tokens_[pos_++]; }

    std::string value(const std::string &sw)
    {
        if (atEnd())
            Fail("switch \"" + sw + "\" of block \"" + name_ + "\" has no value");
        return tokens_[pos_++];
    }
    double number(const std::string &sw, double lo, double hi) { return bounded(sw, lo, hi, "a number"); }
    int integer(const std::string &sw, int lo, int hi) { return bounded(sw, lo, hi, "a whole number"); }
    // A value that must be one of a list of whole numbers, from the lowest to the highest:
    // outside those two it is out of range, between them it must be one of the list.
    int listed(const std::string &sw, std::span<const int> list, const char *kind)
    {
        int i = integer(sw, list.front(), list.back());
        if (std::find(list.begin(), list.end(), i) == list.end())
            Fail("value \"" + std::to_string(i) + "\" of switch \"" + sw + "\" in block \"" + name_ + "\" is no " +
                 kind);
        return i;
    }
    std::string word(const std::string &sw, const std::vector<std::string> &allowed, bool ignoreCase = false)
    {
        std::string v = value(sw);
        for (const std::string &a : allowed)
            if (v == a || (ignoreCase && Lower(v) == Lower(a)))
                return ignoreCase ? Lower(v) : v;
        Fail("value \"" + v + "\" of switch \"" + sw + "\" in block \"" + name_ + "\" is not allowed");
    }
    [[noreturn]] void unknown(const std::string &sw)
    {
        Fail("unknown switch \"" + sw + "\" in block \"" + name_ + "\"");
    }
    // Whether the switch has been taken so far (a repeatable one is never recorded).
    bool given(const std::string &sw) const
    {
        return std::find(seen_.begin(), seen_.end(), sw) != seen_.end();
    }

private:
    template <class T> T bounded(const std::string &sw, T lo, T hi, const char *kind)
    {
        std::string v = value(sw);
        T n = 0;
        if (!ParseNumber(v, n))
            Fail("value \"" + v + "\" of switch \"" + sw + "\" in block \"" + name_ + "\" is not " + kind);
        if (n < lo || n > hi)
            Fail("value \"" + v + "\" of switch \"" + sw + "\" in block \"" + name_ + "\" is out of range");
        return n;
    }
    std::string name_;
    std::vector<std::string> tokens_;
    size_t pos_ = 0;
    std::vector<std::string> seen_;  // the switches taken by next()
};

// The switches one block knows, each with what it does to the block's fields.
// read() walks the block: a switch not in the table is unknown, and one given twice is
// an error unless it is added with onEach().
class Switches {
public:
    using Action = std::function<void(const std::string &sw)>;
    // What a switch does first, before its value is read (checks of what stood before).
    using Before = std::function<void()>;

    explicit Switches(Block &b) : b_(&b) {}

    Switches &on(const char *name, Action action) { return add(name, std::move(action), false); }
    Switches &onEach(const char *name, Action action) { return add(name, std::move(action), true); }

    // A switch without a value that turns an option on.
    Switches &flag(const char *name, bool &field)
    {
        return on(name, [&field](const std::string &) { field = true; });
    }
    // A switch that must carry this one value, e.g. "-6ch 1".
    Switches &flag(const char *name, const char *value, bool &field)
    {
        Block *b = b_;
        return on(name, [b, value, &field](const std::string &sw) {
            b->word(sw, {value});
            field = true;
        });
    }
    Switches &text(const char *name, std::string &field)
    {
        return valued(name, field, [](Block &b, const std::string &sw) { return b.value(sw); });
    }
    template <class T> Switches &integer(const char *name, T &field, int lo, int hi, Before before = {})
    {
        return valued(name, field, [lo, hi](Block &b, const std::string &sw) { return b.integer(sw, lo, hi); }, before);
    }
    template <class T> Switches &number(const char *name, T &field, double lo, double hi, Before before = {})
    {
        return valued(name, field, [lo, hi](Block &b, const std::string &sw) { return b.number(sw, lo, hi); }, before);
    }
    // A bit rate that must be one of the encoder's list.
    Switches &bitRate(const char *name, int &field, std::span<const int> rates, const char *kind, Before before = {})
    {
        return valued(name, field, [rates, kind](Block &b, const std::string &sw) { return b.listed(sw, rates, kind); },
                      before);
    }
    Switches &word(const char *name, std::string &field, std::vector<std::string> allowed, bool ignoreCase = false)
    {
        return valued(name, field, [allowed = std::move(allowed), ignoreCase](Block &b, const std::string &sw) {
            return b.word(sw, allowed, ignoreCase);
        });
    }
    // Switches of which at most one may stand, each giving the field its own value; the
    // field's empty value (T()) means that none has stood yet.
    template <class T>
    Switches &oneOf(std::vector<std::pair<const char *, T>> choices, T &field, std::string twice)
    {
        for (const auto &[name, value] : choices)
            on(name, [&field, value = value, twice](const std::string &) {
                if (field != T())
                    Fail(twice);
                field = value;
            });
        return *this;
    }

    void read()
    {
        while (!b_->atEnd()) {
            auto rule = std::find_if(rules_.begin(), rules_.end(), [&](const Rule &r) { return r.name == b_->peek(); });
            bool known = rule != rules_.end();
            std::string sw = known && rule->mayRepeat ? b_->nextAllowRepeat() : b_->next();
            if (!known)
                b_->unknown(sw);
            rule->action(sw);
        }
    }

private:
    // A switch with a value: what read() takes from the block goes into the field.
    template <class T, class Read> Switches &valued(const char *name, T &field, Read read, Before before = {})
    {
        Block *b = b_;
        return on(name, [b, &field, read = std::move(read), before](const std::string &sw) {
            if (before)
                before();
            field = read(*b, sw);
        });
    }
    struct Rule {
        std::string name;
        Action action;
        bool mayRepeat;
    };
    Switches &add(const char *name, Action action, bool mayRepeat)
    {
        rules_.push_back({name, std::move(action), mayRepeat});
        return *this;
    }
    Block *b_;
    std::vector<Rule> rules_;
};

// "-3db", "0db", "+2dB", "-3": a level in decibels.
bool ParseDecibels(const std::string &text, double &out)
{
    std::string t = Lower(text);
    if (t.size() > 2 && t.compare(t.size() - 2, 2, "db") == 0)
        t.resize(t.size() - 2);
    return ParseNumber(t, out);
}

double Decibels(Block &b, const std::string &sw)
{
    std::string v = b.value(sw);
    double d = 0;
    if (!ParseDecibels(v, d) || d < -96 || d > 96)
        Fail("value \"" + v + "\" of switch \"" + sw + "\" in block \"" + b.name() + "\" is not a level in dB");
    return d;
}

CoreBlock ParseCore(Block &b)
{
    CoreBlock c;
    auto logFile = [&](const std::string &sw) {
        if (!c.logFile.empty())
            Fail("block \"-core(\" names two log files");
        c.logFile = b.value(sw);
        c.logAppend = sw == "-logfilea";
        if (c.logFile.empty())
            Fail("switch \"" + sw + "\" of block \"-core(\" names no file");
    };
    Switches(b)
        .text("-input", c.input)
        .text("-output", c.output)
        .on("-logfile", logFile)
        .on("-logfilea", logFile)
        .flag("-noid3", c.noId3)
        .oneOf<OutputMode>({{"-6chwav", OutputMode::Wav6ch}, {"-2ch", OutputMode::Wav2ch}, {"-6ch", OutputMode::Mono6},
                            {"-6chfloat", OutputMode::Mono6Float}, {"-6chaiff", OutputMode::Aiff6BE},
                            {"-6chliff", OutputMode::Aiff6LE}, {"-5chaiff", OutputMode::Aiff5BE},
                            {"-ddwav", OutputMode::DDWav}},
                           c.mode, "block \"-core(\" has two output modes")
        .read();
    if (c.input.empty())
        Fail("block \"-core(\" names no input file");
    if (c.output.empty())
        Fail("block \"-core(\" names no output file");
    return c;
}

AzidBlock ParseAzid(Block &b)
{
    AzidBlock a;
    auto normaliseOnce = [&] {
        if (a.maximize || a.normalisePeak)
            Fail("block \"-azid(\" asks twice for normalisation");
    };
    Switches(b)
        .flag("-n1", a.dialogNormalisation)
        .word("-s", a.downmix, {"mono", "stereo", "dpl", "dplii"}, true)
        .flag("-d", "2/0", a.rearDecode20)
        .flag("-f1", a.rearFilter)
        .word("-c", a.compression, {"normal", "light", "heavy", "inverse"}, true)
        .on("-L", [&](const std::string &sw) { a.lfeDb = Decibels(b, sw); })
        .on("--maximize",
            [&](const std::string &) {
                normaliseOnce();
                a.maximize = true;
            })
        // "-g" stands once for the peak to normalise to ("0.xx") and once for a gain in dB.
        .onEach("-g",
                [&](const std::string &sw) {
                    std::string v = b.value(sw);
                    std::string lv = Lower(v);
                    double d = 0;
                    bool isDb = lv.size() > 2 && lv.compare(lv.size() - 2, 2, "db") == 0;
                    if (!isDb && lv.rfind("0.", 0) == 0 && ParseNumber(v, d) && d > 0 && d <= 1) {
                        normaliseOnce();
                        a.normalisePeak = d;
                    } else if (ParseDecibels(v, d) && d >= -96 && d <= 96) {
                        if (a.gainDb)
                            Fail("block \"-azid(\" has two manual gains");
                        a.gainDb = d;
                    } else {
                        Fail("value \"" + v +
                             "\" of switch \"-g\" in block \"-azid(\" is neither a peak level nor a gain in dB");
                    }
                })
        .read();
    if (a.rearDecode20 != a.rearFilter)
        Fail("block \"-azid(\" needs \"-d 2/0\" and \"-f1\" together");
    return a;
}

EqualizerBlock ParseShibatch(Block &b)
{
    EqualizerBlock e;
    Switches(b)
        .on("-eq",
            [&](const std::string &sw) {
                e.presetFile = b.value(sw);
                // A preset path with blanks arrives unquoted as several words: join them again.
                while (!b.atEnd())
                    e.presetFile += " " + b.nextAllowRepeat();
            })
        .read();
    if (e.presetFile.empty())
        Fail("block \"-shibatch(\" names no preset file");
    return e;
}

std::pair<double, double> FrameRates(Block &b, const std::string &sw)
{
    double from = b.number(sw, 1, 1e6);
    double to = b.number(sw, 1, 1e6);
    if (to / from < 0.5 || to / from > 2.0)
        Fail("frame rates of switch \"" + sw + "\" in block \"" + b.name() + "\" differ too much");
    return {from, to};
}

OtaBlock ParseOta(Block &b)
{
    OtaBlock o;
    if (b.atEnd())
        Fail("block \"-ota(\" is empty");
    auto gainMode = [&](GainMode mode) {
        if (o.gainMode != GainMode::None)
            Fail("block \"-ota(\" has two gain modes");
        return mode;
    };
    Switches(b)
        .number("-d", o.delayMs, -3600e3, 3600e3)
        .on("-hybridgain", [&](const std::string &) { o.gainMode = gainMode(GainMode::Hybrid); })
        .on("-g",
            [&](const std::string &sw) {
                GainMode mode = gainMode(GainMode::Pre);
                b.word(sw, {"max"});
                o.gainMode = mode;
            })
        .on("-G",
            [&](const std::string &sw) {
                GainMode mode = gainMode(GainMode::Post);
                o.postTarget = b.number(sw, 0.01, 1.0);
                o.gainMode = mode;
            })
        .number("-e", o.appendMs, 0, 3600e3)
        .on("-r", [&](const std::string &sw) { o.frameRate = FrameRates(b, sw); })
        .read();
    return o;
}

SplitBlock ParseSplit(Block &b)
{
    SplitBlock s;
    Switches(b).number("-start", s.start, 0, 1e7).number("-end", s.end, 0, 1e7).read();
    if (!s.start && !s.end)
        Fail("block \"-split(\" has neither start nor end");
    if (s.start && s.end && *s.end <= *s.start)
        Fail("block \"-split(\" ends before it starts");
    return s;
}

int ParseSsrc(Block &b)
{
    std::optional<int> rate;
    Switches(b).integer("--rate", rate, 8000, 192000).read();
    if (!rate)
        Fail("block \"-ssrc(\" gives no rate");
    return *rate;
}

BoostBlock ParseBoost(Block &b)
{
    BoostBlock o;
    bool haveGain = false;
    while (!b.atEnd()) {
        std::string sw = b.next();
        auto eq = sw.find('=');
        std::string key = sw.substr(0, eq);
        std::string val = eq == std::string::npos ? std::string() : sw.substr(eq + 1);
        double d = 0;
        if (eq == std::string::npos || !ParseNumber(val, d))
            Fail("switch \"" + sw + "\" of block \"-boost(\" is not of the form /name=value");
        if (key == "/b" || key == "/b2" || key == "/b3") {
            if (haveGain)
                Fail("block \"-boost(\" has two presets");
            if (d < 0 || d > 24)
                Fail("value of switch \"" + sw + "\" in block \"-boost(\" is out of range");
            haveGain = true;
            o.preset = key == "/b" ? 1 : key == "/b2" ? 2 : 3;
            o.gainDb = d;
        } else if (key == "/l") {
            if (d <= 0 || d > 1)
                Fail("value of switch \"" + sw + "\" in block \"-boost(\" is out of range");
            o.limit = d;
        } else {
            b.unknown(sw);
        }
    }
    if (!haveGain)
        Fail("block \"-boost(\" has no preset");
    return o;
}

SoundTouchBlock ParseSoundTouch(Block &b)
{
    SoundTouchBlock s;
    Switches(b)
        .on("-r", [&](const std::string &sw) { s.frameRate = FrameRates(b, sw); })
        .number("-tempo", s.tempoPercent, -95, 5000)
        .number("-pitch", s.pitchSemitones, -60, 60)
        .number("-rate", s.ratePercent, -95, 5000)
        .flag("-quick", s.quick)
        .flag("-naa", s.noAntiAlias)
        .read();
    return s;
}

PluginBlock ParsePlugin(Block &b)
{
    PluginBlock p;
    // The names are written unquoted: a path with blanks arrives as several words.
    auto name = [&](std::string &field) {
        return [&b, &field](const std::string &sw) {
            field = b.value(sw);
            while (!b.atEnd() && b.peek() != "-name" && b.peek() != "-func")
                field += " " + b.nextAllowRepeat();
        };
    };
    Switches(b).on("-name", name(p.dllName)).on("-func", name(p.function)).read();
    return p;
}

// An encoder takes one target, a bit rate or a quality. target(mode) is what each switch
// that names one does first: it sets the rate mode, and refuses a second target with the
// block's own message.
auto Targets(EncoderBlock &e, std::string twoTargets)
{
    return [&e, twoTargets = std::move(twoTargets)](RateMode mode) -> Switches::Before {
        return [&e, twoTargets, mode] {
            if (e.rateMode != RateMode::Default)
                Fail(twoTargets);
            e.rateMode = mode;
        };
    };
}

// The bit rates of MPEG audio layer II and of MP3, from the lowest to the highest.
constexpr int kMp2Rates[] = {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
constexpr int kMp3Rates[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256, 320};

// AAC through the "-kdn(" block of the 3GPP reference encoder.
void ParseKdnEnhAac(Block &b, EncoderBlock &e)
{
    e.kind = EncoderKind::Aac3gpp;
    Switches(b)
        .integer("-cbr", e.bitrateKbps, 8, 64)
        .flag("-mono", e.mono)
        .flag("-nops", e.noParametricStereo)
        .read();
    if (!b.given("-cbr"))
        Fail("block \"-kdn(\" of enhAacPlusEnc.exe gives no bit rate");
    e.rateMode = RateMode::Cbr;
}

void ParseKdnFaac(Block &b, EncoderBlock &e)
{
    e.kind = EncoderKind::Faac;
    auto target = Targets(e, "block \"-kdn(\" of faac.exe has two targets");
    Switches(b)
        .integer("-q", e.quality, 10, 500, target(RateMode::Vbr))
        .integer("-b", e.bitrateKbps, 1, 500, target(RateMode::Abr))
        .integer("-c", e.lowpassHz, 1000, 24000)
        .flag("-mp4", e.mp4)
        .flag("--tns", e.tns)
        .word("--obj-type", e.objectType, {"Main", "LC", "SSR", "LTP"})
        .flag("--no-midside", e.noMidSide)
        .on("--mpeg-vers", [&](const std::string &sw) { e.mpegVersion = b.word(sw, {"2", "4"}) == "2" ? 2 : 4; })
        .integer("--shortctl", e.shortBlocks, 0, 2)
        .flag("-6chnew", e.sixChannels)
        .read();
    if (e.rateMode == RateMode::Default)
        Fail("block \"-kdn(\" of faac.exe gives neither -q nor -b");
}

// A "-kdn(" block without "-exe": the Nero engine.
void ParseKdnNero(Block &b, EncoderBlock &e)
{
    e.kind = EncoderKind::Nero;
    auto target = Targets(e, "block \"-kdn(\" has two targets");
    Switches(b)
        .number("-vbr", e.quality, 0, 1, target(RateMode::Vbr))
        .integer("-cbr", e.bitrateKbps, 8, 640, target(RateMode::Cbr))
        .integer("-abr", e.bitrateKbps, 8, 640, target(RateMode::Abr))
        .oneOf<std::string>({{"-aacprofile_lc", "lc"}, {"-aacprofile_he", "he"}, {"-aacprofile_hev2", "hev2"}},
                            e.aacProfile, "block \"-kdn(\" has two AAC profiles")
        .flag("-hintforstreaming", e.hintForStreaming)
        .flag("-6chnew", e.sixChannels)
        .read();
    if (e.rateMode == RateMode::Default)
        Fail("block \"-kdn(\" gives neither -vbr, -cbr nor -abr");
}

void ParseVornak(Block &b, EncoderBlock &e)
{
    e.kind = EncoderKind::WinampAac;
    if (b.atEnd() || b.peek() != "-dllname")
        Fail("block \"-vornak(\" must begin with \"-dllname WA_aac.dll\"");
    b.next();
    std::string dll = b.value("-dllname");
    if (Lower(dll) != "wa_aac.dll")
        Fail("block \"-vornak(\" names an unknown encoder \"" + dll + "\"");
    Switches(b)
        .integer("-cbr", e.bitrateKbps, 8, 320)
        .on("-mpeg2", [&](const std::string &) { e.mpegVersion = 2; })
        .flag("-pns", e.pns)
        .flag("-speech", e.speech)
        .on("-mode", [&](const std::string &sw) { e.winampMode = std::stoi(b.word(sw, {"1", "2", "4"})); })
        .oneOf<std::string>({{"-high", "high"}, {"-lc", "lc"}}, e.winampFormat, "block \"-vornak(\" has two formats")
        .flag("-6chnew", e.sixChannels)
        .read();
    if (!b.given("-cbr"))
        Fail("block \"-vornak(\" gives no bit rate");
    e.rateMode = RateMode::Cbr;
    if (e.sixChannels && e.winampMode != 0)
        Fail("block \"-vornak(\" has a stereo mode and 5.1 output");
}

void ParseOgg(Block &b, EncoderBlock &e)
{
    e.kind = EncoderKind::Vorbis;
    Switches(b)
        .number("-q", e.quality, -0.2, 1.0)
        .integer("-b", e.bitrateKbps, 1, 500)
        .integer("-m", e.minKbps, 0, 500)
        .integer("-M", e.maxKbps, 0, 500)
        .flag("-6ch", "1", e.sixChannels)
        .read();
    bool haveQ = b.given("-q"), haveB = b.given("-b"), haveMin = b.given("-m"), haveMax = b.given("-M");
    if (haveQ && (haveB || haveMin || haveMax))
        Fail("block \"-ogg(\" mixes a quality with bit rates");
    if (haveMin != haveMax || ((haveMin || haveMax) && !haveB))
        Fail("block \"-ogg(\" needs -m, -b and -M together for a managed bit rate");
    if (haveQ)
        e.rateMode = RateMode::Vbr;
    else if (haveMin)
        e.rateMode = RateMode::Abr;
    else if (haveB)
        e.rateMode = RateMode::Cbr;
    else
        Fail("block \"-ogg(\" gives neither a quality nor a bit rate");
    // A minimum or maximum of 0 means none.
    if (e.rateMode == RateMode::Abr &&
        ((e.minKbps > 0 && e.minKbps > e.bitrateKbps) || (e.maxKbps > 0 && e.maxKbps < e.bitrateKbps)))
        Fail("block \"-ogg(\" has a nominal bit rate outside its minimum and maximum");
}

void ParseAc3Enc(Block &b, EncoderBlock &e)
{
    e.kind = EncoderKind::Ac3Enc;
    Switches(b)
        .bitRate("-b", e.bitrateKbps, kAc3BitRates, "AC-3 bit rate")
        .flag("-6ch", e.sixChannels)
        .flag("-intel", e.intelByteOrder)
        .read();
    if (!b.given("-b"))
        Fail("block \"-ac3enc(\" gives no bit rate");
    e.rateMode = RateMode::Cbr;
}

void ParseKdnAften(Block &b, EncoderBlock &e)
{
    e.kind = EncoderKind::Aften;
    auto target = Targets(e, "block \"-kdn(\" of aften.exe has two targets");
    Switches(b)
        .bitRate("-b", e.bitrateKbps, kAc3BitRates, "AC-3 bit rate", target(RateMode::Cbr))
        .integer("-q", e.quality, 0, 1023, target(RateMode::Vbr))
        .flag("-6chnew", e.sixChannels)
        .read();
    if (e.rateMode == RateMode::Default)
        Fail("block \"-kdn(\" of aften.exe gives neither -b nor -q");
}

void ParseMp2(Block &b, EncoderBlock &e, bool mp2enc)
{
    e.kind = mp2enc ? EncoderKind::Mp2Enc : EncoderKind::TooLame;
    Switches(b)
        .on("-m", [&](const std::string &sw) { e.mp2Mode = b.word(sw, {"s", "d", "j", "m"})[0]; })
        .bitRate("-b", e.bitrateKbps, kMp2Rates, "MPEG audio layer II bit rate")
        .integer("-v", e.mp2Vbr, -5, 15)
        .read();
    if (!b.given("-b"))
        Fail("block \"" + b.name() + "\" gives no bit rate");
    e.rateMode = RateMode::Cbr;
}

void ParseLame(Block &b, EncoderBlock &e)
{
    e.kind = EncoderKind::Lame;
    auto target = Targets(e, "block \"-lame(\" has two targets");
    // The switches of the variable bit rate stand after "-v".
    auto afterV = [&b](const char *sw) -> Switches::Before {
        return [&b, sw] {
            if (!b.given("-v"))
                Fail(std::string("switch \"") + sw + "\" of block \"-lame(\" must follow \"-v\"");
        };
    };
    Switches(b)
        .flag("-x", e.swapBytes)
        .flag("--noath", e.noAth)
        .flag("--athonly", e.athOnly)
        .flag("-m", "m", e.mono)
        // "-b" is the constant bit rate, or after "-v" the lowest of the variable one.
        .on("-b",
            [&](const std::string &sw) {
                int r = b.listed(sw, kMp3Rates, "MP3 bit rate");
                if (b.given("-v")) {
                    e.minBitrateKbps = r;
                } else {
                    target(RateMode::Cbr)();
                    e.bitrateKbps = r;
                }
            })
        .integer("--abr", e.bitrateKbps, 8, 320, target(RateMode::Abr))
        .on("-v",
            [&](const std::string &) {
                target(RateMode::Vbr)();
                e.quality = 4;
            })
        .on("--vbr-old",
            [&](const std::string &) {
                afterV("--vbr-old")();
                e.vbrNew = false;
            })
        .on("--vbr-new",
            [&](const std::string &) {
                afterV("--vbr-new")();
                e.vbrNew = true;
            })
        .integer("-V", e.quality, 0, 9, afterV("-V"))
        .flag("-p", e.errorProtection)
        .number("--lowpass", e.lowpassKHz, 0.1, 50)
        .on("--resample",
            [&](const std::string &sw) {
                e.resampleKHz = std::stod(b.word(sw, {"8", "11.025", "12", "16", "22.05", "24", "32", "44.1", "48"}));
            })
        .flag("--athshort", e.athShort)
        .integer("--athtype", e.athType, 0, 5)
        .flag("-Y", e.experimentalY)
        .read();
    if (e.rateMode == RateMode::Default)
        Fail("block \"-lame(\" gives neither a bit rate nor a quality");
}

void ParseKdnSpeex(Block &b, EncoderBlock &e)
{
    e.kind = EncoderKind::Speex;
    auto target = Targets(e, "block \"-kdn(\" of speexenc.exe has two targets");
    Switches(b)
        .integer("--quality", e.quality, 0, 10, target(RateMode::Vbr))
        .integer("--abr", e.bitrateKbps, 1, 128, target(RateMode::Abr))
        .integer("--bitrate", e.bitrateKbps, 1, 128, target(RateMode::Cbr))
        .flag("--vbr", e.speexVbr)
        .integer("--comp", e.complexity, 0, 10)
        .flag("--agc", e.agc)
        .integer("--nframes", e.framesPerPacket, 1, 10)
        .flag("--denoise", e.denoise)
        .read();
    if (e.rateMode == RateMode::Default)
        Fail("block \"-kdn(\" of speexenc.exe gives neither a quality nor a bit rate");
}

void ParseKdnFlake(Block &b, EncoderBlock &e)
{
    e.kind = EncoderKind::Flake;
    Switches(b).integer("-level", e.level, 0, 12).flag("-6chnew", e.sixChannels).read();
    if (!b.given("-level"))
        Fail("block \"-kdn(\" of flake.exe gives no level");
}

// The blocks other than the encoders, and where each one's switches go.
struct BlockKind {
    const char *name;  // between "-" and "("
    int order;
    void (*parse)(Block &, KandrumCommand &);
};
const BlockKind kBlocks[] = {
    {"core", OrderCore, [](Block &b, KandrumCommand &c) { c.core = ParseCore(b); }},
    {"azid", OrderAzid, [](Block &b, KandrumCommand &c) { c.azid = ParseAzid(b); }},
    {"shibatch", OrderShibatch, [](Block &b, KandrumCommand &c) { c.equalizer = ParseShibatch(b); }},
    {"ota", OrderOta, [](Block &b, KandrumCommand &c) { c.ota = ParseOta(b); }},
    {"split", OrderSplit, [](Block &b, KandrumCommand &c) { c.split = ParseSplit(b); }},
    {"ssrc", OrderSsrc, [](Block &b, KandrumCommand &c) { c.resampleRate = ParseSsrc(b); }},
    {"boost", OrderBoost, [](Block &b, KandrumCommand &c) { c.boost = ParseBoost(b); }},
    {"soundtouch", OrderSoundTouch, [](Block &b, KandrumCommand &c) { c.soundTouch = ParseSoundTouch(b); }},
    {"plugin", OrderPlugin, [](Block &b, KandrumCommand &c) { c.plugin = ParsePlugin(b); }},
};

// The encoder blocks by name, and the engines of a "-kdn(" block by the lower-cased
// name of its "-exe" (none: Nero).
struct EncoderKindEntry {
    const char *name;
    int order;
    void (*parse)(Block &, EncoderBlock &);
};
const EncoderKindEntry kEncoders[] = {
    {"vornak", OrderAac, ParseVornak},
    {"ogg", OrderOgg, ParseOgg},
    {"ac3enc", OrderEncoder, ParseAc3Enc},
    {"toolame", OrderEncoder, [](Block &b, EncoderBlock &e) { ParseMp2(b, e, false); }},
    {"mp2enc", OrderEncoder, [](Block &b, EncoderBlock &e) { ParseMp2(b, e, true); }},
    {"lame", OrderEncoder, ParseLame},
};
const EncoderKindEntry kKdnEngines[] = {
    {"", OrderAac, ParseKdnNero},
    {"enhaacplusenc.exe", OrderAac, ParseKdnEnhAac},
    {"faac.exe", OrderAac, ParseKdnFaac},
    {"aften.exe", OrderEncoder, ParseKdnAften},
    {"speexenc.exe", OrderEncoder, ParseKdnSpeex},
    {"flake.exe", OrderEncoder, ParseKdnFlake},
};

template <class Entry, size_t N> const Entry *Find(const Entry (&table)[N], const std::string &name)
{
    auto it = std::find_if(std::begin(table), std::end(table), [&](const Entry &e) { return name == e.name; });
    return it == std::end(table) ? nullptr : it;
}

const char *OrderName(int order)
{
    switch (order) {
    case OrderCore: return "-core(";
    case OrderAzid: return "-azid(";
    case OrderAac: return "the AAC encoder block";
    case OrderShibatch: return "-shibatch(";
    case OrderOta: return "-ota(";
    case OrderOgg: return "-ogg(";
    case OrderSplit: return "-split(";
    case OrderSsrc: return "-ssrc(";
    case OrderBoost: return "-boost(";
    case OrderEncoder: return "the encoder block";
    case OrderSoundTouch: return "-soundtouch(";
    default: return "-plugin(";
    }
}

}  // namespace

bool IsBlockOpening(const std::string &arg)
{
    return arg.size() >= 3 && arg[0] == '-' && arg.back() == '(';
}

namespace {

// The name between "-" and "(" of a block's opening argument.
std::string BlockName(const std::string &open)
{
    if (!IsBlockOpening(open))
        Fail("\"" + open + "\" stands outside a block");
    return open.substr(1, open.size() - 2);
}

// The block that opens at args[i], up to its ")"; moves i past it.
Block ReadBlock(const std::vector<std::string> &args, size_t &i)
{
    const std::string &open = args[i];
    BlockName(open);
    std::vector<std::string> tokens;
    ++i;
    while (i < args.size() && args[i] != ")")
        tokens.push_back(args[i++]);
    if (i >= args.size())
        Fail("block \"" + open + "\" is not closed with \")\"");
    ++i;  // the ")"
    return Block(open, tokens);
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string &text)
{
    std::vector<std::string> out;
    size_t i = 0, n = text.size();
    while (i < n) {
        while (i < n && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        if (i >= n)
            break;
        std::string arg;
        bool quoted = false;
        while (i < n && (quoted || (text[i] != ' ' && text[i] != '\t'))) {
            if (text[i] == '\\') {
                size_t k = i;
                while (k < n && text[k] == '\\')
                    ++k;
                size_t count = k - i;
                if (k < n && text[k] == '"') {
                    arg.append(count / 2, '\\');
                    if (count % 2) {
                        arg += '"';
                        i = k + 1;
                    } else {
                        i = k;
                    }
                } else {
                    arg.append(count, '\\');
                    i = k;
                }
            } else if (text[i] == '"') {
                if (quoted && i + 1 < n && text[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += text[i++];
            }
        }
        out.push_back(arg);
    }
    return out;
}

ParseResult ParseKandrumArguments(const std::vector<std::string> &args)
{
    ParseResult result;
    try {
        KandrumCommand &cmd = result.command;
        int lastOrder = -1;
        size_t i = 0;
        if (args.empty())
            Fail("no command given");
        while (i < args.size()) {
            const std::string open = args[i];
            std::string name = BlockName(open);
            Block b = ReadBlock(args, i);
            int order;
            if (const BlockKind *kind = Find(kBlocks, name)) {
                order = kind->order;
                kind->parse(b, cmd);
            } else {
                EncoderBlock e;
                e.blockName = open;
                const EncoderKindEntry *encoder;
                if (name == "kdn") {
                    if (!b.atEnd() && b.peek() == "-exe") {
                        b.next();
                        e.exe = b.value("-exe");
                    }
                    encoder = Find(kKdnEngines, Lower(e.exe));
                    if (!encoder)
                        Fail("block \"-kdn(\" names an unknown encoder \"" + e.exe + "\"");
                } else {
                    encoder = Find(kEncoders, name);
                    if (!encoder)
                        Fail("unknown block \"" + open + "\"");
                }
                order = encoder->order;
                encoder->parse(b, e);
                if (cmd.encoder)
                    Fail("block \"" + open + "\" is a second encoder block");
                cmd.encoder = e;
            }
            if (lastOrder < 0 && order != OrderCore)
                Fail("the command must begin with block \"-core(\"");
            if (order == lastOrder)
                Fail("block \"" + open + "\" is given twice");
            if (order < lastOrder)
                Fail(std::string("block \"") + open + "\" must stand before block \"" + OrderName(lastOrder) + "\"");
            lastOrder = order;
        }
        if (cmd.encoder && cmd.core.mode != OutputMode::None)
            Fail("an output mode of block \"-core(\" cannot go with an encoder block");
        result.ok = true;
    } catch (const GrammarError &e) {
        result.ok = false;
        result.error = e.what();
    }
    return result;
}

ParseResult ParseTempoAndPluginBlocks(const std::vector<std::string> &args)
{
    ParseResult result;
    try {
        KandrumCommand &cmd = result.command;
        int lastOrder = -1;
        size_t i = 0;
        while (i < args.size()) {
            const std::string open = args[i];
            const BlockKind *kind = Find(kBlocks, BlockName(open));
            if (!kind || (kind->order != OrderSoundTouch && kind->order != OrderPlugin))
                Fail("block \"" + open + "\" is not taken here: only \"-soundtouch(\" and \"-plugin(\" may follow");
            Block b = ReadBlock(args, i);
            if (kind->order == lastOrder)
                Fail("block \"" + open + "\" is given twice");
            if (kind->order < lastOrder)
                Fail(std::string("block \"") + open + "\" must stand before block \"" + OrderName(lastOrder) + "\"");
            kind->parse(b, cmd);
            lastOrder = kind->order;
        }
        result.ok = true;
    } catch (const GrammarError &e) {
        result.ok = false;
        result.error = e.what();
    }
    return result;
}

ParseResult ParseKandrumCommandLine(const std::string &text)
{
    return ParseKandrumArguments(SplitCommandLine(text));
}

}  // namespace kandrum
