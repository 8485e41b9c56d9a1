#!/usr/bin/python3
"""Opens an exported page from file:// in headless Chromium, RUNS times in a fresh tab each, and
prints when its first picture was painted (the largest contentful paint, which is the picture)
against the page's load event, median over the runs. Then, once every picture has loaded, turns
the object by one drag step on each of 240 animation frames (60 steps a second) and counts the
steps whose frame came late (more than 1.5 frame times after the one before) or whose picture was
not decoded yet.

usage: export-page-paint.py PAGE/index.html [RUNS]
"""
import pathlib
import statistics
import sys

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

page = pathlib.Path(sys.argv[1]).resolve().as_uri()
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5

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
for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1280,900"):
    options.add_argument(flag)
browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
browser.set_script_timeout(30)
painted, loaded, after = [], [], []
try:
    for _ in range(runs):
        browser.switch_to.new_window("tab")
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
    late, undecoded = browser.execute_async_script(TURN)
finally:
    browser.quit()
print(f"first picture painted at {statistics.median(painted):.0f} ms, load event at "
      f"{statistics.median(loaded):.0f} ms: painted {statistics.median(after):+.0f} ms after the "
      f"load event (target: at most +500 ms; median of {runs})")
print(f"turning at 60 steps a second for 240 steps: {late} frames late, {undecoded} steps without "
      f"their picture shown decoded")
