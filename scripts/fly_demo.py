#!/usr/bin/env python3
"""Flies game through the demo level with xdotool and records the flight (data/demo.path,
which the timedemo replays): mouse motion turns (one count a degree), the right button
moves forward, the middle button down. Each leg holds its button until the recorded
path says the camera got there, so the flight ends where it should on any machine.

    python3 scripts/fly_demo.py DATA_FOLDER path/to/game     (on a display; writes
    DATA_FOLDER/demo.path and overwrites DATA_FOLDER/autoexec.cfg)
"""
import os
import subprocess
import sys
import time
from pathlib import Path

START = "40 50 -30 0 -90 0"  # in the entrance, facing the hall's door
FORWARD, DOWN = 3, 2         # mouse buttons


class Flight:
    def __init__(self, folder, game):
        self.path = folder / "demo.path"
        if self.path.exists():
            self.path.unlink()
        # 50 ms steps of the clock: the flight's game time does not depend on the machine.
        (folder / "autoexec.cfg").write_text(
            "scr_fullscreen false\nscr_width 640\nscr_height 480\ndbg_frame_ms 50\n"
            f'dbg_camera "{START}"\ndbg_record_path "demo.path"\n')
        self.game = subprocess.Popen([game], cwd=folder, env=dict(os.environ, ARVEL_NO_DIALOGS="1"))
        for _ in range(100):
            if self.xdo("search", "--name", "^Arvel$"):
                break
            time.sleep(0.1)
        self.xdo("search", "--name", "^Arvel$", "windowfocus", "--sync")
        while self.place() is None:
            time.sleep(0.1)
        time.sleep(1.0)

    @staticmethod
    def xdo(*args):
        return subprocess.run(["xdotool", *args], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0

    def lines(self):
        return self.path.read_text().splitlines() if self.path.exists() else []

    def place(self):
        """x y z pitch yaw roll time of the last recorded frame."""
        lines = self.lines()
        return [float(v) for v in lines[-1].split()] if len(lines) > 1 else None

    def hold(self, button, arrived, limit=60):
        self.xdo("mousedown", str(button))
        start = time.time()
        while not arrived(self.place()) and time.time() - start < limit:
            time.sleep(0.01)
        self.xdo("mouseup", str(button))
        time.sleep(0.3)
        print("at", self.place()[:5], flush=True)

    def turn(self, degrees):
        """A turn in small steps, as a hand on the mouse makes it."""
        steps = max(1, abs(degrees) // 3)
        done = 0
        for i in range(steps):
            n = round(degrees * (i + 1) / steps) - done
            done += n
            self.xdo("mousemove_relative", "--", str(n), "0")
            time.sleep(0.04)
        time.sleep(0.3)

    def end(self):
        self.xdo("search", "--name", "^Arvel$", "windowfocus", "--sync", "key", "Escape")
        self.game.wait(30)
        print(f"{len(self.lines()) - 1} frames in {self.path}")


def main():
    f = Flight(Path(sys.argv[1]), sys.argv[2])
    # The entrance, through its door into the hall; a look towards the gallery's door.
    f.hold(FORWARD, lambda p: p[0] <= -70)
    f.turn(-55)
    time.sleep(1.0)
    f.turn(55)
    # On into the stairwell, between the hall's pillars.
    f.hold(FORWARD, lambda p: p[0] <= -166)
    # Down the stairs, forward and down together, then face the crypt's door.
    f.xdo("mousedown", str(DOWN))
    f.hold(FORWARD, lambda p: p[0] <= -262 or p[1] <= -60)
    f.xdo("mouseup", str(DOWN))
    f.hold(FORWARD, lambda p: p[0] <= -291)
    f.turn(90)
    f.hold(DOWN, lambda p: p[1] <= -96)
    f.hold(FORWARD, lambda p: p[2] <= -92)
    # Across the crypt between its pillars, towards the vault's door.
    f.turn(80)
    f.hold(FORWARD, lambda p: p[0] >= -215)
    time.sleep(0.5)
    f.end()


if __name__ == "__main__":
    main()
