"""Profiles and settings.ini under Wine, with the real file dialogs driven as an operator does:
the dialog gets the keyboard, the file-name box takes a typed Windows path, Return chooses it."""
import os
import stat
import unittest

from harness import ProgramTest, number, wait_until

SAVE_TITLE = "Сохранить файл профиля намотки"
OPEN_TITLE = "Открыть файл профиля намотки"
SAVE, LOAD, PROFILE_PATH, SPEED = "kSave", "kLoad", "kProfilePath", "kWindingSpeed"
ZERO = "G92 X0 Y0 Z0 E0\r\n"
# The fields in the order of a profile's lines.
LINE_FIELDS = ["kCoreHeight", "kCoreDiameter", "kSlotCount", "kSlotDepth", "kSlotWidth", "kPoles",
               "kTurns", "kCommutatorDistance", "kBarCount", "kDirection", "kLayingOrder",
               "kRotationBefore", "kRotationAfter", "kMethod", "kCommutatorSide", "kSlotSkew",
               "kLeadIn1", "kLeadIn2", "kLeadIn3", "kLeadIn4", "kLeadOut1", "kLeadOut2",
               "kLeadOut3", "kLeadOut4", "kSpan1", "kSpan2", "kSpan3", "kSpan4", "kSectionTurns1",
               "kSectionTurns2", "kSectionTurns3", "kSectionTurns4", "kSectionOffset1",
               "kSectionOffset2", "kSectionOffset3", "kSectionOffset4", "kOffsetTurns1",
               "kOffsetTurns2", "kOffsetTurns3", "kOffsetTurns4", "kSectionPosition1",
               "kSectionPosition2", "kSectionPosition3", "kSectionPosition4"]


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


class ProfileTest(ProgramTest):
    def choose(self, button, title, path):
        """Clicks СОХРАНИТЬ or ЗАГРУЗИТЬ and chooses `path` in the dialog that opens."""
        program = self.program
        program.click_id(button)
        found = lambda: program._xdotool("search", "--name", "^%s$" % title).stdout.split()
        dialog = wait_until(found, "the dialog " + title)[0]
        program._xdotool("windowfocus", "--sync", dialog)
        program.key("End", "shift+Home")
        program.type(windows_path(path), delay_ms=25)  # a long path, into a dialog
        program.key("Return")
        wait_until(lambda: not found(), "the dialog to close")

    def fields(self):
        controls = self.program.probe()["controls"]
        return ([controls[str(number(n))]["text"] for n in LINE_FIELDS],
                controls[str(number(SPEED))]["position"])

    def write(self, name, data, mode=None):
        path = os.path.join(self.workdir, name)
        with open(path, "wb") as f:
            f.write(data)
        if mode is not None:
            os.chmod(path, mode)
        return path

    def test_save_writes_the_exact_bytes_and_shows_the_path(self):
        program = self.start()
        # A missing settings.ini is created, empty, in the working folder.
        settings = os.path.join(self.workdir, "settings.ini")
        self.assertEqual(os.path.getsize(settings), 0)
        for number, text in (("kCoreHeight", "40"), ("kSlotCount", "12"), ("kTurns", "5"),
                             ("kCommutatorDistance", "2.5")):
            program.click_id(number)
            program.type(text)
        self.write("p1.tpf", b"an older, longer profile\r\n" * 100)
        path = os.path.join(self.workdir, "p1.tpf")
        self.choose(SAVE, SAVE_TITLE, path)
        wait_until(lambda: program.text(PROFILE_PATH) == windows_path(path), "the path in 108")
        lines = [""] * 44
        lines[0], lines[2], lines[6], lines[7] = "40", "12", "5", "2.5"
        lines[11:16] = ["0"] * 5
        lines[28:32] = ["5"] * 4  # the turns, copied into the section columns by typing
        with open(path, "rb") as f:
            self.assertEqual(f.read(), "".join(l + "\r\n" for l in lines + ["8"]).encode())
        self.assertEqual(sorted(os.listdir(self.workdir)), ["p1.tpf", "settings.ini"])

    def test_load_lf_only_cr_only_short_byte_order_mark_and_read_only(self):
        program = self.start()
        lines = ["v%d" % n for n in range(1, 45)]
        cases = [
            ("lf.tpf", ("\n".join(lines + ["3"]) + "\n").encode(), None, lines, 3),
            ("cr10.tpf", ("\r".join(lines[:10]) + "\r").encode(), None, lines[:10] + [""] * 34, 1),
            ("bom.tpf", b"\xef\xbb\xbf" + ("\r\n".join(lines + ["9"]) + "\r\n").encode(), None,
             lines, 9),
            ("ro.tpf", ("\r\n".join(lines + ["15"]) + "\r\n").encode(), stat.S_IRUSR, lines, 10),
        ]
        for name, data, mode, texts, speed in cases:
            path = self.write(name, data, mode)
            self.choose(LOAD, OPEN_TITLE, path)
            wait_until(lambda: program.text(PROFILE_PATH) == windows_path(path), "the path of " + name)
            self.assertEqual(self.fields(), (texts, speed), name)
            with open(path, "rb") as f:
                self.assertEqual(f.read(), data, name)  # a load never writes

    def test_settings_give_the_feed_of_a_cycle_without_turns(self):
        sim = self.simulator(3)
        program = self.start(settings="5000\r\n8000\r\n150000\r\n90000\r\n")
        wait_until(lambda: sim.received() == [ZERO], "the zeroing line")
        for number, text in (("kCoreHeight", "40"), ("kCoreDiameter", "50"), ("kSlotCount", "12"),
                             ("kSlotDepth", "10"), ("kSlotWidth", "5"), ("kPoles", "5"),
                             ("kTurns", "0"), ("kCommutatorDistance", "10"), ("kDirection", "0")):
            program.click_id(number)
            program.type(text)
        program.click_id("kStartPosition")
        wait_until(lambda: program.control("kSection1")["enabled"], "the section buttons")
        program.click_id("kSection1")
        wait_until(lambda: sim.received()[-1:] == ["G0 Z15 F15000\r\n"], "the end of the cycle")
        self.assertEqual(sim.received()[-3], "G0 Z-4 F90000\r\n")
        self.assertIn("M201 Y2400\r\n", sim.received())  # the speed's own acceleration


if __name__ == "__main__":
    unittest.main()
