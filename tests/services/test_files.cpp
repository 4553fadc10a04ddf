#include "URessources.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Sets an environment variable for one scope and puts the old state back.
class TScopedEnv
{
public:
    TScopedEnv(const char *name, const char *value)
        : m_name(name)
    {
        if (const char *old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~TScopedEnv()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char *m_name;
    std::optional<std::string> m_old;
};

void Touch(const QString &path, const QByteArray &content = "x")
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

QByteArray Contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

TEST(GetSpecialFolderPath, KindsAndTrailingSeparator)
{
    const struct {
        std::uint8_t kind;
        const char *variable;
        const char *value; // nullptr: unset
        const char *result;
    } cases[] = {
        {21, "ZOLVANE_PROGRAM_FILES", nullptr, "/opt/"},
        {21, "ZOLVANE_PROGRAM_FILES", "/srv/programs", "/srv/programs/"},
        {21, "ZOLVANE_PROGRAM_FILES", "/srv/programs/", "/srv/programs/"},
        {21, "ZOLVANE_PROGRAM_FILES", "/srv/programs///", "/srv/programs/"},
        {21, "ZOLVANE_PROGRAM_FILES", "/", "/"},
        {21, "ZOLVANE_PROGRAM_FILES", "", ""},
        {22, "ZOLVANE_COMMON_FILES", "/usr/share/common", "/usr/share/common/"},
        {22, "ZOLVANE_COMMON_FILES", nullptr, ""},
        {23, "ZOLVANE_CONFIG_PATH", "/etc/zolvane", "/etc/zolvane/"},
        {24, "ZOLVANE_DEVICE_PATH", "/dev/", "/dev/"},
        {25, "ZOLVANE_MEDIA_PATH", "relative/media", "relative/media/"},
        {26, "ZOLVANE_WALLPAPER_DIR", nullptr, ""},
        {26, "ZOLVANE_WALLPAPER_DIR", "/usr/share/backgrounds", "/usr/share/backgrounds/"},
    };
    for (const auto &c : cases) {
        const TScopedEnv env(c.variable, c.value);
        EXPECT_EQ(GetSpecialFolderPath(c.kind), QString::fromLatin1(c.result))
            << int(c.kind) << " " << (c.value ? c.value : "(unset)");
    }
}

TEST(GetSpecialFolderPath, OtherKindsAreEmpty)
{
    const TScopedEnv env("ZOLVANE_PROGRAM_FILES", "/srv/programs");
    for (int kind : {0, 1, 20, 27, 255})
        EXPECT_EQ(GetSpecialFolderPath(static_cast<std::uint8_t>(kind)), QString()) << kind;
}

TEST(GetSystemFolder, FromTheEnvironmentAsItStands)
{
    {
        const TScopedEnv env("ZOLVANE_SYSTEM_FOLDER", nullptr);
        EXPECT_EQ(GetSystemFolder(), QString());
    }
    {
        const TScopedEnv env("ZOLVANE_SYSTEM_FOLDER", "/srv/system");
        EXPECT_EQ(GetSystemFolder(), QStringLiteral("/srv/system"));
    }
    {
        const std::string tooLong = "/" + std::string(254, 'a');
        const TScopedEnv env("ZOLVANE_SYSTEM_FOLDER", tooLong.c_str());
        EXPECT_EQ(GetSystemFolder(), QString());
    }
}

class UniqueFileName : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
};

TEST_F(UniqueFileName, FreeNamesAndNumbers)
{
    EXPECT_EQ(MakeUniqueFileName(Path("a.mp3")), Path("a.mp3"));

    Touch(Path("a.mp3"));
    EXPECT_EQ(MakeUniqueFileName(Path("a.mp3")), Path("a_1.mp3"));
    Touch(Path("a_1.mp3"));
    EXPECT_EQ(MakeUniqueFileName(Path("a.mp3")), Path("a_2.mp3"));
    // A gap is taken: the search starts at 1 each time.
    Touch(Path("a_3.mp3"));
    EXPECT_EQ(MakeUniqueFileName(Path("a.mp3")), Path("a_2.mp3"));

    Touch(Path("noext"));
    EXPECT_EQ(MakeUniqueFileName(Path("noext")), Path("noext_1"));

    // Only the last dot starts the extension.
    Touch(Path("a.tar.gz"));
    EXPECT_EQ(MakeUniqueFileName(Path("a.tar.gz")), Path("a.tar_1.gz"));

    // A dot in a folder name is no extension.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("d.x")));
    Touch(Path("d.x/song"));
    EXPECT_EQ(MakeUniqueFileName(Path("d.x/song")), Path("d.x/song_1"));

    // A folder of that name blocks the name too.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("out.wav")));
    EXPECT_EQ(MakeUniqueFileName(Path("out.wav")), Path("out_1.wav"));

    // A name without a folder part stays without one.
    EXPECT_EQ(MakeUniqueFileName(QStringLiteral("zolvane-no-such-file.mp3")), QStringLiteral("zolvane-no-such-file.mp3"));
}

TEST_F(UniqueFileName, AllNumbersTaken)
{
    Touch(Path("a.mp3"));
    for (int n = 1; n <= 998; ++n)
        Touch(Path("a_") + QString::number(n) + QStringLiteral(".mp3"));
    EXPECT_EQ(MakeUniqueFileName(Path("a.mp3")), Path("a_999.mp3"));
    Touch(Path("a_999.mp3"));
    EXPECT_EQ(MakeUniqueFileName(Path("a.mp3")), Path("a_1000.mp3"));
    // An existing a_1000.mp3 is not handed out to be overwritten.
    Touch(Path("a_1000.mp3"));
    EXPECT_EQ(MakeUniqueFileName(Path("a.mp3")), Path("a_1001.mp3"));
}

TEST_F(UniqueFileName, FileIsMissing)
{
    EXPECT_TRUE(FileIsMissing(Path("nothing")));
    Touch(Path("file"));
    EXPECT_FALSE(FileIsMissing(Path("file")));
    EXPECT_FALSE(FileIsMissing(dir.path()));
    ASSERT_TRUE(QFile::link(Path("nowhere"), Path("dangling")));
    EXPECT_FALSE(FileIsMissing(Path("dangling")));
    EXPECT_EQ(JoinFileName(QStringLiteral("/a/"), QStringLiteral("b"), QStringLiteral(".c")), QStringLiteral("/a/b.c"));
}

class ShellCopy : public UniqueFileName
{
};

TEST_F(ShellCopy, CopiesIntoAFolderAndOverwrites)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("to")));
    Touch(Path("enc_aacplus.dll"), "new content");
    Touch(Path("to/enc_aacplus.dll"), "old");
    QFile::setPermissions(Path("enc_aacplus.dll"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    EXPECT_TRUE(ShellCopyFile(Path("enc_aacplus.dll"), Path("to")));
    EXPECT_EQ(Contents(Path("to/enc_aacplus.dll")), QByteArray("new content"));
    EXPECT_TRUE(QFileInfo(Path("to/enc_aacplus.dll")).isExecutable());

    Touch(Path("nscrt.dll"), "second");
    EXPECT_TRUE(ShellCopyFile(Path("nscrt.dll"), Path("to/")));
    EXPECT_EQ(Contents(Path("to/nscrt.dll")), QByteArray("second"));

    // No temporary file is left behind.
    EXPECT_EQ(QDir(Path("to")).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(ShellCopy, FailuresGiveFalse)
{
    Touch(Path("src.dll"), "data");
    EXPECT_FALSE(ShellCopyFile(Path("missing.dll"), dir.path()));
    EXPECT_FALSE(ShellCopyFile(Path("src.dll"), Path("no-such-folder")));
    // An empty destination copies nothing (no copy into the working folder).
    EXPECT_FALSE(ShellCopyFile(Path("src.dll"), QString()));
    EXPECT_FALSE(ShellCopyFile(dir.path(), Path("src.dll")));

    // A folder in the way is not replaced.
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("to/src.dll")));
    EXPECT_FALSE(ShellCopyFile(Path("src.dll"), Path("to")));
    EXPECT_TRUE(QFileInfo(Path("to/src.dll")).isDir());
}

TEST_F(ShellCopy, OntoItselfKeepsTheFile)
{
    Touch(Path("same.dll"), "keep me");
    EXPECT_TRUE(ShellCopyFile(Path("same.dll"), dir.path()));
    EXPECT_EQ(Contents(Path("same.dll")), QByteArray("keep me"));
}

TEST(ShutDownWindows, RunsTheConfiguredCommand)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString marker = dir.filePath(QStringLiteral("shut down"));
    const std::string command = "echo off > '" + marker.toStdString() + "'";
    {
        const TScopedEnv env("ZOLVANE_SHUTDOWN_COMMAND", command.c_str());
        ShutDownWindows();
    }
    QElapsedTimer timer;
    timer.start();
    while (!QFileInfo::exists(marker) && timer.elapsed() < 10000)
        QThread::msleep(20);
    EXPECT_TRUE(QFileInfo::exists(marker));

    // A command that fails, or one that does not exist, is ignored.
    const TScopedEnv failing("ZOLVANE_SHUTDOWN_COMMAND", "exit 3");
    ShutDownWindows();
    const TScopedEnv missing("ZOLVANE_SHUTDOWN_COMMAND", "/nonexistent/zolvane-poweroff");
    ShutDownWindows();
}
