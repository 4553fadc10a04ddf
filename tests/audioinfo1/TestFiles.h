#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// A scratch folder for the files a test builds; removed with everything in it at the end.
class TTempDir
{
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir &) = delete;
    TTempDir &operator=(const TTempDir &) = delete;

    // Writes the bytes to a file of that name in the folder and returns its path.
    std::string Write(const std::string &name, const Bytes &bytes);
    // Writes the bytes, then extends the file with zeros (a sparse file) to size bytes.
    std::string WriteSized(const std::string &name, const Bytes &bytes, std::uintmax_t size);
    // A file of size bytes with head at its start and tail at its end, and a hole of zeros (no
    // disk space) between them: a file of gigabytes in a few kilobytes.
    std::string WriteSparse(const std::string &name, const Bytes &head, const Bytes &tail, std::uintmax_t size);
    std::string Path(const std::string &name) const;

private:
    std::filesystem::path m_dir;
};

// Path of a committed fixture under tests/fixtures/audio.
std::string Fixture(const std::string &name);
Bytes ReadAll(const std::string &path);

// Appends little- or big-endian numbers and text.
void PutLE16(Bytes &b, std::uint32_t v);
void PutLE32(Bytes &b, std::uint32_t v);
void PutText(Bytes &b, const std::string &s);
