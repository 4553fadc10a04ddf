// A child program for the settings tests that must run under another user: it edits a settings
// file through the INI layer, as the program does, and tells what happened on standard output.
//
//   inifile_child FILE STEP...
//
// Each STEP is "W:section:key:value" (write a key) or "E:section" (erase a section); all steps
// run in one save pass, committed at the end. The first output line tells whether the file's
// folder takes a new file from this process ("folder takes a new file" or "folder refuses a new
// file"); then either "written" followed by "section/key=value" for each key written, read back
// through the layer, or "error: <message>" with exit code 2.
#include "IniFile.h"

#include <QFileInfo>
#include <QString>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: inifile_child FILE STEP...\n");
        return 1;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);

    const QByteArray probe = QFile::encodeName(QFileInfo(file).absolutePath() + QStringLiteral("/probe.new"));
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        ::unlink(probe.constData());
        std::printf("folder takes a new file\n");
    } else {
        std::printf("folder refuses a new file (%s)\n", errno == EACCES ? "EACCES" : "other");
    }

    struct Written {
        QString section, key;
    };
    QList<Written> written;
    try {
        TIniSavePass pass(file);
        TIniFile ini(file);
        for (int i = 2; i < argc; ++i) {
            const QStringList parts = QString::fromLocal8Bit(argv[i]).split(u':');
            if (parts.value(0) == QLatin1String("W") && parts.size() == 4) {
                ini.WriteString(parts[1], parts[2], parts[3]);
                written << Written{parts[1], parts[2]};
            } else if (parts.value(0) == QLatin1String("E") && parts.size() == 2) {
                ini.EraseSection(parts[1]);
            } else {
                std::fprintf(stderr, "bad step %s\n", argv[i]);
                return 1;
            }
        }
        pass.Commit();
    } catch (const EIniFileException &error) {
        std::printf("error: %s\n", qPrintable(error.Message()));
        return 2;
    }
    std::printf("written\n");
    const TIniFile ini(file);
    for (const Written &w : written)
        std::printf("%s/%s=%s\n", qPrintable(w.section), qPrintable(w.key),
                    qPrintable(ini.ReadString(w.section, w.key, QStringLiteral("<missing>"))));
    return 0;
}
