# fsk_elements.py LOG FIRST ELEMENT_MS: the keying line's element lengths from the
# modem-line log of the virtual COM port, from line FIRST (1-based) on; the line before
# it, if any, is the state the lines start from.
# Each interval between two changes of DTR spans a whole number of half elements (the
# stop slot is one and a half); dividing it by that number gives the length of each
# element in it. Prints the count, median, 5th and 95th percentiles, least and most in
# ms, then the order of the PTT (RTS) and keying (DTR) edges:
#   elements N median M p5 A p95 B min C max D
#   order rts-on first-key last-key rts-off   (times in s from the first line used)
import sys

log, first, element = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
lines = open(log).read().splitlines()[max(first - 2, 0):]
events = []
for line in lines:
    words = line.split()
    fields = dict(w.split("=") for w in words[2:])
    events.append((float(words[0]), int(fields["DTR"]), int(fields["RTS"])))
t0 = events[1][0] if first > 1 and len(events) > 1 else events[0][0]
dtr_changes, last_dtr, rts_on, rts_off = [], None, None, None
last_rts = None
for t, dtr, rts in events:
    if last_dtr is not None and dtr != last_dtr:
        dtr_changes.append(t)
    if last_rts is not None and rts != last_rts:
        if rts and rts_on is None:
            rts_on = t
        if not rts:
            rts_off = t
    last_dtr, last_rts = dtr, rts
lengths = []
for a, b in zip(dtr_changes, dtr_changes[1:]):
    ms = (b - a) * 1000
    halves = round(ms / (element / 2))
    if halves >= 2:
        lengths.append(ms / (halves / 2))
lengths.sort()
pick = lambda q: lengths[min(len(lengths) - 1, int(q * len(lengths)))]
print("elements %d median %.3f p5 %.3f p95 %.3f min %.3f max %.3f"
      % (len(lengths), pick(0.5), pick(0.05), pick(0.95), lengths[0], lengths[-1]))
print("order %.3f %.3f %.3f %.3f" % (
    (rts_on or 0) - t0, dtr_changes[0] - t0, dtr_changes[-1] - t0, (rts_off or 0) - t0))
