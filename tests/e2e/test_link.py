"""The machine link under Wine: the program finds simulated controllers on COM ports."""
import unittest

from harness import ProgramTest, wait_until

ZERO_LINE = "G92 X0 Y0 Z0 E0\r\n"
STATUS, SLOTS, REFRESH, COMMAND_BOX = "kStatus", "kSlotCount", "kRefresh", "kCommandBox"
SEND, RESET, STOP = "kSend", "kReset", "kStop"
CONNECTED = (37, 165, 7)


def near(colour, target, tolerance=40):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, target))


class LinkTest(ProgramTest):
    def status_is_connected(self):
        program = self.program
        return program.text(STATUS) == "Подключен" and any(
            near(p, CONNECTED) for p in program.region(program.rect(STATUS)))

    def send_typed(self, text):
        program = self.program
        program.click_id(COMMAND_BOX)
        program.type(text)
        program.click_id(SEND)

    def test_controller_on_com3_is_found_and_zeroed_and_refresh_finds_it_again(self):
        sim = self.simulator(3)
        program = self.start()
        wait_until(lambda: sim.received() == [ZERO_LINE], "the zeroing line")
        wait_until(self.status_is_connected, "the green status")
        wait_until(lambda: program.control(RESET)["enabled"], "СБРОС enabled")
        program.click_id(REFRESH)
        wait_until(lambda: sim.received() == [ZERO_LINE, ZERO_LINE], "the zeroing line again")
        self.assertEqual(sim.count("OPEN"), 2)
        wait_until(self.status_is_connected, "the green status after Обновить")

    def test_a_typed_command_arrives_byte_for_byte(self):
        sim = self.simulator(3)
        self.start()
        wait_until(lambda: sim.received() == [ZERO_LINE], "the zeroing line")
        self.send_typed("G0 Y12.5 Z-3 E45 ; test")
        wait_until(lambda: len(sim.received()) == 2, "the typed line")
        self.assertEqual(sim.received()[1], "G0 Y12.5 Z-3 E45 ; test\r\n")

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
        program.click_id(SLOTS)
        program.type("24")
        wait_until(lambda: program.text(SLOTS) == "24", "typing during the wait")
        self.assertFalse(program.control(RESET)["enabled"])  # still waiting
        program.click_id(STOP)
        wait_until(lambda: program.control(RESET)["enabled"], "СБРОС enabled after СТОП")
        self.assertEqual(sim.received(), [ZERO_LINE])

    def test_xon_xoff_left_on_at_the_port_stops_no_line(self):
        """A terminal program left XON/XOFF on at the port, and the controller's first reply
        holds an XOFF byte: the lines after it still reach the controller."""
        sim = self.simulator(3, "--xon-xoff")
        program = self.start()
        wait_until(lambda: sim.received() == [ZERO_LINE], "the zeroing line")
        wait_until(lambda: program.control(RESET)["enabled"], "the zeroing line answered")
        self.send_typed("M17")
        wait_until(lambda: sim.received()[1:] == ["M17\r\n"], "the line after the XOFF byte")

    def test_the_window_answers_during_a_long_search(self):
        """Six ports that open but never answer make a search of over 7 s, longer than the 5 s
        after which Windows takes a window that answers nothing for hung: every time the window
        is asked something meanwhile, it answers."""
        for number in range(1, 7):
            self.simulator(number, "--no-id")
        sim = self.simulator(7)
        program = self.start(wait_for_start_up=False)
        answers = []
        while sim.count("OPEN") == 0:
            answers.append(program.text(STATUS))
        self.assertGreaterEqual(len(answers), 6)
        self.assertEqual(set(answers), {"Не подключен"}, answers)
        wait_until(lambda: sim.received() == [ZERO_LINE], "the zeroing line on COM7")
        wait_until(self.status_is_connected, "the green status")


if __name__ == "__main__":
    unittest.main()
