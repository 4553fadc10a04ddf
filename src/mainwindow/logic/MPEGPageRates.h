#pragma once

// The bit rates behind the track bars of the AC3, MP2 and MP3 pages, as the pages show them in
// their hints. The command-line builder turns the same positions into switches.

// The AC-3 nominal bit rate (kbit/s) of a position 0 to 18; 0 for a position outside the table.
int AC3BitrateOfPosition(int position);
// The MPEG layer II bit rate (kbit/s) of a position 0 to 9; 0 for a position outside the table.
int MP2BitrateOfPosition(int position);
// The constant MP3 bit rate that a bit rate (kbit/s) rounds up to: 8, 16, 24, 32, 40, 48, 56, 64,
// 80, 96, 112, 128, 144, 160, 192, 224, 256 and, above 256, 320. A rate in the list stays.
int MP3ConstantBitrate(int rate);
