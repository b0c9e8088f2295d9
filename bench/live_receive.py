#!/usr/bin/env python3
"""Kestrel.exe receiving live under Wine: CPU and latency.

    tests/wine/rig.sh start RIG
    bench/live_receive.py RIG build/windows [SECONDS]

For every speed and decode mode, Kestrel.exe runs under loggersim.exe while a peer's RTTY
(minimodem, letters and spaces, Kestrel's default tones) is written in real time into the
rig's "Line In" for SECONDS (default 60). It prints the CPU time Kestrel's process used
over that span as a percentage of one core, and the latency from the end of each
character's stop element, as written, to the arrival of its TXM_CHAR at loggersim.
"""
import math
import os
import random
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time
import wave

RATE = 48000
CHUNK = 480  # 10 ms
SPEEDS = [(0, 45.45), (1, 50.0), (2, 75.0)]
MODES = [(0, "Flutter"), (1, "Selectiv"), (2, "Spread")]


def rig_env(rig):
    env = dict(os.environ)
    for line in open(os.path.join(rig, "env")):
        for word in line.replace("export ", "").split():
            if "=" in word:
                key, value = word.split("=", 1)
                env[key] = value.strip("'")
    return env


def minimodem(baud, text, path):
    subprocess.run(["minimodem", "--tx", "-R", str(RATE), "-f", path, "--baudot",
                    "--stopbits", "1.5", "-M", "2125", "-S", "2295", str(baud)],
                   input=text.encode(), check=True, stderr=subprocess.DEVNULL)
    with wave.open(path) as w:
        frames = w.readframes(w.getnframes())
    return list(struct.unpack("<%dh" % (len(frames) // 2), frames))


def power(samples, start, length, freq):
    """Goertzel power of one tone over samples[start:start+length]."""
    k = 2 * math.cos(2 * math.pi * freq / RATE)
    s1 = s2 = 0.0
    for x in samples[start:start + length]:
        s1, s2 = x + k * s1 - s2, s1
    return s1 * s1 + s2 * s2 - k * s1 * s2


def random_text(length):
    """Words of two to six random letters (fixed seed): letters and spaces need no shift
    characters, so the n-th character ends 7.5 elements after the (n-1)-th, and a text
    that never repeats lets each printed character be placed without doubt."""
    pick = random.Random(7)
    text = ""
    while len(text) < length:
        text += "".join(pick.choice("ABCDEFGHIJKLMNOPQRSTUVWXYZ")
                        for _ in range(pick.randint(2, 6))) + " "
    return text[:length]


def tone_is_space(samples, at, length):
    return power(samples, at, length, 2295) > 4 * power(samples, at, length, 2125)


def first_start_element(samples, baud):
    """Where the first character of the text begins: the first space element after
    minimodem's mark leader, one character later when that first character is the
    letters shift (all five data elements mark) that minimodem sends ahead of the text."""
    element = RATE / baud
    step = int(element / 8)
    at = 0
    while at + element < len(samples):
        if tone_is_space(samples, at, int(element / 2)):
            break
        at += step
    else:
        raise RuntimeError("no start element found")
    data = [tone_is_space(samples, int(at + (1 + b) * element + element / 4), int(element / 2))
            for b in range(5)]
    return at + 7.5 * element if not any(data) else at


def kestrel_pid(work):
    key = os.path.basename(work).encode()
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            cmd = open("/proc/%s/cmdline" % pid, "rb").read()
        except OSError:
            continue
        if key in cmd and b"Kestrel.exe" in cmd and b"loggersim" not in cmd:
            return int(pid)
    return None


def cpu_seconds(pid):
    fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def run(rig, build, env, baud_index, baud, mode, seconds):
    work = tempfile.mkdtemp(dir=rig, prefix="bench.")
    subprocess.run(["cp", os.path.join(build, "src/win32/Kestrel.exe"),
                    os.path.join(build, "tools/loggersim/loggersim.exe"), work], check=True)
    with open(os.path.join(work, "Kestrel.ini"), "w") as ini:
        ini.write("[Kestrel Modem]\r\nBaud Rate=%d\r\nDecodemode=%d\r\nContest=0\r\n"
                  "CorrelateState=0\r\n" % (baud_index, mode))
    chars = int(seconds * baud / 7.5) + 10
    text = random_text(chars)
    audio = minimodem(baud, text, os.path.join(work, "rtty.wav"))
    start = first_start_element(audio, baud)
    element = RATE / baud
    win = "Z:" + work.replace("/", "\\")
    with open(os.path.join(work, "s.scn"), "w") as scn:
        scn.write("expect TXM_START 0 within 20000\nwait %d\nsend RXM_EXIT\n"
                  "expect-exit 0 within 10000\n" % ((seconds + 20) * 1000))
    out_path = os.path.join(work, "out")
    out = open(out_path, "w")
    logger = subprocess.Popen([env["WINE"], os.path.join(work, "loggersim.exe"),
                               win + "\\Kestrel.exe", win + "\\s.scn"],
                              stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL,
                              env=env)
    arrivals = []  # (wall time, character)
    done = threading.Event()

    def follow():
        seen = 0
        while not done.is_set():
            lines = open(out_path).read().split("\n")
            now = time.time()
            for line in lines[seen:len(lines) - 1]:
                if "< TXM_CHAR" in line and line.endswith("'"):
                    arrivals.append((now, line[-2]))
            seen = max(seen, len(lines) - 1)
            time.sleep(0.005)

    follower = threading.Thread(target=follow)
    follower.start()
    deadline = time.time() + 60
    while "< TXM_START 0" not in open(out_path).read():
        if time.time() > deadline:
            raise RuntimeError("Kestrel did not start")
        time.sleep(0.05)
    time.sleep(2)
    pid = kestrel_pid(work)
    feeder = subprocess.Popen(["pacat", "-p", "-d", "kestrel_rx", "--format=s16le",
                               "--rate=%d" % RATE, "--channels=1", "--latency-msec=20"],
                              stdin=subprocess.PIPE, env=env)
    limit = min(len(audio), int(seconds * RATE))
    t0 = time.time()
    cpu0 = cpu_seconds(pid)
    for at in range(0, limit, CHUNK):
        wait = t0 + at / RATE - time.time()
        if wait > 0:
            time.sleep(wait)
        feeder.stdin.write(struct.pack("<%dh" % len(audio[at:at + CHUNK]), *audio[at:at + CHUNK]))
        feeder.stdin.flush()
    wall = time.time() - t0
    cpu = cpu_seconds(pid) - cpu0
    feeder.stdin.close()
    feeder.wait()
    time.sleep(2)
    done.set()
    follower.join()
    logger.wait(timeout=seconds + 60)
    # A printed character is placed in the text where it and the two printed after it
    # stand together, at most ten characters after the last one placed (lost or garbled
    # characters are passed over); the j-th sent character ends its stop element
    # (j + 1) * 7.5 elements after the first start element.
    received = "".join(c for _, c in arrivals)
    latencies = []
    j = -1
    for k, (when, char) in enumerate(arrivals):
        found = text.find(received[k:k + 3], j + 1, j + 13)
        if len(received[k:k + 3]) < 3 or found < 0:
            continue
        j = found
        end = (start + (j + 1) * 7.5 * element) / RATE
        if end * RATE <= limit:
            latencies.append((when - (t0 + end)) * 1000)
    latencies.sort()
    p95 = latencies[int(0.95 * (len(latencies) - 1))] if latencies else float("nan")
    med = statistics.median(latencies) if latencies else float("nan")
    subprocess.run(["rm", "-rf", work])
    return 100 * cpu / wall, med, p95, len(latencies), received[:40]


def main():
    rig, build = sys.argv[1], sys.argv[2]
    seconds = int(sys.argv[3]) if len(sys.argv) > 3 else 60
    env = rig_env(rig)
    print("| baud | mode | CPU (% of one core) | latency median | latency 95th pct | characters timed |")
    print("|---|---|---:|---:|---:|---:|")
    for baud_index, baud in SPEEDS:
        for mode, name in MODES:
            cpu, med, p95, n, got = run(rig, build, env, baud_index, baud, mode, seconds)
            print("| %g | %s | %.1f | %.0f ms | %.0f ms | %d |" % (baud, name, cpu, med, p95, n),
                  flush=True)


if __name__ == "__main__":
    main()
