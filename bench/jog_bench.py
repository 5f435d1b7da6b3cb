#!/usr/bin/env python3
"""Jog benchmark: the arrow key up held down in the real program under Wine, against
controller-sim.

The keyboard repeats as Windows' does by default: after 500 ms, 30 times a second (and, for a
second figure, 100 times a second). Against the practice controller (--planner), which queues
16 moves and carries them out at the motion model's pace, it prints as medians over the holds:
  - how long the machine goes on moving after the key is released (the controller's REST);
  - how fast the machine moves while the key repeats (1 mm jogs the controller finished
    between the first repeat and the release, per second);
  - jogs the program sent per second while the key repeated, and lines after the release.
Against the controller that answers at once it prints the jogs per second and the lines sent
after the release.
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

REPEAT_DELAY_MS = 500


def hold(program, sim, seconds, planner):
    """Holds arrow up; returns the figures of one hold."""
    before = len(sim.entries())
    down = time.monotonic()
    program._xdotool("keydown", "Up")
    time.sleep(seconds)
    program._xdotool("keyup", "Up")
    up = time.monotonic()
    if planner:
        harness.wait_until(lambda: any(k == "REST" and t / 1e6 > up - 0.2
                                       for t, k, _ in sim.entries()[before:]), "the machine to stop")
    time.sleep(1.0)  # anything still to come has come by now
    entries = [(t / 1e6, kind) for t, kind, _ in sim.entries()[before:]]
    repeats_from = down + REPEAT_DELAY_MS / 1000
    span = up - repeats_from
    sent = [t for t, kind in entries if kind == "RX"]
    figures = {
        "sent": sum(1 for t in sent if repeats_from <= t <= up) / span,
        "after": sum(1 for t in sent if t > up),
    }
    if planner:
        rests = [t for t, kind in entries if kind == "REST"]
        figures["run_on"] = max(0.0, rests[-1] - up)
        done = [t for t, kind in entries if kind == "DONE"]
        figures["speed"] = sum(1 for t in done if repeats_from <= t <= up) / span
    return figures


def run(options, repeat_ms, seconds, holds, logs):
    planner = "--planner" in options
    harness.end_wine_session()
    display = harness.Display("-ardelay", str(REPEAT_DELAY_MS), "-arinterval", str(repeat_ms))
    sim = harness.Simulator(3, *options, log_dir=logs)
    try:
        program = harness.Program(display.name)
        harness.wait_until(lambda: sim.count("RX") == 1, "the zeroing line")
        program.click_id("kSlotCount")  # the keyboard goes to the window
        results = [hold(program, sim, seconds, planner) for _ in range(holds)]
        program.kill()
    finally:
        sim.close()
        harness.end_wine_session()
        display.close()

    def median(key):
        return statistics.median(r[key] for r in results)

    name = "practice controller (--planner)" if planner else "controller answering at once"
    line = "%-31s key every %2d ms: sent %5.1f jogs/s, after release %d (most %d)" % (
        name, repeat_ms, median("sent"), median("after"), max(r["after"] for r in results))
    if planner:
        line += "; machine %4.1f mm/s, moves on %3.0f ms (%3.0f to %3.0f)" % (
            median("speed"), median("run_on") * 1000,
            min(r["run_on"] for r in results) * 1000, max(r["run_on"] for r in results) * 1000)
    print(line, flush=True)


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 3.0
    holds = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    logs = tempfile.mkdtemp(prefix="jog-bench-")
    run(["--planner"], 33, seconds, holds, logs)
    run(["--planner"], 10, seconds, holds, logs)
    run([], 33, seconds, holds, logs)


if __name__ == "__main__":
    main()
