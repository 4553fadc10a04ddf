#pragma once

// Writes test inputs that are too long to keep as fixtures.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cmath>

// A 16-bit WAV file of a 440 Hz tone, the same in every channel: `milliseconds` long at `rate`
// Hz with `channels` channels.
inline bool WriteToneWavOf(const QString &path, qint64 milliseconds, quint32 rate, quint16 channels)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const quint32 bytesPerFrame = 2u * channels;
    const quint64 frames = quint64(milliseconds) * rate / 1000;
    const quint32 dataBytes = quint32(frames * bytesPerFrame);
    auto u32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); };
    auto u16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char *>(&v), 2); };
    const QByteArray header = "RIFF" + u32(36 + dataBytes) + "WAVEfmt " + u32(16) + u16(1) + u16(channels)
                              + u32(rate) + u32(rate * bytesPerFrame) + u16(quint16(bytesPerFrame)) + u16(16)
                              + "data" + u32(dataBytes);
    if (f.write(header) != header.size())
        return false;
    // One second of the tone (a whole number of its periods at the common rates), written again
    // and again.
    QByteArray second(int(rate * bytesPerFrame), Qt::Uninitialized);
    auto *samples = reinterpret_cast<qint16 *>(second.data());
    for (quint32 i = 0; i < rate; ++i) {
        const auto v = qint16(std::lround(8000.0 * std::sin(2.0 * M_PI * 440.0 * i / rate)));
        for (quint16 c = 0; c < channels; ++c)
            samples[quint64(i) * channels + c] = v;
    }
    for (quint64 left = frames; left > 0;) {
        const quint64 now = qMin<quint64>(left, rate);
        const qint64 bytes = qint64(now * bytesPerFrame);
        if (f.write(second.constData(), bytes) != bytes)
            return false;
        left -= now;
    }
    return true;
}

// A 16-bit stereo 44.1 kHz WAV file of a 440 Hz tone, long enough for a job that runs a while.
inline bool WriteToneWav(const QString &path, int seconds)
{
    return WriteToneWavOf(path, qint64(seconds) * 1000, 44100, 2);
}
