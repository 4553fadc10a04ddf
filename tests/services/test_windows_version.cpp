#include "WindowsVersion.h"

#include "URessources.h"

#include <gtest/gtest.h>

namespace {

TOSVersionRecord Nt(std::uint32_t major, std::uint32_t minor, std::uint32_t build, const char *sp,
                    std::uint8_t productType, std::uint16_t suite = 0)
{
    TOSVersionRecord r;
    r.Query = TOSVersionRecord::ExtendedQuery;
    r.PlatformId = VER_PLATFORM_WIN32_NT;
    r.MajorVersion = major;
    r.MinorVersion = minor;
    r.BuildNumber = build;
    r.CSDVersion = QString::fromLatin1(sp);
    r.ProductType = productType;
    r.SuiteMask = suite;
    return r;
}

TOSVersionRecord Win9x(std::uint32_t minor, std::uint32_t build, const char *sp)
{
    TOSVersionRecord r;
    r.Query = TOSVersionRecord::ExtendedQuery;
    r.PlatformId = VER_PLATFORM_WIN32_WINDOWS;
    r.MajorVersion = 4;
    r.MinorVersion = minor;
    r.BuildNumber = build;
    r.CSDVersion = QString::fromLatin1(sp);
    return r;
}

TOSVersionRecord Basic(TOSVersionRecord r)
{
    r.Query = TOSVersionRecord::BasicQuery;
    // What the basic record does not carry must not be looked at.
    r.ProductType = VER_NT_SERVER;
    r.SuiteMask = 0xFFFF;
    return r;
}

} // namespace

TEST(GetWindowsVersionText, VersionRecords)
{
    const struct {
        const char *what;
        TOSVersionRecord record;
        const char *registry;
        const char *text;
    } cases[] = {
        {"XP Professional SP2", Nt(5, 1, 2600, "Service Pack 2", VER_NT_WORKSTATION), "",
         "Microsoft Windows XP Professional (version 5.1, Build 2600 : Service Pack 2)"},
        {"XP Home", Nt(5, 1, 2600, "", VER_NT_WORKSTATION, VER_SUITE_PERSONAL), "",
         "Microsoft Windows XP Home Edition (version 5.1, Build 2600 : )"},
        {"6.1 workstation has no name row", Nt(6, 1, 7601, "Service Pack 1", VER_NT_WORKSTATION), "",
         " Professional (version 6.1, Build 7601 : Service Pack 1)"},
        {"build with high bits set", Nt(5, 1, 0x0A280A28, "", VER_NT_WORKSTATION), "",
         "Microsoft Windows XP Professional (version 5.1, Build 2600 : )"},
        {"2000 Professional", Nt(5, 0, 2195, "Service Pack 4", VER_NT_WORKSTATION), "",
         "Microsoft Windows 2000 Professional (version 5.0, Build 2195 : Service Pack 4)"},
        {"NT 4 workstation", Nt(4, 0, 1381, "Service Pack 6", VER_NT_WORKSTATION), "",
         "Microsoft Windows NT Professional (version 4.0, Build 1381 : Service Pack 6)"},
        {"NT 3.51 domain controller", Nt(3, 51, 1057, "", 2), "",
         "Microsoft Windows NT (version 3.51, Build 1057 : )"},
        {"major above 6", Nt(10, 0, 19045, "", VER_NT_WORKSTATION), "", " Professional  (Build 19045)"},
        {"major above 6 with a service pack", Nt(7, 0, 0x10001, "SP9", VER_NT_WORKSTATION), "",
         " Professional SP9 (Build 1)"},
        {"service-pack text is taken as it stands", Nt(10, 0, 22631, "Update %1", VER_NT_WORKSTATION), "",
         " Professional Update %1 (Build 22631)"},
        {"service-pack text is taken as it stands, 6.x", Nt(6, 2, 9200, "%1 %2", VER_NT_WORKSTATION), "",
         " Professional (version 6.2, Build 9200 : %1 %2)"},

        {".NET Server", Nt(5, 1, 3000, "", VER_NT_SERVER), "",
         "Microsoft Windows .NET Server (version 5.1, Build 3000 : )"},
        {".NET DataCenter", Nt(5, 1, 3000, "", VER_NT_SERVER, VER_SUITE_DATACENTER | VER_SUITE_ENTERPRISE), "",
         "Microsoft Windows .NET DataCenter Server (version 5.1, Build 3000 : )"},
        {"2000 Enterprise", Nt(5, 0, 2195, "", VER_NT_SERVER, VER_SUITE_ENTERPRISE), "",
         "Microsoft Windows 2000 Enterprise Server (version 5.0, Build 2195 : )"},
        {"NT 4 Advanced", Nt(4, 0, 1381, "", VER_NT_SERVER, VER_SUITE_ENTERPRISE), "",
         "Microsoft Windows NT Advanced Server (version 4.0, Build 1381 : )"},
        {"Web Server: the mask alone", Nt(5, 2, 3790, "", VER_NT_SERVER, VER_SUITE_BLADE), "",
         " Web Server (version 5.2, Build 3790 : )"},
        {"blade with another bit is a plain server", Nt(5, 2, 3790, "", VER_NT_SERVER, VER_SUITE_BLADE | 0x0010),
         "", " Server (version 5.2, Build 3790 : )"},
        {"other product type", Nt(5, 2, 3790, "", 7), "", "(version 5.2, Build 3790 : )"},

        {"basic WINNT", Basic(Nt(4, 0, 1381, "Service Pack 3", 0)), "WINNT",
         "Microsoft Windows NT Professional (version 4.0, Build 1381 : Service Pack 3)"},
        {"basic LANMANNT", Basic(Nt(4, 0, 1381, "", 0)), "LANMANNT",
         "Microsoft Windows NT Server (version 4.0, Build 1381 : )"},
        {"basic SERVERNT", Basic(Nt(5, 0, 2195, "", 0)), "SERVERNT",
         "Microsoft Windows 2000 Advanced Server (version 5.0, Build 2195 : )"},
        {"basic, product type compared exactly", Basic(Nt(4, 0, 1381, "", 0)), "winnt",
         "Microsoft Windows NT (version 4.0, Build 1381 : )"},
        {"basic, no registry", Basic(Nt(5, 1, 2600, "", 0)), "", "(version 5.1, Build 2600 : )"},

        {"95", Win9x(0, 0x040003B6, " A"), "", "Microsoft Windows 95"},
        {"95 OSR2 (B)", Win9x(0, 0x040003B6, " B"), "", "Microsoft Windows 95 OSR2"},
        {"95 OSR2 (C)", Win9x(0, 0x040003B6, " C"), "", "Microsoft Windows 95 OSR2"},
        {"95, letter not second", Win9x(0, 0, "C"), "", "Microsoft Windows 95"},
        {"98", Win9x(10, 1998, ""), "", "Microsoft Windows 98"},
        {"98 SE", Win9x(10, 2222, " A "), "", "Microsoft Windows 98 SE"},
        {"ME", Win9x(90, 3000, " "), "", "Microsoft Windows Millennium Edition"},
        {"other 9x version", Win9x(5, 0, ""), "", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(GetWindowsVersionText(c.record, QString::fromLatin1(c.registry)), QString::fromLatin1(c.text))
            << c.what;
}

TEST(GetWindowsVersionText, RefusedQueryAndOtherPlatformsGiveEmptyText)
{
    TOSVersionRecord refused = Nt(5, 1, 2600, "Service Pack 2", VER_NT_WORKSTATION);
    refused.Query = TOSVersionRecord::QueryFailed;
    EXPECT_EQ(GetWindowsVersionText(refused, QString()), QString());

    TOSVersionRecord win32s = Nt(3, 10, 0, "", VER_NT_WORKSTATION);
    win32s.PlatformId = 0;
    EXPECT_EQ(GetWindowsVersionText(win32s, QString()), QString());
    win32s.PlatformId = 3;
    EXPECT_EQ(GetWindowsVersionText(win32s, QString()), QString());
}

TEST(LinuxSystemText, FromOsReleaseAndUname)
{
    const QString debian = QStringLiteral(
        "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"
        "NAME=\"Debian GNU/Linux\"\n"
        "VERSION_ID=\"12\"\n"
        "VERSION=\"12 (bookworm)\"\n"
        "ID=debian\n");
    EXPECT_EQ(LinuxSystemText(debian, QStringLiteral("Linux"), QStringLiteral("6.1.0-18-amd64"),
                              QStringLiteral("x86_64")),
              QStringLiteral("Debian GNU/Linux 12 (bookworm) (Linux 6.1.0-18-amd64 x86_64)"));

    const struct {
        const char *osRelease;
        const char *name;
    } cases[] = {
        {"NAME=Fedora\nVERSION=\"39 (Thirty Nine)\"\n", "Fedora 39 (Thirty Nine)"},
        {"NAME='Arch Linux'\n", "Arch Linux"},
        {"# comment\n  PRETTY_NAME=\"A \\\"quoted\\\" \\$name\"  \r\n", "A \"quoted\" $name"},
        {"PRETTY_NAME=\n", "Linux"},
        {"PRETTY_NAME_X=\"no\"\nXPRETTY_NAME=\"no\"\n", "Linux"},
        {"", "Linux"},
        {"\xff\xfe garbage without equals\n=\"\"\n", "Linux"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LinuxSystemText(QString::fromUtf8(c.osRelease), QStringLiteral("Linux"), QStringLiteral("6.1"),
                                  QStringLiteral("aarch64")),
                  QString::fromUtf8(c.name) + QStringLiteral(" (Linux 6.1 aarch64)"))
            << c.osRelease;
}

TEST(LinuxSystemText, TheRunningSystem)
{
    const QString text = GetWindowsVersionText();
    ASSERT_FALSE(text.isEmpty());
    EXPECT_TRUE(text.endsWith(QLatin1Char(')'))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral(" (Linux "))) << text.toStdString();
}
