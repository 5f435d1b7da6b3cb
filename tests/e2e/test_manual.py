"""The manual panel under Wine: real key presses and clicks jog the axes, the set-up commands go
out byte for byte, and the readout shows the tracked position, read from the running window."""
import unittest

from harness import ProgramTest, number, wait_until

ZERO = "G92 X0 Y0 Z0 E0\r\n"
READOUT, STATUS_OK = "kReadout", "Подключен"
SECTION_BAR_1 = "kSectionProgress1"


def readout(height, length, rotation):
    return "Текущее положение:\r\nВысота: %sмм\r\nДлина: %sмм\r\nПоворот: %s°\r\n" % (
        height, length, rotation)


class ManualTest(ProgramTest):
    def connect(self, *options):
        self.sim = self.simulator(3, *options)
        program = self.start()
        wait_until(lambda: self.sim.received() == [ZERO], "the zeroing line")
        wait_until(lambda: program.control("kReset")["enabled"], "the manual controls")
        return program

    def expect(self, action, *lines):
        """Runs one operator action and waits for exactly these lines to arrive."""
        before = len(self.sim.received())
        action()
        wait_until(lambda: len(self.sim.received()) >= before + len(lines), "lines %r" % (lines,))
        self.assertEqual(self.sim.received()[before:], list(lines))

    def key(self, name, *lines):
        self.expect(lambda: self.program.key(name), *lines)

    def click(self, number, *lines):
        self.expect(lambda: self.program.click_id(number), *lines)

    def wait_readout(self, height, length, rotation):
        wait_until(lambda: self.program.text(READOUT) == readout(height, length, rotation),
                   "the readout %s, %s, %s" % (height, length, rotation))

    def type_into(self, number, text):
        self.program.click_id(number)
        self.program.type(text)

    def test_keys_and_buttons_jog_and_the_readout_follows(self):
        program = self.connect()
        program.click_id("kSlotCount")  # the keyboard goes to the window; the slot field takes no "+"
        for z in (1, 2, 3):
            self.key("KP_Add", "G0 Z%dF1500\r\n" % z)
        self.click("kJogHeightDown", "G0 Z1F1500\r\n")
        self.wait_readout(1, 0, 0)
        for e in (0, 1, 2, 2, 2, 3):
            self.key("Right", "G0 E%dF15000\r\n" % e)
        self.wait_readout(1, 0, 3)
        self.click("kRotationZero", "G92 E0\r\n")
        self.key("Left", "G0 E0F15000\r\n")
        self.wait_readout(1, 0, "-0.5")
        self.key("Up", "G0 Y1F1500\r\n")
        self.key("Up", "G0 Y2F1500\r\n")
        self.key("KP_Subtract", "G0 Z0F1500\r\n")
        self.key("Down", "G0 Y1F1500\r\n")
        self.click("kJogLengthUp", "G0 Y6F1500\r\n")
        self.click("kJogRotationDown", "G0 E-10F15000\r\n")
        self.wait_readout(0, 6, "-10.5")
        self.click("kLengthZero", "G92 Y0\r\n")
        self.wait_readout(0, 0, "-10.5")

        self.type_into("kSlotCount", "7")
        self.click("kRotateTo0", "G0 E0F15000\r\n")
        self.click("kRotateSlotForward", "G0 E51F15000\r\n")
        self.click("kRotateSlotForward", "G0 E103F15000\r\n")
        self.wait_readout(0, 0, "102.8571395874")
        self.click("kRotateTo360", "G0 E360F15000\r\n")
        self.click("kRotateTo360", "G0 E360F15000\r\n")
        self.click("kJogHeightUp", "G0 Z10F1500\r\n")
        # The homed axes stand where the controller says at the end of its homing (its switches:
        # 0 for this one).
        self.click("kPark", "G28 Z Y\r\n")
        self.wait_readout(0, 0, 360)
        self.key("Up", "G0 Y1F1500\r\n")
        self.key("KP_Add", "G0 Z1F1500\r\n")
        self.click("kChange", "G28 Z\r\n", "M84 Y\r\n", "G92 Y0\r\n")
        self.wait_readout(0, 0, 360)

    def test_next_position_after_a_wound_section_and_refused_without_slots(self):
        program = self.connect()
        for number, text in (("kCoreHeight", "40"), ("kCoreDiameter", "50"), ("kSlotCount", "10"),
                             ("kSlotDepth", "10"), ("kSlotWidth", "5"), ("kPoles", "5"),
                             ("kTurns", "1"), ("kCommutatorDistance", "10"), ("kBarCount", "10"),
                             ("kDirection", "0"), ("kRotationAfter", "250")):
            self.type_into(number, text)
        self.click("kStartPosition", ZERO, "M17\r\n", "G0 Y-4 Z15 F3000\r\n")
        wait_until(lambda: program.control("kSection1")["enabled"], "the section buttons")
        program.click_id("kSection1")
        wait_until(lambda: self.sim.received()[-2:] == ["G0 E250 F15000\r\n", "G0 Z15 F15000\r\n"],
                   "the end of the section")
        wait_until(lambda: program.control(SECTION_BAR_1)["position"] == 100, "a full section bar")

        self.click("kNext", "G0 E360 F15000\r\n", "G0 E396 F15000\r\n")
        self.wait_readout(15, -4, 396)
        self.assertEqual(program.control(SECTION_BAR_1)["position"], 0)

        # No slots: no step to take, so nothing moves and the operator is told why.
        self.type_into("kSlotCount", "0")
        sent = len(self.sim.received())
        program.click_id("kNext")
        dialogs = wait_until(lambda: program.probe()["dialogs"], "the message box")
        self.assertIn("КОЛИЧЕСТВО ПАЗОВ", dialogs[0]["text"])
        x, y, w, h = dialogs[0]["buttons"][0]["screen"]
        program.click_screen(x + w // 2, y + h // 2)
        wait_until(lambda: not program.probe()["dialogs"], "the message box to close")
        self.assertEqual(len(self.sim.received()), sent)
        self.wait_readout(15, -4, 396)

    def test_emergency_reset_searches_again_and_leaves_winding_off(self):
        program = self.connect()
        self.click("kStartPosition", ZERO, "M17\r\n", "G0 Y6 Z15 F3000\r\n")
        wait_until(lambda: program.control("kSection1")["enabled"], "the winding controls")
        self.click("kReset", "M112\r\n", ZERO)
        wait_until(lambda: program.control("kReset")["enabled"], "the manual controls again")
        state = program.probe()["controls"]
        for name in ("kSection1", "kSection2", "kStake", "kNext"):
            self.assertFalse(state[str(number(name))]["enabled"], name)
        self.assertEqual(state[str(number("kStatus"))]["text"], STATUS_OK)
        self.assertEqual(self.sim.count("OPEN"), 2)

    def test_emergency_reset_of_a_silent_controller_is_released_by_stop(self):
        program = self.connect("--silent-after-m112")
        program.click_id("kSlotCount")
        self.key("KP_Add", "G0 Z1F1500\r\n")
        self.key("Right", "G0 E0F15000\r\n")
        self.click("kReset", "M112\r\n")
        self.assertFalse(program.control("kReset")["enabled"])  # still waiting for the "ok"
        program.click_id("kStop")
        wait_until(lambda: self.sim.count("OPEN") == 2, "the new search")
        wait_until(lambda: program.control("kReset")["enabled"], "the manual controls after СТОП")
        # The stop still held when the search found the controller: no zeroing line went out,
        # yet the tracked position is zero.
        self.assertEqual(self.sim.received(), [ZERO, "G0 Z1F1500\r\n", "G0 E0F15000\r\n", "M112\r\n"])
        self.wait_readout(0, 0, 0)
        self.assertFalse(program.control("kSection1")["enabled"])


if __name__ == "__main__":
    unittest.main()
