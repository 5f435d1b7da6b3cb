#!/usr/bin/env python3
"""What the operator program costs the PC while it waits: the real program under Wine against
controller-sim --planner (the queueing controller) on a pseudo-terminal.

Prints figures, passes no verdict: the CPU share of the program and of wineserver (as a share of
one core) over 10 s at rest, connected, nothing to do; and over 10 s of section 1 of the worked
example being wound (10 turns at speed 8, about 19 s of machine time); medians of RUNS.
Run after scripts/build:  bench/rest_bench.py [RUNS]
"""
import os
import statistics
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import harness  # noqa: E402
import link_bench  # noqa: E402
from test_practice import WORKED  # noqa: E402

WINDOW = 10.0


def cpu_share():
    return link_bench.cpu_share("tarvel-sw.exe", WINDOW)


def quiet_since(sim, seconds):
    """Until the simulator has received nothing for so many seconds: the section wound."""
    count, since = sim.count("RX"), time.monotonic()
    while time.monotonic() - since < seconds:
        time.sleep(0.2)
        if sim.count("RX") != count:
            count, since = sim.count("RX"), time.monotonic()


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    harness.end_wine_session()
    display = harness.Display()
    logs = tempfile.mkdtemp(prefix="rest-bench-")
    rest, winding = [], []
    try:
        sim = harness.Simulator(1, "--planner", log_dir=logs)
        program = harness.Program(display.name)
        harness.wait_until(lambda: sim.count("RX") == 1, "the zeroing line")
        for name, text in WORKED:
            program.click_id(name)
            program.type(text)
        program.click_id("kStartPosition")
        harness.wait_until(lambda: program.control("kSection1")["enabled"], "the start position")
        for _ in range(runs):
            time.sleep(3)  # the machine at rest, the last repaints done
            rest.append(cpu_share())
            program.click_id("kSection1")
            time.sleep(2)
            winding.append(cpu_share())
            quiet_since(sim, 3)
        program.kill()
        sim.close()
    finally:
        harness.end_wine_session()
        display.close()
    for what, shares in (("at rest, connected", rest), ("winding a section", winding)):
        program_share = statistics.median(s[0] for s in shares)
        server_share = statistics.median(s[1] for s in shares)
        print("%-19s program %.2f %% of a core, wineserver %.2f %%, together %.2f %% "
              "(median of %d, 10 s each)" % (what, program_share, server_share,
                                             program_share + server_share, len(shares)))


if __name__ == "__main__":
    main()
