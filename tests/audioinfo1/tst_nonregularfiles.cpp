// Every reader on names that are no regular files: named pipes, a folder and a device. None of
// them may wait for a writer that never comes, raise an error, or report a valid file.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "AACfile.h"
#include "AC3.h"
#include "APEtag.h"
#include "DTS.h"
#include "ID3v1.h"
#include "ID3v2.h"
#include "MPEGaudio.h"
#include "OggVorbis.h"
#include "PipeGuard.h"
#include "TestFiles.h"
#include "WAVfile.h"

TEST(NonRegularFiles, PipesFoldersAndDevicesAreNotValidAndNeverWaitedFor)
{
    TTempDir dir;
    std::vector<std::string> names;
    for (const char *name : {"x.ac3", "x.dts", "x.wav", "x.mp3", "x.ogg", "x.aac"}) {
        ASSERT_TRUE(TPipeGuard::MakePipe(dir.Path(name))) << name;
        names.push_back(dir.Path(name));
    }
    const std::vector<std::string> pipes = names;
    names.push_back(dir.Path("")); // the folder itself
    names.push_back("/dev/null");

    struct Reader
    {
        const char *name;
        std::function<bool(const std::string &)> readsAsValid;
    } readers[] = {
        {"AC-3", [](const std::string &p) { TAC3 r; return r.ReadFromFile(p) || r.Valid(); }},
        {"DTS", [](const std::string &p) { TDTS r; return r.ReadFromFile(p) || r.Valid(); }},
        {"WAV", [](const std::string &p) { TWAVfile r; return r.ReadFromFile(p) || r.Valid(); }},
        {"MPEG", [](const std::string &p) { TMPEGaudio r; return r.ReadFromFile(p) || r.Valid(); }},
        {"Ogg Vorbis", [](const std::string &p) { TOggVorbis r; return r.ReadFromFile(p) || r.Valid(); }},
        {"AAC", [](const std::string &p) { TAACfile r; return r.ReadFromFile(p) || r.Valid(); }},
        {"ID3v1", [](const std::string &p) { TID3v1 r; return r.ReadFromFile(p) || r.Exists(); }},
        {"ID3v2", [](const std::string &p) { TID3v2 r; return r.ReadFromFile(p) || r.Exists(); }},
        {"APE", [](const std::string &p) { TAPEtag r; return r.ReadFromFile(p) || r.Exists(); }},
    };
    TPipeGuard guard(pipes, std::chrono::seconds(10));
    for (const Reader &reader : readers)
        for (const std::string &name : names) {
            SCOPED_TRACE(std::string(reader.name) + " on " + name);
            bool valid = true;
            EXPECT_NO_THROW(valid = reader.readsAsValid(name));
            EXPECT_FALSE(valid);
        }
    EXPECT_FALSE(guard.Blocked()) << "a reader waited on a named pipe";
}
