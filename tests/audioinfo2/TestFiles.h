// Helpers for the reader tests: byte buffers built in the test, written to files
// of a per-test temporary folder, and the paths of the committed fixtures.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace testfiles {

using Bytes = std::vector<unsigned char>;

inline void Append(Bytes &Out, std::string_view Text)
{
    Out.insert(Out.end(), Text.begin(), Text.end());
}
inline void Append(Bytes &Out, const Bytes &More)
{
    Out.insert(Out.end(), More.begin(), More.end());
}
inline void Append(Bytes &Out, std::initializer_list<int> Values)
{
    for (int V : Values)
        Out.push_back(static_cast<unsigned char>(V));
}
inline void AppendFill(Bytes &Out, std::size_t Count, unsigned char Value = 0)
{
    Out.insert(Out.end(), Count, Value);
}
inline void AppendBE32(Bytes &Out, uint32_t V)
{
    Append(Out, {int(V >> 24), int((V >> 16) & 255), int((V >> 8) & 255), int(V & 255)});
}
inline void AppendLE32(Bytes &Out, uint32_t V)
{
    Append(Out, {int(V & 255), int((V >> 8) & 255), int((V >> 16) & 255), int(V >> 24)});
}
inline Bytes Text(std::string_view T)
{
    return Bytes(T.begin(), T.end());
}

// A folder of its own for each test, removed afterwards.
class TempDir {
public:
    TempDir()
    {
        const auto *Info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string Name = std::string("zolvane-ai2-") + (Info ? Info->test_suite_name() : "x") + "-"
                           + (Info ? Info->name() : "y");
        for (char &C : Name)
            if (C == '/')
                C = '_';
        FPath = std::filesystem::temp_directory_path() / Name;
        std::filesystem::remove_all(FPath);
        std::filesystem::create_directories(FPath);
    }
    ~TempDir() { std::filesystem::remove_all(FPath); }

    std::string Write(const std::string &Name, const Bytes &Data) const
    {
        const auto File = FPath / Name;
        std::ofstream Out(File, std::ios::binary);
        Out.write(reinterpret_cast<const char *>(Data.data()), std::streamsize(Data.size()));
        return File.string();
    }
    std::string PathOf(const std::string &Name) const { return (FPath / Name).string(); }

private:
    std::filesystem::path FPath;
};

inline std::string Fixture(const std::string &Name)
{
    return std::string(ZOLVANE_FIXTURES_DIR) + "/audio/" + Name;
}

} // namespace testfiles
