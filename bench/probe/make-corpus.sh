#!/usr/bin/env bash
# Makes a folder of audio files for the probe benchmark, outside the repository:
#   bench/probe/make-corpus.sh DIR [COUNT]      (COUNT files, default 3000)
# A few dozen distinct files come from the Debian encoders (lame, ffmpeg, sox) at
# several rates, modes, lengths and tag layouts; copies of them fill the folder up to
# COUNT. Then run:  build/bench/probe/probe -q DIR
set -euo pipefail

dir=${1:?usage: make-corpus.sh DIR [COUNT]}
count=${2:-3000}
for tool in lame ffmpeg sox; do
    command -v "$tool" >/dev/null || { echo "make-corpus.sh: $tool is missing" >&2; exit 1; }
done
mkdir -p "$dir/base"
base=$dir/base
ff() { ffmpeg -nostdin -loglevel error -y "$@"; }

# Sources: tones and noise of a few lengths and layouts.
sox -n -r 44100 -c 2 -b 16 "$base/src44s.wav" synth 30 sine 440 pinknoise vol 0.5
sox -n -r 48000 -c 2 -b 16 "$base/src48s.wav" synth 12 sine 220 sine 330
sox -n -r 22050 -c 1 -b 16 "$base/src22m.wav" synth 20 pinknoise vol 0.3
sox -n -r 32000 -c 1 -b 16 "$base/src32m.wav" synth 8 sine 1000
ff -f lavfi -i "sine=frequency=300:duration=10:sample_rate=48000" -ac 6 "$base/src48_6ch.wav"
# A picture for a large ID3v2 tag.
ff -f lavfi -i "testsrc=size=320x240:duration=1" -frames:v 1 "$base/cover.png"

# MPEG layer III: constant and variable rates, with and without tags.
for b in 64 128 192 320; do lame --quiet -b $b "$base/src44s.wav" "$base/cbr$b.mp3"; done
for q in 0 4 7; do lame --quiet -V $q "$base/src44s.wav" "$base/vbr$q.mp3"; done
lame --quiet -V 5 "$base/src22m.wav" "$base/vbr5_22m.mp3"
lame --quiet -b 48 "$base/src32m.wav" "$base/cbr48_32m.mp3"
lame --quiet -b 160 --add-id3v2 --tt "Title" --ta "Artist" --tl "Album" --tn 3/12 --tg Rock \
    "$base/src48s.wav" "$base/tagged160.mp3"
ff -i "$base/src44s.wav" -i "$base/cover.png" -map 0 -map 1 -c:a libmp3lame -b:a 128k -c:v copy \
    -id3v2_version 3 -write_id3v1 1 -metadata title="Cover" -metadata artist="Someone" "$base/cover128.mp3"
ff -i "$base/src48s.wav" -c:a libmp3lame -q:a 2 -id3v2_version 4 -metadata title="Grüße" "$base/ff_vbr.mp3"
# MPEG layer II and a layer II file named .mpa.
ff -i "$base/src44s.wav" -c:a mp2 -b:a 192k "$base/l2_192.mp2"
ff -i "$base/src48s.wav" -c:a mp2 -b:a 256k "$base/l2_256.mpa"
ff -i "$base/src22m.wav" -c:a mp2 -b:a 64k "$base/l2_64m.mp2"
# AC-3, DTS, WAV, Ogg Vorbis, AAC.
ff -i "$base/src48s.wav" -c:a ac3 -b:a 192k "$base/stereo.ac3"
ff -i "$base/src48_6ch.wav" -c:a ac3 -b:a 448k "$base/surround.ac3"
ff -i "$base/src48s.wav" -c:a dca -strict -2 "$base/stereo.dts"
cp "$base/src44s.wav" "$base/pcm44.wav"
ff -i "$base/src22m.wav" "$base/ffmpeg22.wav"
ff -i "$base/src44s.wav" -c:a libvorbis -q:a 4 "$base/q4.ogg"
ff -i "$base/src22m.wav" -c:a libvorbis -q:a 1 "$base/q1m.ogg"
ff -i "$base/src44s.wav" -c:a aac -b:a 128k -f adts "$base/adts128.aac"
# A text file and an empty file with audio names, as a folder of downloads may hold.
printf 'not audio\n' > "$base/notes.mp3"
: > "$base/empty.wav"
rm -f "$base/src44s.wav" "$base/src48s.wav" "$base/src22m.wav" "$base/src32m.wav" "$base/src48_6ch.wav" "$base/cover.png"

# Copies up to COUNT files.
mapfile -t files < <(find "$base" -type f | sort)
n=${#files[@]}
for ((i = 0; i < count; i++)); do
    f=${files[$((i % n))]}
    cp "$f" "$dir/$(printf '%05d' "$i")_$(basename "$f")"
done
rm -rf "$base"
echo "make-corpus.sh: $count files in $dir ($(du -sh "$dir" | cut -f1))"
