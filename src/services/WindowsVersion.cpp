#include "WindowsVersion.h"

#include "URessources.h"

#include <QStringList>

QString GetWindowsVersionText(const TOSVersionRecord &r, const QString &registryProductType)
{
    QString text;
    if (r.Query == TOSVersionRecord::QueryFailed)
        return text;

    const QChar spSecond = r.CSDVersion.size() > 1 ? r.CSDVersion.at(1) : QChar();

    if (r.PlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        // The Windows 95 family: a name and its edition, no version numbers.
        if (r.MajorVersion == 4 && r.MinorVersion == 0) {
            AppendWord(text, QStringLiteral("Microsoft Windows 95"), true);
            if (spSecond == QLatin1Char('C') || spSecond == QLatin1Char('B'))
                AppendWord(text, QStringLiteral(" OSR2"), false);
        } else if (r.MajorVersion == 4 && r.MinorVersion == 10) {
            AppendWord(text, QStringLiteral("Microsoft Windows 98"), true);
            if (spSecond == QLatin1Char('A'))
                AppendWord(text, QStringLiteral(" SE"), false);
        } else if (r.MajorVersion == 4 && r.MinorVersion == 90) {
            AppendWord(text, QStringLiteral("Microsoft Windows Millennium Edition"), true);
        }
        return text;
    }

    if (r.PlatformId != VER_PLATFORM_WIN32_NT)
        return text;

    if (r.MajorVersion <= 4)
        AppendWord(text, QStringLiteral("Microsoft Windows NT"), true);
    if (r.MajorVersion == 5 && r.MinorVersion == 0)
        AppendWord(text, QStringLiteral("Microsoft Windows 2000"), true);

    const bool is51 = r.MajorVersion == 5 && r.MinorVersion == 1;
    if (r.Query == TOSVersionRecord::ExtendedQuery) {
        if (r.ProductType == VER_NT_WORKSTATION) {
            if (is51)
                AppendWord(text, QStringLiteral("Microsoft Windows XP"), true);
            if (r.SuiteMask & VER_SUITE_PERSONAL)
                AppendWord(text, QStringLiteral(" Home Edition"), false);
            else
                AppendWord(text, QStringLiteral(" Professional"), false);
        } else if (r.ProductType == VER_NT_SERVER) {
            if (is51)
                AppendWord(text, QStringLiteral("Microsoft Windows .NET"), true);
            if (r.SuiteMask & VER_SUITE_DATACENTER)
                AppendWord(text, QStringLiteral(" DataCenter Server"), false);
            else if (r.SuiteMask & VER_SUITE_ENTERPRISE)
                AppendWord(text, r.MajorVersion == 4 ? QStringLiteral(" Advanced Server")
                                                     : QStringLiteral(" Enterprise Server"),
                           false);
            else if (r.SuiteMask == VER_SUITE_BLADE)
                AppendWord(text, QStringLiteral(" Web Server"), false);
            else
                AppendWord(text, QStringLiteral(" Server"), false);
        }
    } else {
        if (registryProductType == QLatin1String("WINNT"))
            AppendWord(text, QStringLiteral(" Professional"), false);
        else if (registryProductType == QLatin1String("LANMANNT"))
            AppendWord(text, QStringLiteral(" Server"), false);
        else if (registryProductType == QLatin1String("SERVERNT"))
            AppendWord(text, QStringLiteral(" Advanced Server"), false);
    }

    const unsigned build = r.BuildNumber & 0xFFFFu;
    if (r.MajorVersion <= 6)
        AppendWord(text,
                   QStringLiteral("(version %1.%2, Build %3 : %4)")
                       .arg(r.MajorVersion)
                       .arg(r.MinorVersion)
                       .arg(build)
                       .arg(r.CSDVersion),
                   true);
    else
        AppendWord(text, QStringLiteral("%1 (Build %2)").arg(r.CSDVersion, QString::number(build)), true);
    return text;
}

QString ReadRegistryProductType()
{
    return QString();
}

QString OsReleaseValue(const QString &osRelease, const QString &key)
{
    const QStringList lines = osRelease.split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || line.left(eq) != key)
            continue;
        const QString raw = line.mid(eq + 1);
        if (raw.isEmpty())
            return QString();
        const QChar quote = raw.at(0);
        if (quote != QLatin1Char('"') && quote != QLatin1Char('\''))
            return raw;
        // A quoted value: up to the matching quote; inside double quotes a backslash takes the
        // next character as it is.
        QString value;
        for (qsizetype i = 1; i < raw.size(); ++i) {
            const QChar c = raw.at(i);
            if (c == quote)
                break;
            if (quote == QLatin1Char('"') && c == QLatin1Char('\\') && i + 1 < raw.size()) {
                value += raw.at(++i);
                continue;
            }
            value += c;
        }
        return value;
    }
    return QString();
}

QString LinuxSystemText(const QString &osRelease, const QString &sysname, const QString &release,
                        const QString &machine)
{
    QString name = OsReleaseValue(osRelease, QStringLiteral("PRETTY_NAME"));
    if (name.isEmpty()) {
        name = OsReleaseValue(osRelease, QStringLiteral("NAME"));
        const QString version = OsReleaseValue(osRelease, QStringLiteral("VERSION"));
        if (!name.isEmpty() && !version.isEmpty())
            name += QLatin1Char(' ') + version;
    }
    if (name.isEmpty())
        name = QStringLiteral("Linux");
    QStringList kernel;
    for (const QString &part : {sysname, release, machine})
        if (!part.isEmpty())
            kernel << part;
    if (kernel.isEmpty())
        return name;
    return name + QStringLiteral(" (") + kernel.join(QLatin1Char(' ')) + QLatin1Char(')');
}
