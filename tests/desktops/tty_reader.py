# Run in a terminal (foot) as the native Wayland window: what arrives on the terminal is appended to
# the file given in the same words as text_window.py uses (a line per Enter, ^X for Ctrl+letter),
# and each key's time (CLOCK_MONOTONIC, seconds) to FILE.times.
import codecs, os, sys, termios, time, tty
out = open(sys.argv[1], "a", buffering=1, encoding="utf-8")
times = open(sys.argv[1] + ".times", "a", buffering=1)
tty.setraw(0)
decoder = codecs.getincrementaldecoder("utf-8")()
sys.stderr.write("ready\n")
sys.stderr.flush()
while True:
    data = os.read(0, 1)
    if not data:
        break
    for ch in decoder.decode(data):
        code = ord(ch)
        text = "\n" if ch == "\r" else ch if ch == "\t" or code >= 0x20 else "^" + chr(0x40 + code)
        out.write(text)
        times.write("%.6f\n" % time.clock_gettime(time.CLOCK_MONOTONIC))
