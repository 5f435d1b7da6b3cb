#!/usr/bin/env python3
"""Cycle timing benchmark: the real program under Wine winds a section of 150 turns (1,360 lines)
against controller-sim answering at once, and the simulator's timestamps give, for every line of
the cycle, the time from the controller's "ok" to the program's next line. The section's moves
have no length (a core of no height, no slot depth or width, no span), so the look-ahead never
holds a line back for the machine: what is measured is the program's own time per line.

Prints, per run and as the median over the runs: that time's median, 99th percentile and
maximum, and the lines per second of the whole cycle. No verdict; the README keeps the figures.
Run after scripts/build:  bench/cycle_timing.py [RUNS] [TURNS]
"""
import os
import statistics
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import harness  # noqa: E402

FIELDS = (("kCoreHeight", "0"), ("kCoreDiameter", "50"), ("kSlotCount", "12"), ("kSlotDepth",
          "0"), ("kSlotWidth", "0"), ("kPoles", "0"), ("kCommutatorDistance", "6"),
          ("kDirection", "0"))


def percentile(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, int(round(p / 100 * (len(values) - 1))))]


def wind(program, sim, turns):
    """Winds section 1 and returns the (gap ms list, lines, seconds) of its lines."""
    before = len(sim.entries())
    program.click_id("kSection1")
    # Looked for twice a second only: reading the growing log takes milliseconds of one of the
    # machine's two cores, which the program, wineserver and the simulator share.
    harness.wait_until(lambda: sim.received()[-1:] == ["G0 Z15 F15000\r\n"] and
                       sim.count("RX") > 4, "the end of the cycle", deadline=120, interval=0.5)
    entries = sim.entries()[before:]
    gaps, last_ok, times = [], None, []
    for t, kind, _ in entries:
        if kind == "TX":
            last_ok = t
        elif kind == "RX":
            times.append(t)
            if last_ok is not None:
                gaps.append((t - last_ok) / 1000.0)
    return gaps, len(times), (times[-1] - times[0]) / 1e6


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    turns = sys.argv[2] if len(sys.argv) > 2 else "150"
    harness.end_wine_session()
    display = harness.Display()
    sim = harness.Simulator(3, log_dir=tempfile.mkdtemp(prefix="cycle-timing-"))
    try:
        program = harness.Program(display.name)
        harness.wait_until(lambda: sim.count("RX") == 1, "the zeroing line")
        for number, text in FIELDS + (("kTurns", turns),):
            program.click_id(number)
            program.type(text)
        program.click_id("kStartPosition")
        harness.wait_until(lambda: program.control("kSection1")["enabled"], "the section buttons")
        figures = []
        for run in range(runs):
            gaps, lines, seconds = wind(program, sim, turns)
            figures.append((statistics.median(gaps), percentile(gaps, 99), max(gaps),
                            (lines - 1) / seconds))
            print("run %d: %d lines, ok -> next line: median %.3f ms, 99th percentile %.3f ms, "
                  "max %.3f ms; %.0f lines/s" % ((run + 1, lines) + figures[-1]))
        medians = [statistics.median(f[i] for f in figures) for i in range(4)]
        print("median of %d runs: median %.3f ms, 99th percentile %.3f ms, max %.3f ms, "
              "%.0f lines/s" % ((runs,) + tuple(medians)))
        program.kill()
    finally:
        sim.close()
        harness.end_wine_session()
        display.close()


if __name__ == "__main__":
    main()
