#!/usr/bin/env python3
"""What СТОП and СБРОС do to the machine, through the real program under Wine against the practice
controller (controller-sim --planner: a queue of 15 moves carried out at the motion model's pace).

For winding speeds 1, 8 and 10: how long a 20-turn section of the worked example keeps the
machine moving, and, 3 s into such a section, how long the machine goes on moving after СТОП
(from the click to the controller's REST). Then СТОП followed 0.3 s later by СБРОС at speed 8:
how long the machine moves after M112 reaches the controller. Medians over the runs.
build/native/stop-bench gives the same figures exactly, in memory, without Wine.
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
RESET, STATUS, SPEED = "kReset", "kStatus", "kWindingSpeed"
EXAMPLE = (("kCoreHeight", "40"), ("kCoreDiameter", "50"), ("kSlotCount", "12"), ("kSlotDepth",
           "10"), ("kSlotWidth", "5"), ("kPoles", "5"), ("kTurns", "20"),
           ("kCommutatorDistance", "10"), ("kDirection", "0"))
LAST_LINE = "G0 Z15 F15000\r\n"


def rest_after(sim, moment):
    rests = [t / 1e6 for t, kind, _ in sim.entries() if kind == "REST" and t / 1e6 >= moment]
    return rests[0] if rests else None


def set_speed(program, speed):
    """The trackbar by the keyboard: End is 10, each Left one less (and jogs the rotation, which
    the section declares zero anew)."""
    program.click_id(SPEED)
    program.key("End", *(["Left"] * (10 - speed)))
    harness.wait_until(lambda: program.control(SPEED)["position"] == speed, "the speed")


def prepare(program, sim):
    """The start position taken and reached. It declares the position anew, so a section stopped
    before cannot be continued: its button asks whether to wind it anew."""
    program.click_id(START_POSITION)
    harness.wait_until(lambda: sim.received()[-1:] == ["G0 Y-4 Z15 F3000\r\n"], "the start position")
    sent = [t / 1e6 for t, kind, _ in sim.entries() if kind == "RX"][-1]
    harness.wait_until(lambda: rest_after(sim, sent), "the machine at rest")
    harness.wait_until(lambda: program.control(SECTION_1)["enabled"], "the section button")


def start_section(program, stopped_before):
    """Presses the section button, and "Да" (wind anew) when it asks; the moment it started."""
    program.click_id(SECTION_1)
    if stopped_before:
        dialogs = harness.wait_until(lambda: program.probe()["dialogs"], "the question")
        x, y, w, h = dialogs[0]["buttons"][0]["screen"]
        program.click_screen(x + w // 2, y + h // 2)
    return time.monotonic()


def section_seconds(program, sim):
    """From the click to the machine at rest after the section's last line."""
    clicked = start_section(program, False)
    harness.wait_until(lambda: sim.received()[-1:] == [LAST_LINE], "the end of the section", 120)
    return harness.wait_until(lambda: rest_after(sim, clicked), "the machine to stop", 60) - clicked


def run_on_after_stop(program, sim, then_reset, stopped_before):
    start_section(program, stopped_before)
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
    harness.wait_until(lambda: program.control(SECTION_1)["enabled"] or then_reset, "the stop")
    return max(0.0, rest - moment)


def session(logs, body):
    harness.end_wine_session()
    display = harness.Display()
    sim = harness.Simulator(3, "--planner", log_dir=logs)
    try:
        program = harness.Program(display.name)
        harness.wait_until(lambda: sim.count("RX") == 1, "the zeroing line")
        for control, text in EXAMPLE:
            program.click_id(control)
            program.type(text)
        body(program, sim)
        program.kill()
    finally:
        sim.close()
        harness.end_wine_session()
        display.close()


def measure_speed(speed, runs, logs):
    sections, ons = [], []

    def body(program, sim):
        set_speed(program, speed)
        prepare(program, sim)
        sections.append(section_seconds(program, sim))
        for i in range(runs):
            prepare(program, sim)
            ons.append(run_on_after_stop(program, sim, False, i > 0))

    session(logs, body)
    print("speed %2d: 20-turn section %6.2f s; run-on after СТОП %4.0f ms (%.0f to %.0f)" % (
        speed, sections[0], statistics.median(ons) * 1000, min(ons) * 1000, max(ons) * 1000),
        flush=True)


def measure_reset(runs, logs):
    moved = []

    def body(program, sim):
        for _ in range(runs):
            prepare(program, sim)
            # After СБРОС the new connection gives the stopped section up; the start position
            # makes its button ask.
            moved.append(run_on_after_stop(program, sim, True, bool(moved)))

    session(logs, body)
    print("СТОП, then СБРОС 0.3 s later: moves on after M112 %4.0f ms (%.0f to %.0f)" % (
        statistics.median(moved) * 1000, min(moved) * 1000, max(moved) * 1000), flush=True)


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    logs = tempfile.mkdtemp(prefix="stop-bench-")
    for speed in (1, 8, 10):
        measure_speed(speed, runs, logs)
    measure_reset(runs, logs)


if __name__ == "__main__":
    main()
