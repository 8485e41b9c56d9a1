#!/usr/bin/python3
"""Exports the sample package as a web page and drives it in headless Chromium from file://.

usage: page_in_browser.py GYROLOOK-PACK SAMPLE.360 [SCREENSHOT.png]

Checks that the page loads with no console error and no request outside its folder, that drags
and keys reach the pictures the viewer reaches, that Ctrl + wheel zoom and panning move the view
and load the larger pictures, that the play button spins and a touch stops it, that full screen
opens and closes and that the page's events tell each turn. Then, on an emulated phone (390 x 844,
three device pixels to a CSS pixel, touch), a shop's page in another folder holds two spins
through the printed snippet: one of a ring only, with two labelled hot spots, and the sample with
its rings. With SCREENSHOT.png it also saves the page.
"""
import json
import pathlib
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.wheel_input import ScrollOrigin
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

PACK, SAMPLE = sys.argv[1], sys.argv[2]
SCREENSHOT = sys.argv[3] if len(sys.argv) > 3 else None


def start_browser(size="760,680"):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=" + size,
                 "--disable-dev-shm-usage", "--no-first-run", "--disable-extensions"):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL", "performance": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def requests(browser):
    """The addresses the browser has asked for since the last call."""
    urls = []
    for entry in browser.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        if message["method"] == "Network.requestWillBeSent":
            urls.append(message["params"]["request"]["url"])
    return urls


def export(package, out, *options):
    run = subprocess.run([PACK, "export", package, str(out), *options], capture_output=True,
                         text=True, timeout=120)
    assert run.returncode == 0, run.stderr
    assert "<iframe" in run.stdout, run.stdout
    return run.stdout[run.stdout.index("<div"):].strip()


# Keeps every event the spin dispatches, as the page around it would see them.
RECORD_EVENTS = """
window.seen = [];
for (const name of ["spin:turn", "spin:zoom", "spin:fullscreen"])
  document.getElementById("spin").addEventListener(name, (e) => seen.push([name, e.detail]));
"""


class ExportedPage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory(prefix="gyrolook-page-")
        cls.page = pathlib.Path(cls.folder.name) / "teapot"
        export(SAMPLE, cls.page, "--seconds", "3", "--size", "320", "--hotspot-label", "1=Spout")
        cls.browser = start_browser()
        cls.browser.get(cls.page.joinpath("index.html").as_uri())
        WebDriverWait(cls.browser, 30).until(
            lambda b: b.find_element(By.ID, "stage").get_attribute("data-loaded") == "true")
        cls.browser.execute_script(RECORD_EVENTS)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        cls.folder.cleanup()

    def setUp(self):
        self.stage = self.browser.find_element(By.ID, "stage")
        # Each test starts from position 0 of the horizontal ring, not zoomed.
        self.browser.execute_script("arguments[0].focus()", self.stage)
        self.stage.send_keys(Keys.HOME, "0")

    def shown(self):
        src = self.browser.find_element(By.ID, "picture").get_attribute("src")
        return src.rsplit("/", 1)[-1]

    def steps(self):
        return int(self.stage.get_attribute("data-step-x")), int(
            self.stage.get_attribute("data-step-y"))

    def drag(self, dx, dy, hold=0.2):
        """A drag held still for `hold` seconds before it is let go (0: a flick)."""
        actions = ActionChains(self.browser, duration=10)
        actions.click_and_hold(self.stage)
        parts = 8
        for _ in range(parts):
            actions.move_by_offset(dx / parts, dy / parts)
        actions.pause(hold).release().perform()

    def test_loads_without_console_errors_or_requests_outside_its_folder(self):
        errors = [e for e in self.browser.get_log("browser") if e["level"] == "SEVERE"]
        self.assertEqual(errors, [])
        inside = self.page.as_uri() + "/"
        urls = requests(self.browser)
        self.assertTrue(urls)
        outside = [u for u in urls if not (u.startswith(inside) or u.startswith("data:"))]
        self.assertEqual(outside, [])
        self.assertEqual(self.shown(), "teapot_H_0000.jpg")

    def test_a_drag_right_of_n_steps_shows_picture_minus_n(self):
        # The object follows the hand: the next picture moves its front left.
        step_x, _ = self.steps()
        for n, expected in ((5, "teapot_H_0031.jpg"), (-7, "teapot_H_0007.jpg")):
            with self.subTest(n=n):
                self.stage.send_keys(Keys.HOME)
                self.drag(n * step_x + (step_x // 2 if n > 0 else -(step_x // 2)), 0)
                self.assertEqual(self.shown(), expected)

    def test_a_flick_keeps_turning_unless_motion_is_reduced(self):
        step_x, _ = self.steps()
        for reduce, more_than_the_drag in ((False, True), (True, False)):
            with self.subTest(reduce=reduce):
                self.browser.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": [
                    {"name": "prefers-reduced-motion", "value": "reduce" if reduce else ""}]})
                self.stage.send_keys(Keys.HOME)
                self.browser.execute_script("seen.length = 0")
                self.drag(20 * step_x + step_x // 2, 0, hold=0)
                time.sleep(1.5)  # long enough for the turning to have slowed down
                turns = self.browser.execute_script(
                    "return seen.filter((e) => e[0] === 'spin:turn').length")
                self.assertEqual(turns > 20, more_than_the_drag, turns)
        self.browser.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})

    def test_up_and_down_reach_the_rings_the_viewer_reaches(self):
        # Keys, as the viewer's bars: a row up, the top row holds, a turn on a ring is three
        # positions, down through the horizontal ring to the lowest row, which holds too.
        path = [
            ([Keys.ARROW_RIGHT] * 6, "teapot_H_0006.jpg"),
            ([Keys.ARROW_UP], "teapot_V06_0002.jpg"),
            ([Keys.ARROW_UP] * 4, "teapot_V06_0005.jpg"),
            ([Keys.ARROW_RIGHT], "teapot_V09_0005.jpg"),
            ([Keys.ARROW_DOWN] * 4, "teapot_H_0009.jpg"),
            ([Keys.ARROW_DOWN] * 3, "teapot_M09_0003.jpg"),
            ([Keys.ARROW_LEFT] * 4, "teapot_M33_0003.jpg"),
            ([Keys.ARROW_RIGHT], "teapot_M00_0003.jpg"),
        ]
        for keys, expected in path:
            with self.subTest(expected=expected):
                self.stage.send_keys(*keys)
                self.assertEqual(self.shown(), expected)
        # A column without rings keeps the view on the horizontal ring.
        self.stage.send_keys(Keys.HOME, Keys.ARROW_RIGHT, Keys.ARROW_UP)
        self.assertEqual(self.shown(), "teapot_H_0001.jpg")
        # Dragging up raises the view as the up key does; a drag mostly across stays level.
        step_x, step_y = self.steps()
        for dx, expected in ((0, "teapot_V00_0003.jpg"),
                             (-(5 * step_x + step_x // 2), "teapot_H_0005.jpg")):
            with self.subTest(dx=dx):
                self.stage.send_keys(Keys.HOME)
                self.drag(dx, -(2 * step_y + step_y // 2))
                self.assertEqual(self.shown(), expected)

    def test_the_hot_spot_is_outlined_with_its_label(self):
        spot = self.browser.find_element(By.CSS_SELECTOR, ".hotspot")
        self.assertTrue(spot.is_displayed())
        self.assertEqual(spot.text, "Spout")
        frame = self.browser.find_element(By.ID, "frame").rect
        box = spot.rect
        # The descriptor's rectangle is 440,170 .. 555,300 on the 640 x 480 picture.
        self.assertAlmostEqual((box["x"] - frame["x"]) / frame["width"], 440 / 640, delta=0.01)
        self.assertAlmostEqual((box["y"] - frame["y"]) / frame["height"], 170 / 480, delta=0.01)
        self.stage.send_keys(Keys.ARROW_RIGHT)
        self.assertEqual(self.browser.find_elements(By.CSS_SELECTOR, ".hotspot"), [])

    def test_ctrl_wheel_zooms_loads_the_larger_pictures_and_panning_moves_the_view(self):
        picture = self.browser.find_element(By.ID, "picture")
        self.assertIn("/pictures/teapot_H_0000.jpg", picture.get_attribute("currentSrc"))
        # A plain wheel is the page's: no zoom, a hint instead.
        ActionChains(self.browser).scroll_from_origin(
            ScrollOrigin.from_element(self.stage, 60, 40), 0, -400).perform()
        WebDriverWait(self.browser, 5).until(
            lambda b: b.find_element(By.ID, "spin-hint").is_displayed())
        self.assertEqual(self.stage.get_attribute("data-scale"), "1.000")
        ActionChains(self.browser).key_down(Keys.CONTROL).scroll_from_origin(
            ScrollOrigin.from_element(self.stage, 60, 40), 0, -400).key_up(Keys.CONTROL).perform()
        WebDriverWait(self.browser, 5).until(
            lambda b: float(self.stage.get_attribute("data-scale")) > 1.5)
        WebDriverWait(self.browser, 5).until(
            lambda b: "/pictures/2x/teapot_H_0000.jpg" in picture.get_attribute("currentSrc"))
        before = self.stage.get_attribute("data-pan")
        shown = self.shown()
        self.drag(-80, -50)
        self.assertNotEqual(self.stage.get_attribute("data-pan"), before)
        self.assertEqual(self.shown(), shown)  # a zoomed picture moves, it does not turn
        self.assertIn("scale(", self.browser.find_element(By.ID, "frame").get_attribute("style"))

    def test_full_screen_opens_and_closes_and_events_tell_every_change(self):
        self.browser.execute_script("seen.length = 0")
        self.stage.send_keys(*[Keys.ARROW_LEFT] * 3, Keys.ARROW_UP, "+", "f")
        full = "return document.fullscreenElement && document.fullscreenElement.id"
        WebDriverWait(self.browser, 5).until(lambda b: b.execute_script(full) == "spin")
        self.stage.send_keys("f")
        WebDriverWait(self.browser, 5).until(lambda b: b.execute_script(full) is None)
        WebDriverWait(self.browser, 5).until(
            lambda b: len(b.execute_script("return seen")) == 7)
        seen = self.browser.execute_script("return seen")
        self.assertEqual(seen, [
            ["spin:turn", {"position": 35, "ring": 0, "view": 35}],
            ["spin:turn", {"position": 34, "ring": 0, "view": 34}],
            ["spin:turn", {"position": 33, "ring": 0, "view": 33}],
            ["spin:turn", {"position": 33, "ring": 1, "view": seen[3][1]["view"]}],
            ["spin:zoom", {"scale": 1.25}],
            ["spin:fullscreen", {"active": True}],
            ["spin:fullscreen", {"active": False}]])

    def test_play_turns_and_a_touch_stops_it(self):
        play = self.browser.find_element(By.ID, "play")
        self.assertEqual(play.get_attribute("aria-pressed"), "false")
        play.click()
        time.sleep(0.6)
        self.assertEqual(play.get_attribute("aria-pressed"), "true")
        self.assertNotEqual(self.shown(), "teapot_H_0000.jpg")
        ActionChains(self.browser).click_and_hold(self.stage).release().perform()
        stopped = self.shown()
        time.sleep(0.4)
        self.assertEqual(self.shown(), stopped)
        self.assertEqual(play.get_attribute("aria-pressed"), "false")

    def test_reduced_motion_takes_the_play_button_away(self):
        play = self.browser.find_element(By.ID, "play")
        self.browser.execute_cdp_cmd("Emulation.setEmulatedMedia", {
            "features": [{"name": "prefers-reduced-motion", "value": "reduce"}]})
        try:
            WebDriverWait(self.browser, 5).until(lambda b: not play.is_displayed())
        finally:
            self.browser.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})
        WebDriverWait(self.browser, 5).until(lambda b: play.is_displayed())

    def test_the_view_is_labelled_for_screen_readers_once_it_stops(self):
        self.assertEqual(self.stage.get_attribute("tabindex"), "0")
        self.assertEqual(self.stage.get_attribute("aria-label"), "teapot")
        status = self.browser.find_element(By.ID, "spin-status")
        self.browser.execute_script("""window.said = 0; new MutationObserver(() => said++)
            .observe(arguments[0], {childList: true, characterData: true, subtree: true});""",
                                    status)
        for keys, expected in (([Keys.ARROW_RIGHT] * 5, "teapot: position 6 of 36, level with it"),
                               ([Keys.HOME], "teapot: position 1 of 36, level with it; hot spots: "
                                             "Spout")):
            with self.subTest(expected=expected):
                WebDriverWait(self.browser, 5).until(
                    lambda b: status.get_attribute("textContent") != expected)
                self.browser.execute_script("said = 0")
                self.stage.send_keys(*keys)
                WebDriverWait(self.browser, 5).until(
                    lambda b: status.get_attribute("textContent") == expected)
                time.sleep(0.8)
                self.assertEqual(self.browser.execute_script("return said"), 1)

    def test_zz_screenshot(self):
        if not SCREENSHOT:
            self.skipTest("no screenshot asked for")
        self.stage.send_keys(Keys.HOME)
        self.browser.execute_script("document.activeElement.blur()")
        self.browser.save_screenshot(SCREENSHOT)


def ring_only_package(folder):
    """A package of the sample's horizontal ring alone, with two hot spots on position 0."""
    photos = folder / "photos"
    photos.mkdir()
    with zipfile.ZipFile(SAMPLE) as sample:
        for name in sample.namelist():
            if "_H_" in name:
                (photos / name).write_bytes(sample.read(name))
    package = folder / "mug.360"
    run = subprocess.run([PACK, "make", str(package), "--name", "mug", "--ring", str(photos),
                          "--hotspot", "0:440,170,555,300", "--hotspot", "0:60,300,200,420",
                          "--quiet"], capture_output=True, text=True, timeout=120)
    assert run.returncode == 0, run.stderr
    return package


# A shop's page: a spin, text, another spin, and enough below to scroll. It keeps the messages
# both spins send, with the number of the frame that sent each.
SHOP = """<!doctype html><meta name="viewport" content="width=device-width, initial-scale=1">
<body style="margin:0 8px"><h1>Shop</h1>{first}<p>Our teapot, from every side:</p>{second}
<div style="height:2000px"></div>
<script>window.seen = []; addEventListener("message", (e) => {{
  for (let i = 0; i < frames.length; ++i) if (frames[i] === e.source) seen.push({{frame: i, ...e.data}});
}});</script>"""


class EmbeddedOnAPhone(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory(prefix="gyrolook-shop-")
        top = pathlib.Path(cls.folder.name)
        (top / "shop").mkdir()
        mug = export(ring_only_package(top), top / "shop" / "mug", "--size", "320",
                     "--hotspot-label", "1=Handle", "--autoplay", "once", "--seconds", "0.5")
        teapot = export(SAMPLE, top / "shop" / "teapot", "--size", "320")
        (top / "shop" / "index.html").write_text(SHOP.format(first=mug, second=teapot))
        cls.browser = start_browser("390,844")
        cls.browser.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": 390, "height": 844, "deviceScaleFactor": 3, "mobile": True})
        cls.browser.execute_cdp_cmd("Emulation.setTouchEmulationEnabled",
                                    {"enabled": True, "maxTouchPoints": 5})
        cls.browser.get((top / "shop" / "index.html").as_uri())
        cls.frames = cls.browser.find_elements(By.TAG_NAME, "iframe")
        for frame in cls.frames:
            cls.browser.execute_script("arguments[0].scrollIntoView()", frame)
            cls.browser.switch_to.frame(frame)
            WebDriverWait(cls.browser, 30).until(
                lambda b: b.find_element(By.ID, "stage").get_attribute("data-loaded") == "true")
            cls.browser.switch_to.default_content()
        cls.requests = requests(cls.browser)
        # The mug turns once by itself while in view (scrolled away, it waits).
        cls.browser.execute_script("scrollTo(0, 0)")
        cls.autoplayed = lambda b: [m["detail"]["position"] for m in b.execute_script(
            "return seen") if m["frame"] == 0 and m["type"] == "spin:turn"]
        WebDriverWait(cls.browser, 10).until(lambda b: len(cls.autoplayed(b)) >= 36)
        time.sleep(0.3)
        cls.first_messages = cls.browser.execute_script("return seen")

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        cls.folder.cleanup()

    def swipe(self, frame, dx, dy):
        """A finger from the stage's middle, moved by (dx, dy) and lifted."""
        box = self.browser.execute_script("return arguments[0].getBoundingClientRect()", frame)
        stage = self.inside(frame, "return document.getElementById('stage')"
                                   ".getBoundingClientRect()")
        self.swipe_at(box["left"] + stage["left"] + stage["width"] / 2,
                      box["top"] + stage["top"] + stage["height"] / 2, dx, dy)

    def swipe_at(self, x, y, dx, dy):
        touch = lambda kind, px, py: self.browser.execute_cdp_cmd("Input.dispatchTouchEvent", {
            "type": kind, "touchPoints": [{"x": px, "y": py}] if kind != "touchEnd" else []})
        touch("touchStart", x, y)
        for i in range(1, 13):
            touch("touchMove", x + dx * i / 12, y + dy * i / 12)
            time.sleep(0.02)
        touch("touchEnd", 0, 0)
        time.sleep(0.3)

    def inside(self, frame, script):
        self.browser.switch_to.frame(frame)
        try:
            return self.browser.execute_script(script)
        finally:
            self.browser.switch_to.default_content()

    def test_swipes_scroll_the_shop_or_turn_the_spin_each_on_its_own(self):
        mug, teapot = self.frames
        self.browser.execute_script("scrollTo(0, 0); seen.length = 0")
        shown = "return [document.getElementById('picture').src.split('/').pop()," \
                " scrollY]"
        # The ring alone: up and down scroll the shop, across turns the mug (the front follows
        # the finger: a swipe right shows the pictures before).
        self.swipe(mug, 0, -200)
        self.assertGreater(self.browser.execute_script("return scrollY"), 100)
        self.assertEqual(self.inside(mug, shown)[0], "mug_H_0000.jpg")
        self.browser.execute_script("scrollTo(0, 0)")
        self.swipe(mug, 120, 0)
        self.assertNotEqual(self.inside(mug, shown)[0], "mug_H_0000.jpg")
        self.assertEqual(self.inside(teapot, shown)[0], "teapot_H_0000.jpg")
        # With rings, a swipe up climbs them and the shop stays where it is.
        self.browser.execute_script("arguments[0].scrollIntoView()", teapot)
        scrolled = self.browser.execute_script("return scrollY")
        self.swipe(teapot, 0, -80)
        self.assertEqual(self.inside(teapot, shown)[0], "teapot_V00_0003.jpg")
        self.assertEqual(self.browser.execute_script("return scrollY"), scrolled)
        turns = self.browser.execute_script(
            "return seen.filter((m) => m.type === 'spin:turn').map((m) => [m.frame, m.detail])")
        self.assertEqual([frame for frame, _ in turns[-2:]], [1, 1])
        self.assertEqual([t["ring"] for _, t in turns[-2:]], [1, 2])
        self.assertEqual({frame for frame, _ in turns[:-2]}, {0})

    def test_both_spins_are_ready_and_the_mug_plays_one_turn_by_itself(self):
        ready = sorted(m["frame"] for m in self.first_messages if m["type"] == "spin:ready")
        self.assertEqual(ready, [0, 1])
        turns = [(m["frame"], m["detail"]["position"]) for m in self.first_messages
                 if m["type"] == "spin:turn"]
        self.assertEqual(turns, [(0, p % 36) for p in range(1, 37)])

    def test_each_frame_is_as_tall_as_its_page(self):
        # No empty band below the controls, and nothing to scroll inside.
        for frame in self.frames:
            bottom, scrolled, inner = self.inside(frame, """return [
                document.getElementById("spin").getBoundingClientRect().bottom,
                document.documentElement.scrollHeight, innerHeight]""")
            self.assertAlmostEqual(bottom, inner, delta=1)
            self.assertEqual(scrolled, inner)

    def test_a_sharp_screen_gets_the_larger_pictures(self):
        for name in ("mug", "teapot"):
            with self.subTest(spin=name):
                used = [u for u in self.requests if f"/{name}/pictures/" in u]
                self.assertGreater(len(used), 30)
                self.assertEqual([u for u in used if "/pictures/2x/" not in u], [])

    def test_every_hot_spot_shows_its_label_and_takes_the_focus(self):
        mug = self.frames[0]
        self.browser.switch_to.frame(mug)
        try:
            self.browser.find_element(By.ID, "stage").send_keys(Keys.HOME)
            spots = self.browser.find_elements(By.CSS_SELECTOR, ".hotspot")
            self.assertEqual([s.text for s in spots], ["Handle", "Hot spot 2"])
            for spot in spots:
                self.browser.execute_script("arguments[0].focus()", spot)
                self.assertEqual(self.browser.switch_to.active_element, spot)
        finally:
            self.browser.switch_to.default_content()


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
