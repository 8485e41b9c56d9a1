#!/usr/bin/python3
"""Opens an exported page from file:// in headless Chromium, RUNS times in a fresh tab each, and
prints when its first picture was painted (the largest contentful paint, which is the picture)
against the page's load event, median over the runs. Then, once every picture has loaded, turns
the object by one drag step on each of 240 animation frames (60 steps a second) and counts the
steps whose frame came late (more than 1.5 frame times after the one before) or whose picture was
not decoded yet.

With --phone the browser is a phone (390 x 844 CSS pixels, three device pixels to one, touch): it
also prints the width of the pictures used against the stage's CSS width, and the bytes the page
loaded before the first turn against those of the page's text and its largest pictures alone
(what a page of one size at that size loads).

usage: export-page-paint.py PAGE/index.html [RUNS] [--phone]
"""
import json
import os
import pathlib
import statistics
import sys
import urllib.parse

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

phone = "--phone" in sys.argv
args = [a for a in sys.argv[1:] if a != "--phone"]
folder = pathlib.Path(args[0]).resolve().parent
page = pathlib.Path(args[0]).resolve().as_uri()
runs = int(args[1]) if len(args) > 1 else 5

MEASURE = """
const done = arguments[arguments.length - 1];
new PerformanceObserver((list) => {
  const shown = list.getEntries().filter((e) => e.element && e.element.id === "picture");
  if (!shown.length) return;
  const nav = performance.getEntriesByType("navigation")[0];
  const wait = () => nav.loadEventEnd > 0 ? done([shown[0].startTime, nav.loadEventEnd])
                                           : setTimeout(wait, 10);
  wait();
}).observe({type: "largest-contentful-paint", buffered: true});
"""

TURN = """
const done = arguments[arguments.length - 1];
const stage = document.getElementById("stage"), picture = document.getElementById("picture");
const box = stage.getBoundingClientRect(), step = Number(stage.dataset.stepX);
const at = (x) => ({clientX: box.left + 10 + x, clientY: box.top + box.height / 2,
                    pointerId: 1, bubbles: true, isPrimary: true, pointerType: "mouse"});
stage.setPointerCapture = () => {};
stage.dispatchEvent(new PointerEvent("pointerdown", at(0)));
let n = 0, last = 0, late = 0, undecoded = 0, seen = "";
function frame(now) {
  if (n > 0) {
    if (last && now - last > 25) late++;
    if (picture.src === seen || !picture.complete || !picture.naturalWidth) undecoded++;
  }
  last = now;
  if (n === 240) {
    stage.dispatchEvent(new PointerEvent("pointerup", at(n * step)));
    return done([late, undecoded]);
  }
  n++;
  seen = picture.src;
  stage.dispatchEvent(new PointerEvent("pointermove", at(n * step + step / 2)));
  requestAnimationFrame(frame);
}
requestAnimationFrame(frame);
"""

options = webdriver.ChromeOptions()
options.binary_location = "/usr/bin/chromium"
for flag in ("--headless=new", "--no-sandbox", "--disable-gpu",
             "--window-size=" + ("390,844" if phone else "1280,900")):
    options.add_argument(flag)
options.set_capability("goog:loggingPrefs", {"performance": "ALL"})
browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
browser.set_script_timeout(30)


def emulate_phone():
    """Each tab is a phone of its own."""
    browser.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": 390, "height": 844, "deviceScaleFactor": 3, "mobile": True})
    browser.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True})

painted, loaded, after = [], [], []
try:
    for _ in range(runs):
        browser.switch_to.new_window("tab")
        if phone:
            emulate_phone()
        browser.get(page)
        paint, load = browser.execute_async_script(MEASURE)
        painted.append(paint)
        loaded.append(load)
        after.append(paint - load)
    import time
    deadline = time.time() + 60
    while browser.execute_script("return document.getElementById('stage').dataset.loaded") != "true":
        assert time.time() < deadline, "the pictures never finished loading"
        time.sleep(0.1)
    # The width of the set the picture shown comes from (naturalWidth is in CSS pixels).
    used, stage = browser.execute_script("""
        const src = document.getElementById("picture").currentSrc;
        const sets = gyrolookSpin.sets.slice().sort((a, b) => b[1].length - a[1].length);
        return [sets.find((s) => src.includes("/" + s[1]))[0],
                document.getElementById("stage").clientWidth];""")
    # The files the last tab asked for, once each, before the first turn.
    asked = set()
    for entry in browser.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        if message["method"] == "Network.requestWillBeSent":
            asked = set() if message["params"]["type"] == "Document" else asked
            asked.add(message["params"]["request"]["url"])
    loaded_bytes = sum(os.path.getsize(urllib.parse.unquote(urllib.parse.urlparse(u).path))
                 for u in asked if u.startswith("file:"))
    largest = folder / "pictures" / "2x"
    largest = largest if largest.is_dir() else folder / "pictures"
    one_size = sum(f.stat().st_size for f in largest.iterdir()) + sum(
        f.stat().st_size for f in folder.iterdir() if f.is_file())
    late, undecoded = browser.execute_async_script(TURN)
finally:
    browser.quit()
print(f"first picture painted at {statistics.median(painted):.0f} ms after navigation (target: "
      f"at most 500 ms), load event at "
      f"{statistics.median(loaded):.0f} ms: painted {statistics.median(after):+.0f} ms after the "
      f"load event (target: at most +500 ms; median of {runs})")
print(f"pictures used {used} px wide on a stage {stage} CSS px wide at "
      f"{3 if phone else 1} device px a CSS px: {used / stage:.2f} x its CSS width")
print(f"bytes loaded before the first turn: {loaded_bytes} against {one_size} for the page's text "
      f"and its largest pictures alone: {loaded_bytes / one_size:.2f} x")
print(f"turning at 60 steps a second for 240 steps: {late} frames late, {undecoded} steps without "
      f"their picture shown decoded")
