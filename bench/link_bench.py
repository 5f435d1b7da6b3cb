#!/usr/bin/env python3
"""Link benchmark: the Windows exchange under Wine against controller-sim on a pseudo-terminal.

Prints figures, passes no verdict:
  - lines per second, and the time from the controller's "ok" to the program's next line
    (median and 99th percentile), from the simulator's timestamps over N lines;
  - the CPU share of a wait for a controller that answers after 100 ms (program and wineserver);
  - the CPU share of the idle operator program (connected, no line outstanding).
Run after scripts/build:  bench/link_bench.py [LINES]
"""
import concurrent.futures
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import harness  # noqa: E402

BUILD = os.path.join(harness.ROOT, "build", "windows")
TICK = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pids):
    total = 0
    for pid in pids:
        try:
            with open("/proc/%d/stat" % pid) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])  # utime, stime
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total / TICK


def pids_of(pattern):
    out = subprocess.run(["pgrep", "-f", pattern], capture_output=True, text=True)
    return [int(p) for p in out.stdout.split()]


def cpu_share(program, seconds):
    """The CPU shares (%, of one core) of the program's processes and of wineserver over
    `seconds` from now."""
    programs, servers = pids_of(program), pids_of("wineserver")
    before, server_before = cpu_seconds(programs), cpu_seconds(servers)
    time.sleep(seconds)
    return (100 * (cpu_seconds(programs) - before) / seconds,
            100 * (cpu_seconds(servers) - server_before) / seconds)


def run_bench(display, env, lines):
    out = subprocess.run([os.path.join(harness.ROOT, "scripts", "wine-exec"),
                          os.path.join(BUILD, "link-bench.exe"), str(lines)],
                         env=dict(env, DISPLAY=display), capture_output=True, text=True, timeout=600,
                         cwd=tempfile.mkdtemp(prefix="link-bench-"))  # its settings.ini
    fields = out.stdout.split()
    return dict(zip(fields[0::2], fields[1::2]))


def percentile(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, int(round(p / 100 * (len(values) - 1))))]


def main():
    lines = int(sys.argv[1]) if len(sys.argv) > 1 else 2000
    env = dict(os.environ, WINEDEBUG="-all")
    harness.end_wine_session()  # a session left on another display would end our programs
    display = harness.Display()
    logs = tempfile.mkdtemp(prefix="link-bench-")
    try:
        # 1. Throughput and latency with a controller that answers at once.
        sim = harness.Simulator(1, log_dir=logs)
        result = run_bench(display.name, env, lines)
        entries = sim.entries()
        sim.close()
        latencies, last_ok, rx_times = [], None, []
        for t, kind, text in entries:
            if kind == "TX":
                last_ok = t
            elif kind == "RX" and text.startswith("G0 Y"):
                rx_times.append(t)
                if last_ok is not None:
                    latencies.append((t - last_ok) / 1000.0)
        span = (rx_times[-1] - rx_times[0]) / 1e6
        print("lines sent: %d, %.0f lines/s" % (len(rx_times), (len(rx_times) - 1) / span))
        print("ok -> next line: median %.3f ms, 99th percentile %.3f ms, max %.3f ms" %
              (statistics.median(latencies), percentile(latencies, 99), max(latencies)))

        # 2. CPU of a wait for a controller that answers after 100 ms.
        # wineserver's share is taken from the first line to the last, not over the program's
        # start-up (a Wine process and its window cost the server more than the whole wait).
        sim = harness.Simulator(1, "--delay-ms", "100", log_dir=logs)
        with concurrent.futures.ThreadPoolExecutor(1) as pool:
            bench = pool.submit(run_bench, display.name, env, 40)
            harness.wait_until(lambda: "G0 Y1\r\n" in sim.received(), "the first line",
                               deadline=120, interval=0.01)
            server_before = cpu_seconds(pids_of("wineserver"))
            harness.wait_until(lambda: "G0 Y40\r\n" in sim.received(), "the last line",
                               deadline=120, interval=0.01)
            server_after = cpu_seconds(pids_of("wineserver"))
            slow = bench.result()
        sim.close()
        wall = int(slow["elapsed_ms"]) / 1000.0
        print("100 ms answers: program CPU %.1f %% of one core, wineserver %.1f %% (over %.1f s)" %
              (100 * float(slow["cpu_s"]) / wall, 100 * (server_after - server_before) / wall, wall))

        # 3. The idle operator program, connected.
        sim = harness.Simulator(1, log_dir=logs)
        program = harness.Program(display.name)
        harness.wait_until(lambda: sim.count("RX") == 1, "the zeroing line")
        pids = pids_of("tarvel-sw.exe")
        servers = pids_of("wineserver")
        time.sleep(1)
        before, server_before = cpu_seconds(pids), cpu_seconds(servers)
        time.sleep(10)
        used, server_used = cpu_seconds(pids) - before, cpu_seconds(servers) - server_before
        program.kill()
        sim.close()
        print("idle program: CPU %.1f %% of one core, wineserver %.1f %% (over 10 s)" %
              (100 * used / 10, 100 * server_used / 10))
    finally:
        harness.end_wine_session()
        display.close()


if __name__ == "__main__":
    main()
