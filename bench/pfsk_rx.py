# pfsk_rx.py WAV [BAUD]: the text of a PFSK recording (a tone for a space element, silence
# for a mark), which minimodem does not read: the tone's envelope decides each element, a
# character is a start element, five data elements (the first the lowest bit) and a stop
# element, and the ITA2 letters and figures (US) make the text. BAUD defaults to 45.45.
# Its tables are its own, not Kestrel's, as a peer's are: a fault in Kestrel's shows.
import array
import sys
import wave

LETTERS = "\0E\nA SIU\rDRJNFCKTZLWHYPQOBG\0MXV\0"
FIGURES = "\0" "3\n- '87\r$4',!:(5\")2#6019?&\0./;\0"
FIGS, LTRS = 0x1B, 0x1F

path = sys.argv[1]
baud = float(sys.argv[2]) if len(sys.argv) > 2 else 45.45
with wave.open(path) as w:
    rate, channels = w.getframerate(), w.getnchannels()
    samples = array.array("h", w.readframes(w.getnframes()))[::channels]

# The tone is on where a sample over half the loudest came within the last 2 ms (a few
# of the tone's cycles).
window = max(1, rate // 500)
threshold = max(map(abs, samples), default=0) / 2
tone, last_loud = [], -window
for i, sample in enumerate(samples):
    if abs(sample) > threshold:
        last_loud = i
    tone.append(i - last_loud < window)

element = rate / baud
text, figures, i = [], False, 1
while i < len(tone):
    # A start element begins where the tone comes on after silence.
    if not (tone[i] and not tone[i - 1]):
        i += 1
        continue

    def keyed(k):
        at = int(i + (k + 0.5) * element)
        return at < len(tone) and tone[at]

    if not keyed(0) or keyed(6):  # no start element, or no stop element
        i += 1
        continue
    code = sum(1 << k for k in range(5) if not keyed(k + 1))
    if code == FIGS:
        figures = True
    elif code == LTRS:
        figures = False
    elif code:
        text.append((FIGURES if figures else LETTERS)[code])
    i = int(i + 6.5 * element)
print("".join(text).replace("\r", "").strip())
