// Fuzz target: the MPEG audio reader on arbitrary file contents.
#include "MPEGaudio.h"

#include "FuzzInput.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    static TFuzzInputFile Input("mpegaudio");
    const std::string &File = Input.Write(Data, Size);
    TMPEGaudio Reader;
    const bool Read = Reader.ReadFromFile(File);
    volatile double Sink = Reader.Duration() + Reader.BitRate() + Reader.SampleRate();
    (void)Sink;
    Sink = double(Reader.ChannelMode().size());
    if (Read && Reader.Valid()) {
        // A valid result describes a frame inside the file.
        if (Reader.Frame().Position < 0 || Reader.Frame().Position >= int64_t(Size) || Reader.Duration() < 0.1)
            __builtin_trap();
    }
    return 0;
}
