#!/usr/bin/env bash
# Start-up benchmark under Wine against the emulated machine: the panel and a
# minimal common-controls window of our own (tests/bench/min_window.cpp: a
# top-level window with a tab control and two buttons, 600 x 570, shown at
# once) started alternately in one prefix.
#
# For each run: the time from starting the process to its main window being
# visible, less the machine's own waits that come before it (the inquiry's
# 1,500 ms spin; the first page's 1,000 ms read spin and its 500 ms pause,
# counted from the requests the debugger trace shows before the window), and
# the process's peak resident memory (VmHWM). For the panel also the phases
# from its debugger trace (Wine's timestamps): port borrowed, inquiry reply,
# first page's reply, main window shown. Prints every run, the medians and
# the ratio panel / minimal window.
#
#   tools/bench-startup.sh [runs]      (tree: build/win64, or $RCP_TREE)
set -euo pipefail
RCP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$RCP_ROOT"
runs="${1:-7}"
tree="${RCP_TREE:-build/win64}"
demo="$RCP_ROOT/$tree/dist/demo"
minimal="$RCP_ROOT/$tree/tests/bench/bench_min_window.exe"

unset DISPLAY
source tools/setup.sh
rcp_windows_tree "$tree" "$demo/rcpanel.exe" rcp_demo bench_min_window
# Both programs run with the same debug channels: the panel's trace lines
# carry Wine's timestamps (milliseconds of the raw monotonic clock).
export WINEDEBUG=-all,+timestamp,+debugstr
state="$(mktemp -d)"
trap 'rm -rf "$state"' EXIT
export K40_MACHINE="state=Z:$state/k40-state.dat"

python3 - "$runs" "$demo" "$minimal" "$state" <<'PY'
import ctypes, os, re, select, statistics, subprocess, sys, time

runs, demo, minimal, state = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
now = lambda: time.clock_gettime(time.CLOCK_MONOTONIC_RAW) * 1000.0

# The machine's waits after each request, by request length: the inquiry
# (8 bytes) spins 1,500 ms; a block read (9 bytes: settings or system
# information) spins 1,000 ms and its page pauses 500 ms.
WAIT_BY_REQUEST = {8: 1500, 9: 1000 + 500}
STAMP = re.compile(r'^\s*(\d+)\.(\d{3}):')
WRITE = re.compile(r'WriteFile = nLength\((\d+)\)|Win2kUsbWrite\(\?\) = (\d+)')

def hwm_kb(pid):
    try:
        with open(f'/proc/{pid}/status') as f:
            for line in f:
                if line.startswith('VmHWM:'): return int(line.split()[1])
    except OSError:
        pass
    return 0

def program_pid(exe, since):
    # `wine` hands the program to a process of its own; find it by its
    # command line and this prefix, among the processes started since `since`.
    name, prefix = os.path.basename(exe).lower(), os.environ['WINEPREFIX']
    for entry in os.listdir('/proc'):
        if not entry.isdigit() or int(entry) in since: continue
        try:
            with open(f'/proc/{entry}/cmdline', 'rb') as f:
                arg0 = f.read().split(b'\0')[0].decode(errors='replace').strip().lower()
            # The program's own process names the program (its Windows path
            # or the name it was started by); the loader's names wine.
            if re.split(r'[\\/]', arg0)[-1] != name: continue
            with open(f'/proc/{entry}/environ', 'rb') as f:
                if f'WINEPREFIX={prefix}'.encode() not in f.read().split(b'\0'): continue
            return int(entry)
        except OSError:
            continue
    return None

def visible_window(title):
    out = subprocess.run(['xdotool', 'search', '--onlyvisible', '--name', f'^{title}$'],
                         capture_output=True, text=True).stdout.split()
    return out[0] if out else None

# The moment a window is mapped, from the X server's own MapNotify event on
# the root window: no polling process competes with the program for the CPU
# (on two cores a poll every few ms shows in the figures), and the program
# with more windows is not charged for the extra ones a poll looks through.
class MapWatch:
    MAP_NOTIFY, SUBSTRUCTURE_NOTIFY_MASK = 19, 1 << 19

    def __init__(self):
        x = ctypes.cdll.LoadLibrary('libX11.so.6')
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x.XPending.argtypes = x.XConnectionNumber.argtypes = x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        x.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
        x.XGetGeometry.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_void_p] * 7
        x.XFree.argtypes = [ctypes.c_void_p]
        self.x = x
        self.dpy = x.XOpenDisplay(None)
        if not self.dpy: sys.exit('bench: no X display')
        x.XSelectInput(self.dpy, x.XDefaultRootWindow(self.dpy), self.SUBSTRUCTURE_NOTIFY_MASK)
        x.XSync(self.dpy, 0)

    def close(self):
        self.x.XCloseDisplay(self.dpy)

    def _matches(self, window, title):
        name = ctypes.c_char_p()
        if not self.x.XFetchName(self.dpy, window, ctypes.byref(name)) or not name.value: return False
        text = name.value.decode('latin-1')
        self.x.XFree(name)
        if text != title: return False
        root, pos, width, other = ctypes.c_ulong(), ctypes.c_int(), ctypes.c_uint(), ctypes.c_uint()
        self.x.XGetGeometry(self.dpy, window, ctypes.byref(root), ctypes.byref(pos), ctypes.byref(pos),
                            ctypes.byref(width), ctypes.byref(other), ctypes.byref(other), ctypes.byref(other))
        return width.value >= 500

    def wait_for(self, title, until_ms):
        # now() when a window named `title`, at least 500 px wide, is mapped;
        # None once `until_ms` has passed.
        event = (ctypes.c_long * 24)()  # XEvent; an XMapEvent's window is its sixth word
        fd = self.x.XConnectionNumber(self.dpy)
        while now() < until_ms:
            while self.x.XPending(self.dpy):
                self.x.XNextEvent(self.dpy, event)
                if event[0] & 0xFFFFFFFF == self.MAP_NOTIFY and self._matches(event[5], title):
                    return now()
            select.select([fd], [], [], max(0.0, (until_ms - now()) / 1000.0))
        return None

def run(exe, cwd, title):
    log = os.path.join(state, 'trace.txt')
    with open(log, 'w') as err:
        before = {int(e) for e in os.listdir('/proc') if e.isdigit()}
        watch = MapWatch()
        t0 = now()
        proc = subprocess.Popen(['wine', exe], cwd=cwd, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=err)
        shown = watch.wait_for(title, t0 + 60000)
        watch.close()
        win = visible_window(title) if shown else None
        pid, peak = program_pid(exe, before), 0
        if win: time.sleep(1.5)  # a page that reads after showing finishes
        # The high-water mark covers the whole run: one reading is enough.
        if pid: peak = hwm_kb(pid)
        if win:
            subprocess.run(['xdotool', 'windowfocus', '--sync', win, 'key', 'Escape'],
                           capture_output=True)
        for _ in range(100):
            if not (pid and os.path.exists(f'/proc/{pid}')): break
            time.sleep(0.05)
        if pid and os.path.exists(f'/proc/{pid}'): os.kill(pid, 9)
        try:
            proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            proc.kill(); proc.wait()
    with open(log, errors='replace') as f:
        lines = [(int(m.group(1)) * 1000 + int(m.group(2)), l) for l in f for m in [STAMP.match(l)] if m]
    return t0, shown, peak, lines

def panel_phases(t0, shown, lines):
    phases, waits, inquiry_seen, page_reply = {}, 0, False, None
    for t, line in lines:
        if 'Port Acquire' in line and 'port' not in phases: phases['port'] = t - t0
        if 'INQUIRY' in line: inquiry_seen = True
        w = WRITE.search(line)
        if w and t <= shown:
            waits += WAIT_BY_REQUEST.get(int(w.group(1) or w.group(2)), 0)
        if 'Length = ' in line and inquiry_seen:
            if 'inquiry' not in phases: phases['inquiry'] = t - t0
            elif page_reply is None: page_reply = t - t0
    if page_reply is not None: phases['page'] = page_reply + 500  # the page's pause, then it fills
    phases['shown'] = shown - t0
    return phases, waits

rows = {'minimal': [], 'panel': []}
phase_rows = []
print(f"{'run':<4} {'program':<8} {'to-window-ms':>12} {'waits-ms':>9} {'beyond-ms':>10} {'peak-MiB':>9}")
for r in range(1, runs + 1):
    order = [('minimal', minimal, os.path.dirname(minimal), 'RcpBenchMinimal'),
             ('panel', os.path.join(demo, 'rcpanel.exe'), demo, 'Dalvenor')]
    if r % 2 == 0: order.reverse()
    for name, exe, cwd, title in order:
        t0, shown, peak, lines = run(exe, cwd, title)
        if shown is None:
            print(f'{r:<4} {name:<8} no window', file=sys.stderr); continue
        waits = 0
        if name == 'panel':
            phases, waits = panel_phases(t0, shown, lines)
            phase_rows.append(phases)
        total = shown - t0
        rows[name].append((total - waits, peak))
        print(f'{r:<4} {name:<8} {total:12.0f} {waits:9d} {total - waits:10.0f} {peak / 1024:9.1f}')

if not rows['minimal'] or not rows['panel']: sys.exit('not every program reached its window')
med = {k: statistics.median(v[0] for v in rows[k]) for k in rows}
mem = {k: statistics.median(v[1] for v in rows[k]) / 1024 for k in rows}
print()
print(f"start-up beyond the machine's waits (median of {len(rows['panel'])}): "
      f"panel {med['panel']:.0f} ms, minimal window {med['minimal']:.0f} ms, ratio {med['panel'] / med['minimal']:.2f}")
print(f"peak resident memory (median VmHWM): panel {mem['panel']:.1f} MiB, "
      f"minimal window {mem['minimal']:.1f} MiB, ratio {mem['panel'] / mem['minimal']:.2f}")
print('panel phases, ms after process start (medians; waits included):')
labels = [('port', 'port borrowed'), ('inquiry', "inquiry's reply"),
          ('page', "first page filled (its reply + 500 ms pause)"), ('shown', 'main window shown')]
prev = 0.0
for key, label in labels:
    values = [p[key] for p in phase_rows if key in p]
    if not values: print(f'  {label:<46} (not in the trace)'); continue
    m = statistics.median(values)
    print(f'  {label:<46} {m:8.0f}   (+{m - prev:.0f})')
    prev = m
PY
