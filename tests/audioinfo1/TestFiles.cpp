#include "TestFiles.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

TTempDir::TTempDir()
{
    std::string templ = (std::filesystem::temp_directory_path() / "zolvane-audioinfo1-XXXXXX").string();
    if (!mkdtemp(templ.data()))
        throw std::runtime_error("cannot create a scratch folder");
    m_dir = templ;
}

TTempDir::~TTempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
}

std::string TTempDir::Path(const std::string &name) const
{
    return (m_dir / name).string();
}

std::string TTempDir::Write(const std::string &name, const Bytes &bytes)
{
    std::string path = Path(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
    return path;
}

std::string TTempDir::WriteSized(const std::string &name, const Bytes &bytes, std::uintmax_t size)
{
    std::string path = Write(name, bytes);
    std::filesystem::resize_file(path, size);
    return path;
}

std::string TTempDir::WriteSparse(const std::string &name, const Bytes &head, const Bytes &tail,
                                  std::uintmax_t size)
{
    std::string path = WriteSized(name, head, size - tail.size());
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out.write(reinterpret_cast<const char *>(tail.data()), std::streamsize(tail.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
    return path;
}

std::string Fixture(const std::string &name)
{
    return std::string(ZOLVANE_FIXTURES_DIR) + "/audio/" + name;
}

Bytes ReadAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PutLE16(Bytes &b, std::uint32_t v)
{
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}

void PutLE32(Bytes &b, std::uint32_t v)
{
    PutLE16(b, v & 0xFFFF);
    PutLE16(b, v >> 16);
}

void PutText(Bytes &b, const std::string &s)
{
    b.insert(b.end(), s.begin(), s.end());
}
