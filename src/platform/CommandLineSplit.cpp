#include "CommandLineSplit.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

QList<QByteArray> SplitCommandLine(const QByteArray &commandLine)
{
    QList<QByteArray> result;
    const char *p = commandLine.constData();
    const char *const end = p + commandLine.size();

    // The program name: quotes toggle, nothing is escaped.
    while (p < end && IsBlank(*p))
        ++p;
    QByteArray program;
    bool inQuote = false;
    while (p < end && (inQuote || !IsBlank(*p))) {
        if (*p == '"')
            inQuote = !inQuote;
        else
            program += *p;
        ++p;
    }
    result.append(program);

    // The arguments.
    for (;;) {
        while (p < end && IsBlank(*p))
            ++p;
        if (p >= end)
            break;
        QByteArray arg;
        inQuote = false;
        for (;;) {
            bool copyChar = true;
            int slashes = 0;
            while (p < end && *p == '\\') {
                ++p;
                ++slashes;
            }
            if (p < end && *p == '"') {
                if (slashes % 2 == 0) {
                    if (inQuote && p + 1 < end && p[1] == '"') {
                        ++p; // "" inside quotes: one literal quote
                    } else {
                        copyChar = false;
                        inQuote = !inQuote;
                    }
                }
                slashes /= 2;
            }
            arg.append(slashes, '\\');
            if (p >= end || (!inQuote && IsBlank(*p)))
                break;
            if (copyChar)
                arg += *p;
            ++p;
        }
        result.append(arg);
    }
    return result;
}

QByteArray QuotedArgument(const QByteArray &text)
{
    if (!text.contains('"') && !text.endsWith('\\'))
        return '"' + text + '"';
    QByteArray out = "\"";
    int backslashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            out += QByteArray(backslashes * 2 + 1, '\\');
            out += '"';
        } else {
            out += QByteArray(backslashes, '\\');
            out += c;
        }
        backslashes = 0;
    }
    out += QByteArray(backslashes * 2, '\\');
    return out + '"';
}
