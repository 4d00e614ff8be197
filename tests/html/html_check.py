#!/usr/bin/env python3
# Checks the HTML page of zelmot-stats as a reader would get it: the page
# parses as HTML without a single parse error, holds one <svg> (with a
# title) per chart, fetches nothing, and every figure in its tables equals
# the JSON report of the same run; then headless Chromium renders it to a
# PNG, which must show the chart colours, with no error in the browser log,
# and prints it on A4.
#
# usage: html_check.py <zelmot-stats> <capture> <work dir> [more zelmot-stats words]
# Exit status 0 passed, 1 failed, 77 skipped (not on Windows).
import os
import sys

if os.name == "nt" or sys.platform.startswith(("win", "cygwin", "msys")):
    print("skipped: the browser check runs on Linux")
    sys.exit(77)

import json
import math
import re
import shutil
import subprocess
import tempfile

import html5lib
from PIL import Image

# The palette the charts draw with; a rendered page shows most of them.
PALETTE = {"#0072B2", "#D55E00", "#009E73", "#E69F00", "#56B4E9", "#CC79A7", "#F0E442"}
failures = []


def fail(message):
    failures.append(message)
    print("FAIL:", message)


def run(command):
    done = subprocess.run(command, capture_output=True, text=True, timeout=300)
    if done.returncode != 0:
        print(done.stdout, done.stderr)
        sys.exit(f"failed ({done.returncode}): {' '.join(command)}")
    return done.stdout


def resolve(document, key):
    """Follows a key such as stations{address=5}.master.tokens or events[3].ns through the JSON."""
    value = document
    for part in key.split("."):
        match = re.fullmatch(r"(\w+)\{(\w+)=(-?\d+)\}", part)
        indexed = re.fullmatch(r"(\w+)\[(\d+)\]", part)
        if indexed:
            value = value[indexed.group(1)][int(indexed.group(2))]
        elif match:
            name, field, wanted = match.group(1), match.group(2), int(match.group(3))
            rows = [row for row in value[name] if row.get(field) == wanted]
            if len(rows) != 1:
                raise KeyError(f"{key}: {len(rows)} rows with {field}={wanted}")
            value = rows[0]
        else:
            value = value[part]
    return value


def page_value(text, unit):
    """The figure a cell shows, in the JSON's unit, and the rounding it allows."""
    text = text.strip()
    if unit == "hex":
        if not re.fullmatch(r"0x[0-9A-F]+", text):
            raise ValueError(f"not a hex code: {text!r}")
        return int(text, 16), 0
    if unit == "clock":
        match = re.fullmatch(r"(-?)(\d+):(\d\d):(\d\d)\.(\d{9})", text)
        if not match:
            raise ValueError(f"not a clock time: {text!r}")
        sign = -1 if match.group(1) else 1
        seconds = int(match.group(2)) * 3600 + int(match.group(3)) * 60 + int(match.group(4))
        return sign * (seconds * 10**9 + int(match.group(5))), 0
    plain = text.replace(",", "")
    if not re.fullmatch(r"-?\d+(\.\d+)?", plain):
        raise ValueError(f"not a number in full: {text!r}")
    decimals = len(plain.split(".")[1]) if "." in plain else 0
    scale = {"us": 1000, "s": 10**9}.get(unit, 1)
    if decimals == 0:
        return int(plain) * scale, 0
    # Exact decimal arithmetic for integers shown with a fixed point.
    whole, fraction = plain.lstrip("-").split(".")
    sign = -1 if plain.startswith("-") else 1
    value = sign * (int(whole) * scale + int(fraction) * scale / 10**decimals)
    return value, scale * 0.5 / 10**decimals


def check_figures(tree, report):
    checked = set()
    for cell in tree.iter("td"):
        key = cell.get("data-key")
        if key is None:
            continue
        text = "".join(cell.itertext())
        try:
            expected = resolve(report, key)
        except (KeyError, IndexError, TypeError) as error:
            fail(f"{key}: not in the JSON report ({error})")
            continue
        checked.add(key)
        if isinstance(expected, str):
            if text != expected:
                fail(f"{key}: page {text!r}, JSON {expected!r}")
            continue
        try:
            shown, allowed = page_value(text, cell.get("data-unit"))
        except ValueError as error:
            fail(f"{key}: {error}")
            continue
        if isinstance(expected, int) and allowed == 0:
            if shown != expected:
                fail(f"{key}: page {text} ({shown}), JSON {expected}")
        elif expected is None or not math.isclose(shown, expected, rel_tol=0, abs_tol=allowed + 1e-9):
            fail(f"{key}: page {text} ({shown}), JSON {expected} (allowed {allowed})")
    # Every figure of the report that a table should show is on the page.
    wanted = [f"capture.{k}" for k in ("files", "frames", "span_ns", "bus_bytes", "bus_load_percent",
                                       "frames_per_second_avg", "frames_per_second_max", "resyncs", "baud")]
    wanted += ["errors.frames"] + [f"errors.by_bit.{k}" for k in report["errors"]["by_bit"]]
    wanted += [f"verdict.{k}" for k in ("faults", "warnings", "notes")]
    for i, finding in enumerate(report["findings"]):
        wanted += [f"findings[{i}].{k}" for k in ("severity", "first_ns", "title")]
        if finding["address"] is not None:
            wanted.append(f"findings[{i}].address")
    for station in report["stations"]:
        prefix = f"stations{{address={station['address']}}}."
        wanted += [prefix + k for k in ("address", "role", "error_frames")]
        if station["first_ns"] is not None:
            wanted += [prefix + "first_ns", prefix + "last_ns"]
        for side, durations in (("master", "rotation_ns"), ("slave", "response_ns")):
            figures = station[side]
            if figures is None:
                continue
            wanted += [f"{prefix}{side}.{k}" for k in figures if k in ("tokens", "requests", "answered",
                                                                      "unanswered", "retries")]
            if figures[durations]["count"]:
                wanted += [f"{prefix}{side}.{durations}.{k}" for k in figures[durations]]
        dp = station.get("dp")
        if dp is not None:
            wanted += [f"{prefix}dp.{k}" for k in ("state", "entries", "drop_outs", "ident", "master") if dp[k] is not None]
            wanted += [f"{prefix}dp.{group}.{k}" for group in ("data_exchange", "negative", "dpv1") for k in dp[group]]
            wanted.append(f"{prefix}dp.diag.responses")
        gsd = station.get("gsd")
        if gsd is not None:
            wanted += [f"{prefix}gsd.{k}" for k in ("file", "vendor", "model", "max_tsdr_bits", "slow_answers")
                       if gsd[k] is not None]
    for i, event in enumerate(report["events"][:1000]):
        wanted += [f"events[{i}].{k}" for k in ("ns", "address", "kind")]
    for bucket in report["gaps"]:
        if bucket["count"]:
            wanted.append(f"gaps{{from_bits={bucket['from_bits']}}}.count")
    for key in wanted:
        if key not in checked:
            fail(f"{key}: the page has no cell for it")
    return len(checked)


def check_page(path, report):
    with open(path, "rb") as file:
        data = file.read()
    parser = html5lib.HTMLParser(strict=True, namespaceHTMLElements=False)
    try:
        tree = parser.parse(data)
    except html5lib.html5parser.ParseError as error:
        fail(f"the page does not parse as HTML: {error}")
        return
    text = data.decode("utf-8")  # raises on invalid UTF-8
    svgs = list(tree.iter("{http://www.w3.org/2000/svg}svg"))
    masters = sum(1 for s in report["stations"] if s["master"] and s["master"]["rotation_ns"]["count"])
    timeline = any(s["dp"] for s in report["stations"]) and report["capture"]["frames"] > 0
    # live list, traffic, response time, gaps, a rotation histogram per master, the DP timeline
    charts = 4 + masters + (1 if timeline else 0)
    if len(svgs) != charts:
        fail(f"{len(svgs)} <svg> elements, {charts} charts expected")
    for svg in svgs:
        if svg.find("{http://www.w3.org/2000/svg}title") is None:
            fail("an <svg> without a <title>")
    if tree.find(".//script") is not None:
        fail("the page holds a script")
    ids = {element.get("id") for element in tree.iter() if element.get("id")}
    for element in tree.iter():
        for name in ("src", "href", "{http://www.w3.org/1999/xlink}href"):
            target = element.get(name)
            if not target:
                continue
            # A link within the page is fine when its target is on it; nothing is fetched.
            if name == "href" and target.startswith("#") and target[1:] in ids:
                continue
            fail(f"the page refers to {target!r}")
    if re.search(r"url\(|@import", text):
        fail("the style sheet fetches something")
    count = check_figures(tree, report)
    print(f"page: {len(data)} bytes, {len(svgs)} charts, {count} figures equal the JSON report")


def find_browser():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        if shutil.which(name):
            return shutil.which(name)
    sys.exit("no chromium: scripts/setup_tests.sh installs it")


def run_browser(page, *words):
    """Runs headless Chromium on the page with a fresh profile; its log."""
    profile = tempfile.mkdtemp(prefix="zelmot-chromium-")
    try:
        command = [find_browser(), "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                   "--disable-background-networking", "--disable-component-update", "--disable-sync",
                   "--disable-extensions", "--hide-scrollbars", f"--user-data-dir={profile}",
                   "--enable-logging=stderr", "--v=0", *words, "file://" + os.path.abspath(page)]
        done = subprocess.run(command, capture_output=True, text=True, timeout=120)
    finally:
        shutil.rmtree(profile, ignore_errors=True)
    return done.returncode, done.stdout + done.stderr


def check_print(page, pdf):
    """Printed, the page comes out on A4 sheets (595 x 842 points)."""
    code, log = run_browser(page, "--no-pdf-header-footer", f"--print-to-pdf={pdf}")
    if code != 0 or not os.path.exists(pdf):
        print(log)
        fail(f"chromium could not print the page ({code})")
        return
    with open(pdf, "rb") as file:
        data = file.read()
    pages = len(re.findall(rb"/Type\s*/Page[^s]", data))
    sizes = {tuple(round(float(v)) for v in box.split()[2:4])
             for box in re.findall(rb"/MediaBox\s*\[([^\]]*)\]", data)}
    if pages < 1 or sizes != {(595, 842)}:
        fail(f"printed: {pages} pages of sizes {sizes}, A4 expected")
    print(f"printed: {pages} A4 pages")


def check_rendering(page, screenshot):
    code, log = run_browser(page, f"--screenshot={screenshot}", "--window-size=1040,6000")
    if code != 0 or not os.path.exists(screenshot):
        print(log)
        fail(f"chromium failed ({code})")
        return
    # The page's own errors: console messages, failed loads, refused content.
    for line in log.splitlines():
        if re.search(r"CONSOLE|Uncaught|net::ERR_|Refused to|Failed to load|Not allowed to load", line):
            fail(f"the browser logged: {line.strip()}")
    image = Image.open(screenshot).convert("RGB")
    counts = {}
    for count, colour in image.getcolors(maxcolors=1 << 24):
        counts["#%02X%02X%02X" % colour] = count
    shown = sorted(c for c in PALETTE if counts.get(c, 0) >= 40)
    if len(shown) < 4:
        fail(f"the screenshot shows {len(shown)} chart colours {shown}; a blank or broken rendering")
    if len(counts) < 50:
        fail(f"the screenshot has only {len(counts)} distinct colours")
    print(f"screenshot: {image.size[0]}x{image.size[1]}, {len(counts)} colours, chart colours {shown}")


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__ or "usage: html_check.py <zelmot-stats> <capture> <work dir> [words]")
    tool, capture, work = sys.argv[1], sys.argv[2], sys.argv[3]
    words = sys.argv[4:]
    os.makedirs(work, exist_ok=True)
    page = os.path.join(work, "report.html")
    if os.path.exists(page):
        os.remove(page)
    report = json.loads(run([tool, capture, *words, "Format=json", f"Html={page}"]))
    check_page(page, report)
    check_rendering(page, os.path.join(work, "report.png"))
    check_print(page, os.path.join(work, "report.pdf"))
    if failures:
        print(f"{len(failures)} failures")
        sys.exit(1)
    print("passed")


if __name__ == "__main__":
    main()
