#!/usr/bin/env python3
"""The practice program under Wine: what it costs the PC, and what the machine window looks like.

Prints figures, passes no verdict:
  - the CPU share of the practice program (and of wineserver) over 10 s at rest, connected, and
    over 10 s of a section being wound (10 turns at speed 8, about 19 s of machine time), as
    medians of RUNS;
  - the time of one frame of the machine window (building the picture, drawing it into the
    bitmap, putting it on the screen), median and 90th percentile of 300 frames, at 96 and
    144 DPI;
  - and keeps a screenshot of the machine window during the section at 96 and 144 DPI in
    build/practice-bench/.
Run after scripts/build:  bench/practice_bench.py [RUNS]
"""
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import harness  # noqa: E402
import link_bench  # noqa: E402
from test_practice import WORKED, MachineWindow  # noqa: E402

OUT = os.path.join(harness.ROOT, "build", "practice-bench")
WINDOW = 10.0


def cpu_share():
    return link_bench.cpu_share("tarvel-practice.exe", WINDOW)


def paint_figures(display):
    out = subprocess.run([harness.WINE_EXEC, os.path.join(harness.ROOT, "build", "windows",
                                                          "paint-bench.exe"), "300"],
                         env=dict(os.environ, DISPLAY=display, WINEDEBUG="-all"),
                         capture_output=True, text=True, timeout=300)
    fields = out.stdout.split()
    return dict(zip(fields[0::2], fields[1::2]))


def ready_to_wind(program, machine):
    for name, text in WORKED:
        program.click_id(name)
        program.type(text)
    program.click_id("kStartPosition")
    harness.wait_until(lambda: program.control("kSection1")["enabled"], "the start position")
    harness.wait_until(lambda: machine.queued(program.screenshot()) == 0, "the machine at rest", 60)


def at_dpi(dpi, runs):
    harness.set_dpi(dpi)
    display = harness.Display(size="1920x1080")
    try:
        paint = paint_figures(display.name)
        harness.end_wine_session()
        program = harness.Program(display.name, exe=harness.PRACTICE_EXE,
                                  title=harness.PRACTICE_TITLE, scaled=True)
        program._locate_client()
        machine = MachineWindow(program)
        program._locate_client()  # the pair sits side by side where it has room: the main moved
        ready_to_wind(program, machine)
        rest, winding = [], []
        for run in range(runs if dpi == 96 else 1):
            time.sleep(2)  # the last frames of the move before, and the bars' last repaint
            rest.append(cpu_share())
            program.click_id("kSection1")
            time.sleep(2)
            if run == 0:
                program.screenshot().save(os.path.join(OUT, "machine-%d-dpi.png" % dpi),
                                          machine.area())
            winding.append(cpu_share())
            harness.wait_until(lambda: machine.queued(program.screenshot()) == 0,
                               "the machine at rest", 60)
        program.kill()
    finally:
        harness.end_wine_session()
        display.close()
    print("%d DPI (scale %s): one frame %s ms median, %s ms 90th percentile "
          "(drawing into the bitmap %s ms)" % (dpi, paint.get("scale"), paint.get("frame_ms_median"),
                                              paint.get("frame_ms_p90"), paint.get("draw_ms_median")))
    for what, shares in (("at rest, connected", rest), ("winding a section", winding)):
        print("  %-19s program %.1f %% of a core, wineserver %.1f %% (median of %d, 10 s each; "
              "program %.1f to %.1f)" % (what, statistics.median(s[0] for s in shares),
                                         statistics.median(s[1] for s in shares), len(shares),
                                         min(s[0] for s in shares), max(s[0] for s in shares)))


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    os.makedirs(OUT, exist_ok=True)
    harness.end_wine_session()
    try:
        for dpi in (96, 144):
            at_dpi(dpi, runs)
    finally:
        harness.set_dpi(96)
    print("screenshots of the machine window while it winds: %s/machine-*-dpi.png" % OUT)


if __name__ == "__main__":
    main()
