"""СТОП in the middle of a section, against the practice controller (a queue of 15 moves carried
out at the real pace): the machine stops within the move in progress and the look-ahead, it comes
to rest where the readout says, and the section, continued after a jog, sends exactly the lines
it had left."""
import re
import time
import unittest

from harness import ProgramTest, wait_until, worked_example

ZERO = "G92 X0 Y0 Z0 E0\r\n"
START = [ZERO, ZERO, "M17\r\n", "G0 Y-4 Z15 F3000\r\n"]
FIELDS = (("kCoreHeight", "40"), ("kCoreDiameter", "50"), ("kSlotCount", "12"),
          ("kSlotDepth", "10"), ("kSlotWidth", "5"), ("kPoles", "5"), ("kTurns", "5"),
          ("kCommutatorDistance", "10"), ("kDirection", "0"))


def readout(program):
    """Height, length and rotation as the readout shows them."""
    numbers = re.findall(r"-?\d+(?:\.\d+)?", program.text("kReadout"))
    return tuple(float(n) for n in numbers[:3])


class StopTest(ProgramTest):
    def rest_after(self, sim, moment):
        """Where the controller came to rest (height, length, rotation) after `moment`, and
        when; None while it moves."""
        for t, kind, text in sim.entries():
            if kind == "REST" and t / 1e6 >= moment:
                y, z, e = (float(v[1:]) for v in text.split())
                return (z, y, e), t / 1e6
        return None

    def assert_at_rest_where_the_readout_says(self, sim, program, moment):
        rest, _ = wait_until(lambda: self.rest_after(sim, moment), "the machine at rest", 60)
        for shown, actual in zip(readout(program), rest):
            self.assertAlmostEqual(shown, actual, delta=0.5)  # the lines carry whole numbers

    def test_a_section_stopped_in_turn_4_jogged_and_continued(self):
        sim = self.simulator(3, "--planner")
        program = self.start()
        wait_until(lambda: sim.received() == [ZERO], "the zeroing line")
        for control, text in FIELDS:
            program.click_id(control)
            program.type(text)
        program.click_id("kStartPosition")
        wait_until(lambda: sim.received() == START, "the start position")
        wait_until(lambda: program.control("kSection1")["enabled"], "the section button")
        whole = worked_example(5)

        program.click_id("kSection1")
        turn_4 = len(START) + 7 + 10 + 10 + 9 + 1  # its first line
        wait_until(lambda: len(sim.received()) >= turn_4, "turn 4", 60)
        program.click_id("kStop")
        stopped = time.monotonic()
        wait_until(lambda: program.control("kSection1")["enabled"], "the section to stop")
        _, rest_at = wait_until(lambda: self.rest_after(sim, stopped), "the machine at rest")
        self.assertLess(rest_at - stopped, 0.8)  # the move in progress and the look-ahead
        self.assert_at_rest_where_the_readout_says(sim, program, stopped)
        before = sim.received()[len(START):]
        self.assertEqual(before, whole[:len(before)])
        self.assertLess(len(before), turn_4 + 9 - len(START))

        program.click_id("kJogHeightUp")
        wait_until(lambda: len(sim.received()) == len(START) + len(before) + 1, "the jog")
        program.click_id("kSection1")
        question = wait_until(lambda: program.probe()["dialogs"], "the question")[0]
        self.assertIn("Секция 1 остановлена на витке 4 из 5.", question["text"])
        x, y, w, h = question["buttons"][0]["screen"]  # Да
        program.click_screen(x + w // 2, y + h // 2)
        wait_until(lambda: sim.received()[-1:] == [whole[-1]], "the end of the section", 60)
        continued = time.monotonic()
        after = sim.received()[len(START) + len(before) + 1:]
        self.assertRegex(after[0], r"^G0 Z-?\d+ F15000\r\n$")  # down again where it stopped
        self.assertEqual(before + after[1:], whole)
        self.assertTrue(sim.lines_waited_for_their_ok())
        self.assert_at_rest_where_the_readout_says(sim, program, continued)


if __name__ == "__main__":
    unittest.main()
