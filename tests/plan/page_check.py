#!/usr/bin/env python3
"""The plan's page as a browser shows it: tarvel-plan --html for the sample profile and for
profiles of other shapes, rendered by headless Chromium at 1280 px and printed on A4. Checks that
the page needs no horizontal scrolling, that no label of the pictures lies over a line or another
label, that the page fetches nothing and runs nothing, and that its totals are those of --seconds
and --gcode. The screenshots stay under OUT to be looked at.

    page_check.py TARVEL_PLAN OUT
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
PLAN = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "native", "tarvel-plan"))
OUT = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else os.path.join(ROOT, "build", "plan-page"))
CHROMIUM = shutil.which("chromium") or shutil.which("chromium-browser")
WIDTH = 1280

# Field lines of a profile by control number; the rest of its 45 lines stay empty.
ORDER = [11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 37, 39, 71, 84, 86, 54, 55, 56, 57, 59, 60,
         61, 62, 22, 24, 26, 28, 23, 25, 27, 29, 40, 41, 42, 43, 44, 45, 46, 47, 49, 50, 51, 52]


def profile(fields, speed=8):
    return "".join(fields.get(n, "") + "\r\n" for n in ORDER) + str(speed) + "\r\n"


WORKED = {11: "40", 12: "50", 13: "12", 14: "10", 15: "5", 16: "5", 17: "10", 18: "10",
          19: "24", 20: "0", 21: "0", 37: "0", 39: "0"}
PROFILES = {
    "sample": open(os.path.join(ROOT, "docs", "sample.tpf"), encoding="utf-8").read(),
    # Four sections a slot, each its own turns, laid the other way round, anticlockwise.
    "four-sections": profile({**WORKED, 19: "48", 16: "3", 20: "1", 21: "1", 23: "20", 25: "25",
                              27: "30", 29: "35", 22: "3", 24: "3", 26: "3", 28: "3"}),
    # Many slots, a short core far from a long commutator, a shallow slot and warnings.
    "sixty-slots": profile({**WORKED, 11: "12", 12: "80", 13: "60", 14: "1.5", 15: "2.4", 16: "1",
                            18: "95", 19: "120", 23: "0", 25: "3"}, 3),
}

# Collects, in the page itself, what the check needs: the page's width and every label of the
# pictures that lies over a line, a circle's outline, a stroked rectangle or another label.
PROBE = r"""<script>
(() => {
  const svg = document.querySelector('figure svg');
  const inside = (b, p) => p.x > b.x + 1 && p.x < b.x + b.width - 1 &&
                           p.y > b.y + 1 && p.y < b.y + b.height - 1;
  const texts = [...svg.querySelectorAll('text')].map(t => ({t: t.textContent, b: t.getBBox()}));
  const points = [];
  const along = (x1, y1, x2, y2, what) => {
    const n = Math.max(1, Math.ceil(Math.hypot(x2 - x1, y2 - y1)));
    for (let i = 0; i <= n; i++) points.push({x: x1 + (x2 - x1) * i / n, y: y1 + (y2 - y1) * i / n, what});
  };
  for (const l of svg.querySelectorAll('line'))
    along(+l.getAttribute('x1'), +l.getAttribute('y1'), +l.getAttribute('x2'), +l.getAttribute('y2'),
          'line ' + l.getAttribute('class'));
  for (const p of svg.querySelectorAll('path')) {
    const n = Math.ceil(p.getTotalLength());
    for (let i = 0; i <= n; i++) { const q = p.getPointAtLength(i); points.push({x: q.x, y: q.y, what: 'path'}); }
  }
  for (const c of svg.querySelectorAll('circle')) {
    const r = +c.getAttribute('r'), cx = +c.getAttribute('cx'), cy = +c.getAttribute('cy');
    for (let i = 0; i < 720; i++) points.push({x: cx + r * Math.cos(i * Math.PI / 360),
                                               y: cy + r * Math.sin(i * Math.PI / 360), what: 'circle'});
  }
  for (const r of svg.querySelectorAll('rect[class]')) {
    const x = +r.getAttribute('x'), y = +r.getAttribute('y'), w = +r.getAttribute('width'),
          h = +r.getAttribute('height');
    along(x, y, x + w, y, 'rect'); along(x + w, y, x + w, y + h, 'rect');
    along(x, y + h, x + w, y + h, 'rect'); along(x, y, x, y + h, 'rect');
  }
  const overlaps = [];
  texts.forEach((a, i) => {
    const hit = points.find(p => inside(a.b, p));
    if (hit) overlaps.push(a.t + ' over ' + hit.what);
    texts.slice(i + 1).forEach(b => {
      if (a.b.x < b.b.x + b.b.width && b.b.x < a.b.x + a.b.width &&
          a.b.y < b.b.y + b.b.height && b.b.y < a.b.y + a.b.height)
        overlaps.push(a.t + ' over ' + b.t);
    });
  });
  document.title = JSON.stringify({scrollWidth: document.documentElement.scrollWidth, overlaps});
})();
</script>"""


def chromium(*args):
    profile_dir = tempfile.mkdtemp(prefix="chromium-")
    try:
        return subprocess.run(
            [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
             "--no-first-run", "--disable-background-networking", "--disable-component-update",
             "--disable-sync", "--hide-scrollbars", "--user-data-dir=" + profile_dir, *args],
            capture_output=True, text=True, timeout=120, check=True).stdout
    finally:
        shutil.rmtree(profile_dir, ignore_errors=True)


class PlanPageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not CHROMIUM:
            raise AssertionError("chromium is missing: scripts/test installs it")
        os.makedirs(OUT, exist_ok=True)
        cls.work = tempfile.mkdtemp(prefix="plan-page-")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def plan(self, path, *options):
        done = subprocess.run([PLAN, path, *options], capture_output=True, timeout=60)
        self.assertEqual(done.returncode, 0, done.stderr.decode("utf-8", "replace"))
        return done.stdout

    def test_pages(self):
        for name, text in PROFILES.items():
            with self.subTest(profile=name):
                self.check(name, text)

    def check(self, name, text):
        path = os.path.join(self.work, name + ".tpf")
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(text)
        page_path = os.path.join(OUT, name + ".html")
        self.plan(path, "--html", page_path)
        with open(page_path, encoding="utf-8") as f:
            page = f.read()
        self.assertNotIn("<script", page)
        if 'class="warnings"' in page:
            self.assertLess(page.index('class="warnings"'), page.index("<h1>"))
        self.assertIsNone(re.search(r'(src|href)\s*=|url\(|@import', page))

        totals = re.search(r'data-lines="(\d+)" data-seconds="([\d.]+)"', page)
        seconds = self.plan(path, "--seconds").decode().strip().rsplit(" ", 1)[1]
        lines = self.plan(path, "--gcode").count(b"\r\n")
        self.assertEqual((int(totals.group(1)), totals.group(2)), (lines, seconds))

        probed = os.path.join(self.work, name + "-probe.html")
        with open(probed, "w", encoding="utf-8") as f:
            f.write(page.replace("</body>", PROBE + "</body>"))
        dom = chromium("--window-size=%d,900" % WIDTH, "--dump-dom", "file://" + probed)
        found = json.loads(re.search(r"<title>(.*?)</title>", dom, re.S).group(1)
                           .replace("&quot;", '"').replace("&amp;", "&"))
        self.assertLessEqual(found["scrollWidth"], WIDTH)
        self.assertEqual(found["overlaps"], [])

        chromium("--window-size=%d,2000" % WIDTH, "--screenshot=" +
                 os.path.join(OUT, name + "-1280.png"), "file://" + page_path)
        pdf = os.path.join(OUT, name + "-a4.pdf")
        chromium("--no-pdf-header-footer", "--print-to-pdf=" + pdf, "file://" + page_path)
        subprocess.run(["pdftoppm", "-png", "-r", "60", pdf, os.path.join(OUT, name + "-a4")],
                       check=True, timeout=60)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
