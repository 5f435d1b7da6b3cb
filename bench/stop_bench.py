#!/usr/bin/env python3
"""What СТОП and СБРОС do to the machine: the real program under Wine winds a 50-turn section at
speed 8 against the practice controller (--planner, a queue of 15 moves carried out at the
motion model's pace) and, 3 s into the section, the operator presses СТОП; in the second
scenario СБРОС follows 0.3 s later (and СТОП 1.5 s after that, to let the program search again). Prints, as medians over the runs, how long the machine goes
on moving after the click (the controller's REST).
Run after scripts/build:  bench/stop_bench.py [RUNS]
"""
import os
import statistics
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import harness  # noqa: E402

START_POSITION, SECTION_1, STOP = "kStartPosition", "kSection1", "kStop"
RESET, STATUS = "kReset", "kStatus"
EXAMPLE = (("kCoreHeight", "40"), ("kCoreDiameter", "50"), ("kSlotCount", "12"), ("kSlotDepth",
           "10"), ("kSlotWidth", "5"), ("kPoles", "5"), ("kTurns", "50"),
           ("kCommutatorDistance", "10"), ("kDirection", "0"))


def rest_after(sim, moment):
    rests = [t / 1e6 for t, kind, _ in sim.entries() if kind == "REST" and t / 1e6 >= moment]
    return rests[0] if rests else None


def prepare(program, sim):
    program.click_id(START_POSITION)
    harness.wait_until(lambda: sim.received()[-1:] == ["G0 Y-4 Z15 F3000\r\n"], "the start position")
    harness.wait_until(lambda: program.control(SECTION_1)["enabled"], "the section button")


def one_run(program, sim, then_reset):
    program.click_id(SECTION_1)
    time.sleep(3.0)
    program.click_id(STOP)
    stopped = time.monotonic()
    moment = stopped
    if then_reset:
        time.sleep(0.3)
        program.click_id(RESET)
        harness.wait_until(lambda: sim.count("HALT") > 0, "the emergency stop")
        moment = [t / 1e6 for t, kind, _ in sim.entries() if kind == "RX"][-1]
        # The controller answers nothing after M112; СТОП lets the program go on, and its new
        # search resets the board. An operator takes a moment to press it.
        time.sleep(1.5)
        program.click_id(STOP)
        harness.wait_until(lambda: program.text(STATUS) == "Подключен", "the controller again", 60)
    rest = harness.wait_until(lambda: rest_after(sim, stopped), "the machine to stop", 60)
    return max(0.0, rest - moment)


def run(then_reset, runs, logs):
    harness.end_wine_session()
    display = harness.Display()
    sim = harness.Simulator(3, "--planner", log_dir=logs)
    try:
        program = harness.Program(display.name)
        harness.wait_until(lambda: sim.count("RX") == 1, "the zeroing line")
        for control, text in EXAMPLE:
            program.click_id(control)
            program.type(text)
        results = []
        for _ in range(runs):
            prepare(program, sim)
            results.append(one_run(program, sim, then_reset))
        program.kill()
    finally:
        sim.close()
        harness.end_wine_session()
        display.close()
    moved = results
    what = "СТОП, then СБРОС 0.3 s later: moves on after M112" if then_reset else \
        "СТОП 3 s into the section: the machine moves on"
    print("%-51s %6.0f ms (%.0f to %.0f)" % (
        what, statistics.median(moved) * 1000, min(moved) * 1000, max(moved) * 1000), flush=True)


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    logs = tempfile.mkdtemp(prefix="stop-bench-")
    run(False, runs, logs)
    run(True, runs, logs)


if __name__ == "__main__":
    main()
