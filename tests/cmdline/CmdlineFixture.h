#pragma once

#include "KDCmdlGrammar.h"

#include <gtest/gtest.h>

#include <QString>

#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

inline void PrintTo(const QByteArray &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

// A snapshot with one selected job and every optional block off, so that a test switches
// on exactly what it looks at.
inline KDCmdlSnapshot quietJob(KDPage page = KDPage::None)
{
    KDCmdlSnapshot s;
    s.activePage = page;
    s.rowCount = 1;
    s.hasSelectedRow = true;
    s.selectedRow = {QStringLiteral("/music/"), QStringLiteral("song.ac3"), QStringLiteral("/out/"),
                     QStringLiteral("song.mp3")};
    s.chOutputLog = false;
    s.chLFEtoLR = false;
    s.chOutputMode = false;
    return s;
}

// The program token and core block of quietJob().
inline QString quietCore()
{
    return QStringLiteral("\"Kandrum.exe\" -core( -input \"/music/song.ac3\" -output \"/out/song.mp3\"  )");
}

// What the builder appended after the core block of quietJob(); fails when the command
// does not start with that core block.
inline QString afterCore(const KDCmdlResult &r)
{
    EXPECT_TRUE(r.rowCmd.startsWith(quietCore())) << r.rowCmd.toStdString();
    return r.rowCmd.mid(quietCore().size());
}
