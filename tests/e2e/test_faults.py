"""The fault matrix under Wine: for each way a controller can misbehave, one whole section cycle
(or the search for the controller) must lose no line, duplicate none, and leave a window that
still answers."""
import unittest

from harness import ProgramTest, wait_until, worked_example

ZERO = "G92 X0 Y0 Z0 E0\r\n"
STATUS, SLOTS, COMMAND_BOX, SEND = "kStatus", "kSlotCount", "kCommandBox", "kSend"
REFRESH, RESET, STOP = "kRefresh", "kReset", "kStop"
START_POSITION, SECTION_1, READOUT = "kStartPosition", "kSection1", "kReadout"
FIELDS = (("kCoreHeight", "40"), ("kCoreDiameter", "50"), ("kSlotCount", "12"),
          ("kSlotDepth", "10"), ("kSlotWidth", "5"), ("kPoles", "5"), ("kTurns", "3"),
          ("kCommutatorDistance", "10"), ("kDirection", "0"))


# Misbehaviours that the exchange must ride out, each with the simulator's options.
MATRIX = {
    "an_ok_split_over_two_reads": ["--split-ok"],
    "100_bytes_of_echo_before_the_ok": ["--noise", "100"],
    "300_bytes_of_echo_before_the_ok": ["--noise", "300"],
    "busy_lines_before_the_ok": ["--busy", "3"],
    "a_30_ms_delay": ["--delay-ms", "30"],
    "a_zero_byte_inside_the_reply": ["--zero-byte"],
    # Its "look" and "token" must not answer the first line, which the controller answers late.
    "the_start_up_text_slowly_in_pieces": ["--id-delay-ms", "1000", "--slow-id", "30",
                                           "--first-delay-ms", "2000"],
}

# Devices that must not be taken for the controller.
NOT_THE_CONTROLLER = {
    "a_partial_identification": ["--id-bytes", "60"],
    "a_wrong_identification": ["--wrong-id"],
    "no_identification": ["--no-id"],
}


class FaultTest(ProgramTest):
    def answers(self, program):
        """The window still takes typing and shows it."""
        program.click_id(SLOTS)
        program.type("9")
        wait_until(lambda: program.text(SLOTS) == "9", "the window to take typing")

    def wind_through(self, options):
        sim = self.simulator(3, *options)
        program = self.start()
        wait_until(lambda: sim.received() == [ZERO], "the zeroing line")
        wait_until(lambda: program.control(RESET)["enabled"], "the zeroing line answered")
        program.click_id(START_POSITION)  # at once: lines that follow the first one closely
        wait_until(lambda: program.control(SECTION_1)["enabled"], "the start position")
        # One turn: the exchange is what is under test, and the machine's pace sets the time.
        for number, text in FIELDS[:6] + (("kTurns", "1"),) + FIELDS[7:]:
            program.click_id(number)
            program.type(text)
        program.click_id(SECTION_1)
        expected = [ZERO, ZERO, "M17\r\n", "G0 Y6 Z15 F3000\r\n"] + worked_example(1)
        wait_until(lambda: sim.received()[-1:] == [expected[-1]], "the end of the cycle")
        wait_until(lambda: program.control(SECTION_1)["enabled"], "the cycle to end")
        self.assertEqual(sim.received(), expected)  # none lost, none duplicated
        self.assertTrue(sim.lines_waited_for_their_ok())
        wait_until(lambda: "Высота: 15мм" in program.text(READOUT), "the readout after the cycle")
        self.answers(program)

    def refuse(self, options):
        sim = self.simulator(3, *options)
        program = self.start()
        wait_until(lambda: sim.count("CLOSE") >= 1, "the port to be let go")
        self.assertEqual(program.text(STATUS), "Не подключен")
        self.assertFalse(program.control(RESET)["enabled"])
        self.answers(program)
        self.assertEqual(sim.received(), [])

    def test_a_pulled_cable_in_the_middle_of_a_section(self):
        """The controller goes away while a line waits (its end of the line closes): the
        section ends as after СТОП, the port is closed, the label turns red, the machine
        controls go grey and a message names the line; the computer was kept awake meanwhile.
        "Обновить" finds the controller once it is back."""
        sim = self.simulator(3, "--delay-ms", "20")
        # Wine notes the power request in its trace of ntdll.
        program = self.start(extra_env={"WINEDEBUG": "-all,err+virtual,warn+ntdll"})
        wait_until(lambda: sim.received() == [ZERO], "the zeroing line")
        wait_until(lambda: program.control(RESET)["enabled"], "the zeroing line answered")
        program.click_id(START_POSITION)
        wait_until(lambda: program.control(SECTION_1)["enabled"], "the start position")
        for number, text in FIELDS[:-3] + (("kTurns", "50"),) + FIELDS[-2:]:
            program.click_id(number)
            program.type(text)
        program.click_id(SECTION_1)
        wait_until(lambda: len(sim.received()) >= 30, "the section under way")
        sim.close()  # the cable is pulled
        dialogs = wait_until(lambda: program.probe()["dialogs"], "the message")
        self.assertIn("Связь с контроллером станка потеряна", dialogs[0]["text"])
        # The line named is the last one the controller took, or the one written after it that
        # the controller, closing, no longer read.
        expected = [ZERO, ZERO, "M17\r\n", "G0 Y6 Z15 F3000\r\n"] + worked_example(50)
        received = sim.received()
        self.assertEqual(received, expected[:len(received)])
        named = [line.rstrip("\r\n") for line in expected[len(received) - 1:len(received) + 1]]
        self.assertTrue(any("«%s»" % line in dialogs[0]["text"] for line in named),
                        (named, dialogs[0]["text"]))
        self.assertEqual(program.text(STATUS), "Не подключен")
        for number in (RESET, START_POSITION, SECTION_1):
            self.assertFalse(program.control(number)["enabled"], number)
        with open(program.log_path, encoding="utf-8", errors="replace") as log:
            self.assertIn("NtSetThreadExecutionState", log.read())
        x, y, w, h = dialogs[0]["buttons"][0]["screen"]
        program.click_screen(x + w // 2, y + h // 2)
        wait_until(lambda: not program.probe()["dialogs"], "the message to close")
        self.answers(program)

        back = self.simulator(3)
        program.click_id(REFRESH)
        wait_until(lambda: back.received() == [ZERO], "the controller found again")
        wait_until(lambda: program.text(STATUS) == "Подключен", "the status")


    def test_a_controller_that_restarts_in_the_middle_of_a_section(self):
        """Its reset button, or a dip of its power: the start-up text comes again instead of the
        "ok" of the section's 20th line. Nothing of the section goes out any more; the position
        is declared zero on both sides, the winding controls wait for the start position and the
        operator is told."""
        sim = self.simulator(3, "--restart-after", str(4 + 20))
        program = self.start()
        wait_until(lambda: sim.received() == [ZERO], "the zeroing line")
        wait_until(lambda: program.control(RESET)["enabled"], "the zeroing line answered")
        program.click_id(START_POSITION)
        wait_until(lambda: program.control(SECTION_1)["enabled"], "the start position")
        for number, text in FIELDS:
            program.click_id(number)
            program.type(text)
        program.click_id(SECTION_1)
        dialogs = wait_until(lambda: program.probe()["dialogs"], "the message", 60)
        self.assertIn("Контроллер перезапустился (сброс или провал питания).", dialogs[0]["text"])
        section = worked_example(3)[:20]
        self.assertEqual(sim.received(), [ZERO, ZERO, "M17\r\n", "G0 Y6 Z15 F3000\r\n"] +
                         section + [ZERO])
        for number in (SECTION_1, "kStake", "kNext"):
            self.assertFalse(program.control(number)["enabled"], number)
        self.assertTrue(program.control(RESET)["enabled"])
        self.assertIn("Высота: 0мм", program.text(READOUT))
        x, y, w, h = dialogs[0]["buttons"][0]["screen"]
        program.click_screen(x + w // 2, y + h // 2)
        wait_until(lambda: not program.probe()["dialogs"], "the message to close")
        self.answers(program)
        self.assertEqual(sim.count("RX"), 25)


def _add(name, options, check):
    setattr(FaultTest, "test_" + name, lambda self: check(self, options))


for _name, _options in MATRIX.items():
    _add(_name, _options, FaultTest.wind_through)
for _name, _options in NOT_THE_CONTROLLER.items():
    _add(_name, _options, FaultTest.refuse)


if __name__ == "__main__":
    unittest.main()
