#include "PEImageBuilder.h"
#include "PEVersionResource.h"
#include "URessources.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

std::optional<TFixedFileInfo> FixedInfoOf(const std::vector<std::uint8_t> &image)
{
    const auto resource = FindVersionResource(image);
    if (!resource)
        return std::nullopt;
    return ParseFixedFileInfo(*resource);
}

QString WriteFile(const QTemporaryDir &dir, const char *name, const std::vector<std::uint8_t> &bytes)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
}

} // namespace

TEST(PEVersionResource, ReadsTheFixedFileInfoOfPe32AndPe32Plus)
{
    for (bool plus : {false, true}) {
        TPEImageOptions o;
        o.Pe32Plus = plus;
        o.FileVersionMS = 0xFFFF0001;
        o.FileVersionLS = 0x00020003;
        const TPEImage image(o);
        const auto resource = FindVersionResource(image.Bytes);
        ASSERT_TRUE(resource) << plus;
        EXPECT_EQ(resource->data(), image.Bytes.data() + TPEImage::VersionOffset);
        EXPECT_EQ(resource->size(), image.VersionSize);
        const auto info = ParseFixedFileInfo(*resource);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->dwSignature, FixedFileInfoSignature);
        EXPECT_EQ(info->dwFileVersionMS, 0xFFFF0001u);
        EXPECT_EQ(info->dwFileVersionLS, 0x00020003u);
    }
}

TEST(PEVersionResource, AnotherNameOrNoFixedInfo)
{
    // The version resource is found under any name, not only number 1.
    TPEImageOptions named;
    named.ResourceName = 7;
    EXPECT_TRUE(FixedInfoOf(TPEImage(named).Bytes));

    // A version block without a root value is a resource, but gives no fixed file info.
    TPEImageOptions bare;
    bare.WithFixedInfo = false;
    const TPEImage image(bare);
    ASSERT_TRUE(FindVersionResource(image.Bytes));
    EXPECT_FALSE(ParseFixedFileInfo(*FindVersionResource(image.Bytes)));

    TPEImageOptions unsigned_;
    unsigned_.Signature = 0x12345678;
    EXPECT_FALSE(FixedInfoOf(TPEImage(unsigned_).Bytes));
}

TEST(PEVersionResource, NoVersionResource)
{
    TPEImageOptions icons;
    icons.ResourceType = 3;
    EXPECT_FALSE(FindVersionResource(TPEImage(icons).Bytes));
    EXPECT_FALSE(FindVersionResource(std::vector<std::uint8_t>{}));
    EXPECT_FALSE(FindVersionResource(std::vector<std::uint8_t>{'M', 'Z'}));
    EXPECT_FALSE(FindVersionResource(std::vector<std::uint8_t>(4096, 0)));
}

// Every cut of the image short of its end loses part of the version block: never valid, and with
// the sanitizers on, never a read past the cut.
TEST(PEVersionResource, EveryTruncationIsNotValid)
{
    const TPEImage image;
    for (std::size_t size = 0; size < image.Bytes.size(); ++size) {
        const std::vector<std::uint8_t> cut(image.Bytes.begin(), image.Bytes.begin() + size);
        EXPECT_FALSE(FindVersionResource(cut)) << size;
    }
    EXPECT_TRUE(FindVersionResource(image.Bytes));
}

TEST(PEVersionResource, HostileFieldsAreNotValid)
{
    const struct {
        const char *what;
        std::function<void(TPEImage &)> spoil;
    } cases[] = {
        {"no MZ", [](TPEImage &i) { i.Put16(0, 0x4D5A); }},
        {"PE header past the end", [](TPEImage &i) { i.Put32(0x3C, 0xFFFFFFF0u); }},
        {"PE header at the last bytes", [](TPEImage &i) { i.Put32(0x3C, static_cast<std::uint32_t>(i.Bytes.size() - 2)); }},
        {"no PE signature", [](TPEImage &i) { i.Put32(TPEImage::PeOffset, 0x00004551); }},
        {"unknown optional header", [](TPEImage &i) { i.Put16(TPEImage::PeOffset + 24, 0x107); }},
        {"too few data directories", [](TPEImage &i) { i.Put32(TPEImage::PeOffset + 24 + 92, 2); }},
        {"optional header too short for the directories", [](TPEImage &i) { i.Put16(TPEImage::PeOffset + 20, 96); }},
        {"no resource directory", [](TPEImage &i) { i.Put32(i.ResourceDirectoryField, 0); }},
        {"resource directory outside every section", [](TPEImage &i) { i.Put32(i.ResourceDirectoryField, 0x9000); }},
        {"resource size beyond the section", [](TPEImage &i) { i.Put32(i.ResourceDirectoryField + 4, 0xFFFFFFFFu); }},
        {"huge section count", [](TPEImage &i) { i.Put16(TPEImage::PeOffset + 6, 0xFFFF); }},
        {"section raw data past the end of the file", [](TPEImage &i) { i.Put32(i.SectionTable + 20, 0xFFFFFF00u); }},
        {"raw size shorter than the resources", [](TPEImage &i) { i.Put32(i.SectionTable + 16, 0x40); }},
        {"huge entry counts", [](TPEImage &i) { i.Put16(TPEImage::RawOffset + 12, 0xFFFF); i.Put16(TPEImage::RawOffset + 14, 0xFFFF); }},
        {"type entry leads to data, not a directory", [](TPEImage &i) { i.Put32(TPEImage::RawOffset + 20, 0x18); }},
        {"subdirectory outside the resources", [](TPEImage &i) { i.Put32(TPEImage::RawOffset + 20, 0xFFFFFFFFu); }},
        {"language entry is a directory", [](TPEImage &i) { i.Put32(TPEImage::RawOffset + 0x30 + 20, 0x80000000u | 0x30); }},
        {"data entry outside the resources", [](TPEImage &i) { i.Put32(TPEImage::RawOffset + 0x30 + 20, 0x7FFFFFF0u); }},
        {"data address outside the section", [](TPEImage &i) { i.Put32(i.DataEntry, 0x5000); }},
        {"data address wraps", [](TPEImage &i) { i.Put32(i.DataEntry, 0xFFFFFFF0u); }},
        {"data size past the section", [](TPEImage &i) { i.Put32(i.DataEntry + 4, 0x1000); }},
        {"data size 4 GiB", [](TPEImage &i) { i.Put32(i.DataEntry + 4, 0xFFFFFFFFu); }},
        {"zero data size", [](TPEImage &i) { i.Put32(i.DataEntry + 4, 0); }},
        {"block longer than the data", [](TPEImage &i) { i.Put16(TPEImage::VersionOffset, 0xFFFF); }},
        {"block shorter than its key", [](TPEImage &i) { i.Put16(TPEImage::VersionOffset, 20); }},
        {"wrong key", [](TPEImage &i) { i.Put16(TPEImage::VersionOffset + 6, 'X'); }},
    };
    for (const auto &c : cases) {
        TPEImage image;
        c.spoil(image);
        EXPECT_FALSE(FindVersionResource(image.Bytes)) << c.what;
    }
}

TEST(PEVersionResource, RootValueMustFitInsideTheBlock)
{
    TPEImage image;
    // The block claims to end before its fixed file info does.
    image.Put16(TPEImage::VersionOffset, 60);
    const auto resource = FindVersionResource(image.Bytes);
    ASSERT_TRUE(resource);
    EXPECT_FALSE(ParseFixedFileInfo(*resource));
}

TEST(TVersionInfo, ReadsAFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TPEImageOptions o;
    o.FileVersionMS = 0x00010005;
    o.FileVersionLS = 0x0000FFFF;
    const TVersionInfo info(WriteFile(dir, "neroaacenc.exe", TPEImage(o).Bytes));
    ASSERT_TRUE(info.Valid());
    EXPECT_EQ(info.Size(), TPEImage(o).VersionSize);
    ASSERT_NE(info.GetFixedFileInfo(), nullptr);
    EXPECT_EQ(FormatFileVersion(info.GetFileVersion()), QStringLiteral("1.5.0.65535"));
}

TEST(TVersionInfo, FilesWithoutAResourceAreNotValid)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TPEImageOptions icons;
    icons.ResourceType = 3;
    std::vector<std::uint8_t> truncated = TPEImage().Bytes;
    truncated.resize(truncated.size() - 1);

    for (const QString &path : {WriteFile(dir, "none.exe", TPEImage(icons).Bytes), WriteFile(dir, "cut.exe", truncated),
                                WriteFile(dir, "empty.exe", {}), dir.filePath(QStringLiteral("missing.exe")),
                                dir.path()}) {
        const TVersionInfo info(path);
        EXPECT_FALSE(info.Valid()) << path.toStdString();
        EXPECT_EQ(info.GetFixedFileInfo(), nullptr);
        EXPECT_EQ(info.Size(), 0u);
    }

    TPEImageOptions bare;
    bare.WithFixedInfo = false;
    const TVersionInfo noRoot(WriteFile(dir, "bare.exe", TPEImage(bare).Bytes));
    EXPECT_TRUE(noRoot.Valid());
    EXPECT_EQ(noRoot.GetFixedFileInfo(), nullptr);
    EXPECT_EQ(FormatFileVersion(noRoot.GetFileVersion()), QStringLiteral("0.0.0.0"));
}
