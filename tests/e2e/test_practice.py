"""The practice program under Wine: the operator program with the practice controller inside it
and the machine window beside it. A controller on COM1 of the prefix stands for the real one on
the shop-floor PC: the practice program must never open it."""
import os
import re
import subprocess
import time
import unittest

from harness import ARTIFACTS, Display, PRACTICE_EXE, PRACTICE_TITLE, ROOT, ProgramTest, wait_until

PLAN = os.path.join(ROOT, "build", "native", "tarvel-plan")
SAMPLE = os.path.join(ROOT, "docs", "sample.tpf")
ORANGE = (208, 128, 0)  # a move the controller holds, in the queue bar
WORKED = (("kCoreHeight", "40"), ("kCoreDiameter", "50"), ("kSlotCount", "12"),
          ("kSlotDepth", "10"), ("kSlotWidth", "5"), ("kPoles", "5"), ("kTurns", "10"),
          ("kCommutatorDistance", "10"), ("kBarCount", "24"), ("kDirection", "0"))


class MachineWindow:
    """The machine window on the screen, in its own units (420 x 768) at the window's scale."""

    def __init__(self, program):
        self.program = program
        found = lambda: program._xdotool("search", "--name", "^Станок$").stdout.split()
        self.window = wait_until(found, "the machine window")[0]
        geometry = {}
        for line in program._xdotool("getwindowgeometry", "--shell", self.window).stdout.split():
            key, _, value = line.partition("=")
            geometry[key] = int(value) if value.isdigit() else value
        border = program.border
        self.x = geometry["X"] + border
        self.y = geometry["Y"] + geometry["HEIGHT"] - border - round(768 * program.scale)
        self.scale = program.scale

    def area(self):
        return self.x, self.y, round(420 * self.scale), round(768 * self.scale)

    def crop(self, shot):
        return shot.region(*self.area())

    def queued(self, shot):
        """How many cells of the queue bar show a move the controller holds."""
        cell = 390 / 15
        return sum(1 for i in range(15)
                   if shot.pixel(self.x + round((15 + i * cell + cell / 2) * self.scale),
                                 self.y + round(703 * self.scale)) == ORANGE)


class PracticeTest(ProgramTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # A shop-floor screen, with room for both windows side by side.
        cls.display.close()
        cls.display = Display(size="1920x1080")

    def start_practice(self):
        self.real = self.simulator(1)  # a real controller on the PC
        program = self.start(exe=PRACTICE_EXE, title=PRACTICE_TITLE)
        self.machine = MachineWindow(program)
        program._locate_client()  # the pair sits side by side: the main window moved
        self.assertLessEqual(program.frame_x + program.frame_w, self.machine.x,
                             "the machine window lies over the main one")
        return program

    def wind_ready(self, program):
        for name, text in WORKED:
            program.click_id(name)
            program.type(text)
        program.click_id("kStartPosition")
        wait_until(lambda: program.control("kSection1")["enabled"], "the start position")
        self.wait_at_rest()

    def wait_at_rest(self, deadline=60):
        wait_until(lambda: self.machine.queued(self.program.screenshot()) == 0,
                   "the machine at rest", deadline, interval=0)

    def planned_section_seconds(self):
        report = subprocess.run([PLAN, SAMPLE], capture_output=True, text=True, check=True).stdout
        return float(re.search(r"Секция 1: витков: 10, строк: \d+, время: ([\d.]+)", report)
                     .group(1))

    def test_the_practice_controller_is_connected_and_the_real_one_is_never_touched(self):
        program = self.start_practice()
        wait_until(lambda: program.text("kStatus") == "Подключен", "Подключен")
        self.assertEqual(self.real.count("OPEN"), 0)
        program.click_id("kRefresh")
        wait_until(lambda: program.control("kReset")["enabled"], "connected again")
        self.assertEqual(self.real.count("OPEN"), 0)

    def test_a_section_keeps_the_machine_moving_for_the_plans_time(self):
        program = self.start_practice()
        self.wind_ready(program)
        rest = self.machine.crop(program.screenshot())
        time.sleep(0.5)
        self.assertEqual(self.machine.crop(program.screenshot()), rest)  # at rest: not a pixel
        program.click_id("kSection1")
        # From the first look that finds the machine moving to the first that finds it at rest:
        # each late by at most one screenshot, whatever kept the click from the program.
        wait_until(lambda: self.machine.queued(program.screenshot()) > 0, "the machine moving",
                   interval=0)
        moving = time.monotonic()
        time.sleep(2)
        first = program.screenshot()
        time.sleep(0.5)
        second = program.screenshot()
        self.assertNotEqual(self.machine.crop(first), self.machine.crop(second))
        # The program keeps no more than the look-ahead ahead of the machine.
        self.assertIn(self.machine.queued(second), (1, 2, 3))
        self.wait_at_rest()
        seconds = time.monotonic() - moving
        planned = self.planned_section_seconds()
        print("the machine moved %.2f s for a section the plan gives %.3f s" % (seconds, planned))
        second.save(os.path.join(ARTIFACTS, "practice-winding.png"), self.machine.area())
        self.assertAlmostEqual(seconds, planned, delta=planned * 0.05)

    def test_after_stop_the_machine_stops_within_the_look_ahead(self):
        program = self.start_practice()
        self.wind_ready(program)
        program.click_id("kSection1")
        time.sleep(3)
        program.click_id("kStop")
        wait_until(lambda: program.control("kSection1")["enabled"], "the cycle to end")
        self.assertLessEqual(self.machine.queued(program.screenshot()), 3)
        self.wait_at_rest(10)
        rest = self.machine.crop(program.screenshot())
        time.sleep(0.5)
        self.assertEqual(self.machine.crop(program.screenshot()), rest)


if __name__ == "__main__":
    unittest.main()
