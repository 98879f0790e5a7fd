"""Opens an audit page in headless Chromium and prints its first contentful paint, when its script had
drawn the tables, and when the load event came, each in ms after navigation started.

usage: audit_page_paint.py FILE [RUNS]"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "browser"))
from headless_page import HeadlessPage, find_chromium  # noqa: E402

runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
for run in range(runs):
    with HeadlessPage(find_chromium(), timeout=120) as page:
        page.open(sys.argv[1])
        page.pump(1.0)
        paint = page.evaluate("(performance.getEntriesByName('first-contentful-paint')[0] || {}).startTime")
        rendered = page.evaluate("document.documentElement.getAttribute('data-rendered')")
        load = page.evaluate("performance.getEntriesByType('navigation')[0].loadEventEnd")
        heap = page.evaluate("performance.memory ? performance.memory.usedJSHeapSize : null")
        print("run %d: first contentful paint %s ms, tables drawn %s ms, load %.0f ms, JS heap %s MB, problems %d" % (
            run + 1, round(paint) if paint else paint, rendered, load,
            round(heap / 1e6) if heap else heap, len(page.problems())))
