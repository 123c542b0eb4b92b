#!/usr/bin/python3
"""Measures Kestrune's dialogs against a bare Qt program, its peers and the floor.

Run through bench/run.sh, which installs and builds what this needs. Every
candidate runs once per round, and the order turns by one each round (A B C,
B C A, C A B, ...), so that drift of the machine, and whatever running right
after another candidate costs, falls on all of them alike; the first rounds
warm the caches and are not counted.

Window figures come from a private Xvfb and bench/x_watch.c, which reports
the moment a window titled "Kestrune" is mapped, on the clock read here just
before the candidate is started:
  - time to visible: start until the capture window is mapped and titled;
  - full flow: start, type a name and Return, answer the question with
    Escape (no), until the process has exited: the moment its pidfd becomes
    readable, on the same clock;
  - peak memory: /usr/bin/time -f %M, in runs of their own so that starting
    /usr/bin/time does not count in the times.
Terminal figures: start until the prompt's text has been written to a
pseudo-terminal, and peak memory likewise.

Kestrune never gets a yes: its question is answered with Escape (no), and it
runs with stand-in `sleep` and `pidof` first on PATH all the same. Every run
of it gets a fresh, empty XDG_CONFIG_HOME, as a first run would.
"""

import argparse
import contextlib
import datetime
import fcntl
import os
import platform
import select
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import termios
import time

TIMEOUT_S = 20
PROMPT = "运营商名称".encode()
QUESTION = "设置OK，是否刷新手机？"
NAME_TYPED = "Abc"
FIGURES_BEGIN = "<!-- figures: written by bench/run.sh, everything between these marks -->"
FIGURES_END = "<!-- end of figures -->"


def now_ns():
    return time.monotonic_ns()


class LineReader:
    """Reads lines from a file descriptor with a deadline."""

    def __init__(self, fd):
        self.fd = fd
        self.buffer = b""

    def pending(self):
        """The next complete line already read, or None."""
        if b"\n" not in self.buffer:
            return None
        line, self.buffer = self.buffer.split(b"\n", 1)
        return line.decode()

    def fill(self):
        """Reads what is there (call when select says so); False at the end."""
        chunk = os.read(self.fd, 4096)
        self.buffer += chunk
        return bool(chunk)

    def line(self, timeout_s):
        deadline = time.monotonic() + timeout_s
        while (line := self.pending()) is None:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.fd], [], [], left)[0] or not self.fill():
                return None
        return line

    def drain(self):
        while select.select([self.fd], [], [], 0)[0]:
            if not os.read(self.fd, 4096):
                break
        self.buffer = b""


class Display:
    """A private Xvfb and the watcher on it."""

    def __init__(self, tools):
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24",
             "-nolisten", "tcp"],
            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = LineReader(read_end).line(TIMEOUT_S)
        os.close(read_end)
        if not number:
            sys.exit("bench: Xvfb did not start")
        self.name = ":" + number.strip()
        self.watcher = subprocess.Popen(
            [os.path.join(tools, "x_watch")], env=dict(os.environ, DISPLAY=self.name),
            stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.events = LineReader(self.watcher.stdout.fileno())
        if self.events.line(TIMEOUT_S) != "ready":
            sys.exit("bench: the X watcher did not start")

    def next_shown(self, process):
        """(time in ns, window) of the next "Kestrune" window mapped, or None
        once `process` has exited without one or the time is up. Waits on the
        watcher and on the process's exit at once, so neither is seen late."""
        deadline = time.monotonic() + TIMEOUT_S
        while True:
            line = self.events.pending()
            if line is not None:
                if " shown " in line:
                    stamp, _, window = line.split()
                    return int(stamp), window
                continue
            watched = [self.events.fd]
            if process.exited_at is None:
                watched.append(process.pidfd)
            else:
                # Events the server sent before the exit may still be on their way.
                deadline = min(deadline, process.exited_at + 0.2)
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            ready = select.select(watched, [], [], left)[0]
            if self.events.fd in ready and not self.events.fill():
                return None
            if process.pidfd in ready:
                process.exited_at = time.monotonic()

    def send(self, command):
        self.watcher.stdin.write(command.encode() + b"\n")
        self.watcher.stdin.flush()
        return self.events.line(TIMEOUT_S) is not None

    def close(self):
        for process in (self.watcher, self.server):
            process.terminate()
            process.wait()


class Candidate:
    def __init__(self, key, label, argv, kind, stdin=None, env=None, finish=b"\x04",
                 fresh_config=False):
        self.key, self.label, self.argv, self.kind = key, label, argv, kind
        self.stdin = stdin  # bytes written to standard input at start
        self.env = env or {}
        self.finish = finish  # terminal: the keys that end the prompt
        self.fresh_config = fresh_config  # a new, empty XDG_CONFIG_HOME every run
        self.samples = {"visible": [], "flow": [], "memory": [], "prompt": []}
        self.failures = 0  # in the counted rounds
        self.why_failed = None  # what went wrong in the last failed run, warm-up ones too


def kill_group(process):
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    process.wait()


def start(candidate, env, memory_file, **streams):
    """Starts the candidate with a pidfd on it: its exit is seen the moment it
    happens (`ended`), instead of at the next turn of a polling loop."""
    argv = candidate.argv
    if memory_file:
        argv = ["/usr/bin/time", "-f", "%M", "-o", memory_file] + argv
    process = subprocess.Popen(argv, env=env, start_new_session=True, **streams)
    process.pidfd = os.pidfd_open(process.pid)
    process.exited_at = None
    return process


def ended(process, timeout_s):
    """Waits until the process has exited; returns the moment (ns) its pidfd
    became readable, or None when the time is up."""
    if not select.select([process.pidfd], [], [], timeout_s)[0]:
        return None
    moment = now_ns()
    process.wait()
    return moment


def finish(process):
    """Makes sure the process is gone and reaped, and lets go of its pidfd."""
    if process.poll() is None:
        kill_group(process)
    os.close(process.pidfd)


@contextlib.contextmanager
def environment_for(candidate, env, work):
    """The candidate's environment for one run: a fresh, empty
    XDG_CONFIG_HOME for Kestrune, removed again afterwards."""
    env = dict(env, **candidate.env)
    if not candidate.fresh_config:
        yield env
        return
    config = tempfile.mkdtemp(prefix="config.", dir=work)
    try:
        yield dict(env, XDG_CONFIG_HOME=config)
    finally:
        shutil.rmtree(config, ignore_errors=True)


def note_failure(candidate, counted, why):
    candidate.failures += counted
    candidate.why_failed = why


def with_output(why, printed, stderr_file=None):
    """`why`, with the start of what the run printed and the tool's first
    diagnostic line, so that the reason for a failure shows."""
    if printed.strip():
        why += f"; it printed {printed[:200].decode(errors='replace')!r}"
    if stderr_file:
        with open(stderr_file, "rb") as f:
            said = [line for line in f.read(65536).decode(errors="replace").splitlines()
                    if line.startswith("kestrune: ")]
        if said:
            why += f"; {said[0][:300]}"
    return why


def read_memory(memory_file):
    with open(memory_file) as f:
        return int(f.read().split()[-1]) / 1024.0  # MiB


def run_window(candidate, display, env, work, counted, with_memory):
    """One full flow of a window candidate; records its figures if counted."""
    display.events.drain()
    memory_file = os.path.join(work, "memory") if with_memory else None
    stderr_file = os.path.join(work, "stderr")
    with environment_for(candidate, env, work) as run_env, \
            open(os.path.join(work, "stdout"), "w+b") as output, open(stderr_file, "wb") as errors:
        started = now_ns()
        process = start(candidate, run_env, memory_file,
                        stdin=subprocess.PIPE if candidate.stdin else subprocess.DEVNULL,
                        stdout=output, stderr=errors)
        try:
            moments, why = window_flow(candidate, display, process)
        finally:
            finish(process)
        output.seek(0)
        printed = output.read()

    if moments is None:
        note_failure(candidate, counted, with_output(why, printed, stderr_file))
    elif candidate.key == "kestrune" and f"setup to '{NAME_TYPED}'".encode() not in printed:
        note_failure(candidate, counted,
                     with_output(f"no `setup to '{NAME_TYPED}'`", printed, stderr_file))
    elif counted and with_memory:
        candidate.samples["memory"].append(read_memory(memory_file))
    elif counted:
        shown, exited = moments
        candidate.samples["visible"].append((shown - started) / 1e6)
        candidate.samples["flow"].append((exited - started) / 1e6)


def window_flow(candidate, display, process):
    """Plays the two dialogs; returns the moments (ns) the first one showed
    and the process exited, or None and where the flow stopped."""
    if candidate.stdin:
        process.stdin.write(candidate.stdin)
        process.stdin.close()
    shown = display.next_shown(process)
    if not shown:
        return None, "no window showed"
    question = None
    if display.send(f"type {shown[1]} {NAME_TYPED}"):
        question = display.next_shown(process)
    if not question or not display.send(f"key {question[1]} Escape"):
        return None, "no question showed after the name"
    exited = ended(process, TIMEOUT_S)
    return ((shown[0], exited), None) if exited else (None, f"still running {TIMEOUT_S} s after the answer")


def run_terminal(candidate, env, work, counted, with_memory):
    """Start until the prompt is on a pseudo-terminal; records it if counted."""
    memory_file = os.path.join(work, "memory") if with_memory else None
    master, slave = os.openpty()
    fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 80, 0, 0))
    with environment_for(candidate, env, work) as run_env:
        started = now_ns()
        process = start(candidate, run_env, memory_file, stdin=slave, stdout=slave, stderr=slave)
        os.close(slave)
        try:
            shown, seen = terminal_prompt(candidate, master, process)
        finally:
            os.close(master)
            finish(process)
    if shown is None:
        note_failure(candidate, counted, with_output("no prompt on the terminal", seen))
    elif counted and with_memory:
        candidate.samples["memory"].append(read_memory(memory_file))
    elif counted:
        candidate.samples["prompt"].append((shown - started) / 1e6)


def terminal_prompt(candidate, master, process):
    """Reads the terminal until the prompt's text has come, answers it, and
    lets the candidate end. Returns the moment (ns) the prompt came, or None,
    and what was seen until then."""
    seen, shown = b"", None
    deadline = time.monotonic() + TIMEOUT_S
    while shown is None and time.monotonic() < deadline:
        if not select.select([master], [], [], 0.5)[0]:
            continue
        try:
            chunk = os.read(master, 65536)
        except OSError:
            break
        seen += chunk
        if PROMPT in seen:
            shown = now_ns()
    if shown is not None:
        os.write(master, candidate.finish)
    # Keep reading so that the candidate never blocks on a full terminal.
    while (left := deadline - time.monotonic()) > 0:
        ready = select.select([master, process.pidfd], [], [], left)[0]
        if process.pidfd in ready:
            break
        try:
            if not os.read(master, 65536):
                break
        except OSError:
            break
    # Waited for, so that /usr/bin/time gets to write the peak memory.
    ended(process, max(0.1, deadline - time.monotonic()))
    return shown, seen


def candidates(args, work):
    """The window candidates and the terminal candidates, in round order."""
    kestrune = os.path.abspath(args.kestrune)
    tools = os.path.abspath(args.tools)
    # Kestrune is never answered yes; should it be, nothing real is killed.
    standins = os.path.join(work, "standins")
    os.makedirs(standins)
    for command in ("sleep", "pidof"):
        path = os.path.join(standins, command)
        with open(path, "w") as f:
            f.write("#!/bin/sh\nexit 0\n")
        os.chmod(path, 0o755)
    kestrune_env = {"PATH": standins + ":" + os.environ["PATH"]}

    window = [
        Candidate("kestrune", "Kestrune, window", [kestrune], "window", env=kestrune_env,
                  fresh_config=True),
        Candidate("bareqt", "Bare Qt 6 program (QInputDialog)",
                  [os.path.join(tools, "bare_qt_dialog")], "window"),
    ]
    terminal = [
        Candidate("kestrune", "Kestrune, terminal", [kestrune], "terminal", env=kestrune_env,
                  fresh_config=True),
        Candidate("readp", "bash `read -p`",
                  ["bash", "-c", 'read -r -p "Kestrune — 运营商名称: " name'], "terminal"),
    ]
    if not args.short:
        window += [
            Candidate("zenity", "zenity --entry, then --question",
                      ["sh", "-c", "zenity --entry --title=Kestrune --text=运营商名称 >/dev/null"
                       f" && zenity --question --title=Kestrune --text={QUESTION}"], "window"),
            Candidate("pinentry", "pinentry-gtk-2 (GETPIN, then CONFIRM)",
                      ["pinentry-gtk-2"], "window",
                      stdin=("SETTITLE Kestrune\nSETDESC 运营商名称\nGETPIN\n"
                             f"SETDESC {QUESTION}\nCONFIRM\nBYE\n").encode()),
            Candidate("floor", "Raw Xlib window (floor)",
                      [os.path.join(tools, "xlib_floor")], "window"),
        ]
        terminal.insert(1, Candidate("whiptail", "whiptail --inputbox",
                                     ["whiptail", "--title", "Kestrune", "--inputbox",
                                      "运营商名称", "8", "40"], "terminal", finish=b"\r"))
    return window, terminal


def summary(values, unit_format="{:.1f}"):
    if not values:
        return "–"
    return (unit_format.format(statistics.median(values)) + " [" +
            unit_format.format(min(values)) + "–" + unit_format.format(max(values)) + "]")


def ratio(ours, theirs):
    if not ours or not theirs:
        return None
    return statistics.median(ours) / statistics.median(theirs)


def ratio_cell(value, target):
    if value is None:
        return "–", "not measured"
    return f"{value:.2f}×", ("met" if value <= target else "not met")


def machine_description(loads):
    """The machine, and its load average (1 min) before, during and after."""
    model = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo") as f:
        memory_gib = int(f.readline().split()[1]) / 1024 / 1024
    debian = open("/etc/debian_version").read().strip() if os.path.exists(
        "/etc/debian_version") else "?"
    qt = subprocess.run(["dpkg-query", "-W", "-f=${Version}", "libqt6core6"],
                        capture_output=True, text=True).stdout or "?"
    return (f"{model}, {os.cpu_count()} cores, {memory_gib:.0f} GiB; Linux "
            f"{platform.release()}, Debian {debian}, Qt {qt}; Xvfb, no window manager. "
            f"Load average (1 min) {loads[0]:.2f} before the run, at most {max(loads):.2f} "
            f"after a round, {loads[-1]:.2f} after.")


def measured_commit():
    """The commit of the sources measured, as `git rev-parse --short HEAD` names it,
    marked when the sources differ from it (the generated pages aside)."""
    top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    # Run as root in a user's clone, git would refuse the clone as not root's.
    git = ["git", "-c", f"safe.directory={top}", "-C", top]
    head = subprocess.run(git + ["rev-parse", "--short", "HEAD"],
                          capture_output=True, text=True)
    if head.returncode != 0:
        return "unknown (no git clone)"
    changed = subprocess.run(git + ["diff", "--quiet", "HEAD", "--", ".",
                                    ":(exclude)docs/benchmarks.md", ":(exclude)docs/benchmarks.png"])
    return f"`{head.stdout.strip()}`" + (", with changes not committed" if changed.returncode else "")


def figures_markdown(args, window, terminal, rounds, machine):
    by_key = {c.key: c for c in window}
    term_by_key = {c.key: c for c in terminal}
    lines = [FIGURES_BEGIN, ""]
    mode = "short mode, " if args.short else ""
    lines.append(f"Run of {datetime.date.today().isoformat()}, {mode}{rounds} counted "
                 f"round(s) after {args.warmup} warm-up round(s), candidates interleaved. "
                 "Median [min–max].")
    lines.append("")
    lines.append(f"Commit measured: {measured_commit()}.")
    lines.append("")
    lines.append(f"Machine: {machine}")
    lines.append("")
    lines.append("### Window (Xvfb)")
    lines.append("")
    lines.append("| Candidate | Time to visible (ms) | Full flow (ms) | Peak memory (MiB) |")
    lines.append("|---|---|---|---|")
    for c in window:
        failed = f" ({c.failures} failed run(s))" if c.failures else ""
        lines.append(f"| {c.label}{failed} | {summary(c.samples['visible'])} | "
                     f"{summary(c.samples['flow'])} | {summary(c.samples['memory'])} |")
    lines.append("")
    lines.append("### Terminal (pseudo-terminal, 80×24)")
    lines.append("")
    lines.append("| Candidate | Time to prompt (ms) | Peak memory (MiB) |")
    lines.append("|---|---|---|")
    for c in terminal:
        failed = f" ({c.failures} failed run(s))" if c.failures else ""
        lines.append(f"| {c.label}{failed} | {summary(c.samples['prompt'], '{:.2f}')} | "
                     f"{summary(c.samples['memory'])} |")
    lines.append("")
    lines.append("### Kestrune's ratios (medians of this run)")
    lines.append("")
    lines.append("| Figure | Ratio | Target | |")
    lines.append("|---|---|---|---|")
    ours, bare = by_key["kestrune"], by_key["bareqt"]
    ours_prompt = term_by_key["kestrune"].samples["prompt"]
    window_figures = [("visible", "time to visible", 0.95), ("flow", "full flow", 1.00),
                      ("memory", "peak memory", 1.00)]
    rows = [(f"Window, {name} ÷ bare Qt", ratio(ours.samples[figure], bare.samples[figure]), target)
            for figure, name, target in window_figures]
    rows.append(("Terminal, time to prompt ÷ `read -p`",
                 ratio(ours_prompt, term_by_key["readp"].samples["prompt"]), 1.05))
    if "whiptail" in term_by_key:
        rows.append(("Terminal, time to prompt ÷ whiptail",
                     ratio(ours_prompt, term_by_key["whiptail"].samples["prompt"]), 1.00))
    if "pinentry" in by_key:
        rows += [(f"Window, {name} ÷ pinentry-gtk-2 (stretch)",
                  ratio(ours.samples[figure], by_key["pinentry"].samples[figure]), 1.00)
                 for figure, name, _ in window_figures]
    for name, value, target in rows:
        cell, verdict = ratio_cell(value, target)
        lines.append(f"| {name} | {cell} | ≤ {target:.2f}× | {verdict} |")
    lines.append("")
    if not args.short:
        lines.append("![Kestrune against the bare Qt program, its peers and the floor]"
                     "(benchmarks.png)")
        lines.append("")
    lines.append(FIGURES_END)
    return "\n".join(lines) + "\n"


def write_document(path, figures):
    """Replaces the figures in `path`, keeping the text written around them."""
    text = open(path).read() if os.path.exists(path) else ""
    if FIGURES_BEGIN in text and FIGURES_END in text:
        before = text.split(FIGURES_BEGIN)[0]
        after = text.split(FIGURES_END, 1)[1].lstrip("\n")
        text = before + figures + ("\n" + after if after else "")
    else:
        text = "# Benchmarks\n\n" + figures
    with open(path, "w") as f:
        f.write(text)


def draw_chart(path, window, terminal, work):
    """Three panels: window times, window memory, terminal times (medians)."""
    if not shutil.which("gnuplot"):
        print("bench: gnuplot is missing; no chart", file=sys.stderr)
        return
    data = os.path.join(work, "chart.dat")

    def block(rows):
        return "".join(f'"{label}" {" ".join(f"{v:.3f}" for v in values)}\n'
                       for label, values in rows) + "\n\n"

    def median(c, figure):
        return statistics.median(c.samples[figure]) if c.samples[figure] else 0

    short = {"kestrune": "Kestrune", "bareqt": "bare Qt", "zenity": "zenity",
             "pinentry": "pinentry-gtk2", "floor": "Xlib floor", "whiptail": "whiptail",
             "readp": "read -p"}
    with open(data, "w") as f:
        f.write(block([(short[c.key], (median(c, "visible"), median(c, "flow")))
                       for c in window]))
        f.write(block([(short[c.key], (median(c, "memory"),)) for c in window]))
        f.write(block([(short[c.key], (median(c, "prompt"),)) for c in terminal]))
    script = f"""
set terminal pngcairo size 1500,480 font "DejaVu Sans,11"
set output "{path}"
set multiplot layout 1,3
set style data histograms
set style histogram clustered gap 1
set style fill solid 0.85 border -1
set boxwidth 0.9
set grid ytics
set xtics rotate by -30
set key top left
set yrange [0:*]
set title "Window: time to visible and full flow (ms, median)"
plot "{data}" index 0 using 2:xtic(1) title "time to visible" lc rgb "#2b6cb0", \\
     "" index 0 using 3 title "full flow" lc rgb "#a0aec0"
set title "Window: peak memory (MiB, median)"
plot "{data}" index 1 using 2:xtic(1) notitle lc rgb "#2f855a"
set title "Terminal: time to prompt (ms, median)"
plot "{data}" index 2 using 2:xtic(1) notitle lc rgb "#c05621"
unset multiplot
"""
    subprocess.run(["gnuplot"], input=script, text=True, check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--kestrune", required=True, help="the kestrune binary")
    parser.add_argument("--tools", required=True, help="folder of the bench's own programs")
    parser.add_argument("--output", required=True, help="the Markdown file to write")
    parser.add_argument("--chart", help="the PNG chart to write")
    parser.add_argument("--rounds", type=int, default=20)
    parser.add_argument("--warmup", type=int, default=3)
    parser.add_argument("--short", action="store_true",
                        help="Kestrune and the bare Qt program only, no peers")
    args = parser.parse_args()

    loads = [os.getloadavg()[0]]
    work = tempfile.mkdtemp(prefix="kestrune-bench.")
    try:
        figures, window, terminal = measure(args, work, loads)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(figures)
    # Figures of a tool that did not do its work measure nothing: say why, and fail.
    failing = [c for c in window + terminal if c.key == "kestrune" and c.why_failed]
    for c in failing:
        print(f"bench: {c.label}: a run failed ({c.failures} of the counted): {c.why_failed}",
              file=sys.stderr)
    if failing:
        sys.exit(1)


def rotated(items, turn):
    """`items` turned left by `turn` places: each round starts with another."""
    turn %= len(items)
    return items[turn:] + items[:turn]


def measure(args, work, loads):
    """Runs every round; writes the document and the chart; returns the
    figures and the window and terminal candidates."""
    runtime = os.path.join(work, "runtime")
    os.makedirs(runtime, mode=0o700)
    # The same plain session for everyone: a UTF-8 locale, a home and runtime
    # folder of its own, no session bus to talk to.
    base_env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": work,
                "LANG": "C.UTF-8", "XDG_RUNTIME_DIR": runtime}
    window, terminal = candidates(args, work)
    display = Display(os.path.abspath(args.tools))
    window_env = dict(base_env, DISPLAY=display.name)
    terminal_env = dict(base_env, TERM="xterm-256color")
    try:
        for number in range(args.warmup + args.rounds):
            counted = number >= args.warmup
            for with_memory in (False, True):
                for c in rotated(window, number):
                    run_window(c, display, window_env, work, counted, with_memory)
                # The terminal prompts take milliseconds: three samples a round.
                for repeat in range(1 if with_memory else 3):
                    for c in rotated(terminal, number + repeat):
                        run_terminal(c, terminal_env, work, counted, with_memory)
            loads.append(os.getloadavg()[0])
            print(f"bench: round {number + 1}/{args.warmup + args.rounds}"
                  f"{'' if counted else ' (warm-up)'}", file=sys.stderr)
    finally:
        display.close()

    figures = figures_markdown(args, window, terminal, args.rounds, machine_description(loads))
    write_document(args.output, figures)
    if args.chart:
        draw_chart(os.path.abspath(args.chart), window, terminal, work)
    return figures, window, terminal

if __name__ == "__main__":
    main()
