#!/usr/bin/env python3
"""Runs every Google Benchmark of a build and measures game's frames; prints one table.

Called by scripts/bench with a release build folder, on a display (Xvfb with llvmpipe).
Every figure is a median; ratios compare runs made one after the other in the same
round, and the round's ratios are then reduced to their median. Frame times come from
TimingDriver.drv (presentation times and the process's processor time at each swap),
the engine's own cost from NullDriver.drv, instructions from callgrind, the limit
from replaying an apitrace recording of the same frames with glretrace.
"""

import argparse
import json
import os
import re
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

# Places in the demo level (the same as bench/WorldBench.cpp): the start in the hall,
# the entrance looking into the hall, the gallery looking through its door, the crypt.
VIEWPOINTS = {
    "start": "-50.44 40.717 -36.719 0 -135 0",
    "entrance": "50 50 -25 0 -90 0",
    "gallery": "-95 50 50 0 0 0",
    "crypt": "-280 -95 -100 0 90 0",
}
RESOLUTIONS = [(640, 480), (1024, 768)]
# Each switched off in turn; fps relative to the normal frame.
CULLING = {
    "gfx_scissor off": {"gfx_scissor": "false"},
    "gfx_hw_occlusion_culling off": {"gfx_hw_occlusion_culling": "false"},
    "portal walk off (dbg_walk_all)": {"dbg_walk_all": "true"},
}
# The console's automatic check for changed files, compared with the frame without it.
RELOAD_CHECK_OFF = {"dbg_reload": "false"}
CHAIN_ROOMS = [10, 100, 1000, 10000]
# The room scenes of bench/levels (build/bench-levels) and where the camera stands in each:
# in the room's corner facing the box, and in the first room looking down the row.
ROOM_SCENES = {
    "room": ("room.otm", "110 30 90 15 -51 0"),
    "row": ("row.otm", "10 30 40 5 90 0"),
}
DYNAMIC = {"gfx_force_dynamic": "true"}
FLAT_WHITE = {"dbg_flat_white": "true"}
NO_TEXCOMPRESS = {"gfx_texcompress": "false"}
# The flight through the demo that the timedemo replays (data/demo.path).
TIMEDEMO_PATH = "demo.path"
SECTIONS = ["startup", "frames", "rooms", "textures", "timedemo", "engine", "scaling"]
FRAME_MS = 20


def log(text):
    print(f"== {text}", file=sys.stderr, flush=True)


def median(values):
    return statistics.median(values) if values else float("nan")


class Table:
    def __init__(self):
        self.rows = []

    def section(self, title):
        self.rows.append((title, None, None))

    def add(self, name, value, note=""):
        self.rows.append((name, value, note))

    def print(self):
        width = max((len(r[0]) for r in self.rows if r[1] is not None), default=0) + 2
        for name, value, note in self.rows:
            if value is None:
                print(f"\n{name}")
                continue
            print(f"  {name:<{width}}{value:>16}  {note}".rstrip())


def child_times():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


class Bench:
    def __init__(self, build, runs, work, name="demo", levels_from=None):
        """A copy of the build's data in work/name, with the room scenes and the flight of
        levels_from (default: the same build) where the build has none of its own."""
        self.build = Path(build).resolve()
        self.bin = self.build / "bin"
        self.runs = runs
        self.work = Path(work)
        self.demo = self.work / name
        shutil.copytree(self.build / "data", self.demo)
        source = Path(levels_from or build).resolve()
        for file in [*(source / "bench-levels").glob("*.otm"), source / "data" / TIMEDEMO_PATH]:
            if file.exists() and not (self.demo / file.name).exists():
                shutil.copy(file, self.demo / file.name)
        self.env = dict(os.environ, ARVEL_NO_DIALOGS="1")
        # A build from before dbg_timedemo would run the demo for ever instead.
        self.has_timedemo = b"dbg_timedemo" in (self.bin / "game").read_bytes()

    # ---- running game -------------------------------------------------------------

    def autoexec(self, folder, settings):
        lines = [f"{k} {v}" for k, v in settings.items()]
        (folder / "autoexec.cfg").write_text("\n".join(lines) + "\n")

    def settings(self, size, frames, camera, driver, extra=None):
        s = {
            "scr_fullscreen": "false",
            "scr_width": size[0],
            "scr_height": size[1],
            "gfx_driver": f'"{driver}"',
            "dbg_frame_ms": FRAME_MS,
            "dbg_quit_frame": frames,
        }
        if camera:
            s["dbg_camera"] = f'"{camera}"'
        s.update(extra or {})
        return s

    def run_game(self, folder, settings, timed=None, prefix=(), timeout=600):
        """Runs game in folder; returns (start ns, [(wall ns, processor ns) per frame])."""
        timing = self.work / "timing.txt"
        if timing.exists():
            timing.unlink()
        env = dict(self.env, ARVEL_TIMING_FILE=str(timing))
        if timed:
            env["ARVEL_TIMED_DRIVER"] = timed
            settings = dict(settings, gfx_driver='"TimingDriver.drv"')
        self.autoexec(folder, settings)
        start = time.time_ns()
        done = subprocess.run([*prefix, str(self.bin / "game")], cwd=folder, env=env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                              timeout=timeout)
        if done.returncode != 0:
            raise RuntimeError(f"game failed ({done.returncode}): {done.stderr[-2000:]}")
        frames = []
        if timed and timing.exists():
            frames = [tuple(int(x) for x in line.split()) for line in timing.read_text().split("\n") if line]
        return start, frames

    @staticmethod
    def per_frame(frames, skip, average=median):
        """Wall and processor milliseconds per frame after the first skip frames."""
        pairs = list(zip(frames, frames[1:]))[skip:]
        wall = [(b[0] - a[0]) / 1e6 for a, b in pairs]
        cpu = [(b[1] - a[1]) / 1e6 for a, b in pairs]
        return average(wall), average(cpu)

    def frame_time(self, size, camera, frames, extra=None, driver="Varnet.drv", folder=None,
                   average=median):
        settings = self.settings(size, frames, camera, "TimingDriver.drv", extra)
        _, timed = self.run_game(folder or self.demo, settings, timed=driver)
        if len(timed) < frames:
            raise RuntimeError(f"only {len(timed)} of {frames} frames were timed")
        return self.per_frame(timed, min(4, frames // 4), average)

    def room_frame_time(self, scene, size, frames, extra=None):
        level, camera = ROOM_SCENES[scene]
        return self.frame_time(size, camera, frames, dict({"map": level}, **(extra or {})))

    def timedemo(self, size=(640, 480)):
        """(frames, seconds, fps, 1% slowest ms) of the demo flight, as game reports it."""
        settings = {"scr_fullscreen": "false", "scr_width": size[0], "scr_height": size[1],
                    "dbg_timedemo": f'"{TIMEDEMO_PATH}"'}
        self.autoexec(self.demo, settings)
        done = subprocess.run([str(self.bin / "game")], cwd=self.demo, env=self.env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                              timeout=900)
        match = re.search(r"timedemo \S+: (\d+) frames, ([0-9.]+) s, ([0-9.]+) fps, "
                          r"1% slowest ([0-9.]+) ms", done.stderr)
        if done.returncode != 0 or not match:
            raise RuntimeError(f"timedemo failed ({done.returncode}): {done.stderr[-2000:]}")
        return int(match[1]), float(match[2]), float(match[3]), float(match[4])

    # ---- the limit: replaying the same frames ---------------------------------------

    def record(self, size, camera, frames, name):
        """An apitrace recording of frames of game on Varnet, cut after the last swap."""
        full = self.work / f"{name}.full.trace"
        cut = self.work / f"{name}.trace"
        for f in (full, cut):
            if f.exists():
                f.unlink()
        self.run_game(self.demo, self.settings(size, frames, camera, "Varnet.drv"),
                      prefix=("apitrace", "trace", "--api", "gl", "-o", str(full)))
        subprocess.run(["apitrace", "trim", f"--frames=0-{frames - 1}", "-o", str(cut), str(full)],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        full.unlink()
        return cut

    def replay(self, trace, loops):
        """Wall and processor milliseconds of one replay of the recording's last frame, on
        average: the difference between replaying it once and loops more times."""
        def once(n):
            before, start = child_times(), time.perf_counter()
            subprocess.run(["glretrace", "--benchmark", "--query-handling=run", f"--loop={n}",
                            str(trace)], check=True, env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            return time.perf_counter() - start, child_times() - before
        w0, c0 = once(0)
        w1, c1 = once(loops)
        return (w1 - w0) * 1000 / loops, (c1 - c0) * 1000 / loops

    # ---- instructions --------------------------------------------------------------

    def instructions(self, folder, camera, frames):
        out = self.work / "callgrind.out"
        if out.exists():
            out.unlink()
        settings = self.settings((640, 480), frames, camera, "NullDriver.drv")
        self.run_game(folder, settings, prefix=("valgrind", "--tool=callgrind",
                                                f"--callgrind-out-file={out}"), timeout=1800)
        for line in out.read_text(errors="replace").splitlines():
            if line.startswith(("summary:", "totals:")):
                return int(line.split()[1])
        raise RuntimeError("callgrind wrote no totals")


def google_benchmarks(build, repetitions, table):
    table.section(f"Google Benchmark (median of {repetitions} repetitions; cpu time, real time)")
    results = {}
    for exe in sorted((Path(build) / "bench").iterdir()):
        if not (exe.is_file() and os.access(exe, os.X_OK)):
            continue
        log(f"{exe.name}")
        done = subprocess.run([str(exe), f"--benchmark_repetitions={repetitions}",
                               "--benchmark_report_aggregates_only=true", "--benchmark_format=json"],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        if done.returncode != 0:
            table.add(exe.name, "failed")
            continue
        standard = {"name", "family_index", "per_family_instance_index", "run_name", "run_type",
                    "repetitions", "threads", "aggregate_name", "aggregate_unit", "iterations",
                    "real_time", "cpu_time", "time_unit", "label", "error_occurred",
                    "error_message", "repetition_index"}
        # One repetition reports the run itself, more report aggregates.
        wanted = "median" if repetitions > 1 else None
        for b in json.loads(done.stdout)["benchmarks"]:
            if b.get("aggregate_name") != wanted:
                continue
            unit = b["time_unit"]
            counters = ", ".join(f"{k}={v:.4g}" for k, v in b.items()
                                 if k not in standard and isinstance(v, (int, float)))
            label = f" [{b['label']}]" if b.get("label") else ""
            table.add(b["run_name"] + label, f"{b['cpu_time']:.4g} {unit}",
                      f"real {b['real_time']:.4g} {unit}  {counters}")
            results[b["run_name"]] = b["cpu_time"]
    a, b = results.get("BM_ChainFrame/10"), results.get("BM_ChainFrame/10000")
    if a and b:
        table.add("World::render, 10,000 / 10 lit rooms", f"{b / a:.2f}", "target <= 1.5")


def frame_measurements(bench, args, table):
    rounds = range(bench.runs)
    fps = {}         # (view, size) -> [ms per round]
    cpu = {}         # (view, size) -> [processor ms per round]
    culling = {}     # (view, name) -> [(wall, processor) normal / switched off, per round]
    overhead = {}    # view -> [(game wall / replay wall, game cpu / replay cpu) per round]
    reload = {}      # view -> [(wall, processor) check on / check off, per round]
    traces = {}
    if not args.no_apitrace:
        for view, camera in VIEWPOINTS.items():
            log(f"recording {view}")
            traces[view] = bench.record((640, 480), camera, args.frames, view)
    for r in rounds:
        for view, camera in VIEWPOINTS.items():
            log(f"round {r + 1}/{bench.runs}: {view}")
            for size in RESOLUTIONS:
                wall, proc = bench.frame_time(size, camera, args.frames)
                fps.setdefault((view, size), []).append(wall)
                cpu.setdefault((view, size), []).append(proc)
                if size != (640, 480):
                    continue
                if view in traces:
                    # Averages on both sides: the replay's is a total over its frames.
                    gw, gc = bench.frame_time(size, camera, args.frames, average=statistics.mean)
                    rw, rc = bench.replay(traces[view], args.loops)
                    overhead.setdefault(view, []).append((gw / rw, gc / rc))
                for name, extra in CULLING.items():
                    off, off_proc = bench.frame_time(size, camera, args.frames, extra)
                    culling.setdefault((view, name), []).append((wall / off, proc / off_proc))
                off, off_proc = bench.frame_time(size, camera, args.frames, RELOAD_CHECK_OFF)
                reload.setdefault(view, []).append((wall / off, proc / off_proc))

    table.section(f"Frames of the demo on llvmpipe under Xvfb (median of {bench.runs} runs, "
                  f"{args.frames} frames each, dbg_frame_ms {FRAME_MS})")
    for (view, size), times in fps.items():
        ms = median(times)
        table.add(f"fps {size[0]}x{size[1]} {view}", f"{1000 / ms:.2f}",
                  f"{ms:.1f} ms a frame, processor {median(cpu[(view, size)]):.1f} ms")

    if overhead:
        table.section("Distance to the limit: game frame / glretrace replay of the same frame "
                      "(640x480, mean frame times)")
        for view, ratios in overhead.items():
            table.add(f"{view} (wall)", f"{median([w for w, _ in ratios]):.3f}", "target <= 1.10")
            table.add(f"{view} (processor)", f"{median([c for _, c in ratios]):.3f}")

    table.section("What culling buys: fps switched off / fps normal (640x480; also as "
                  "processor time a frame)")
    for (view, name), ratios in culling.items():
        table.add(f"{name}, {view}", f"{median([w for w, _ in ratios]):.3f}",
                  f"processor {median([c for _, c in ratios]):.3f}")

    table.section("The check for changed files (dbg_reload, twice a second): frame time with "
                  "it on / off (640x480); 1.00 within the noise is the goal")
    for view, ratios in reload.items():
        table.add(f"reload check, {view}", f"{median([w for w, _ in ratios]):.3f}",
                  f"processor {median([c for _, c in ratios]):.3f}")

    return {key: median(times) for key, times in fps.items()}


def engine_time(bench, args, table, llvmpipe):
    table.section(f"Engine time with NullDriver.drv ({args.null_frames} frames, "
                  f"median of {bench.runs} runs)")
    for view, camera in VIEWPOINTS.items():
        walls, procs = [], []
        for _ in range(bench.runs):
            wall, proc = bench.frame_time((640, 480), camera, args.null_frames,
                                          driver="NullDriver.drv")
            walls.append(wall)
            procs.append(proc)
        wall = median(walls)
        note = f"processor {median(procs) * 1000:.0f} us"
        frame = llvmpipe.get((view, (640, 480)))
        if frame:
            note += f"; {100 * wall / frame:.2f}% of the llvmpipe frame (target <= 2%)"
        table.add(f"{view}", f"{wall * 1000:.0f} us", note)

    if args.no_callgrind:
        return
    table.section("Instructions per frame under callgrind (NullDriver.drv, frames "
                  f"{args.callgrind_frames[0] + 1} to {args.callgrind_frames[1]})")
    for view, camera in VIEWPOINTS.items():
        log(f"callgrind {view}")
        few, many = args.callgrind_frames
        a = bench.instructions(bench.demo, camera, few)
        b = bench.instructions(bench.demo, camera, many)
        table.add(view, f"{(b - a) / (many - few):,.0f}", f"start-up and {few} frames: {a:,}")


def startup(bench, args, table):
    table.section(f"Start-up to the first presented frame on llvmpipe (median of "
                  f"{args.startup_runs} runs)")
    for size in RESOLUTIONS:
        times = []
        for _ in range(args.startup_runs):
            settings = bench.settings(size, 1, VIEWPOINTS["start"], "TimingDriver.drv")
            start, frames = bench.run_game(bench.demo, settings, timed="Varnet.drv")
            times.append((frames[0][0] - start) / 1e6)
        table.add(f"{size[0]}x{size[1]}", f"{median(times):.0f} ms", "target < 1000 ms")


def scaling(bench, args, table):
    table.section(f"Scaling: room chains, camera in the middle room, NullDriver.drv "
                  f"({args.null_frames} frames, median of {bench.runs} runs)")
    for lit in (False, True):
        times = {}
        for rooms in CHAIN_ROOMS:
            folder = bench.work / f"chain{rooms}{'lit' if lit else ''}"
            shutil.copytree(bench.demo, folder)
            made = subprocess.run([str(bench.bin / "arvel-chain-map"), *([] if lit else ["--unlit"]),
                                   str(rooms), str(folder / "test.otm")], check=True,
                                  stdout=subprocess.PIPE, text=True)
            camera = made.stdout.strip()
            walls = [bench.frame_time((640, 480), camera, args.null_frames,
                                      driver="NullDriver.drv", folder=folder)[0]
                     for _ in range(bench.runs)]
            times[rooms] = median(walls)
            kind = "lit rooms" if lit else "rooms"
            table.add(f"{rooms} {kind}", f"{times[rooms] * 1000:.1f} us")
            shutil.rmtree(folder)
        kind = "lit rooms (every light flickers each frame)" if lit else "rooms"
        table.add(f"10,000 / 10 {kind}", f"{times[10000] / times[10]:.2f}",
                  "target <= 1.5")


def rooms(bench, args, table):
    """Static against dynamic lighting (gfx_force_dynamic) in the room scenes."""
    times = {}  # (scene, size, dynamic) -> [ms per round]
    for r in range(bench.runs):
        for scene in ROOM_SCENES:
            log(f"round {r + 1}/{bench.runs}: room scene {scene}")
            for size in RESOLUTIONS:
                for dynamic in (False, True):
                    wall, _ = bench.room_frame_time(scene, size, args.frames,
                                                    DYNAMIC if dynamic else None)
                    times.setdefault((scene, size, dynamic), []).append(wall)
    table.section(f"Room scenes (bench/levels), static and dynamic lights "
                  f"(gfx_force_dynamic; median of {bench.runs} runs, {args.frames} frames)")
    for scene, (level, camera) in ROOM_SCENES.items():
        for size in RESOLUTIONS:
            st = median(times[(scene, size, False)])
            dy = median(times[(scene, size, True)])
            table.add(f"{scene} {size[0]}x{size[1]} dynamic/static frame time", f"{dy / st:.3f}",
                      f"static {1000 / st:.2f} fps, dynamic {1000 / dy:.2f} fps; target <= 1.2")
    table.add("cameras", "", "; ".join(f"{s}: {c}" for s, (_, c) in ROOM_SCENES.items()))


def textures(bench, args, table):
    """The textured frame against the same frame with white, flat surfaces, and against
    the same textures never compressed (gfx_texcompress false)."""
    times = {}  # view -> per round: wall, processor ms of textured, flat, uncompressed
    for r in range(bench.runs):
        for view, camera in VIEWPOINTS.items():
            log(f"round {r + 1}/{bench.runs}: textures {view}")
            # Wall and processor time of each; the processor's is the steadier on a
            # shared machine.
            runs = [bench.frame_time((640, 480), camera, args.frames, extra)
                    for extra in (None, FLAT_WHITE, NO_TEXCOMPRESS)]
            times.setdefault(view, []).append([t for run in runs for t in run])
    table.section(f"Textured / untextured frame (dbg_flat_white) and textured / uncompressed "
                  f"(gfx_texcompress false; target <= 1.0 within the noise); 640x480, median "
                  f"of {bench.runs} runs")
    for view, rows in times.items():
        t, tp, f, fp, u, up = (median([row[i] for row in rows]) for i in range(6))
        table.add(f"{view} textured/flat frame time", f"{t / f:.3f}",
                  f"processor {tp / fp:.3f}; textured {1000 / t:.2f} fps, flat {1000 / f:.2f} fps")
        table.add(f"{view} textured/uncompressed frame time", f"{t / u:.3f}",
                  f"processor {tp / up:.3f}; uncompressed {1000 / u:.2f} fps")


def timedemo(bench, args, table):
    if not bench.has_timedemo or not (bench.demo / TIMEDEMO_PATH).exists():
        table.section("Timedemo: skipped (this build has no dbg_timedemo or no demo.path)")
        return
    results = []
    for r in range(args.timedemo_runs):
        log(f"timedemo {r + 1}/{args.timedemo_runs}")
        results.append(bench.timedemo())
    table.section(f"Timedemo of {TIMEDEMO_PATH} at 640x480, full speed (median of "
                  f"{args.timedemo_runs} runs)")
    table.add(f"{results[0][0]} frames", f"{median([x[2] for x in results]):.2f} fps",
              f"1% slowest {median([x[3] for x in results]):.1f} ms, "
              f"{median([x[1] for x in results]):.1f} s")


def compare(after, before, args, table):
    """The same measurements on two builds, interleaved round by round; after/before fps
    ratios, each the median of the rounds' ratios, in wall and where known in processor
    time (the steadier on a shared machine). The demo views are also drawn untextured
    (dbg_flat_white), so the textured frame's share is seen before and after."""
    ratios = {}  # (name, wall or processor) -> [after fps / before fps per round]
    fps = {}     # (name, which) -> [wall fps per round]

    def note(name, a, b):
        ratios.setdefault((name, "wall"), []).append(b[0] / a[0])
        if a[1] and b[1]:
            ratios.setdefault((name, "processor"), []).append(b[1] / a[1])
        fps.setdefault((name, "after"), []).append(1000 / a[0])
        fps.setdefault((name, "before"), []).append(1000 / b[0])

    for r in range(after.runs):
        for view, camera in VIEWPOINTS.items():
            log(f"round {r + 1}/{after.runs}: {view}, after and before")
            for size in RESOLUTIONS:
                for kind, extra in (("", None), (" untextured", FLAT_WHITE)):
                    if kind and size != RESOLUTIONS[0]:
                        continue
                    a = after.frame_time(size, camera, args.frames, extra)
                    b = before.frame_time(size, camera, args.frames, extra)
                    note(f"{view} {size[0]}x{size[1]}{kind}", a, b)
        for scene in ROOM_SCENES:
            log(f"round {r + 1}/{after.runs}: room scene {scene}, after and before")
            for size in RESOLUTIONS:
                for kind, extra in (("static", None), ("dynamic", DYNAMIC)):
                    a = after.room_frame_time(scene, size, args.frames, extra)
                    b = before.room_frame_time(scene, size, args.frames, extra)
                    note(f"{scene} {kind} {size[0]}x{size[1]}", a, b)
        if after.has_timedemo and before.has_timedemo:
            log(f"round {r + 1}/{after.runs}: timedemo, after and before")
            a, b = after.timedemo(), before.timedemo()
            note("timedemo fps", (1000 / a[2], None), (1000 / b[2], None))
            note("timedemo 1% slowest (as fps)", (a[3], None), (b[3], None))
    table.section(f"After / before: fps ratio (median of {after.runs} interleaved rounds, "
                  f"{args.frames} frames each; above 1 is faster)")
    for (name, clock), values in ratios.items():
        if clock != "wall":
            continue
        processor = ratios.get((name, "processor"))
        table.add(name, f"{median(values):.3f}",
                  (f"processor {median(processor):.3f}; " if processor else "")
                  + f"after {median(fps[(name, 'after')]):.2f}, "
                  f"before {median(fps[(name, 'before')]):.2f}")
    if not before.has_timedemo:
        table.add("timedemo", "skipped", "the baseline build has no dbg_timedemo")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", default="build-release")
    parser.add_argument("--runs", type=int, default=3, help="rounds of frame measurements")
    parser.add_argument("--frames", type=int, default=16, help="frames per llvmpipe run")
    parser.add_argument("--null-frames", type=int, default=300)
    parser.add_argument("--loops", type=int, default=40, help="replays of the last frame")
    parser.add_argument("--startup-runs", type=int, default=5)
    parser.add_argument("--repetitions", type=int, default=5, help="Google Benchmark")
    parser.add_argument("--callgrind-frames", type=int, nargs=2, default=[10, 40])
    parser.add_argument("--no-google", action="store_true")
    parser.add_argument("--no-callgrind", action="store_true")
    parser.add_argument("--no-apitrace", action="store_true")
    parser.add_argument("--timedemo-runs", type=int, default=1)
    parser.add_argument("--only", action="append", choices=["google", *SECTIONS],
                        help="run only this section (may be given more than once)")
    parser.add_argument("--baseline-build",
                        help="a release build of another revision: compare the two instead")
    args = parser.parse_args()
    wanted = set(args.only or ["google", *SECTIONS])

    table = Table()
    if "google" in wanted and not args.no_google and not args.baseline_build:
        google_benchmarks(args.build, args.repetitions, table)
    with tempfile.TemporaryDirectory(prefix="arvel-bench-") as work:
        bench = Bench(args.build, args.runs, work)
        if args.baseline_build:
            before = Bench(args.baseline_build, args.runs, work, "baseline", args.build)
            compare(bench, before, args, table)
            table.print()
            return
        llvmpipe = {}
        if "startup" in wanted:
            startup(bench, args, table)
        if "frames" in wanted:
            llvmpipe = frame_measurements(bench, args, table)
        if "rooms" in wanted:
            rooms(bench, args, table)
        if "textures" in wanted:
            textures(bench, args, table)
        if "timedemo" in wanted:
            timedemo(bench, args, table)
        if "engine" in wanted:
            engine_time(bench, args, table, llvmpipe)
        if "scaling" in wanted:
            scaling(bench, args, table)
    table.print()


if __name__ == "__main__":
    main()
