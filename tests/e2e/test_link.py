"""The machine link under Wine: the program finds simulated controllers on COM ports."""
import unittest

from harness import ProgramTest, wait_until

ZERO_LINE = "G92 X0 Y0 Z0 E0\r\n"
STATUS = (940, 10, 184, 36)
REFRESH = (1128, 8, 112, 40)
RESET = (940, 52, 100, 44)
COMMAND_BOX = (940, 592, 204, 32)
SEND = (1144, 592, 128, 32)
STOP = (8, 464, 140, 68)
SLOTS = (512, 64, 104, 26)
CONNECTED = (37, 165, 7)


def near(colour, target, tolerance=40):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, target))


class LinkTest(ProgramTest):
    def status_is_connected(self):
        return any(near(p, CONNECTED) for p in self.program.region(STATUS))

    def test_controller_on_com3_is_found_and_zeroed_and_refresh_finds_it_again(self):
        sim = self.simulator(3)
        program = self.start()
        wait_until(lambda: sim.received() == [ZERO_LINE], "the zeroing line")
        wait_until(self.status_is_connected, "the green status")
        wait_until(lambda: program.shows_text(RESET), "СБРОС enabled")
        program.click_control(REFRESH)
        wait_until(lambda: sim.received() == [ZERO_LINE, ZERO_LINE], "the zeroing line again")
        self.assertEqual(sim.count("OPEN"), 2)
        wait_until(self.status_is_connected, "the green status after Обновить")

    def test_a_typed_command_arrives_byte_for_byte(self):
        sim = self.simulator(3)
        program = self.start()
        wait_until(lambda: sim.received() == [ZERO_LINE], "the zeroing line")
        program.click_control(COMMAND_BOX)
        program.type("G0 Y12.5 Z-3 E45 ; test")
        program.click_control(SEND)
        wait_until(lambda: len(sim.received()) == 2, "the typed line")
        self.assertEqual(sim.received()[1], "G0 Y12.5 Z-3 E45 ; test\r\n")

    def test_an_ok_split_over_two_reads_or_after_long_text_acknowledges(self):
        sim = self.simulator(3, "--split-ok", "--noise", "120")
        program = self.start()
        wait_until(lambda: sim.received() == [ZERO_LINE], "the zeroing line")
        wait_until(lambda: program.shows_text(RESET), "the zeroing line acknowledged")
        program.click_control(COMMAND_BOX)
        program.type("M17")
        program.click_control(SEND)
        wait_until(lambda: sim.received() == [ZERO_LINE, "M17\r\n"], "the next line")

    def test_a_device_with_other_identification_is_passed_over(self):
        other = self.simulator(1, "--wrong-id")
        sim = self.simulator(4)
        self.start()
        wait_until(lambda: sim.received() == [ZERO_LINE], "the zeroing line on COM4")
        self.assertEqual(other.count("OPEN"), 1)
        wait_until(lambda: other.count("CLOSE") == 1, "COM1 to be closed")
        self.assertEqual(other.received(), [])

    def test_a_silent_controller_holds_the_line_until_stop(self):
        sim = self.simulator(2, "--no-ok")
        program = self.start(wait_for_start_up=False)  # start-up waits for the "ok" too
        wait_until(lambda: sim.received() == [ZERO_LINE], "the zeroing line")
        wait_until(self.status_is_connected, "the green status")
        # The window answers while the line waits: a field takes typing.
        program.click_control(SLOTS)
        program.type("24")
        wait_until(lambda: program.shows_text(SLOTS), "typing during the wait")
        self.assertFalse(program.shows_text(RESET))  # still waiting: manual controls disabled
        program.click_control(STOP)
        wait_until(lambda: program.shows_text(RESET), "СБРОС enabled after СТОП")
        self.assertEqual(sim.received(), [ZERO_LINE])


if __name__ == "__main__":
    unittest.main()
