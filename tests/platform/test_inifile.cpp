#include "IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

class IniFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("Zolvane.ini")); }

    void writeRaw(const QByteArray &bytes) const
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readRaw() const
    {
        QFile f(path());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
};

TEST_F(IniFileTest, ReadsNamesWithoutRegardToCaseAndTakesTheFirstMatch)
{
    writeRaw("[Zolvane]\r\nKey=first\r\nkey=second\r\n[zolvane]\r\nOther=x\r\n[MP3]\r\nbitrate = 192 \r\n");
    TIniFile ini(path());
    EXPECT_EQ(ini.ReadString("ZOLVANE", "KEY", "d"), "first");
    EXPECT_EQ(ini.ReadString("mp3", "Bitrate", "d"), "192");
    // Only the first section of a name is looked at.
    EXPECT_EQ(ini.ReadString("Zolvane", "Other", "d"), "d");
    EXPECT_EQ(ini.ReadString("Missing", "Key", "d"), "d");
    EXPECT_EQ(ini.ReadString("Zolvane", "Missing", "d"), "d");
}

TEST_F(IniFileTest, ValuesAreTrimmedUnquotedAndCut)
{
    const QByteArray longValue(3000, 'a');
    writeRaw("[S]\nq=  \"C:\\Program Files\\x\"  \nsingle='abc'\nhalf=\"abc\nempty=\nlong=" + longValue + "\n");
    TIniFile ini(path());
    EXPECT_EQ(ini.ReadString("S", "q", ""), "C:\\Program Files\\x");
    EXPECT_EQ(ini.ReadString("S", "single", ""), "abc");
    EXPECT_EQ(ini.ReadString("S", "half", ""), "\"abc");
    EXPECT_EQ(ini.ReadString("S", "empty", "d"), "");
    EXPECT_EQ(ini.ReadString("S", "long", "").size(), 2047);
}

TEST_F(IniFileTest, IntegersAcceptDecimalAndBothHexFormsElseDefault)
{
    struct Case { const char *text; int expected; };
    const Case cases[] = {
        {"42", 42}, {"-7", -7}, {"+3", 3}, {" 12 ", 12}, {"0x1F", 31}, {"0X1f", 31}, {"$1F", 31},
        {"$FFFFFFFF", -1}, {"12abc", -99}, {"abc", -99}, {"", -99}, {"1.5", -99}, {"0x", -99},
        {"99999999999", -99}, {"--5", -99}, {"+-5", -99}, {"- 5", -99}, {"0x-5", -99}, {"$-5", -99},
        {"$0x10", -99}, {"0x 10", -99}, {"$ 1F", -99}, {"-$10", -16}, {"0x7FFFFFFF", 2147483647},
    };
    QByteArray bytes = "[I]\r\n";
    int i = 0;
    for (const Case &c : cases)
        bytes += "k" + QByteArray::number(i++) + "=" + c.text + "\r\n";
    writeRaw(bytes);
    TIniFile ini(path());
    i = 0;
    for (const Case &c : cases) {
        EXPECT_EQ(ini.ReadInteger("I", QStringLiteral("k%1").arg(i), -99), c.expected) << c.text;
        ++i;
    }
    EXPECT_EQ(ini.ReadInteger("I", "absent", 5), 5);
    EXPECT_TRUE(ini.ReadBool("I", "k0", false));
    EXPECT_FALSE(ini.ReadBool("I", "absent", false));
}

TEST_F(IniFileTest, WritesReplaceInPlaceAppendToTheSectionOrAddTheSection)
{
    writeRaw("; settings\n[Zolvane]\nA=1\nB=2\n\n[MP3]\nX=9\n");
    TIniFile ini(path());
    ini.WriteString("zolvane", "a", "10");
    ini.WriteInteger("Zolvane", "C", 3);
    ini.WriteBool("MP3", "Y", true);
    ini.WriteString("AAC", "Z", "z");
    EXPECT_EQ(readRaw(), QByteArray("; settings\r\n[Zolvane]\r\na=10\r\nB=2\r\nC=3\r\n\r\n[MP3]\r\nX=9\r\nY=1\r\n"
                                    "\r\n[AAC]\r\nZ=z\r\n"));
    EXPECT_TRUE(ini.SectionExists("aac"));
    EXPECT_TRUE(ini.ValueExists("MP3", "y"));
    EXPECT_EQ(ini.ReadSections(), QStringList({"Zolvane", "MP3", "AAC"}));
    EXPECT_EQ(ini.ReadSection("Zolvane"), QStringList({"a", "B", "C"}));
}

TEST_F(IniFileTest, AWriteToAMissingFileCreatesIt)
{
    TIniFile ini(path());
    ini.WriteString("Zolvane", "Language", "English");
    EXPECT_EQ(readRaw(), QByteArray("[Zolvane]\r\nLanguage=English\r\n"));
}

TEST_F(IniFileTest, EveryReadSeesTheFileAsItIsNow)
{
    TIniFile reader(path());
    TIniFile writer(path());
    writer.WriteInteger("Zolvane", "check_lfe", 1);
    EXPECT_EQ(reader.ReadInteger("Zolvane", "check_lfe", 0), 1);
    writer.WriteInteger("Zolvane", "check_lfe", 0);
    EXPECT_EQ(reader.ReadInteger("Zolvane", "check_lfe", 1), 0);
    writeRaw("[Zolvane]\r\ncheck_lfe=7\r\n");
    EXPECT_EQ(reader.ReadInteger("Zolvane", "check_lfe", 1), 7);
}

TEST_F(IniFileTest, ARewriteThatKeepsSizeAndTimesIsStillSeen)
{
    // A file system clock that ticks coarsely gives a rewrite within one tick the same times.
    writeRaw("[Zolvane]\r\nLanguage=English\r\n");
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &before), 0);
    TIniFile ini(path());
    EXPECT_EQ(ini.ReadString("Zolvane", "Language", ""), "English");
    writeRaw("[Zolvane]\r\nLanguage=Deutsch\r\n");
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path()).constData(), times, 0), 0);
    EXPECT_EQ(ini.ReadString("Zolvane", "Language", ""), "Deutsch");
}

TEST_F(IniFileTest, AWriteKeepsTheBytesOfEveryOtherLine)
{
    // Bytes that the locale's encoding cannot decode (an older file in another code page) stay
    // as they were on the lines a write does not touch.
    const QByteArray other = "[Zolvane]\r\nLanguage=Fran\xe7" "ais\r\n; \xff\xfe comment\r\nx=1\r\n";
    writeRaw(other);
    TIniFile ini(path());
    ini.WriteString("Zolvane", "x", "2");
    ini.WriteString("MP3", "Mode", "\u00e9");
    EXPECT_EQ(readRaw(), QByteArray("[Zolvane]\r\nLanguage=Fran\xe7" "ais\r\n; \xff\xfe comment\r\nx=2\r\n"
                                    "\r\n[MP3]\r\nMode=\xc3\xa9\r\n"));
    ini.DeleteKey("Zolvane", "x");
    EXPECT_EQ(readRaw(), QByteArray("[Zolvane]\r\nLanguage=Fran\xe7" "ais\r\n; \xff\xfe comment\r\n"
                                    "\r\n[MP3]\r\nMode=\xc3\xa9\r\n"));
}

TEST_F(IniFileTest, EraseAndDeleteKeepTheOtherLines)
{
    writeRaw("[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");
    TIniFile ini(path());
    ini.DeleteKey("a", "X");
    ini.EraseSection("b");
    EXPECT_EQ(readRaw(), QByteArray("[A]\r\ny=2\r\n"));
}

TEST_F(IniFileTest, AFailedWriteRaisesAndLeavesNoHalfFile)
{
    const QString missingFolder = dir.filePath(QStringLiteral("no/such/folder/Zolvane.ini"));
    TIniFile ini(missingFolder);
    try {
        ini.WriteString("Zolvane", "k", "v");
        FAIL() << "no exception";
    } catch (const EIniFileException &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Unable to write to %1").arg(missingFolder));
    }
    EXPECT_FALSE(QFile::exists(missingFolder));
    EXPECT_EQ(ini.ReadString("Zolvane", "k", "d"), "d");
}

} // namespace
