"""The plan tool on Windows as a technologist starts it: a profile dropped onto it from Explorer
(Wine's start gives it a console of its own, as Explorer does) writes the page beside the
profile and opens it in the browser; a profile the program would refuse says why in a message.
From a console it prints, as before."""
import json
import os
import shutil
import subprocess
import tempfile
import unittest
import urllib.parse

from harness import (EXE, ROOT, WINE_EXEC, Display, end_wine_session, stop, wait_until)

PLAN = os.path.join(os.path.dirname(EXE), "tarvel-plan.exe")
SAMPLE = os.path.join(ROOT, "docs", "sample.tpf")
PROBE = os.environ.get("TARVEL_PROBE", os.path.join(os.path.dirname(EXE), "window-probe.exe"))


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


class PlanToolTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        for tool in ("Xvfb", "xdotool", "wine"):
            if not shutil.which(tool):
                raise unittest.SkipTest(tool + " is missing")
        end_wine_session()
        cls.display = Display()
        cls.env = dict(os.environ, DISPLAY=cls.display.name)
        cls.work = tempfile.mkdtemp(prefix="tarvel-plan-")
        # The browser of this prefix: a script that notes what it was asked to open.
        cls.browser_log = os.path.join(cls.work, "browser.log")
        browser = os.path.join(cls.work, "browser")
        with open(browser, "w") as f:
            f.write('#!/bin/sh\necho "$@" >> %s\n' % cls.browser_log)
        os.chmod(browser, 0o755)
        for command in (["reg", "add", r"HKCR\.html", "/ve", "/d", "htmlfile", "/f"],
                        ["reg", "add", r"HKCU\Software\Wine\WineBrowser", "/v", "Browsers", "/d",
                         browser, "/f"]):
            subprocess.run([WINE_EXEC, *command], env=cls.env, capture_output=True, timeout=60,
                           check=True)

    @classmethod
    def tearDownClass(cls):
        end_wine_session()
        cls.display.close()
        shutil.rmtree(cls.work, ignore_errors=True)

    def dropped(self, profile):
        """tarvel-plan.exe started as Explorer starts it, with the profile's path alone."""
        return subprocess.Popen([WINE_EXEC, "start", "/wait", "/unix", PLAN, windows_path(profile)],
                                env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def test_a_dropped_profile_opens_its_page_in_the_browser(self):
        profile = os.path.join(self.work, "обмотка.tpf")
        shutil.copy(SAMPLE, profile)
        self.assertEqual(self.dropped(profile).wait(timeout=120), 0)
        page = os.path.join(self.work, "обмотка.html")
        with open(page, encoding="utf-8") as f:
            self.assertIn("План работы по профилю «обмотка.tpf»", f.read())
        opened = wait_until(lambda: os.path.exists(self.browser_log) and
                            os.path.getsize(self.browser_log) > 0, "the browser")
        with open(self.browser_log, encoding="utf-8") as f:
            opened = f.read()
        self.assertEqual(urllib.parse.unquote(opened.strip()), "file://" + page)

    def test_a_refused_profile_says_why_in_a_message(self):
        profile = os.path.join(self.work, "refused.tpf")
        with open(SAMPLE, encoding="utf-8", newline="") as f:
            lines = f.read().split("\r\n")
        lines[1] = "0"  # no diameter
        lines[4] = "0"  # and no slot width: no angle of the slot
        with open(profile, "w", encoding="utf-8", newline="") as f:
            f.write("\r\n".join(lines))
        process = self.dropped(profile)
        self.addCleanup(stop, process)

        # The box on the screen first (asked of X alone), then what it says (asked of Wine).
        wait_until(lambda: subprocess.run(["xdotool", "search", "--name", "^Tarvel Plan$"],
                                          env=self.env, capture_output=True).stdout.strip(),
                   "the message", deadline=60)
        out = subprocess.run([WINE_EXEC, PROBE], env=self.env, capture_output=True, text=True,
                             timeout=60).stdout
        box = json.loads(out)["dialogs"][0]
        self.assertEqual(box["title"], "Tarvel Plan")
        self.assertIn("«ДИАМЕТР МАГНИТОПРОВОДА»", box["text"])
        x, y, w, h = box["buttons"][0]["screen"]
        subprocess.run(["xdotool", "mousemove", "--sync", str(x + w // 2), str(y + h // 2),
                        "click", "1"], env=self.env, check=True)
        self.assertEqual(process.wait(timeout=60), 2)
        self.assertFalse(os.path.exists(os.path.join(self.work, "refused.html")))

    def test_from_a_console_it_prints_as_before(self):
        done = subprocess.run([WINE_EXEC, PLAN, windows_path(SAMPLE)], env=self.env,
                              capture_output=True, timeout=120)
        self.assertEqual(done.returncode, 0, done.stderr)
        report = done.stdout.decode("utf-8")
        self.assertIn("Пазы 1–12, в каждом:", report)
        self.assertFalse(os.path.exists(os.path.join(ROOT, "docs", "sample.html")))


if __name__ == "__main__":
    unittest.main()
