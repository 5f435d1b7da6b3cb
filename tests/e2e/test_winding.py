"""Winding under Wine: an operator types the worked example, sets the start position, winds
section 1 and stakes the commutator; the simulated controller receives every line."""
import time
import unittest

from harness import ProgramTest, wait_until

ZERO_LINE = "G92 X0 Y0 Z0 E0\r\n"
START_POSITION, SECTION_1 = "kStartPosition", "kSection1"
STAKE, SECTION_1_BAR = "kStake", "kSectionProgress1"
PARK, RESET, STOP, STATUS = "kPark", "kReset", "kStop", "kStatus"

WORKED_EXAMPLE = [
    "G92 E0", "M201 Y2400", "G0 Y-4 F15000", "G0 Z-4 F15000", "G0 E0 F15000", "G0 Z0 F15000",
    "G92 E0", "M201 Y2400", "G0 Z0 E6 F176000", "G0 Y44 F96000", "G0 Z-4 F96000",
    "G0 E-156 F176000", "G0 Z0 F96000", "G0 Y-4 F96000", "G0 Z-4 F96000", "G0 E0 F176000",
    "G0 Z0 F96000", "M201 Y9600", "G0 Z0 E6 F176000", "G0 Y44 F96000", "G0 Z-4 F96000",
    "G0 E-156 F176000", "G0 Z0 F96000", "G0 Y-4 F96000", "G0 Z-4 F96000", "G0 Z-4 F96000",
    "G0 E0 F15000", "G0 Z15 F15000",
]


class WindingTest(ProgramTest):
    def type_into(self, control, text):
        self.program.click_id(control)
        self.program.type(text)

    def test_worked_example_and_staking(self):
        self.wind_and_stake(self.simulator(3))

    def test_the_same_against_the_practice_controller(self):
        """Its queue, its late answers, the position report of G92 and the waits of G04 and
        G28; then СБРОС, to which it answers nothing until its port is opened again."""
        sim = self.simulator(3, "--planner")
        self.wind_and_stake(sim)
        self.program.click_id(PARK)
        wait_until(lambda: sim.received()[-1] == "G28 Z Y\r\n", "the homing line")
        # A click taken by the wait for the homing's late answer is not acted on: again until
        # one is (those taken by the wait for M112 are not acted on either). The pointer stays
        # where it is: xdotool waits long for a move to where it already is.
        self.program.click_id(RESET)
        clicked = time.monotonic()

        def reset_once_halted():
            nonlocal clicked
            if time.monotonic() - clicked > 0.5:
                self.program._xdotool("click", "1")
                clicked = time.monotonic()
            return sim.count("HALT") == 1

        wait_until(reset_once_halted, "the emergency stop")
        self.program.click_id(STOP)
        wait_until(lambda: sim.count("OPEN") == 2 and self.program.text(STATUS) == "Подключен",
                   "the controller found again")
        # СТОП stays in force through the reconnection: its zeroing line is not sent.
        self.assertEqual(sim.received()[-2:], ["G28 Z Y\r\n", "M112\r\n"])
        self.assertTrue(sim.lines_waited_for_their_ok())

    def wind_and_stake(self, sim):
        program = self.start()
        wait_until(lambda: sim.received() == [ZERO_LINE], "the zeroing line")
        x, y, w, h = program.rect(SECTION_1_BAR)
        bar_end = (x + w - 6, y + h // 2)
        empty_bar = program.pixel(*bar_end)
        for control, text in (("kCoreHeight", "40"), ("kCoreDiameter", "50"), ("kSlotCount",
                              "12"), ("kSlotDepth", "10"), ("kSlotWidth", "5"),
                              ("kPoles", "5"), ("kTurns", "2"), ("kCommutatorDistance", "10"),
                              ("kDirection", "0")):
            self.type_into(control, text)
        program.click_id(START_POSITION)
        start = [ZERO_LINE, ZERO_LINE, "M17\r\n", "G0 Y-4 Z15 F3000\r\n"]
        wait_until(lambda: sim.received() == start, "the start position lines")

        program.click_id(SECTION_1)
        expected = start + [line + "\r\n" for line in WORKED_EXAMPLE]
        wait_until(lambda: len(sim.received()) >= len(expected), "the section's lines")
        self.assertEqual(sim.received(), expected)
        wait_until(lambda: program.pixel(*bar_end) != empty_bar, "the section bar to show 100")
        self.assertEqual(program.control(SECTION_1_BAR)["position"], 100)

        self.type_into("kBarCount", "7")
        program.click_id(STAKE)
        angles = ["51.4285697937", "102.8571395874", "154.2857208252", "205.7142791748",
                  "257.1428527832", "308.5714416504", "360"]
        staking = ["G92 Z0 E0 \r\n", "G0 Z20 F5000\r\n"]
        for angle in angles:
            staking += ["G0 Z0 F3000\r\n", "G04 X0.1\r\n", "G0 Z20 F12000\r\n",
                        "G0 E%s F120000\r\n" % angle]
        wait_until(lambda: len(sim.received()) >= len(expected) + len(staking), "the staking lines")
        self.assertEqual(sim.received()[len(expected):], staking)


if __name__ == "__main__":
    unittest.main()
