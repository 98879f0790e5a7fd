"""Opens a local HTML file in headless Chromium over the DevTools pipe, with networking blocked, and keeps
every console message, script exception, dialog and request the page makes."""

import json
import os
import select
import shutil
import subprocess
import tempfile
import time


def find_chromium():
    for name in ("chromium", "chromium-browser"):
        path = shutil.which(name)
        if path:
            return path
    return None


class HeadlessPage:
    def __init__(self, chromium, timeout=30.0):
        self.timeout = timeout
        self.profile = tempfile.mkdtemp(prefix="vortaxel-chromium-")
        self.next_id = 0
        self.buffer = b""
        self.events = []
        to_child_r, self.to_child = os.pipe()
        self.from_child, from_child_w = os.pipe()

        def wire_pipes():
            # Copies first: a pipe's own descriptor may already be 3 or 4, and dup2 onto itself would leave
            # it closed on exec.
            reading, writing = os.dup(to_child_r), os.dup(from_child_w)
            os.dup2(reading, 3)
            os.dup2(writing, 4)

        self.process = subprocess.Popen(
            [chromium, "--headless", "--disable-gpu", "--no-sandbox", "--no-first-run",
             "--no-default-browser-check", "--disable-extensions", "--disable-background-networking",
             "--disable-component-update", "--disable-sync", "--user-data-dir=" + self.profile,
             # Nothing may leave the machine: every name fails to resolve and every request meets a closed port.
             "--host-resolver-rules=MAP * ~NOTFOUND", "--proxy-server=127.0.0.1:9", "--remote-debugging-pipe",
             "about:blank"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=wire_pipes, close_fds=False)
        os.close(to_child_r)
        os.close(from_child_w)
        targets = self.call("Target.getTargets")["targetInfos"]
        page = next(t for t in targets if t["type"] == "page")
        self.session = self.call("Target.attachToTarget", {"targetId": page["targetId"], "flatten": True})["sessionId"]
        for domain in ("Page", "Runtime", "Network", "Log"):
            self.call(domain + ".enable", session=True)

    def close(self):
        try:
            self.call("Browser.close")
        except Exception:  # the browser may already be gone
            pass
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        os.close(self.to_child)
        os.close(self.from_child)
        shutil.rmtree(self.profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def _send(self, message):
        data = json.dumps(message).encode() + b"\0"
        while data:
            data = data[os.write(self.to_child, data):]

    def _receive(self, deadline):
        while b"\0" not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0:
                raise TimeoutError("the browser did not answer in time")
            ready, _, _ = select.select([self.from_child], [], [], left)
            if ready:
                chunk = os.read(self.from_child, 1 << 20)
                if not chunk:
                    raise EOFError("the browser closed its pipe")
                self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def _note(self, message):
        self.events.append(message)
        # A dialog would hold the page; dismiss it so the run goes on, and keep the event to report it.
        if message.get("method") == "Page.javascriptDialogOpening":
            self._send({"id": -1, "method": "Page.handleJavaScriptDialog", "params": {"accept": False},
                        "sessionId": self.session})

    def call(self, method, params=None, session=False):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = self.session
        self._send(message)
        deadline = time.monotonic() + self.timeout
        while True:
            reply = self._receive(deadline)
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError(method + ": " + json.dumps(reply["error"]))
                return reply.get("result", {})
            if "method" in reply:
                self._note(reply)

    def wait_for_event(self, method):
        deadline = time.monotonic() + self.timeout
        while not any(e.get("method") == method for e in self.events):
            self._note(self._receive(deadline))

    def pump(self, seconds):
        """Collects events for a while, so that late ones (a timer's request, a deferred error) are seen."""
        deadline = time.monotonic() + seconds
        try:
            while True:
                self._note(self._receive(deadline))
        except TimeoutError:
            pass

    def open(self, path):
        self.call("Page.navigate", {"url": "file://" + os.path.abspath(path)}, session=True)
        self.wait_for_event("Page.loadEventFired")

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True, "awaitPromise": True},
                           session=True)
        if "exceptionDetails" in result:
            raise RuntimeError("evaluating failed: " + json.dumps(result["exceptionDetails"]))
        return result["result"].get("value")

    def problems(self):
        """Console output, script exceptions, dialogs and any request that is not for a file: or data: address."""
        found = []
        for e in self.events:
            method, params = e.get("method"), e.get("params", {})
            if method == "Runtime.consoleAPICalled":
                found.append("console %s: %s" % (params.get("type"), json.dumps(params.get("args"))[:300]))
            elif method == "Runtime.exceptionThrown":
                found.append("exception: " + json.dumps(params.get("exceptionDetails"))[:300])
            elif method == "Log.entryAdded" and params["entry"].get("level") in ("error", "warning"):
                found.append("log: " + params["entry"].get("text", "")[:300])
            elif method == "Page.javascriptDialogOpening":
                found.append("dialog: " + params.get("message", "")[:300])
            elif method == "Network.requestWillBeSent":
                url = params["request"]["url"]
                if not (url.startswith("file:") or url.startswith("data:")):
                    found.append("request: " + url[:300])
        return found
