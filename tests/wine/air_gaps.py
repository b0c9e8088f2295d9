# air_gaps.py WAV [SPLIT_MS]: the stretches of tone in a recording of the air and the
# gaps of silence inside each. Every sound mode keeps a tone on from a transmission's
# preamble to its closing fade, so a gap is audio that never reached the air: under Wine
# on a busy machine, its feed to the sound server stalling.
# Silence is below 1 % of full scale (the first channel); a gap lasts 2 ms or more.
# Silence of SPLIT_MS or more ends a stretch (without it the recording is one stretch).
# Prints one line per stretch:
#   START_S END_S GAPS LONGEST_GAP_MS
import array
import sys
import wave

path = sys.argv[1]
with wave.open(path) as w:
    rate, channels = w.getframerate(), w.getnchannels()
    if w.getsampwidth() != 2:
        sys.exit(f"{path}: not 16-bit audio")
    samples = array.array("h", w.readframes(w.getnframes()))[::channels]
split = int(sys.argv[2]) * rate // 1000 if len(sys.argv) > 2 else None
shortest_gap = rate // 500
loud = 328

stretches = []
start = end = None
gaps = longest = quiet = 0
for i, sample in enumerate(samples):
    if abs(sample) <= loud:
        quiet += 1
        continue
    if start is not None and split is not None and quiet >= split:
        stretches.append((start, end, gaps, longest))
        start = None
    if start is None:
        start, gaps, longest = i, 0, 0
    elif quiet >= shortest_gap:
        gaps += 1
        longest = max(longest, quiet)
    end, quiet = i, 0
if start is not None:
    stretches.append((start, end, gaps, longest))
for first, last, count, most in stretches:
    print(f"{first / rate:.3f} {(last + 1) / rate:.3f} {count} {round(1000 * most / rate)}")
