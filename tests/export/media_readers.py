#!/usr/bin/python3
"""Exports the sample package as animated pictures and videos and reads them back with readers
that share no code with the exporter: Pillow, webpinfo and ffprobe/ffmpeg.

usage: media_readers.py GYROLOOK-PACK SAMPLE.360 SAMPLE-PICTURES-FOLDER
"""
import json
import os
import pathlib
import signal
import subprocess
import sys
import tempfile
import time
import unittest

from PIL import Image, ImageChops, ImageStat

PACK, SAMPLE, PICTURES = sys.argv[1], sys.argv[2], pathlib.Path(sys.argv[3])


def export(out, *options):
    return subprocess.run([PACK, "export", SAMPLE, str(out), *options], capture_output=True,
                          text=True, timeout=300)


def mean_difference(frame, member):
    """Mean difference per channel (0 .. 255) between a frame and a sample picture scaled to it."""
    picture = Image.open(PICTURES / member).convert("RGB")
    frame = frame.convert("RGB")
    if picture.size != frame.size:
        picture = picture.resize(frame.size, Image.Resampling.LANCZOS)
    return sum(ImageStat.Stat(ImageChops.difference(frame, picture)).mean) / 3


def probe(path):
    run = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-show_streams",
                          "-show_format", "-of", "json", str(path)],
                         capture_output=True, text=True, check=True)
    info = json.loads(run.stdout)
    return info["streams"][0], info["format"]


def video_frame(path, index, folder):
    out = pathlib.Path(folder) / f"frame-{index}.png"
    subprocess.run(["ffmpeg", "-v", "error", "-i", str(path), "-vf", f"select=eq(n\\,{index})",
                    "-frames:v", "1", str(out)], check=True)
    return Image.open(out)


class InFolder(unittest.TestCase):
    """Each test writes into a fresh folder of its own."""

    def setUp(self):
        self.folder = tempfile.TemporaryDirectory(prefix="gyrolook-media-")
        self.dir = pathlib.Path(self.folder.name)

    def tearDown(self):
        self.folder.cleanup()


class AnimatedPictures(InFolder):

    def test_frames_size_duration_and_pictures(self):
        cases = [
            # name, options, frames, size, one turn in ms, loop, (frame, member)
            ("spin.webp", [], 36, (640, 480), 6000, 0, (5, "teapot_H_0005.jpg")),
            ("small.webp", ["--size", "320", "--seconds", "2.4", "--loop", "3"], 36, (320, 240),
             2400, 3, (0, "teapot_H_0000.jpg")),
            ("above.webp", ["--ring", "2", "--size", "320"], 12, (320, 240), 6000, 0,
             (1, "teapot_V03_0003.jpg")),
            ("spin.gif", ["--size", "320", "--seconds", "3.6"], 36, (320, 240), 3600, 0,
             (9, "teapot_H_0009.jpg")),
            ("below.gif", ["--ring", "-1", "--size", "200", "--loop", "2"], 12, (200, 150), 6000,
             1, (11, "teapot_M33_0002.jpg")),
        ]
        for name, options, frames, size, total, loop, (index, member) in cases:
            with self.subTest(name=name):
                run = export(self.dir / name, *options)
                self.assertEqual(run.returncode, 0, run.stderr)
                with Image.open(self.dir / name) as image:
                    self.assertEqual(image.n_frames, frames)
                    self.assertEqual(image.size, size)
                    durations = []
                    for i in range(image.n_frames):
                        image.seek(i)
                        image.load()
                        durations.append(image.info["duration"])
                    self.assertAlmostEqual(sum(durations), total, delta=10)
                    self.assertEqual(image.info.get("loop", 1 if name.endswith(".gif") else 0),
                                     loop)
                    image.seek(index)
                    allowed = 6 if name.endswith(".gif") else 4
                    self.assertLess(mean_difference(image, member), allowed)

    def test_every_frame_in_turning_order(self):
        # The frames are made ahead on several threads at once; each must land in its place:
        # nearer to its own picture than to the next one's.
        for name in ("order.webp", "order.gif"):
            with self.subTest(name=name):
                run = export(self.dir / name, "--size", "160")
                self.assertEqual(run.returncode, 0, run.stderr)
                with Image.open(self.dir / name) as image:
                    self.assertEqual(image.n_frames, 36)
                    for i in range(image.n_frames):
                        image.seek(i)
                        image.load()
                        own = mean_difference(image, f"teapot_H_{i:04d}.jpg")
                        following = mean_difference(image, f"teapot_H_{(i + 1) % 36:04d}.jpg")
                        self.assertLess(own, following, f"frame {i}")

    def test_webpinfo_reads_an_animation(self):
        export(self.dir / "spin.webp", "--size", "320")
        run = subprocess.run(["webpinfo", str(self.dir / "spin.webp")], capture_output=True,
                             text=True)
        self.assertEqual(run.returncode, 0, run.stdout)
        self.assertIn("Animation: 1", run.stdout)
        self.assertEqual(run.stdout.count("Chunk ANMF"), 36)

    def test_webp_is_smaller_than_gif_and_the_package_pictures(self):
        export(self.dir / "spin.webp", "--size", "640")
        export(self.dir / "spin.gif", "--size", "640")
        webp = os.path.getsize(self.dir / "spin.webp")
        gif = os.path.getsize(self.dir / "spin.gif")
        jpegs = sum(os.path.getsize(PICTURES / f"teapot_H_{i:04d}.jpg") for i in range(36))
        self.assertLess(webp, gif)
        self.assertLess(webp, jpegs)
        # One palette, dithered, each frame stored as what changed: within 3 x the WebP.
        self.assertLess(gif, 3 * webp)


class Videos(InFolder):
    def test_frames_size_duration_and_pictures(self):
        cases = [
            # name, options, codec, frames, size, seconds, (frame, member)
            ("spin.mp4", ["--size", "320", "--turns", "2"], "h264", 72, (320, 240), 12.0,
             (41, "teapot_H_0005.jpg")),
            ("spin.webm", ["--size", "320", "--seconds", "3"], "vp9", 36, (320, 240), 3.0,
             (7, "teapot_H_0007.jpg")),
            ("odd.mp4", ["--size", "201", "--ring", "1"], "h264", 12, (200, 150), 6.0,
             (2, "teapot_V06_0002.jpg")),
        ]
        for name, options, codec, frames, size, seconds, (index, member) in cases:
            with self.subTest(name=name):
                run = export(self.dir / name, *options)
                self.assertEqual(run.returncode, 0, run.stderr)
                stream, container = probe(self.dir / name)
                self.assertEqual(stream["codec_name"], codec)
                self.assertEqual(stream["pix_fmt"], "yuv420p")
                self.assertEqual((stream["width"], stream["height"]), size)
                self.assertEqual(int(stream["nb_read_frames"]), frames)
                self.assertAlmostEqual(float(container["duration"]), seconds, delta=0.05)
                frame = video_frame(self.dir / name, index, self.folder.name)
                self.assertLess(mean_difference(frame, member), 4)

    def test_mp4_has_its_index_at_the_front(self):
        export(self.dir / "spin.mp4", "--size", "160")
        head = (self.dir / "spin.mp4").read_bytes()
        self.assertLess(head.find(b"moov"), head.find(b"mdat"))

    def interrupt(self, out, *options, **popen):
        """Starts an export, sends SIGINT once its hidden output exists, and waits for it."""
        process = subprocess.Popen([PACK, "export", SAMPLE, str(out), *options],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, **popen)
        hidden = []
        deadline = time.time() + 60
        while not hidden and time.time() < deadline and process.poll() is None:
            hidden = [p for p in self.dir.iterdir() if p.name.startswith("." + out.name)]
            time.sleep(0.01)
        self.assertTrue(hidden, "the export never began its hidden file")
        process.send_signal(signal.SIGINT)
        process.communicate(timeout=300)
        return process.returncode

    def test_an_interrupt_leaves_nothing(self):
        self.assertEqual(self.interrupt(self.dir / "long.mp4", "--turns", "100"),
                         128 + signal.SIGINT)
        self.assertEqual(list(self.dir.iterdir()), [])

    def test_an_interrupt_ignored_at_start_stays_ignored(self):
        # As a shell starts a background job.
        ignore = lambda: signal.signal(signal.SIGINT, signal.SIG_IGN)
        out = self.dir / "background.webp"
        self.assertEqual(self.interrupt(out, "--size", "160", preexec_fn=ignore), 0)
        self.assertEqual([p.name for p in self.dir.iterdir()], [out.name])


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
