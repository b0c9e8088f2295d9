# tiny_keyer.py PTY LOG: a scripted TinyFSK keyer on the far end of the virtual COM port.
# It answers "~?" with its speed and mark level (45 baud, mark high, until told
# otherwise by "~4" "~5" "~7" "~0" "~1"), echoes the characters of a transmission
# between "[" and "]", and ends it with the status bytes "a!b c", then " d" a second
# later: the "!" starts the count of three again, so Kestrel must end at the "d" ("\"
# after the "(d)" the keyer writes to LOG as it sends it). Every byte received is
# appended to LOG. It runs until the port goes away or it is stopped.
import os
import select
import sys
import termios
import tty

fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)
tty.setraw(fd, termios.TCSANOW)  # TCSAFLUSH would drop bytes that already arrived
log = open(sys.argv[2], "ab", buffering=0)
speed, mark = b"45", b"HIGH"
sending = False
command = False
while True:
    ready, _, _ = select.select([fd], [], [], 0.2)
    if not ready:
        continue
    try:
        data = os.read(fd, 256)
    except OSError:
        break
    if not data:
        break
    log.write(data)
    for byte in data:
        c = bytes([byte])
        if command:
            command = False
            if c == b"?":
                os.write(fd, b"~?\r\nSPEED " + speed + b" MARK " + mark + b"\r\n")
            elif c in (b"4", b"5", b"7"):
                speed = {b"4": b"45", b"5": b"50", b"7": b"75"}[c]
            elif c in (b"0", b"1"):
                mark = b"HIGH" if c == b"0" else b"LOW"
        elif c == b"~":
            command = True
        elif c == b"[":
            sending = True
        elif c == b"]":
            sending = False
            os.write(fd, b"a!b c")
            # Kestrel, had it ended at the "c", would say "\" within a pass or two.
            if select.select([fd], [], [], 1.0)[0]:
                log.write(os.read(fd, 256))
            log.write(b"(d)")
            os.write(fd, b" d")
        elif c == b"\\":
            sending = False
        elif sending:
            os.write(fd, c)
