// Writes N short lines "line I\n" to standard output as fast as it can.
#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char **argv)
{
    const long n = argc > 1 ? atol(argv[1]) : 1000000;
    std::string chunk;
    for (long i = 0; i < n; ++i) {
        chunk += "line " + std::to_string(i) + "\n";
        if (chunk.size() >= 16384 || i + 1 == n) {
            size_t done = 0;
            while (done < chunk.size()) {
                const ssize_t w = write(1, chunk.data() + done, chunk.size() - done);
                if (w <= 0)
                    return 1;
                done += size_t(w);
            }
            chunk.clear();
        }
    }
    return 0;
}
