#pragma once

// The readers take file names, so each fuzz input is written to a scratch file first. One
// file per process and target, in TMPDIR (or /tmp), rewritten for every input and removed
// when the process ends.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <unistd.h>

class TFuzzInputFile
{
public:
    explicit TFuzzInputFile(const char *tag)
    {
        const char *tmp = std::getenv("TMPDIR");
        m_path = std::string(tmp && *tmp ? tmp : "/tmp") + "/zolvane-fuzz-" + tag + "-" +
                 std::to_string(::getpid());
    }
    ~TFuzzInputFile() { ::unlink(m_path.c_str()); }

    // Replaces the file's content with the input and returns its name.
    const std::string &Write(const std::uint8_t *data, std::size_t size)
    {
        int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) {
            std::perror(m_path.c_str());
            std::abort();
        }
        std::size_t done = 0;
        while (done < size) {
            ssize_t n = ::write(fd, data + done, size - done);
            if (n <= 0) {
                std::perror(m_path.c_str());
                std::abort();
            }
            done += std::size_t(n);
        }
        ::close(fd);
        return m_path;
    }

private:
    std::string m_path;
};
