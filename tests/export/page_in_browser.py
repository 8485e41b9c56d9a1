#!/usr/bin/python3
"""Exports the sample package as a web page and drives it in headless Chromium from file://.

usage: page_in_browser.py GYROLOOK-PACK SAMPLE.360 [SCREENSHOT.png]

Checks that the page loads with no console error and no request outside its folder, that drags
and keys reach the pictures the viewer reaches, that wheel zoom and panning move the view, and
that the play button spins and a touch stops it. With SCREENSHOT.png it also saves the page.
"""
import json
import pathlib
import subprocess
import sys
import tempfile
import time
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.wheel_input import ScrollOrigin
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

PACK, SAMPLE = sys.argv[1], sys.argv[2]
SCREENSHOT = sys.argv[3] if len(sys.argv) > 3 else None


def start_browser():
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=760,680",
                 "--disable-dev-shm-usage", "--no-first-run", "--disable-extensions"):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL", "performance": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


class ExportedPage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory(prefix="gyrolook-page-")
        cls.page = pathlib.Path(cls.folder.name) / "teapot"
        run = subprocess.run([PACK, "export", SAMPLE, str(cls.page), "--seconds", "3"],
                             capture_output=True, text=True, timeout=120)
        assert run.returncode == 0, run.stderr
        assert "<iframe" in run.stdout, run.stdout
        cls.browser = start_browser()
        cls.browser.get(cls.page.joinpath("index.html").as_uri())
        WebDriverWait(cls.browser, 30).until(
            lambda b: b.find_element(By.ID, "stage").get_attribute("data-loaded") == "true")

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

    def drag(self, dx, dy):
        actions = ActionChains(self.browser, duration=10)
        actions.click_and_hold(self.stage)
        parts = 8
        for _ in range(parts):
            actions.move_by_offset(dx / parts, dy / parts)
        actions.release().perform()

    def test_loads_without_console_errors_or_requests_outside_its_folder(self):
        errors = [e for e in self.browser.get_log("browser") if e["level"] == "SEVERE"]
        self.assertEqual(errors, [])
        inside = self.page.as_uri() + "/"
        urls = []
        for entry in self.browser.get_log("performance"):
            message = json.loads(entry["message"])["message"]
            if message["method"] == "Network.requestWillBeSent":
                urls.append(message["params"]["request"]["url"])
        self.assertTrue(urls)
        outside = [u for u in urls if not (u.startswith(inside) or u.startswith("data:"))]
        self.assertEqual(outside, [])
        self.assertEqual(self.shown(), "teapot_H_0000.jpg")

    def test_a_drag_of_n_steps_shows_picture_n(self):
        step_x, _ = self.steps()
        for n, expected in ((5, "teapot_H_0005.jpg"), (-7, "teapot_H_0029.jpg")):
            with self.subTest(n=n):
                self.stage.send_keys(Keys.HOME)
                self.drag(n * step_x + (step_x // 2 if n > 0 else -(step_x // 2)), 0)
                self.assertEqual(self.shown(), expected)

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
        # Dragging up raises the view as the up key does.
        _, step_y = self.steps()
        self.stage.send_keys(Keys.HOME)
        self.drag(0, -(2 * step_y + step_y // 2))
        self.assertEqual(self.shown(), "teapot_V00_0003.jpg")

    def test_the_first_hot_spot_is_outlined_with_the_package_name(self):
        spot = self.browser.find_element(By.ID, "hotspot")
        self.assertTrue(spot.is_displayed())
        self.assertEqual(spot.text, "teapot")
        frame = self.browser.find_element(By.ID, "frame").rect
        box = spot.rect
        # The descriptor's rectangle is 440,170 .. 555,300 on the 640 x 480 picture.
        self.assertAlmostEqual((box["x"] - frame["x"]) / frame["width"], 440 / 640, delta=0.01)
        self.assertAlmostEqual((box["y"] - frame["y"]) / frame["height"], 170 / 480, delta=0.01)
        self.stage.send_keys(Keys.ARROW_RIGHT)
        self.assertFalse(spot.is_displayed())

    def test_wheel_zoom_and_panning_change_the_view(self):
        self.assertEqual(self.stage.get_attribute("data-scale"), "1.000")
        ActionChains(self.browser).scroll_from_origin(
            ScrollOrigin.from_element(self.stage, 60, 40), 0, -400).perform()
        WebDriverWait(self.browser, 5).until(
            lambda b: float(self.stage.get_attribute("data-scale")) > 1.5)
        before = self.stage.get_attribute("data-pan")
        picture = self.shown()
        self.drag(-80, -50)
        self.assertNotEqual(self.stage.get_attribute("data-pan"), before)
        self.assertEqual(self.shown(), picture)  # a zoomed picture moves, it does not turn
        self.assertIn("scale(", self.browser.find_element(By.ID, "frame").get_attribute("style"))

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

    def test_the_view_is_labelled_for_screen_readers(self):
        self.assertEqual(self.stage.get_attribute("tabindex"), "0")
        self.assertEqual(self.stage.get_attribute("aria-label"), "teapot")
        self.stage.send_keys(Keys.ARROW_RIGHT * 2)
        status = self.browser.find_element(By.ID, "spin-status").get_attribute("textContent")
        self.assertEqual(status, "teapot: position 3 of 36, level with it")

    def test_zz_screenshot(self):
        if not SCREENSHOT:
            self.skipTest("no screenshot asked for")
        self.stage.send_keys(Keys.HOME)
        self.browser.execute_script("document.activeElement.blur()")
        self.browser.save_screenshot(SCREENSHOT)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
