// Shared pieces of the project's audio programs: errors, output files that appear only
// when complete, the console and log reporter, decoded input sources.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace kandrum {

// A failure that ends the job: the message goes out as an "Error " line.
struct JobError : std::runtime_error {
    int exitCode;
    JobError(const std::string &what, int code = 3) : std::runtime_error(what), exitCode(code) {}
};

std::string AvErrorText(int err);
std::string Lower(std::string s);
std::string Extension(const std::string &path);     // lower-cased, with the dot; "" when none
std::string ReplaceExtension(const std::string &path, const std::string &ext);
std::string FolderOf(const std::string &path);      // with the trailing '/', "" when none
bool FileExists(const std::string &path);
std::string ProgramFolder();                        // folder of the running executable
// The path as given when that file exists; otherwise the file of its folder whose name
// matches ignoring case (names written with a lower-cased extension); else the path as given.
std::string FindIgnoringCase(const std::string &path);

// The temporary file beside `finalPath` that ends in `suffix` (".part", ".part<pid>"): the file
// name followed by the suffix. Where that would pass `nameMax` bytes, the file name is cut short
// (never inside a UTF-8 character) and marked with "~" and eight hex digits of the FNV-1a hash of
// the whole name, so that the temporary name fits wherever the name itself does.
std::string TemporaryName(const std::string &fileName, const std::string &suffix, size_t nameMax);
std::string TemporaryPathBeside(const std::string &finalPath, const std::string &suffix);

// Installs the handlers that remove unfinished outputs on SIGTERM, SIGINT and SIGHUP.
void InstallStopHandlers();

// An output file that exists under its name only once it is complete. It is written
// as an unnamed file in the target folder and linked into place by Commit(); where
// the file system cannot do that, under a temporary name that is removed on failure
// or on a stop signal.
class OutputFile {
public:
    explicit OutputFile(std::string finalPath);
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    const std::string &ioPath() const { return ioPath_; }
    const std::string &finalPath() const { return finalPath_; }
    void Commit();

private:
    std::string finalPath_;
    std::string ioPath_;
    int fd_ = -1;
    int slot_ = -1;
    bool committed_ = false;
};

// Writes the console lines, and the same lines into the log file when one is named.
class Reporter {
public:
    Reporter() = default;
    ~Reporter();
    void OpenLog(const std::string &path, bool append);
    void Line(const std::string &text);
    void Error(const std::string &text) { Line("Error " + text); }

    // Progress lines "[h:m:s:f]" at every tenth of a second of decoded position.
    void StartPass(bool announce);
    void Progress(double seconds, double total);

private:
    FILE *log_ = nullptr;
    double next_ = 0.1;
};

// Decoded audio in planar float at one rate and channel layout.
class Source {
public:
    virtual ~Source() = default;
    virtual int sampleRate() const = 0;
    virtual const AVChannelLayout &layout() const = 0;
    // Fills `frame` (allocated here) with up to `maxSamples`; false at the end.
    virtual bool Read(AVFrame *frame, int maxSamples) = 0;
    virtual double duration() const = 0;   // seconds, 0 when unknown
    virtual AVDictionary *metadata() const { return nullptr; }
    double position() const { return sampleRate() > 0 ? double(samplesRead_) / sampleRate() : 0; }

protected:
    int64_t samplesRead_ = 0;
};

// Order of the six lines of a ".mux" file.
enum class MuxOrder {
    WavOrder,  // FL FR C LFE SL SR
    Ac3Order,  // FL C FR SL SR LFE
};

// Opens a file, a ".mux" file (six mono WAV files as one 5.1 input) or a ".lst" file
// (its files one after the other). Throws JobError.
std::unique_ptr<Source> OpenSource(const std::string &path, MuxOrder order);

// Dialogue level of a raw AC-3 file (1..31, the level below full scale), or 0.
int ReadAc3DialogueLevel(const std::string &path);

}  // namespace kandrum
