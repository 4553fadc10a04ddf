// The settings file of a shared install: the file may be written by the user, its folder may
// not. The edits run in a child program under an unprivileged user (when the tests run as root,
// for whom no permission bit counts) or in a folder made read-only (otherwise); each case first
// checks that the folder really refuses the child a new file.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <ostream>

#include <unistd.h>

// Readable texts in the failure messages.
void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

constexpr uid_t kUnprivileged = 65534; // "nobody"

const QString kChild = QStringLiteral(ZOLVANE_TEST_BIN_DIR "/inifile_child");

struct ChildResult {
    int exitCode = -1;
    QStringList lines;
};

class SharedInstallFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        m_folder = m_root.filePath(QStringLiteral("install"));
        ASSERT_TRUE(QDir().mkdir(m_folder));
        if (::geteuid() == 0) {
            m_setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
            ASSERT_FALSE(m_setpriv.isEmpty()) << "setpriv (util-linux) is needed to drop root";
            // The temporary folder above is private to its owner: the other user may pass it.
            ASSERT_EQ(::chmod(QFile::encodeName(m_root.path()).constData(), 0755), 0);
        }
    }
    void TearDown() override
    {
        ::chmod(QFile::encodeName(m_folder).constData(), 0755);
    }

    QString path() const { return m_folder + QStringLiteral("/Zolvane.ini"); }

    // The settings file as given, writable by the child (or not), in a folder the child cannot
    // write.
    void lay(const QByteArray &bytes, bool fileWritable)
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        const QByteArray file = QFile::encodeName(path());
        ASSERT_EQ(::chmod(file.constData(), fileWritable ? 0666 : 0444), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(m_folder).constData(), 0555), 0);
    }

    ChildResult run(const QStringList &steps) const
    {
        QProcess child;
        QStringList arguments;
        QString program = kChild;
        if (!m_setpriv.isEmpty()) {
            program = m_setpriv;
            arguments << QStringLiteral("--reuid=%1").arg(kUnprivileged)
                      << QStringLiteral("--regid=%1").arg(kUnprivileged) << QStringLiteral("--clear-groups")
                      << kChild;
        }
        arguments << path() << steps;
        child.start(program, arguments);
        ChildResult result;
        if (!child.waitForFinished(30000)) {
            child.kill();
            child.waitForFinished();
            return result;
        }
        result.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
        result.lines = QString::fromLocal8Bit(child.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        return result;
    }

    QByteArray readRaw() const
    {
        QFile f(path());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }

    QStringList folderEntries() const
    {
        return QDir(m_folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir m_root;
    QString m_folder;
    QString m_setpriv;
};

TEST_F(SharedInstallFolder, AWritableFileInAFolderThatTakesNoNewFileIsWrittenInPlace)
{
    struct Case {
        const char *name;
        QByteArray before;
        QStringList steps;
        QByteArray after;
        QStringList readBack;
    };
    const Case cases[] = {
        {"the file grows",
         "[Zolvane]\r\nLeft=10\r\n",
         {"W:Zolvane:Left:120", "W:Zolvane:Top:80", "W:AC3:channels:6"},
         "[Zolvane]\r\nLeft=120\r\nTop=80\r\n\r\n[AC3]\r\nchannels=6\r\n",
         {"Zolvane/Left=120", "Zolvane/Top=80", "AC3/channels=6"}},
        {"the file shrinks: nothing of the longer text is left behind",
         "[Zolvane]\r\nLeft=10\r\n\r\n[MP3]\r\nvbr_mode=" + QByteArray(3000, 'x') + "\r\n",
         {"E:MP3", "W:Zolvane:Left:7"},
         "[Zolvane]\r\nLeft=7\r\n\r\n",
         {"Zolvane/Left=7"}},
        {"an empty file", "", {"W:Zolvane:lang:Deutsch"}, "[Zolvane]\r\nlang=Deutsch\r\n", {"Zolvane/lang=Deutsch"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ::chmod(QFile::encodeName(m_folder).constData(), 0755);
        lay(c.before, true);
        const ChildResult result = run(c.steps);
        ASSERT_FALSE(result.lines.isEmpty()) << "the child did not run";
        ASSERT_TRUE(result.lines.first().startsWith(QLatin1String("folder refuses a new file")))
            << qPrintable(result.lines.first());
        EXPECT_EQ(result.exitCode, 0) << qPrintable(result.lines.join(u'\n'));
        EXPECT_EQ(result.lines.mid(1), QStringList{QStringLiteral("written")} + c.readBack);
        EXPECT_EQ(readRaw(), c.after);
        // Nothing was left beside the file.
        EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("Zolvane.ini")});
    }
}

TEST_F(SharedInstallFolder, AFileThatMayNotBeWrittenEitherRaisesAndStaysAsItWas)
{
    const QByteArray before = "[Zolvane]\r\nLeft=10\r\n";
    lay(before, false);
    const ChildResult result = run({QStringLiteral("W:Zolvane:Left:120")});
    ASSERT_FALSE(result.lines.isEmpty()) << "the child did not run";
    ASSERT_TRUE(result.lines.first().startsWith(QLatin1String("folder refuses a new file")));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.lines.mid(1), QStringList{QStringLiteral("error: Unable to write to %1").arg(path())});
    EXPECT_EQ(readRaw(), before);
    EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("Zolvane.ini")});
}

TEST_F(SharedInstallFolder, AMissingFileInSuchAFolderRaises)
{
    ASSERT_EQ(::chmod(QFile::encodeName(m_folder).constData(), 0555), 0);
    const ChildResult result = run({QStringLiteral("W:Zolvane:Left:120")});
    ASSERT_FALSE(result.lines.isEmpty()) << "the child did not run";
    ASSERT_TRUE(result.lines.first().startsWith(QLatin1String("folder refuses a new file")));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.lines.mid(1), QStringList{QStringLiteral("error: Unable to write to %1").arg(path())});
    EXPECT_TRUE(folderEntries().isEmpty());
}

} // namespace
