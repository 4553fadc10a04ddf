// A time limit for test steps that must never wait on a named pipe.
//
// While a TPipeGuard lives, a watcher thread waits for the limit. Once it has passed, the step
// counts as blocked, and the watcher opens each of the pipes for writing now and then and closes
// it at once: a reader that is stuck opening one of them gets its end-of-file and goes on, so the
// test fails on Blocked() instead of hanging the whole test run.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TPipeGuard
{
public:
    TPipeGuard(std::vector<std::string> pipes, std::chrono::milliseconds limit)
        : m_pipes(std::move(pipes)), m_watcher([this, limit] { Watch(limit); })
    {
    }
    ~TPipeGuard()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_changed.notify_all();
        m_watcher.join();
    }
    TPipeGuard(const TPipeGuard &) = delete;
    TPipeGuard &operator=(const TPipeGuard &) = delete;

    // The step ran past the limit.
    bool Blocked() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_blocked;
    }

    // Makes a named pipe at path; false when the system refuses.
    static bool MakePipe(const std::string &path) { return ::mkfifo(path.c_str(), 0600) == 0; }

private:
    void Watch(std::chrono::milliseconds limit)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_changed.wait_for(lock, limit, [this] { return m_done; }))
            return;
        m_blocked = true;
        while (!m_done) {
            for (const std::string &pipe : m_pipes) {
                // Succeeds only while some reader has the pipe open, or waits to.
                const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0)
                    ::close(fd);
            }
            m_changed.wait_for(lock, std::chrono::milliseconds(50), [this] { return m_done; });
        }
    }

    std::vector<std::string> m_pipes;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_done = false;
    bool m_blocked = false;
    std::thread m_watcher;
};
