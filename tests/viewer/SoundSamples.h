#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cmath>

// Short sound files written byte by byte: a PCM wave and a one-note standard MIDI file.
namespace SoundSamples {

inline void append16(QByteArray& out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}
inline void append32(QByteArray& out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// Mono, 16-bit, 8000 Hz, a 440 Hz tone of `ms` milliseconds.
inline QByteArray wave(int ms)
{
    const int rate = 8000;
    const int samples = rate * ms / 1000;
    QByteArray data;
    for (int i = 0; i < samples; ++i)
        append16(data, quint16(qint16(8000 * std::sin(2 * M_PI * 440 * i / rate))));
    QByteArray out("RIFF");
    append32(out, quint32(36 + data.size()));
    out += "WAVEfmt ";
    append32(out, 16);
    append16(out, 1); // PCM
    append16(out, 1); // mono
    append32(out, rate);
    append32(out, rate * 2);
    append16(out, 2);
    append16(out, 16);
    out += "data";
    append32(out, quint32(data.size()));
    return out + data;
}

// Format 0, 96 ticks a quarter note at the default 120 beats a minute: one middle C of
// `ticks` ticks on a piano.
inline QByteArray midi(int ticks = 96)
{
    QByteArray track;
    track += QByteArray::fromHex("00C000");   // program change: piano
    track += QByteArray::fromHex("00903C64"); // note on
    // The delta time as a variable-length quantity.
    QByteArray delta;
    int t = ticks;
    delta.prepend(char(t & 0x7F));
    while ((t >>= 7) > 0)
        delta.prepend(char((t & 0x7F) | 0x80));
    track += delta + QByteArray::fromHex("803C00"); // note off
    track += QByteArray::fromHex("00FF2F00");       // end of track
    QByteArray out("MThd");
    out += QByteArray::fromHex("00000006000000010060");
    out += "MTrk";
    out +=
        QByteArray::fromHex(QByteArray::number(qlonglong(track.size()), 16).rightJustified(8, '0'));
    return out + track;
}

} // namespace SoundSamples
