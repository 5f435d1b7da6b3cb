"""End-to-end harness: the real Windows program under Wine on a virtual X display.

Tests act as an operator does (mouse clicks at control positions, key presses, typing through
xdotool) and look at what the window shows (pixels of screenshots). Every wait is on a
condition with a generous deadline, never on a fixed sleep alone.
"""
import json
import math
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
EXE = os.environ.get("TARVEL_EXE", os.path.join(ROOT, "build", "windows", "tarvel-sw.exe"))
ARTIFACTS = os.environ.get("TARVEL_E2E_OUT", os.path.join(ROOT, "build", "e2e"))
PORTS = os.environ.get("TARVEL_PORTS", os.path.join(ROOT, "build", "ports"))
SIMULATOR = os.environ.get("TARVEL_SIM", os.path.join(ROOT, "build", "native", "controller-sim"))
TABLE_DUMP = os.environ.get("TARVEL_TABLE_DUMP",
                            os.path.join(ROOT, "build", "native", "tests", "control-table-dump"))
PROBE = os.environ.get("TARVEL_PROBE", os.path.join(ROOT, "build", "windows", "window-probe.exe"))
WINE_EXEC = os.path.join(ROOT, "scripts", "wine-exec")
TITLE = "Tarvel SW v. 1.0.2"
PRACTICE_EXE = os.path.join(os.path.dirname(EXE), "tarvel-practice.exe")
PRACTICE_TITLE = "Tarvel SW v. 1.0.2 — тренажёр"
CLIENT_W, CLIENT_H = 1280, 768
DEADLINE = 30.0

PANEL = (128, 187, 206)
LIGHT_ROW = (198, 224, 180)
DARK_ROW = (169, 208, 142)


def wait_until(condition, what, deadline=DEADLINE, interval=0.05):
    end = time.monotonic() + deadline
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(interval)


def worked_example(turns):
    """The lines of the worked example's section cycle with this many turns."""
    turn = ["G0 Z0 E6 F176000", "G0 Y44 F96000", "G0 Z-4 F96000", "G0 E-156 F176000",
            "G0 Z0 F96000", "G0 Y-4 F96000", "G0 Z-4 F96000", "G0 E0 F176000", "G0 Z0 F96000"]
    lines = ["G92 E0", "M201 Y2400", "G0 Y-4 F15000", "G0 Z-4 F15000", "G0 E0 F15000",
             "G0 Z0 F15000", "G92 E0"]
    for i in range(1, turns + 1):
        lines += ["M201 Y2400"] if i == 1 else ["M201 Y9600"] if i == 2 else []
        lines += turn if i < turns else turn[:7]
    lines += ["G0 Z-4 F96000", "G0 E0 F15000", "G0 Z15 F15000"]
    return [line + "\r\n" for line in lines]


_table = None


def control_table():
    """The program's control table (build/native/tests/control-table-dump), read once: by number,
    each control's name, kind, rectangle and caption."""
    global _table
    if _table is None:
        _table = json.loads(subprocess.run([TABLE_DUMP], check=True, capture_output=True,
                                           text=True).stdout)
    return _table


def number(control):
    """A control's number from its name in the program ("kStatus")."""
    if isinstance(control, int):
        return control
    for key, row in control_table().items():
        if row["name"] == control:
            return int(key)
    raise KeyError("no control named " + control)


def stop(process, seconds=5):
    """Ends a helper process: politely first, by force when it does not stop."""
    if process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(timeout=seconds)


def end_wine_session():
    """Ends the prefix's wineserver and the Wine processes it keeps (its desktop among them).

    They stay connected to the display the session began on; a later program on another display
    would find a dead desktop there and end at once.
    """
    prefix = os.environ.get("WINEPREFIX", os.path.join(ROOT, "build", "wineprefix"))
    env = dict(os.environ, WINEPREFIX=prefix)
    subprocess.run(["wineserver", "-k"], env=env, capture_output=True)
    subprocess.run(["wineserver", "-w"], env=env, capture_output=True, timeout=60)


def set_dpi(dpi):
    """The DPI of the displays that Wine programs start on from now on (96 is Wine's own)."""
    prefix = os.environ.get("WINEPREFIX", os.path.join(ROOT, "build", "wineprefix"))
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all")
    key = r"HKCU\Control Panel\Desktop"
    if dpi == 96:
        command = ["reg", "delete", key, "/v", "LogPixels", "/f"]
    else:
        command = ["reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"]
    subprocess.run([WINE_EXEC, *command], env=env, capture_output=True, timeout=60)
    end_wine_session()


# The desktop holder of each display (window-probe --hold), which also answers probes.
_holders = {}


class Display:
    """An Xvfb server on a display number of its own choosing."""

    START_SECONDS = 20

    def __init__(self, *options, size="1600x1000"):
        read_fd, write_fd = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", size + "x24", "-nolisten", "tcp",
             *options],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd, "rb", buffering=0) as pipe:
            number = first_line(pipe, self.START_SECONDS)
        if number is None:
            stop(self.process)
            raise RuntimeError("Xvfb did not tell its display within %d s" % self.START_SECONDS)
        self.name = ":" + number.decode()
        self.desktop = None
        try:
            self.desktop = hold_desktop(self.name)
        except Exception:
            stop(self.process)
            raise
        _holders[self.name] = self.desktop

    def close(self):
        """Ends the display and the Wine session held on it: that session's desktop would be
        dead to every later program."""
        _holders.pop(self.name, None)
        if self.desktop:
            stop_desktop(self.desktop)
            end_wine_session()
        stop(self.process)


def hold_desktop(display, tries=3):
    """Starts the Wine session on `display` with a working desktop, held until stop_desktop
    (window-probe --hold says why). A session whose desktop failed to start is ended and begun
    again."""
    env = dict(os.environ, DISPLAY=display, WINEDEBUG="-all")
    said = None
    for _ in range(tries):
        holder = subprocess.Popen([WINE_EXEC, PROBE, "--hold"], env=env, stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        said = first_line(holder.stdout, seconds=60)
        if said == b"ready":
            return holder
        stop_desktop(holder)
        end_wine_session()
    raise RuntimeError("the Wine desktop did not start in %d tries: %r" % (tries, said))


def first_line(pipe, seconds):
    """The first line a helper writes to `pipe`, without its white space; None when the helper
    ends or `seconds` pass before the line is whole."""
    line, end = b"", time.monotonic() + seconds
    while not line.endswith(b"\n"):
        ready, _, _ = select.select([pipe], [], [], max(0.0, end - time.monotonic()))
        chunk = os.read(pipe.fileno(), 1) if ready else b""
        if not chunk:
            return None
        line += chunk
    return line.strip()


def answer_line(pipe, seconds):
    """The line a helper writes in answer to one request, read in large pieces (nothing follows
    it); None when the helper ends or `seconds` pass first."""
    data, end = b"", time.monotonic() + seconds
    while not data.endswith(b"\n"):
        ready, _, _ = select.select([pipe], [], [], max(0.0, end - time.monotonic()))
        chunk = os.read(pipe.fileno(), 1 << 16) if ready else b""
        if not chunk:
            return None
        data += chunk
    return data.strip()


def stop_desktop(holder):
    """Lets the holder of the desktop end (its standard input closes), by force if it does not."""
    if holder.stdin and not holder.stdin.closed:
        try:
            holder.stdin.close()
        except BrokenPipeError:
            pass
    try:
        holder.wait(timeout=5)
    except subprocess.TimeoutExpired:
        stop(holder)
    holder.stdout.close()


class Simulator:
    """controller-sim offering a pseudo-terminal as COMn of the Wine prefix."""

    def __init__(self, port, *options, log_dir):
        self.port = port
        os.makedirs(PORTS, exist_ok=True)
        self.link = os.path.join(PORTS, "com%d" % port)
        self.log_path = os.path.join(log_dir, "com%d.log" % port)
        if os.path.exists(self.log_path):
            os.remove(self.log_path)
        self.process = subprocess.Popen([SIMULATOR, "--link", self.link, "--log", self.log_path,
                                         *options])
        wait_until(lambda: any(e[1] == "READY" for e in self.entries()), "the simulator on COM%d" % port)

    def entries(self):
        """(microseconds, kind, text) for every line of the log."""
        if not os.path.exists(self.log_path):
            return []
        result = []
        with open(self.log_path, encoding="latin-1") as log:
            for line in log:
                if not line.endswith("\n"):
                    break  # still being written
                parts = line.rstrip("\n").split(" ", 2)
                result.append((int(parts[0]), parts[1], parts[2] if len(parts) > 2 else ""))
        return result

    def received(self):
        """The lines the controller received, with their line ends."""
        return [text.encode("latin-1").decode("unicode_escape") for _, kind, text in self.entries()
                if kind == "RX"]

    def count(self, kind):
        return sum(1 for e in self.entries() if e[1] == kind)

    def lines_waited_for_their_ok(self):
        """True when no line came before the controller had answered the one before it."""
        return self.count("EARLY") == 0

    def close(self):
        stop(self.process)


class Screenshot:
    """One grab of the whole screen, with pixel access."""

    def __init__(self, display):
        data = subprocess.run(["import", "-display", display, "-window", "root", "-depth", "8", "ppm:-"],
                              check=True, capture_output=True).stdout
        # P6 header: magic, width, height, maximum, each followed by white space.
        fields, pos = [], 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            start = pos
            while not data[pos:pos + 1].isspace():
                pos += 1
            fields.append(data[start:pos])
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = data[pos + 1:]
        self.ppm = data

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def region(self, x, y, w, h):
        return [self.pixel(x + i, y + j) for j in range(h) for i in range(w)]

    def save(self, path, region=None):
        """The whole screen, or `region` (x, y, w, h) of it, as an image file."""
        os.makedirs(os.path.dirname(path), exist_ok=True)
        crop = ["-crop", "%dx%d+%d+%d" % (region[2], region[3], region[0], region[1]),
                "+repage"] if region else []
        subprocess.run(["convert", "ppm:-", *crop, path], input=self.ppm, check=True)


class Program:
    """The operator program, started in the project's Wine prefix on `display`."""

    def __init__(self, display, extra_env=None, wait_for_start_up=True, cwd=None, scaled=False,
                 exe=EXE, title=TITLE):
        """`scaled`: the window may have been scaled to the display (another DPI, a small
        screen); its client area and scale are then read from the running window."""
        self.display = display
        self.scaled = scaled
        self.title = title
        self.scale = 1.0
        # Wine's own errors about the address space stay on: they name a start that failed.
        env = dict(os.environ, DISPLAY=display, WINEDEBUG="-all,err+virtual")
        env.update(extra_env or {})
        self.env = env
        # The program reads (and creates) settings.ini in its current folder: never ours.
        self.cwd = cwd or tempfile.mkdtemp(prefix="tarvel-")
        descriptor, self.log_path = tempfile.mkstemp(prefix="tarvel-wine-", suffix=".log")
        os.close(descriptor)
        # What Wine says goes to a log, so that a start that fails names its cause.
        with open(self.log_path, "ab") as log:
            self.process = subprocess.Popen([WINE_EXEC, exe], env=env, cwd=self.cwd,
                                            stdout=log, stderr=subprocess.STDOUT,
                                            start_new_session=True)
        self.wait_for_start_up = wait_for_start_up
        try:
            self.window = wait_until(self._find_window, "the window titled " + title)
            wait_until(self._painted, "the window to be drawn")
        except AssertionError as error:
            raise AssertionError(str(error) + self._what_the_program_said()) from None

    def _what_the_program_said(self):
        """The message boxes of a program whose window did not come, as the reason."""
        try:
            boxes = self.probe().get("dialogs", [])
        except AssertionError:
            return ""
        return "".join("; the program says: %r" % box["text"] for box in boxes)

    def _painted(self):
        if not self._locate_client():
            return False
        shot = self.screenshot()
        corners = ((0, 0), (self.client_w - 1, self.client_h - 1))
        drawn = all(0 <= self.client_x + x < shot.width and 0 <= self.client_y + y < shot.height and
                    self.pixel(x, y, shot) == PANEL for x, y in corners)
        # Start-up ends with the two-section layout: until then (the port search) the third
        # section column still shows.
        third_span = self.rect("kSpan3")
        return drawn and (not self.wait_for_start_up or
                          self.pixel(third_span[0] + 29, third_span[1] + 13, shot) == PANEL)

    def _xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True)

    def _find_window(self):
        if self.process.poll() is not None:
            with open(self.log_path, "rb") as log:
                said = log.read()[-600:].decode("utf-8", "replace").strip()
            raise AssertionError("the program ended before its window appeared (exit code %s): %r"
                                 % (self.process.returncode, said))
        out = self._xdotool("search", "--onlyvisible", "--name",
                            "^" + self.title.replace(".", "\\.") + "$").stdout.split()
        return out[0] if out else None

    def _locate_client(self):
        if self.scaled:
            return self._locate_client_by_probe()
        self.client_w, self.client_h = CLIENT_W, CLIENT_H
        geometry = {}
        for line in self._xdotool("getwindowgeometry", "--shell", self.window).stdout.splitlines():
            key, _, value = line.partition("=")
            geometry[key] = int(value) if value.isdigit() else value
        if not all(key in geometry for key in ("X", "Y", "WIDTH", "HEIGHT")):
            # Not mapped yet, or a window of the same title that came and went: look again.
            self.window = self._find_window() or self.window
            return False
        self.frame_x, self.frame_y = geometry["X"], geometry["Y"]
        self.frame_w, self.frame_h = geometry["WIDTH"], geometry["HEIGHT"]
        # Wine draws the frame: equal borders left, right and below, the caption above.
        self.border = (self.frame_w - CLIENT_W) // 2
        self.caption = self.frame_h - CLIENT_H - 2 * self.border
        self.client_x = self.frame_x + self.border
        self.client_y = self.frame_y + self.border + self.caption
        return True

    def _locate_client_by_probe(self):
        try:
            info = self.probe()
        except AssertionError:
            return False  # not ready yet
        self.client_x, self.client_y = info["client"]
        self.client_w, self.client_h = info["clientSize"]
        self.frame_x, self.frame_y, self.frame_w, self.frame_h = info["frame"]
        self.border = (self.frame_w - self.client_w) // 2
        self.scale = self.client_h / CLIENT_H  # the program keeps the height whole
        return self.client_w > 0

    def probe(self):
        """What the window holds now, read from the running program by window-probe: per control
        (by number) its rect, text, position, enabled and visible state; the focused control;
        open message boxes with their texts and buttons. The display's desktop holder answers
        at once; without one, a probe process is started (over a second under Wine)."""
        holder = _holders.get(self.display)
        if holder and holder.poll() is None:
            holder.stdin.write(b"probe\n")
            holder.stdin.flush()
            line = answer_line(holder.stdout, seconds=60)
            if line is None:
                raise AssertionError("the desktop holder gave no probe")
            return json.loads(line.decode("utf-8"))
        out = subprocess.run([WINE_EXEC, PROBE], env=self.env, capture_output=True, text=True,
                             timeout=60)
        try:
            return json.loads(out.stdout)
        except ValueError:
            raise AssertionError("window-probe gave no answer (exit code %s): %r"
                                 % (out.returncode, out.stderr.strip()[-600:])) from None

    def control(self, name):
        """What the window holds of a control, by its name."""
        return self.probe()["controls"][str(number(name))]

    def text(self, name):
        return self.control(name)["text"]

    def rect(self, name):
        """A control's rectangle in the client area, as the control table gives it, at the
        window's scale (its edges to the nearest pixel, as the program places them)."""
        x, y, w, h = control_table()[str(number(name))]["rect"]

        def edge(v):
            return math.floor(v * self.scale + 0.5)
        return (edge(x), edge(y), edge(x + w) - edge(x), edge(y + h) - edge(y))

    def move_pointer(self, x, y):
        """The pointer to (x, y) of the screen. "--sync" waits for the pointer to move, and for
        15 s when it is there already (a second click on the same button): so only when not."""
        at = dict(line.partition("=")[::2] for line in
                  self._xdotool("getmouselocation", "--shell").stdout.splitlines())
        if (at.get("X"), at.get("Y")) != (str(x), str(y)):
            self._xdotool("mousemove", "--sync", str(x), str(y))

    # Operator actions, in client coordinates of the main window.
    def click(self, x, y):
        self.move_pointer(self.client_x + x, self.client_y + y)
        self._xdotool("click", "1")

    def click_control(self, rect):
        x, y, w, h = rect
        self.click(x + w // 2, y + h // 2)

    def click_id(self, name):
        self.click_control(self.rect(name))

    def click_screen(self, x, y):
        self.move_pointer(x, y)
        self._xdotool("click", "1")

    def type(self, text, delay_ms=60):
        self._xdotool("type", "--delay", str(delay_ms), text)

    def key(self, *names):
        self._xdotool("key", "--delay", "60", *names)

    def click_close_box(self):
        # The rightmost caption button.
        x = self.frame_x + self.frame_w - self.border - self.caption // 2 - 1
        y = self.frame_y + self.border + self.caption // 2
        self.move_pointer(x, y)
        self._xdotool("click", "1")

    def screenshot(self):
        return Screenshot(self.display)

    def pixel(self, x, y, shot=None):
        shot = shot or self.screenshot()
        return shot.pixel(self.client_x + x, self.client_y + y)

    def region(self, rect, shot=None):
        shot = shot or self.screenshot()
        x, y, w, h = rect
        return shot.region(self.client_x + x, self.client_y + y, w, h)

    def shows_text(self, rect, shot=None):
        """True when the inside of a field holds dark pixels (characters)."""
        x, y, w, h = rect
        inner = (x + 4, y + 4, w - 8, h - 8)
        return any(sum(p) < 300 for p in self.region(inner, shot))

    def wait_exit(self, deadline=DEADLINE):
        return wait_until(lambda: self.process.poll() is not None, "the program to end",
                          deadline) and self.process.returncode

    def kill(self):
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait(timeout=10)
        if os.path.exists(self.log_path):
            os.remove(self.log_path)


class ProgramTest(unittest.TestCase):
    """Starts one display for the class and one program per test; keeps a screenshot of every
    failure under build/e2e."""

    @classmethod
    def setUpClass(cls):
        for tool in ("Xvfb", "xdotool", "import", "wine"):
            if not shutil.which(tool):
                raise unittest.SkipTest(tool + " is missing")
        end_wine_session()
        cls.display = Display()

    @classmethod
    def tearDownClass(cls):
        end_wine_session()
        cls.display.close()

    def simulator(self, port, *options):
        """A simulated controller on COMn, stopped at the end of the test."""
        log_dir = os.path.join(ARTIFACTS, "logs", self.id())
        os.makedirs(log_dir, exist_ok=True)
        sim = Simulator(port, *options, log_dir=log_dir)
        self.addCleanup(sim.close)
        return sim

    def start(self, settings=None, **kwargs):
        """The program, in a working folder of its own (holding `settings`, the text of a
        settings.ini, when given)."""
        self.workdir = tempfile.mkdtemp(prefix="tarvel-")
        self.addCleanup(shutil.rmtree, self.workdir, True)
        if settings is not None:
            with open(os.path.join(self.workdir, "settings.ini"), "w", newline="") as f:
                f.write(settings)
        self.program = Program(self.display.name, cwd=self.workdir, **kwargs)
        self.addCleanup(self._finish)
        return self.program

    def _finish(self):
        result = getattr(getattr(self, "_outcome", None), "result", None)
        failed = result is not None and any(
            test is self for test, _ in result.failures + result.errors)
        if failed or getattr(getattr(self, "_outcome", None), "success", True) is False:
            try:
                self.program.screenshot().save(os.path.join(ARTIFACTS, self.id() + ".png"))
            except Exception as error:  # the screenshot is a help, not the verdict
                print("no failure screenshot:", error, file=sys.stderr)
        self.program.kill()
