// Feeds arbitrary files to the Ogg Vorbis reader.
#include <cstdint>

#include "FuzzInput.h"
#include "OggVorbis.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static TFuzzInputFile file("oggvorbis");
    static TOggVorbis reader;
    try {
        bool ok = reader.ReadFromFile(file.Write(data, size));
        volatile double sink = reader.Duration() + reader.BitRate() + (ok && reader.Valid()) +
                               reader.ChannelMode().size() + reader.Title().size() + reader.Artist().size() +
                               reader.Album().size() + reader.Track() + reader.Date().size() +
                               reader.Genre().size() + reader.Comment().size() + reader.Vendor().size();
        (void)sink;
    } catch (const EOggVorbisError &) {
    }
    return 0;
}
