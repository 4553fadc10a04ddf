# Equaliser preset: one gain in dB per band, 18 bands from low to high
# (65, 92, 131, 185, 262, 370, 523, 740, 1047, 1480, 2093, 2960, 4186, 5920,
#  8372, 11840, 16744, 20000 Hz). This preset leaves the sound unchanged.
0 0 0 0 0 0 0 0 0
0 0 0 0 0 0 0 0 0
