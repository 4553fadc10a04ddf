#pragma once

// The text that names a system version: the Windows name, edition and version of a version
// record, and the name of the running Linux system from uname() and os-release.

#include <QString>

#include <cstdint>

// What a version query of a Windows system answers.
struct TOSVersionRecord {
    enum TQuery {
        QueryFailed,   // both the extended and the basic query were refused
        BasicQuery,    // only the basic record (no suite mask, no product type)
        ExtendedQuery, // the extended record
    };
    TQuery Query = QueryFailed;
    std::uint32_t MajorVersion = 0;
    std::uint32_t MinorVersion = 0;
    std::uint32_t BuildNumber = 0;
    std::uint32_t PlatformId = 0; // 1 the Windows 95 family, 2 the NT family
    QString CSDVersion;           // the service-pack text
    std::uint16_t SuiteMask = 0;  // extended record only
    std::uint8_t ProductType = 0; // extended record only: 1 workstation, 2 domain controller, 3 server
};

constexpr std::uint32_t VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr std::uint32_t VER_PLATFORM_WIN32_NT = 2;
constexpr std::uint8_t VER_NT_WORKSTATION = 1;
constexpr std::uint8_t VER_NT_SERVER = 3;
constexpr std::uint16_t VER_SUITE_ENTERPRISE = 0x0002;
constexpr std::uint16_t VER_SUITE_DATACENTER = 0x0080;
constexpr std::uint16_t VER_SUITE_PERSONAL = 0x0200;
constexpr std::uint16_t VER_SUITE_BLADE = 0x0400;

// The Windows name, edition and version text of a version record. `registryProductType` is the
// installation's product type ("WINNT", "LANMANNT", "SERVERNT" or anything else), read only when
// the record comes from the basic query.
QString GetWindowsVersionText(const TOSVersionRecord &record, const QString &registryProductType);

// The installation's product type: there is no registry, so it reads as empty.
QString ReadRegistryProductType();

// "<pretty name> (<sysname> <release> <machine>)" from the text of an os-release file and the
// uname() fields; the pretty name falls back to NAME and VERSION, then to "Linux".
QString LinuxSystemText(const QString &osRelease, const QString &sysname, const QString &release,
                        const QString &machine);

// The value of one key of an os-release text, unquoted and unescaped; empty when absent.
QString OsReleaseValue(const QString &osRelease, const QString &key);
