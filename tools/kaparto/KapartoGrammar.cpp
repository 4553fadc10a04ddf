#include "KapartoGrammar.h"

#include <cstdio>
#include <cstdlib>

namespace kaparto {

namespace {

bool ParseSeconds(const std::string &text, double *value)
{
    if (text.empty())
        return false;
    int points = 0;
    int digits = 0;
    for (char c : text) {
        if (c == '.')
            ++points;
        else if (c >= '0' && c <= '9')
            ++digits;
        else
            return false;
    }
    if (points > 1 || digits == 0)
        return false;
    *value = std::strtod(text.c_str(), nullptr);
    return true;
}

KapartoParse Fail(const std::string &message)
{
    KapartoParse result;
    result.error = message;
    return result;
}

} // namespace

KapartoParse ParseKapartoArguments(const std::vector<std::string> &args)
{
    size_t i = 0;
    if (args.empty() || args[0] != "-core(")
        return Fail("the command line must start with a -core( block");
    ++i;
    KapartoCommand cmd;
    bool haveInput = false, havePrefix = false, haveType = false, closed = false;
    while (i < args.size()) {
        const std::string &arg = args[i++];
        if (arg == ")") {
            closed = true;
            break;
        }
        auto value = [&](const char *name, std::string *into, bool *seen) -> std::string {
            if (*seen)
                return std::string("the switch ") + name + " is given twice";
            if (i >= args.size())
                return std::string("the switch ") + name + " needs a value";
            *into = args[i++];
            *seen = true;
            return {};
        };
        std::string problem;
        if (arg == "-input")
            problem = value("-input", &cmd.input, &haveInput);
        else if (arg == "-prefix")
            problem = value("-prefix", &cmd.prefix, &havePrefix);
        else if (arg == "-type")
            problem = value("-type", &cmd.type, &haveType);
        else
            problem = "unknown switch \"" + arg + "\" in the -core( block";
        if (!problem.empty())
            return Fail(problem);
    }
    if (!closed)
        return Fail("the -core( block is not closed");
    if (!haveInput || cmd.input.empty())
        return Fail("no input file given");
    if (!havePrefix || cmd.prefix.empty())
        return Fail("no output prefix given");
    if (!haveType)
        return Fail("no input type given");
    if (cmd.type != "ac3" && cmd.type != "aac" && cmd.type != "mp2" && cmd.type != "mp3" && cmd.type != "ogg"
        && cmd.type != "wav")
        return Fail("unknown type \"" + cmd.type + "\"");
    if (i < args.size()) {
        if (args[i] != "-split(")
            return Fail("unknown block \"" + args[i] + "\"");
        ++i;
        cmd.split = true;
        closed = false;
        while (i < args.size()) {
            const std::string &arg = args[i++];
            if (arg == ")") {
                closed = true;
                break;
            }
            double seconds = 0;
            if (!ParseSeconds(arg, &seconds))
                return Fail("\"" + arg + "\" is not a break point in seconds");
            if (!cmd.breakPoints.empty() && seconds < cmd.breakPoints.back())
                return Fail("the break points are not in ascending order");
            cmd.breakPoints.push_back(seconds);
        }
        if (!closed)
            return Fail("the -split( block is not closed");
        if (i < args.size())
            return Fail("unexpected \"" + args[i] + "\" after the -split( block");
    }
    KapartoParse result;
    result.ok = true;
    result.command = cmd;
    return result;
}

std::string PieceFileName(const KapartoCommand &command, int piece)
{
    char number[16];
    std::snprintf(number, sizeof number, "%02d", piece);
    return command.prefix + number + "." + command.type;
}

} // namespace kaparto
