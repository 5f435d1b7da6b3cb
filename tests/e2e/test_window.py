"""The operator window under Wine: layout, typing, focus editing, Tab, close."""
import os
import unittest

from harness import ARTIFACTS, CLIENT_H, CLIENT_W, DARK_ROW, LIGHT_ROW, PANEL, ProgramTest, wait_until

WHITE = (255, 255, 255)


def field(x, y, w=104, h=26):
    return (x, y, w, h)


SLOTS = field(512, 64)
BARS = field(512, 232)
POLES = field(512, 148)
ROTATION_BEFORE = field(512, 316)
ROTATION_AFTER = field(512, 344)
COLUMN_X = (652, 712, 772, 832)


def section_field(column, y=148):
    return field(COLUMN_X[column - 1], y, 58, 26)


def centre(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


class WindowTest(ProgramTest):
    def columns_shown(self, shot):
        """Which of the four span fields (section columns 1 to 4) are drawn."""
        program = self.program
        return [program.pixel(*centre(section_field(k)), shot) != PANEL for k in range(1, 5)]

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
        self.assertEqual(program.pixel(498, 10, shot), DARK_ROW)
        self.assertEqual(program.pixel(498, 38, shot), LIGHT_ROW)
        self.assertTrue(program.shows_text((10, 8, 200, 26), shot))
        # The window starts with two section columns.
        self.assertEqual(self.columns_shown(shot), [True, True, False, False])
        # Section buttons 1 and 2 are there, 3 and 4 are not.
        self.assertNotEqual(program.pixel(108, 589, shot), PANEL)
        self.assertNotEqual(program.pixel(324, 589, shot), PANEL)
        self.assertEqual(program.pixel(540, 589, shot), PANEL)
        self.assertEqual(program.pixel(756, 589, shot), PANEL)

    def test_typed_slots_and_bars_choose_the_section_columns(self):
        program = self.start()
        program.click_control(SLOTS)
        program.type("8")
        program.click_control(BARS)
        program.type("24")
        self.wait_for_columns([True, True, True, False])
        shot = program.screenshot()
        self.assertNotEqual(program.pixel(540, 589, shot), PANEL)  # section 3 button
        self.assertEqual(program.pixel(756, 589, shot), PANEL)     # section 4 button
        program.key("BackSpace")  # 2 bars on 8 slots: one section, no columns
        self.wait_for_columns([False, False, False, False])
        program.type("0")  # 20 bars on 8 slots: three sections
        self.wait_for_columns([True, True, True, False])

    def test_a_field_left_untouched_gets_its_text_back(self):
        program = self.start()
        before = program.region(ROTATION_BEFORE)
        self.assertTrue(program.shows_text(ROTATION_BEFORE))
        program.click_control(ROTATION_BEFORE)
        wait_until(lambda: not program.shows_text(ROTATION_BEFORE), "field 37 to be emptied")
        program.click_control(ROTATION_AFTER)
        wait_until(lambda: program.region(ROTATION_BEFORE) == before, "field 37 to show 0 again")
        wait_until(lambda: not program.shows_text(ROTATION_AFTER), "field 39 to be emptied")

    def test_poles_are_copied_by_typing_only(self):
        program = self.start()
        program.click_control(POLES)
        program.type("5")
        wait_until(lambda: program.shows_text(section_field(1)) and
                   program.shows_text(section_field(2)), "the span copied into the columns")
        program.click_control(ROTATION_BEFORE)
        program.click_control(POLES)  # emptied by the program: no copy of the empty text
        wait_until(lambda: not program.shows_text(POLES), "field 16 to be emptied")
        shot = program.screenshot()
        self.assertTrue(program.shows_text(section_field(1), shot))
        self.assertTrue(program.shows_text(section_field(2), shot))

    def test_tab_moves_the_focus_and_empties_the_next_field(self):
        program = self.start()
        program.click_control(ROTATION_BEFORE)
        wait_until(lambda: not program.shows_text(ROTATION_BEFORE), "field 37 to be emptied")
        program.key("Tab")
        wait_until(lambda: not program.shows_text(ROTATION_AFTER), "Tab to empty field 39")
        self.assertTrue(program.shows_text(ROTATION_BEFORE))
        program.type("7")
        program.key("shift+Tab")
        wait_until(lambda: not program.shows_text(ROTATION_BEFORE), "Shift+Tab to empty field 37")
        self.assertTrue(program.shows_text(ROTATION_AFTER))

    def test_close_box_ends_the_program_with_exit_code_zero(self):
        program = self.start()
        program.click_close_box()
        self.assertEqual(program.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
