#!/usr/bin/python3
"""Opens an exported page from file:// in headless Chromium, RUNS times in a fresh tab each, and
prints when its first picture was painted (the largest contentful paint, which is the picture)
against the page's load event, median over the runs.

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
  const entries = list.getEntries();
  const last = entries[entries.length - 1];
  const nav = performance.getEntriesByType("navigation")[0];
  const wait = () => nav.loadEventEnd > 0 ? done([last.startTime, nav.loadEventEnd,
      last.element ? last.element.id : ""]) : setTimeout(wait, 10);
  wait();
}).observe({type: "largest-contentful-paint", buffered: true});
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
        paint, load, element = browser.execute_async_script(MEASURE)
        assert element == "picture", element
        painted.append(paint)
        loaded.append(load)
        after.append(paint - load)
finally:
    browser.quit()
print(f"first picture painted at {statistics.median(painted):.0f} ms, load event at "
      f"{statistics.median(loaded):.0f} ms: painted {statistics.median(after):+.0f} ms after the "
      f"load event (target: at most +500 ms; median of {runs})")
