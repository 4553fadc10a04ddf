#include "LogWindowFile.h"

#include <gtest/gtest.h>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// A start-up report as the log-line entry writes it: no caption, one time-stamped text.
QList<TLogRow> StartupReport()
{
    return {
        {0, "", {"[09:15:02] :  Zolvane started on Debian GNU/Linux 12 (bookworm)"}},
        {1, "", {"[09:15:02] :  Kandrum.exe is missing"}},
        {3, "", {"[09:15:03] :  caf\xc3\xa9 \xff\xfe raw bytes kept"}},
        {-7, "caption", {}},
        {2, "", {"", "second", ""}},
    };
}

} // namespace

TEST(LogWindowFile, EmptyListIsTwoZeroBytes)
{
    EXPECT_EQ(EncodeLogWindowFile({}), bytes({0, 0}));
    const TLogReadResult read = DecodeLogWindowFile(bytes({0, 0}));
    EXPECT_TRUE(read.Rows.isEmpty());
    EXPECT_FALSE(read.CutShort);
}

TEST(LogWindowFile, RowLayoutIsLittleEndianWithoutPadding)
{
    const QByteArray file = EncodeLogWindowFile({{3, "ab", {"xyz"}}, {0x01020304, "", {}}});
    EXPECT_EQ(file, bytes({2, 0,                                    // two rows
                           1, 0, 3, 0, 0, 0, 2, 0, 'a', 'b', 3, 0, 'x', 'y', 'z',
                           0, 0, 4, 3, 2, 1, 0, 0}));
    // A row of the log-line entry takes 2 + 4 + 2 + 0 + 2 + n bytes.
    const QByteArray text(37, 'm');
    EXPECT_EQ(EncodeLogWindowFile({{0, "", {text}}}).size(), 2 + (2 + 4 + 2 + 0 + 2 + 37));
}

TEST(LogWindowFile, ReportLoadsBackIdentically)
{
    const QList<TLogRow> rows = StartupReport();
    const TLogReadResult read = DecodeLogWindowFile(EncodeLogWindowFile(rows));
    EXPECT_FALSE(read.CutShort);
    EXPECT_EQ(read.DeclaredRows, rows.size());
    EXPECT_EQ(read.Rows, rows);
}

TEST(LogWindowFile, FileCutAnywhereGivesTheCompleteRowsBeforeTheCut)
{
    const QList<TLogRow> rows = StartupReport();
    const QByteArray file = EncodeLogWindowFile(rows);
    // Where each row ends in the file.
    QList<qsizetype> rowEnds;
    for (qsizetype n = 1; n <= rows.size(); ++n)
        rowEnds.append(EncodeLogWindowFile(rows.mid(0, n)).size());

    for (qsizetype cut = 0; cut < file.size(); ++cut) {
        SCOPED_TRACE(cut);
        const TLogReadResult read = DecodeLogWindowFile(file.left(cut));
        EXPECT_TRUE(read.CutShort);
        qsizetype complete = 0;
        while (complete < rowEnds.size() && rowEnds.at(complete) <= cut)
            ++complete;
        EXPECT_EQ(read.Rows, rows.mid(0, complete));
    }
}

TEST(LogWindowFile, HugeCountsInAShortFileStopAtTheEnd)
{
    // 65535 rows announced, one row claiming 65535 sub-items and a caption of 65535 bytes.
    const TLogReadResult read = DecodeLogWindowFile(bytes({0xff, 0xff, 0xff, 0xff, 0, 0, 0, 0, 0xff, 0xff, 'a'}));
    EXPECT_TRUE(read.CutShort);
    EXPECT_EQ(read.DeclaredRows, 65535);
    EXPECT_TRUE(read.Rows.isEmpty());
}

TEST(LogWindowFile, MoreThan65535RowsKeepsTheFirst65535)
{
    QList<TLogRow> rows;
    for (int i = 0; i < 65537; ++i)
        rows.append({i % 4, "", {QByteArray::number(i)}});
    TLogWriteLosses losses;
    const TLogReadResult read = DecodeLogWindowFile(EncodeLogWindowFile(rows, &losses));
    EXPECT_EQ(losses.RowsLeftOut, 2);
    EXPECT_EQ(losses.TextsCut, 0);
    EXPECT_FALSE(read.CutShort);
    ASSERT_EQ(read.Rows.size(), 65535);
    EXPECT_EQ(read.Rows.last(), rows.at(65534));
}

TEST(LogWindowFile, TextsLongerThan65535BytesAreCutWithAMatchingLength)
{
    const QByteArray longText(70000, 'x');
    const QList<QByteArray> manySubItems(65536, QByteArray("s"));
    const QList<TLogRow> rows{{0, longText, {longText, "after"}}, {1, "", manySubItems}, {3, "", {"last"}}};
    TLogWriteLosses losses;
    const TLogReadResult read = DecodeLogWindowFile(EncodeLogWindowFile(rows, &losses));
    EXPECT_EQ(losses.TextsCut, 2);
    EXPECT_EQ(losses.SubItemsLeftOut, 1);
    EXPECT_EQ(losses.RowsLeftOut, 0);
    EXPECT_FALSE(read.CutShort);
    ASSERT_EQ(read.Rows.size(), 3);
    EXPECT_EQ(read.Rows[0].Caption, longText.left(65535));
    EXPECT_EQ(read.Rows[0].SubItems, (QList<QByteArray>{longText.left(65535), "after"}));
    EXPECT_EQ(read.Rows[1].SubItems.size(), 65535);
    EXPECT_EQ(read.Rows[2], rows[2]);
}

TEST(LogWindowFile, ExactlyAtTheLimitsNothingIsLost)
{
    const QList<TLogRow> rows{{0, QByteArray(65535, 'c'), {QByteArray(65535, 't')}}};
    TLogWriteLosses losses;
    EXPECT_EQ(DecodeLogWindowFile(EncodeLogWindowFile(rows, &losses)).Rows, rows);
    EXPECT_FALSE(losses.Any());
}
