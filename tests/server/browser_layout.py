#!/usr/bin/env python3
"""The pages of skyvern-scores in headless Chromium, at phone to desktop widths: nothing wider
than the window, every column of the world table inside it, the style sheet applied (the
content security policy lets it through). Screenshots of every page and width are kept in the
artefacts folder.

usage: browser_layout.py SKYVERN_SCORES_BIN ARTEFACTS_DIR
Exit 77 (skipped) without chromium, chromedriver or python3-selenium."""

import base64
import os
import shutil
import subprocess
import sys
import tempfile
import urllib.request

WIDTHS = [360, 390, 768, 1280, 1920]
# The widest a row can be: ten broad letters in name and country, five-digit scores.
ROWS = [("WWWWWWWWWW", 65535, "WWWWWWWWWW"), ("MMMMMMMMMM", 65534, "MMMMMMMMMM"),
        ("", 60000, ""), ("Bob", 1234, "Norway"), ("W W W W W", 999, "Q Q Q Q Q")]


def skip(why):
    print("skipped: " + why)
    sys.exit(77)


def encode(record):
    record += "0" * (-len(record) % 5)
    return base64.b32encode(record.encode()).decode().rstrip("=")


def fetch(base, target):
    with urllib.request.urlopen(base + target, timeout=10) as reply:
        return reply.read().decode()


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    binary, artefacts = sys.argv[1], sys.argv[2]
    chromium = shutil.which("chromium")
    driver_path = shutil.which("chromedriver")
    if not chromium or not driver_path:
        skip("chromium or chromedriver is missing (Debian: chromium chromium-driver)")
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
    except ImportError:
        skip("python3-selenium is missing")
    os.makedirs(artefacts, exist_ok=True)

    work = tempfile.mkdtemp(prefix="skyvern-browser-")
    server = subprocess.Popen([binary, "--listen", "127.0.0.1:0", "--db",
                               os.path.join(work, "scores.db"), "--create-db"],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    driver = None
    failures = []
    try:
        line = server.stdout.readline()
        if "listening on" not in line:
            print("skyvern-scores did not start: " + line)
            return 1
        base = "http://" + line.strip().rsplit(" ", 1)[1]
        for name, score, country in ROWS:
            token = fetch(base, "/cgi/version.pl?version&prg=Skyvern").split("|")[4]
            record = "type=0|name=%s|score=%d|key=X|p=%s|add=%s|z=" % (name, score, token,
                                                                      country)
            reply = fetch(base, "/cgi/version.pl?hs&prg=Skyvern&inf=" + encode(record))
            if reply != "OK":
                print("submission refused: " + reply)
                return 1

        options = webdriver.ChromeOptions()
        options.binary_location = chromium
        for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                    "--user-data-dir=" + os.path.join(work, "profile")):
            options.add_argument(arg)
        driver = webdriver.Chrome(service=Service(driver_path), options=options)
        pages = {"home": "/", "world": "/cgi/version.pl?prg=Skyvern&show&type=0"}
        for width in WIDTHS:
            driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                "width": width, "height": 800, "deviceScaleFactor": 1, "mobile": width < 800})
            for page, target in pages.items():
                driver.get(base + target)
                where = "%s at %d px" % (page, width)
                found = driver.execute_script("""
                    const view = document.documentElement.clientWidth;
                    const out = {view: view, scroll: document.documentElement.scrollWidth,
                                 background: getComputedStyle(document.body).backgroundColor,
                                 cells: []};
                    for (const cell of document.querySelectorAll('th, td')) {
                        const r = cell.getBoundingClientRect();
                        out.cells.push({text: cell.textContent, left: r.left, right: r.right,
                                        width: r.width, clipped: cell.scrollWidth > cell.clientWidth});
                    }
                    out.headers = Array.from(document.querySelectorAll('th'), h => h.textContent);
                    return out;""")
                shot = driver.execute_cdp_cmd("Page.captureScreenshot",
                                              {"format": "png", "captureBeyondViewport": True})
                with open(os.path.join(artefacts, "scores-%s-%d.png" % (page, width)), "wb") as f:
                    f.write(base64.b64decode(shot["data"]))
                if found["scroll"] > found["view"]:
                    failures.append("%s: %d px wide in a %d px window" %
                                    (where, found["scroll"], found["view"]))
                if found["background"] != "rgb(27, 20, 16)":
                    failures.append("%s: style sheet not applied (background %s)" %
                                    (where, found["background"]))
                if page == "world":
                    if found["headers"] != ["#", "Name", "Score", "Country", "Date (UTC)"]:
                        failures.append("%s: columns %s" % (where, found["headers"]))
                    if len(found["cells"]) != 5 * (len(ROWS) + 1):
                        failures.append("%s: %d cells" % (where, len(found["cells"])))
                for cell in found["cells"]:
                    if (cell["left"] < -0.5 or cell["right"] > found["view"] + 0.5 or
                            cell["width"] <= 0 or cell["clipped"]):
                        failures.append("%s: cell '%s' at %.1f-%.1f px of %d%s" % (
                            where, cell["text"], cell["left"], cell["right"], found["view"],
                            ", clipped" if cell["clipped"] else ""))
                print("%s: page %d px in %d px, %d cells" %
                      (where, found["scroll"], found["view"], len(found["cells"])))
    finally:
        if driver:
            driver.quit()
        server.terminate()
        server.wait(timeout=10)
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures:
        print("FAIL " + failure)
    print("screenshots in " + artefacts)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
