#!/usr/bin/env python3
"""Jog benchmark: an arrow key held down in the real program under Wine, against controller-sim.

For a controller that answers at once and one that answers after 50 ms, and for the X server's
usual key repeat (25 a second) and a fast one (100 a second), it holds the right arrow key for a
few seconds, several times, and prints, as medians over the holds:
  - jogs per second while the key repeats (lines the controller received between the first
    repeat and the release);
  - lines the controller received after the key was released (the most over all holds too).
A program that queued the repeats would run on after the release; this one must send at most one.
Run after scripts/build:  bench/jog_bench.py [HOLD_SECONDS] [HOLDS]
"""
import os
import statistics
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import harness  # noqa: E402

REPEAT_DELAY_MS = 250


def hold(program, sim, seconds):
    """Holds the right arrow key; returns (jogs per second while repeating, lines after release)."""
    before = sim.count("RX")
    down = time.monotonic()
    program._xdotool("keydown", "Right")
    time.sleep(seconds)
    program._xdotool("keyup", "Right")
    up = time.monotonic()
    time.sleep(1.0)  # anything still to come has come by now
    times = [t / 1e6 for t, kind, _ in sim.entries() if kind == "RX"][before:]
    repeating = [t for t in times if down + REPEAT_DELAY_MS / 1000 <= t <= up]
    after = sum(1 for t in times if t > up)
    span = up - (down + REPEAT_DELAY_MS / 1000)
    return len(repeating) / span, after


def run(delay_ms, repeat_ms, seconds, holds, logs):
    harness.end_wine_session()
    display = harness.Display("-ardelay", str(REPEAT_DELAY_MS), "-arinterval", str(repeat_ms))
    sim = harness.Simulator(3, "--delay-ms", str(delay_ms), log_dir=logs)
    try:
        program = harness.Program(display.name)
        harness.wait_until(lambda: sim.count("RX") == 1, "the zeroing line")
        program.click_id(13)  # the keyboard goes to the window
        results = [hold(program, sim, seconds) for _ in range(holds)]
        program.kill()
    finally:
        sim.close()
        harness.end_wine_session()
        display.close()
    rates = [r for r, _ in results]
    after = [a for _, a in results]
    print("controller answers after %2d ms, key repeats every %2d ms: %5.1f jogs/s "
          "(%.1f to %.1f), lines after release: median %d, most %d" %
          (delay_ms, repeat_ms, statistics.median(rates), min(rates), max(rates),
           statistics.median(after), max(after)))


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 3.0
    holds = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    logs = tempfile.mkdtemp(prefix="jog-bench-")
    for delay_ms in (0, 50):
        for repeat_ms in (40, 10):
            run(delay_ms, repeat_ms, seconds, holds, logs)


if __name__ == "__main__":
    main()
