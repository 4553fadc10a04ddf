#include "IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "PipeGuard.h"

#include <gtest/gtest.h>

#include <chrono>

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
    writeRaw("[S]\nq=  \"C:\\Program Files\\x\"  \nsingle='abc'\nhalf=\"abc\nempty=\nemptyQuoted=\"\"\nemptySingle=  ''  \nlone=\"\nlong=" + longValue + "\n");
    TIniFile ini(path());
    EXPECT_EQ(ini.ReadString("S", "q", ""), "C:\\Program Files\\x");
    EXPECT_EQ(ini.ReadString("S", "single", ""), "abc");
    EXPECT_EQ(ini.ReadString("S", "half", ""), "\"abc");
    EXPECT_EQ(ini.ReadString("S", "empty", "d"), "");
    // A pair of quotes with nothing between them is an empty value, not two quote characters.
    EXPECT_EQ(ini.ReadString("S", "emptyQuoted", "d"), "");
    EXPECT_EQ(ini.ReadString("S", "emptySingle", "d"), "");
    EXPECT_EQ(ini.ReadString("S", "lone", "d"), "\"");
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

namespace {

// A line break in a value, a key or a section name would end the line early and turn the rest
// into lines of their own: the write is refused with the file's path, and nothing changes.
TEST_F(IniFileTest, ALineBreakIsRefusedAndChangesNothing)
{
    const QByteArray before = "[Zolvane]\r\nKandrum_path=/opt/kd/Kandrum.exe\r\nx=1\r\n";
    struct Case {
        const char *name;
        QString section, key, value;
    };
    const Case cases[] = {
        {"LF in a value", "Zolvane", "Kandrum_path", "/tmp/new\nfolder/Kandrum.exe"},
        {"CR in a value", "Zolvane", "Kandrum_path", "/tmp/new\rfolder/Kandrum.exe"},
        {"CR LF ending a value", "Zolvane", "x", "2\r\n[MP3]\r\nmode=1"},
        {"LF in a key", "Zolvane", "a\nb", "1"},
        {"LF in a section name", "Zol\nvane", "x", "1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        writeRaw(before);
        TIniFile ini(path());
        try {
            ini.WriteString(c.section, c.key, c.value);
            ADD_FAILURE() << "no exception";
        } catch (const EIniFileException &e) {
            EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Unable to write to %1").arg(path())))
                << e.Message().toStdString();
        }
        EXPECT_EQ(readRaw(), before);

        // Inside a save pass the refused value leaves the pass's copy as it was too.
        {
            TIniSavePass pass(path());
            ini.WriteString("Zolvane", "y", "2");
            EXPECT_THROW(ini.WriteString(c.section, c.key, c.value), EIniFileException);
            pass.Commit();
        }
        EXPECT_EQ(readRaw(), before + "y=2\r\n");
    }
}

// Within a save pass every TIniFile of the file reads and writes one copy, and the file is
// replaced once, at the commit.
TEST_F(IniFileTest, ASavePassReplacesTheFileOnceAtItsCommit)
{
    const QByteArray before = "[Zolvane]\r\nLeft=10\r\n";
    writeRaw(before);
    {
        TIniSavePass pass(path());
        TIniFile writer(path());
        TIniFile reader(dir.path() + QStringLiteral("/./Zolvane.ini")); // another spelling of the path
        writer.WriteInteger("Zolvane", "Left", 20);
        writer.WriteString("MP3", "vbr_mode", "Fast");
        EXPECT_EQ(reader.ReadInteger("zolvane", "left", 0), 20);
        EXPECT_EQ(reader.ReadString("MP3", "VBR_MODE", ""), "Fast");
        EXPECT_EQ(readRaw(), before); // nothing on disk yet
        pass.Commit();
        EXPECT_EQ(readRaw(), QByteArray("[Zolvane]\r\nLeft=20\r\n\r\n[MP3]\r\nvbr_mode=Fast\r\n"));
    }
    // After the pass every read sees the disk again.
    writeRaw("[Zolvane]\r\nLeft=30\r\n");
    EXPECT_EQ(TIniFile(path()).ReadInteger("Zolvane", "Left", 0), 30);
}

// A pass that ends without its commit (an error on the way) changes nothing; a pass opened
// inside another puts the copy back as it found it, and the outer pass still commits its own.
TEST_F(IniFileTest, APassWithoutCommitChangesNothing)
{
    const QByteArray before = "[Zolvane]\r\nLeft=10\r\n";
    writeRaw(before);
    TIniFile ini(path());
    {
        TIniSavePass pass(path());
        ini.WriteInteger("Zolvane", "Left", 99);
    }
    EXPECT_EQ(readRaw(), before);
    EXPECT_EQ(ini.ReadInteger("Zolvane", "Left", 0), 10);

    {
        TIniSavePass outer(path());
        ini.WriteInteger("Zolvane", "Top", 5);
        {
            TIniSavePass inner(path());
            ini.WriteInteger("Zolvane", "Left", 99);
            EXPECT_EQ(ini.ReadInteger("Zolvane", "Left", 0), 99);
        }
        EXPECT_EQ(ini.ReadInteger("Zolvane", "Left", 0), 10);
        outer.Commit();
    }
    EXPECT_EQ(readRaw(), QByteArray("[Zolvane]\r\nLeft=10\r\nTop=5\r\n"));

    // A committed inner pass keeps its changes for the outer pass, which writes them all at once.
    {
        TIniSavePass outer(path());
        ini.WriteInteger("Zolvane", "Top", 6);
        {
            TIniSavePass inner(path());
            ini.WriteInteger("Zolvane", "Left", 11);
            inner.Commit();
        }
        EXPECT_EQ(readRaw(), QByteArray("[Zolvane]\r\nLeft=10\r\nTop=5\r\n"));
        EXPECT_EQ(ini.ReadInteger("Zolvane", "Left", 0), 11);
        outer.Commit();
    }
    EXPECT_EQ(readRaw(), QByteArray("[Zolvane]\r\nLeft=11\r\nTop=6\r\n"));
}

// A pass whose values are all as stored does not replace the file.
TEST_F(IniFileTest, APassThatChangesNothingLeavesTheFileAlone)
{
    writeRaw("[Zolvane]\r\nLeft=10\r\nlang=English\r\n");
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &before), 0);
    {
        TIniSavePass pass(path());
        TIniFile ini(path());
        ini.WriteInteger("zolvane", "Left", 10);
        ini.WriteString("Zolvane", "lang", "English");
        pass.Commit();
    }
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
}

// The pass follows the same line rules as single writes: the same writes give the same bytes,
// with every line of other programs kept where it stands.
TEST_F(IniFileTest, APassWritesWhatSingleWritesWrite)
{
    QByteArray start = "; kept comment\r\nstray=before any section\r\n[Zolvane]\r\nKandrum_path=/opt/kd/Kandrum.exe\r\n";
    for (int i = 0; i < 300; ++i)
        start += "Foreign" + QByteArray::number(i) + "=other program's value\r\n";
    start += "\r\n\r\n[Other]\r\nKey=\xe9t\xe9\r\n[zolvane]\r\nLeft=second section of the name\r\n[MP3]\r\nvbr=3\r\n\r\n";
    auto writes = [](TIniFile &ini) {
        ini.WriteInteger("ZOLVANE", "Left", 12);        // new key at the end of the first [Zolvane]
        ini.WriteString("Zolvane", "foreign7", "mine"); // replaces the line where it stands
        ini.WriteInteger("MP3", "vbr", 4);
        ini.WriteInteger("MP3", "abr", 128);            // before the trailing blank line
        ini.WriteString("AAC", "engine", "1");          // a new section at the end
        ini.WriteString("aac", "Mode", "\"\"");
        ini.DeleteKey("Zolvane", "Foreign8");
        ini.EraseSection("Other");
        ini.WriteInteger("Zolvane", "Top", 3);          // after the erase, still in the first [Zolvane]
        ini.WriteInteger("zolvane", "LEFT", 13);
    };
    writeRaw(start);
    {
        TIniFile ini(path());
        writes(ini);
    }
    const QByteArray expected = readRaw();
    EXPECT_TRUE(expected.contains("Foreign299=other program's value\r\nLEFT=13\r\nTop=3\r\n\r\n\r\n[zolvane]"));

    writeRaw(start);
    {
        TIniSavePass pass(path());
        TIniFile ini(path());
        writes(ini);
        EXPECT_EQ(ini.ReadInteger("Zolvane", "Left", 0), 13);
        EXPECT_EQ(ini.ReadString("zolvane", "FOREIGN7", ""), "mine");
        EXPECT_FALSE(ini.ValueExists("Zolvane", "Foreign8"));
        EXPECT_FALSE(ini.SectionExists("Other"));
        EXPECT_EQ(ini.ReadString("AAC", "Mode", "d"), "");
        EXPECT_EQ(ini.ReadSection("MP3"), QStringList({"vbr", "abr"}));
        pass.Commit();
    }
    EXPECT_EQ(readRaw(), expected);
}

TEST_F(IniFileTest, APassThatCannotBeCommittedRaisesAndLeavesNoFile)
{
    const QString missingFolder = dir.filePath(QStringLiteral("no/such/folder/Zolvane.ini"));
    TIniSavePass pass(missingFolder);
    TIniFile ini(missingFolder);
    ini.WriteString("Zolvane", "k", "v");
    try {
        pass.Commit();
        FAIL() << "no exception";
    } catch (const EIniFileException &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Unable to write to %1").arg(missingFolder));
    }
    EXPECT_FALSE(QFile::exists(missingFolder));
}

} // namespace

// A named pipe in the settings file's place is never waited for: it reads as an empty file, a
// write is refused without replacing it, and a save pass tells what it found. A hang fails the
// test after ten seconds instead of blocking the run.
TEST_F(IniFileTest, APipeInTheFilesPlaceIsNeitherWaitedForNorReplaced)
{
    const std::string pipe = QFile::encodeName(path()).toStdString();
    ASSERT_TRUE(TPipeGuard::MakePipe(pipe));
    {
        TPipeGuard guard({pipe}, std::chrono::seconds(10));
        TIniFile ini(path());
        EXPECT_EQ(ini.ReadString("Zolvane", "lang", "English"), "English");
        EXPECT_FALSE(ini.SectionExists("Zolvane"));
        EXPECT_THROW(ini.WriteString("Zolvane", "lang", "Deutsch"), EIniFileException);
        {
            TIniSavePass pass(path());
            EXPECT_EQ(pass.ReadStatus(), TReadOpenStatus::NotRegular);
            ini.WriteString("Zolvane", "lang", "Deutsch");
            EXPECT_THROW(pass.Commit(), EIniFileException);
        }
        EXPECT_FALSE(guard.Blocked()) << "the settings file was waited for";
    }
    struct stat st {};
    ASSERT_EQ(::lstat(pipe.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// Every kind of name the program may be given to read, opened once and without waiting.
TEST(RegularFile, OpensOnlyRegularFilesAndNeverWaits)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.ini"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[MAIN]\r\nx=1\r\n");
    }
    const QString pipe = dir.filePath(QStringLiteral("p.ini"));
    ASSERT_TRUE(TPipeGuard::MakePipe(QFile::encodeName(pipe).toStdString()));
    const QString link = dir.filePath(QStringLiteral("l.ini"));
    ASSERT_TRUE(QFile::link(file, link));
    const QString toPipe = dir.filePath(QStringLiteral("lp.ini"));
    ASSERT_TRUE(QFile::link(pipe, toPipe));

    const struct {
        QString path;
        TReadOpenStatus status;
        QByteArray bytes;
    } cases[] = {
        {file, TReadOpenStatus::Opened, "[MAIN]\r\nx=1\r\n"},
        {link, TReadOpenStatus::Opened, "[MAIN]\r\nx=1\r\n"},
        {dir.filePath(QStringLiteral("none.ini")), TReadOpenStatus::Missing, {}},
        {dir.filePath(QStringLiteral("none/a.ini")), TReadOpenStatus::Missing, {}},
        {QString(), TReadOpenStatus::Missing, {}},
        {dir.path(), TReadOpenStatus::NotRegular, {}},
        {pipe, TReadOpenStatus::NotRegular, {}},
        {toPipe, TReadOpenStatus::NotRegular, {}},
        {QStringLiteral("/dev/null"), TReadOpenStatus::NotRegular, {}},
    };
    TPipeGuard guard({QFile::encodeName(pipe).toStdString()}, std::chrono::seconds(10));
    for (const auto &c : cases) {
        QByteArray bytes = "left over";
        EXPECT_EQ(ReadRegularFile(c.path, bytes).Status, c.status) << c.path.toStdString();
        EXPECT_EQ(bytes, c.bytes) << c.path.toStdString();
        QFile opened;
        EXPECT_EQ(OpenRegularFile(c.path, opened).Status, c.status) << c.path.toStdString();
        EXPECT_EQ(opened.isOpen(), c.status == TReadOpenStatus::Opened) << c.path.toStdString();
        if (opened.isOpen())
            EXPECT_EQ(opened.readAll(), c.bytes);
    }
    EXPECT_FALSE(guard.Blocked()) << "a named pipe was waited for";
}
