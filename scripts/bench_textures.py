#!/usr/bin/env python3
"""Compares two release builds' demo frames, textured and untextured, on llvmpipe.

Runs on a display (Xvfb), e.g. DISPLAY=:73 scripts/bench_textures.py old/build-release
build-release. Every run of one round is made for both builds one after the other, so
both see the same load. Textured frames are measured with gfx_texcompress at its default
and set to false; untextured ones with dbg_flat_white. Prints medians over the rounds of
wall time and of processor time a frame (the process's, llvmpipe's threads included),
the steadier of the two on a shared machine.
"""

import argparse
import statistics
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from bench_frames import RESOLUTIONS, VIEWPOINTS, Bench  # noqa: E402

MODES = {
    "textured": {},
    "texcompress false": {"gfx_texcompress": "false"},
    "untextured": {"dbg_flat_white": "true"},
}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("builds", nargs=2, help="the build before and the build after")
    parser.add_argument("--runs", type=int, default=3, help="rounds")
    parser.add_argument("--frames", type=int, default=16, help="frames per run")
    parser.add_argument("--startup-runs", type=int, default=5)
    args = parser.parse_args()

    names = ("before", "after")
    with tempfile.TemporaryDirectory(prefix="arvel-texbench-") as work:
        benches = {}
        for name, build in zip(names, args.builds):
            (Path(work) / name).mkdir()
            benches[name] = Bench(build, args.runs, Path(work) / name)

        startup = {name: [] for name in names}
        for _ in range(args.startup_runs):
            for name, bench in benches.items():
                settings = bench.settings(RESOLUTIONS[0], 1, VIEWPOINTS["start"],
                                          "TimingDriver.drv")
                start, frames = bench.run_game(bench.demo, settings, timed="Varnet.drv")
                startup[name].append((frames[0][0] - start) / 1e6)

        ms = {}  # (build, view, size, mode) -> [(wall, processor) ms a frame per round]
        for r in range(args.runs):
            for view, camera in VIEWPOINTS.items():
                print(f"== round {r + 1}/{args.runs}: {view}", file=sys.stderr, flush=True)
                for size in RESOLUTIONS:
                    for mode, extra in MODES.items():
                        for name, bench in benches.items():
                            times = bench.frame_time(size, camera, args.frames, extra)
                            ms.setdefault((name, view, size, mode), []).append(times)

    print(f"Start-up to the first frame, 640x480 (median of {args.startup_runs}): "
          + ", ".join(f"{n} {statistics.median(startup[n]):.0f} ms" for n in names)
          + f"; after/before {statistics.median(startup['after']) / statistics.median(startup['before']):.3f}")
    for column, title in ((0, "wall"), (1, "processor")):
        med = {key: statistics.median(v[column] for v in values) for key, values in ms.items()}
        table(med, f"{title} ms a frame, median of {args.runs} rounds, {args.frames} frames each")


def table(med, title):
    names = ("before", "after")
    print(f"\n{title}")
    print(f"{'view':<9}{'size':>10}" + "".join(f" {n[0]}:{m[:8]:>8}" for n in names for m in MODES)
          + "  tex/untex before  tex/untex after  tex/nocomp after  fps after/before")
    for view in VIEWPOINTS:
        for size in RESOLUTIONS:
            row = [med[(n, view, size, m)] for n in names for m in MODES]
            b_tex, b_untex = med[("before", view, size, "textured")], med[("before", view, size, "untextured")]
            a_tex, a_untex = med[("after", view, size, "textured")], med[("after", view, size, "untextured")]
            a_nocomp = med[("after", view, size, "texcompress false")]
            print(f"{view:<9}{size[0]:>5}x{size[1]:<4}" + "".join(f"{v:>11.1f}" for v in row)
                  + f"{b_tex / b_untex:>18.3f}{a_tex / a_untex:>17.3f}{a_tex / a_nocomp:>18.3f}"
                  + f"{b_tex / a_tex:>18.3f}")

if __name__ == "__main__":
    main()
