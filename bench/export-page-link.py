#!/usr/bin/python3
"""Serves an exported page from a web server on the loopback and opens it in headless Chromium
on a throttled link (Chromium's network emulation: MBITS Mbit/s down, 20 ms latency, cache off),
at 1280 x 900 and one device pixel to a CSS pixel unless --phone (390 x 844, three device pixels
to one, touch). Prints the bytes the page loaded (its weight) and the seconds from navigation
until every picture had loaded.

usage: export-page-link.py PAGE_FOLDER [MBITS] [--phone]
"""
import functools
import http.server
import pathlib
import sys
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

phone = "--phone" in sys.argv
args = [a for a in sys.argv[1:] if a != "--phone"]
folder = pathlib.Path(args[0]).resolve()
mbits = float(args[1]) if len(args) > 1 else 10.0



class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


handler = functools.partial(Quiet, directory=str(folder))
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
threading.Thread(target=server.serve_forever, daemon=True).start()

options = webdriver.ChromeOptions()
options.binary_location = "/usr/bin/chromium"
for flag in ("--headless=new", "--no-sandbox", "--disable-gpu",
             "--window-size=" + ("390,844" if phone else "1280,900")):
    options.add_argument(flag)
browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
try:
    if phone:
        browser.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": 390, "height": 844, "deviceScaleFactor": 3, "mobile": True})
    browser.execute_cdp_cmd("Network.enable", {})
    browser.execute_cdp_cmd("Network.setCacheDisabled", {"cacheDisabled": True})
    rate = mbits * 1e6 / 8
    browser.execute_cdp_cmd("Network.emulateNetworkConditions", {
        "offline": False, "latency": 20, "downloadThroughput": rate, "uploadThroughput": rate})
    browser.get(f"http://127.0.0.1:{server.server_address[1]}/index.html")
    deadline = time.time() + 600
    while browser.execute_script("return document.getElementById('stage').dataset.loaded") \
            != "true":
        assert time.time() < deadline, "the pictures never finished loading"
        time.sleep(0.05)
    seconds, weight = browser.execute_script("""
        const entries = performance.getEntriesByType("resource");
        const end = Math.max(...entries.map((e) => e.responseEnd));
        const nav = performance.getEntriesByType("navigation")[0];
        return [end / 1000, nav.transferSize + entries.reduce((s, e) => s + e.transferSize, 0)];""")
finally:
    browser.quit()
    server.shutdown()
print(f"{'phone' if phone else 'desktop'} at {mbits:g} Mbit/s: page weight {weight} B, every "
      f"picture loaded {seconds:.2f} s after navigation")
