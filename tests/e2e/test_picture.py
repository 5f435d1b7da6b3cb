"""One picture of the machine under Wine, against the practice controller homing to switches
that are not the work's zero: after the start position, a jog, ПАРКОВКА, a line of the command
box and a refused one, the controller comes to rest where the readout says, every time."""
import re
import unittest

from harness import ProgramTest, wait_until

ZERO = "G92 X0 Y0 Z0 E0\r\n"
HOME = ("-30", "40")  # the switches of Y and Z, in the controller's coordinates


def readout(program):
    """Height, length and rotation as the readout shows them (None for an axis not known)."""
    text = program.text("kReadout")
    values = []
    for label in ("Высота", "Длина", "Поворот"):
        found = re.search(label + r": (-?\d+(?:\.\d+)?)", text)
        values.append(float(found.group(1)) if found else None)
    return tuple(values)


class PictureTest(ProgramTest):
    def rest(self, after):
        """Where the controller came to rest (height, length, rotation) after its entry `after`,
        or None while it moves."""
        entries = self.sim.entries()[after:]
        for t, kind, text in reversed(entries):
            if kind == "REST":
                y, z, e = (float(v[1:]) for v in text.split())
                return (z, y, e)
        return None

    def step(self, action, *lines):
        """Runs an operator action; once its lines have arrived and the machine rests, the readout
        is where the controller stands."""
        before = len(self.sim.received())
        entries = len(self.sim.entries())
        action()
        wait_until(lambda: len(self.sim.received()) >= before + len(lines), "lines %r" % (lines,))
        self.assertEqual(self.sim.received()[before:], list(lines))
        if lines:
            rest = wait_until(lambda: self.rest(entries), "the machine at rest", 30)
        else:
            rest = self.last_rest
        shown = wait_until(lambda: readout(self.program) if readout(self.program)[:2] != (None, None)
                           else None, "a readout")
        for value, actual in zip(shown, rest):
            self.assertAlmostEqual(value, actual, delta=0.5)
        self.last_rest = rest

    def box(self, text):
        self.program.click_id("kCommandBox")
        self.program.key("ctrl+a")
        self.program.type(text)
        self.program.click_id("kSend")

    def test_the_readout_is_where_the_controller_stands(self):
        self.sim = self.simulator(3, "--planner", "--home", ",".join(HOME))
        program = self.start()
        wait_until(lambda: self.sim.received() == [ZERO], "the zeroing line")
        program.click_id("kCommutatorDistance")
        program.type("10")
        self.last_rest = (0, 0, 0)
        self.step(lambda: program.click_id("kStartPosition"), ZERO, "M17\r\n",
                  "G0 Y-4 Z15 F3000\r\n")
        self.step(lambda: program.click_id("kJogHeightUp"), "G0 Z25F1500\r\n")
        self.step(lambda: program.click_id("kPark"), "G28 Z Y\r\n")
        self.assertEqual(readout(program), (40.0, -30.0, 0.0))
        self.assertFalse(program.control("kSection1")["enabled"])  # until the start position
        self.step(lambda: program.click_id("kJogHeightUp"), "G0 Z50F1500\r\n")
        self.step(lambda: self.box("G0 Z20 F1500"), "G0 Z20 F1500\r\n")
        self.step(lambda: program.click_id("kJogHeightUp"), "G0 Z30F1500\r\n")
        # Relative moves would make every later line of the program wrong: refused, and said so.
        self.step(lambda: self.box("G91"))
        box = wait_until(lambda: program.probe()["dialogs"], "the refusal")[0]
        self.assertIn("«G91» не отправлена", box["text"])
        x, y, w, h = box["buttons"][0]["screen"]
        program.click_screen(x + w // 2, y + h // 2)
        wait_until(lambda: not program.probe()["dialogs"], "the message box to close")
        self.step(lambda: program.click_id("kJogHeightUp"), "G0 Z40F1500\r\n")
        self.assertTrue(self.sim.lines_waited_for_their_ok())


if __name__ == "__main__":
    unittest.main()
