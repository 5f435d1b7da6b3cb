"""The operator window under Wine: layout, typing, focus editing, Tab, close."""
import os
import unittest

from harness import (ARTIFACTS, CLIENT_H, CLIENT_W, DARK_ROW, LIGHT_ROW, PANEL, Display, Program,
                     ProgramTest, control_table, end_wine_session, number, set_dpi, wait_until)

SLOTS, POLES, BARS = "kSlotCount", "kPoles", "kBarCount"
ROTATION_BEFORE, ROTATION_AFTER = "kRotationBefore", "kRotationAfter"
HEIGHT_LABEL, DIAMETER_LABEL = "kCoreHeightLabel", "kCoreDiameterLabel"
SPAN_FIELDS = ("kSpan1", "kSpan2", "kSpan3", "kSpan4")  # section columns 1 to 4
SECTION_BUTTONS = ("kSection1", "kSection2", "kSection3", "kSection4")


def centre(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


class WindowTest(ProgramTest):
    def columns_shown(self, shot):
        """Which of the four span fields (section columns 1 to 4) are drawn."""
        program = self.program
        return [program.pixel(*centre(program.rect(n)), shot) != PANEL for n in SPAN_FIELDS]

    def buttons_shown(self, shot):
        program = self.program
        return [program.pixel(*centre(program.rect(n)), shot) != PANEL for n in SECTION_BUTTONS]

    def wait_for_columns(self, expected):
        wait_until(lambda: self.columns_shown(self.program.screenshot()) == expected,
                   "section columns %s" % expected)

    def test_window_opens_with_title_size_and_labels(self):
        program = self.start()
        self.assertEqual((program.frame_w - CLIENT_W) % 2, 0)
        self.assertLess(program.border, 10)
        self.assertTrue(10 <= program.caption <= 40, program.caption)
        shot = program.screenshot()
        shot.save(os.path.join(ARTIFACTS, "window.png"))
        # The client area is exactly 1280 x 768: panel colour at its corners, frame just outside.
        for x, y in ((0, 0), (CLIENT_W - 1, 0), (0, CLIENT_H - 1), (CLIENT_W - 1, CLIENT_H - 1)):
            self.assertEqual(program.pixel(x, y, shot), PANEL, (x, y))
        self.assertNotEqual(program.pixel(CLIENT_W, CLIENT_H // 2, shot), PANEL)
        self.assertNotEqual(program.pixel(CLIENT_W // 2, CLIENT_H, shot), PANEL)
        # Parameter rows alternate, dark first, and carry dark text.
        x, y, w, h = program.rect(HEIGHT_LABEL)
        self.assertEqual(program.pixel(x + w - 12, y + 2, shot), DARK_ROW)
        x, y, w, h = program.rect(DIAMETER_LABEL)
        self.assertEqual(program.pixel(x + w - 12, y + 2, shot), LIGHT_ROW)
        self.assertTrue(program.shows_text(program.rect(HEIGHT_LABEL), shot))
        # The window starts with two section columns and two section buttons.
        self.assertEqual(self.columns_shown(shot), [True, True, False, False])
        self.assertEqual(self.buttons_shown(shot), [True, True, False, False])

    # At 150 % and 125 % on a 1920 x 1080 screen and at 100 % on a 1366 x 768 one, the whole
    # layout takes one factor (at 150 % as much as the screen's height allows), the window and
    # every control lie on the screen, and the operator's clicks land where they should. The
    # screenshots are kept under build/e2e to be looked at.
    def test_the_layout_scales_to_150_percent(self):
        self.check_scaled(144, "1920x1080", None)

    def test_the_layout_scales_to_125_percent(self):
        self.check_scaled(120, "1920x1080", 1.25)

    def test_the_layout_shrinks_to_a_small_screen(self):
        self.check_scaled(96, "1366x768", None)

    def check_scaled(self, dpi, size, scale):
        self.addCleanup(set_dpi, 96)
        set_dpi(dpi)
        display = Display(size=size)
        self.addCleanup(display.close)
        self.addCleanup(end_wine_session)
        sim = self.simulator(3)
        self.program = program = Program(display.name, cwd=self.workdir_for_scaled(), scaled=True)
        self.addCleanup(program.kill)
        wait_until(lambda: sim.received() == ["G92 X0 Y0 Z0 E0\r\n"], "the zeroing line")
        width, height = (int(n) for n in size.split("x"))
        if scale:
            self.assertAlmostEqual(program.scale, scale, places=3)
        else:  # as large as the screen's height allows
            self.assertLess(program.scale, dpi / 96)
            self.assertEqual(program.frame_h, height)
        x, y, w, h = program.frame_x, program.frame_y, program.frame_w, program.frame_h
        self.assertTrue(x >= 0 and y >= 0 and x + w <= width and y + h <= height, (x, y, w, h))
        shown = program.probe()["controls"]
        for number in control_table():
            self.assertEqual(tuple(shown[number]["rect"]), program.rect(int(number)), number)
            cx, cy, cw, ch = program.rect(int(number))
            self.assertTrue(cx >= 0 and cy >= 0 and cx + cw <= program.client_w and
                            cy + ch <= program.client_h, number)
        program.screenshot().save(os.path.join(ARTIFACTS, "window-%d-dpi-%s.png" % (dpi, size)))
        program.click_id(SLOTS)
        program.type("7")
        wait_until(lambda: program.text(SLOTS) == "7", "typing into the slot field")
        program.click_id("kRotateSlotForward")  # ">>": one slot of seven
        wait_until(lambda: sim.received()[-1:] == ["G0 E51F15000\r\n"], "the rotation line")
        program.kill()
        sim.close()
        end_wine_session()
        display.close()

    def workdir_for_scaled(self):
        import shutil
        import tempfile
        path = tempfile.mkdtemp(prefix="tarvel-")
        self.addCleanup(shutil.rmtree, path, True)
        return path

    def test_every_control_stands_where_the_control_table_puts_it(self):
        program = self.start()
        shown = program.probe()["controls"]
        for number, row in control_table().items():
            self.assertEqual(shown[number]["rect"], row["rect"], number)
            # The status changes, and the arrows may be drawn with another font's triangles.
            changing = row["name"] in ("kJogLengthUp", "kJogRotationDown", "kJogLengthDown",
                                       "kJogRotationUp", "kStatus")
            if row["kind"] in ("label", "button") and row["caption"] and not changing:
                self.assertEqual(shown[number]["text"].encode(), row["caption"].encode(), number)

    def test_typed_slots_and_bars_choose_the_section_columns(self):
        program = self.start()
        program.click_id(SLOTS)
        program.type("8")
        program.click_id(BARS)
        program.type("24")
        self.wait_for_columns([True, True, True, False])
        self.assertEqual(self.buttons_shown(program.screenshot()), [True, True, True, False])
        program.key("BackSpace")  # 2 bars on 8 slots: one section, no columns
        self.wait_for_columns([False, False, False, False])
        program.type("0")  # 20 bars on 8 slots: three sections
        self.wait_for_columns([True, True, True, False])

    def test_a_field_left_untouched_gets_its_text_back(self):
        program = self.start()
        before, after = program.rect(ROTATION_BEFORE), program.rect(ROTATION_AFTER)
        shown = program.region(before)
        self.assertTrue(program.shows_text(before))
        program.click_id(ROTATION_BEFORE)
        wait_until(lambda: not program.shows_text(before), "field 37 to be emptied")
        program.click_id(ROTATION_AFTER)
        wait_until(lambda: program.region(before) == shown, "field 37 to show 0 again")
        wait_until(lambda: not program.shows_text(after), "field 39 to be emptied")
        self.assertEqual(program.text(ROTATION_BEFORE), "0")

    def test_poles_are_copied_by_typing_only(self):
        program = self.start()
        program.click_id(POLES)
        program.type("5")
        spans = lambda: [program.text(n) for n in SPAN_FIELDS]
        wait_until(lambda: spans() == ["5"] * 4, "the span copied into the columns")
        program.click_id(ROTATION_BEFORE)
        program.click_id(POLES)  # emptied by the program: no copy of the empty text
        wait_until(lambda: program.text(POLES) == "", "field 16 to be emptied")
        self.assertEqual(spans(), ["5"] * 4)
        shot = program.screenshot()
        self.assertTrue(program.shows_text(program.rect(SPAN_FIELDS[0]), shot))

    def test_tab_moves_the_focus_and_empties_the_next_field(self):
        program = self.start()
        program.click_id(ROTATION_BEFORE)
        wait_until(lambda: program.text(ROTATION_BEFORE) == "", "field 37 to be emptied")
        program.key("Tab")
        wait_until(lambda: program.text(ROTATION_AFTER) == "", "Tab to empty field 39")
        self.assertEqual(program.probe()["focus"], number(ROTATION_AFTER))
        self.assertEqual(program.text(ROTATION_BEFORE), "0")
        program.type("7")
        program.key("shift+Tab")
        wait_until(lambda: program.text(ROTATION_BEFORE) == "", "Shift+Tab to empty field 37")
        self.assertEqual(program.text(ROTATION_AFTER), "7")

    def test_close_box_ends_the_program_with_exit_code_zero(self):
        program = self.start()
        program.click_close_box()
        self.assertEqual(program.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
