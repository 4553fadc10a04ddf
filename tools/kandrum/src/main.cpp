// Kandrum.exe: the transcoder that the batch runs for every job except 5.1 MP3.
// It reads the block command line, reports progress as "[h:m:s:f]" lines and
// failures as "Error " lines, and exits with 0 only when the output is complete.
#include "KandrumGrammar.h"
#include "Transcoder.h"

#include <chrono>
#include <cstdio>

extern "C" {
#include <libavutil/log.h>
}

int main(int argc, char **argv)
{
    using namespace kandrum;
    InstallStopHandlers();
    av_log_set_level(AV_LOG_QUIET);
    Reporter report;
    std::vector<std::string> args(argv + 1, argv + argc);
    ParseResult parsed = ParseKandrumArguments(args);
    if (!parsed.ok) {
        report.Error(parsed.error);
        return 1;
    }
    const KandrumCommand &cmd = parsed.command;
    try {
        if (!cmd.core.logFile.empty())
            report.OpenLog(cmd.core.logFile, cmd.core.logAppend);
        report.Line("Kandrum transcoder: \"" + cmd.core.input + "\" to \"" + cmd.core.output + "\"");
        CheckCommand(cmd);
        if (!FileExists(cmd.core.input))
            throw JobError("the input file \"" + cmd.core.input + "\" does not exist", 2);
        auto start = std::chrono::steady_clock::now();
        RunJob(cmd, report);
        double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        char buf[64];
        std::snprintf(buf, sizeof buf, "Done in %.2f s.", secs);
        report.Line(buf);
        return 0;
    } catch (const JobError &e) {
        report.Error(e.what());
        return e.exitCode;
    } catch (const std::exception &e) {
        report.Error(e.what());
        return 3;
    }
}
