#pragma once

#include <QByteArray>
#include <QList>

// Splits a whole command line (program and arguments, 8-bit text) into the program and its
// arguments by the rules of the Windows C runtime, so that command lines composed for the
// console programs read the same here:
// - arguments are separated by blanks and tabs;
// - the program name ends at the first blank or tab outside double quotes; its quotes are
//   removed and its backslashes are kept as they stand;
// - in the arguments, double quotes group text with blanks into one argument and are removed;
//   inside a quoted part two double quotes in a row give one literal double quote;
// - 2n backslashes before a double quote give n backslashes and the quote groups;
//   2n+1 backslashes before a double quote give n backslashes and a literal quote;
// - backslashes not followed by a double quote are kept as they stand.
// The first entry is the program name (possibly empty); an empty or blank line gives one empty
// entry.
QList<QByteArray> SplitCommandLine(const QByteArray &commandLine);

// The argument between double quotes, written so that SplitCommandLine gives it back as it
// stands: a double quote inside it, and the backslashes before one or before the closing quote,
// are escaped. A name without either is only put between quotes.
QByteArray QuotedArgument(const QByteArray &text);
