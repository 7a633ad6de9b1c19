#!/usr/bin/env python3
"""The web build end to end: build/web served on 127.0.0.1 and opened in
Debian's headless Chromium (WebGL 2 through SwiftShader), driven through the
DevTools protocol with Debian's python3-websocket.

- The show: the dialog accepted with Enter (640x480, anti-aliasing off,
  windowed, music off), the clock stepped one frame of 10 per frame shown, the
  canvas read at three show times and compared with quorl-capture's frames of
  the same times and size; then Esc ends the run, and the page says so.
- The dialog's Esc ends the run without a show.
- A page whose demo.xml is broken shows nothing, ends, and throws nothing.

In every case nothing is thrown uncaught and nothing is written to the console.
Exit status 0 when all pass, 1 when one fails, 77 when the web build, Chromium
or the WebSocket module is missing."""

import argparse
import base64
import http.server
import json
import os
import shutil
import socketserver
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

SKIP = 77
FPS = 10
# The intro's tunnel and bubbles, the title over them, and the Julia set with
# the torus knot of sparks (README, "The show").
TIMES_MS = [6000, 11000, 20000]
SIZE = (640, 480)
# The golden tests' 8 per channel. SwiftShader and llvmpipe round filtering,
# blending and sprite edges a little differently: 15 to 137 of the 307,200
# pixels lay beyond it here, so a few in a thousand may.
TOLERANCE = 8
ALLOWED_SHARE = 0.002

try:
    import websocket
except ImportError:
    websocket = None


class Failure(Exception):
    pass


class Server:
    """A folder served on 127.0.0.1, on a free port, from a thread of its own."""

    def __init__(self, folder):
        class Quiet(http.server.SimpleHTTPRequestHandler):
            def __init__(self, *args, **kwargs):
                super().__init__(*args, directory=folder, **kwargs)

            def log_message(self, *args):
                pass

        self.httpd = socketserver.ThreadingTCPServer(('127.0.0.1', 0), Quiet)
        self.httpd.daemon_threads = True
        self.port = self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def url(self, path):
        return 'http://127.0.0.1:%d/%s' % (self.port, path)

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Browser:
    """Headless Chromium with a new, empty profile and one page to drive."""

    def __init__(self, chromium, scratch):
        self.profile = tempfile.mkdtemp(prefix='profile-', dir=scratch)
        # Without the networking flags Chromium reaches out at start-up, which
        # a closed network refuses.
        self.process = subprocess.Popen(
            [chromium, '--headless', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
             '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
             '--user-data-dir=' + self.profile, '--remote-debugging-port=0', '--window-size=1280,1024',
             'about:blank'],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = os.path.join(self.profile, 'DevToolsActivePort')
        deadline = time.time() + 60
        while not os.path.exists(port_file) or not open(port_file).read().strip():
            if time.time() > deadline or self.process.poll() is not None:
                raise Failure('Chromium did not start')
            time.sleep(0.1)
        port = int(open(port_file).read().split()[0])
        targets = json.load(urllib.request.urlopen('http://127.0.0.1:%d/json/list' % port))
        page = next(t for t in targets if t['type'] == 'page')
        self.socket = websocket.create_connection(page['webSocketDebuggerUrl'], timeout=60, suppress_origin=True)
        self.next_id = 0
        self.events = []
        self.call('Runtime.enable')
        self.call('Page.enable')
        self.call('Log.enable')

    def call(self, method, **params):
        self.next_id += 1
        self.socket.send(json.dumps({'id': self.next_id, 'method': method, 'params': params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get('id') == self.next_id:
                if 'error' in message:
                    raise Failure('%s: %s' % (method, message['error']))
                return message['result']
            self.events.append(message)

    def evaluate(self, expression):
        result = self.call('Runtime.evaluate', expression=expression, returnByValue=True)
        if 'exceptionDetails' in result:
            raise Failure('evaluating %s: %s' % (expression, result['exceptionDetails']))
        return result['result'].get('value')

    def wait_for(self, expression, seconds, what):
        deadline = time.time() + seconds
        while time.time() < deadline:
            value = self.evaluate(expression)
            if value not in (None, False):
                return value
            time.sleep(0.05)
        raise Failure('waited %d s for %s' % (seconds, what))

    def key(self, name, code):
        for kind in ('keyDown', 'keyUp'):
            self.call('Input.dispatchKeyEvent', type=kind, key=name, code=name, windowsVirtualKeyCode=code,
                      nativeVirtualKeyCode=code)

    def trouble(self):
        """Exceptions thrown uncaught and anything written to the console."""
        found = []
        for event in self.events:
            method = event.get('method')
            if method == 'Runtime.exceptionThrown':
                found.append('uncaught: %s' % event['params']['exceptionDetails'].get('text'))
            elif method == 'Runtime.consoleAPICalled':
                found.append('console: %s' % [a.get('value') for a in event['params']['args']])
            elif method == 'Log.entryAdded' and event['params']['entry'].get('source') != 'network':
                found.append('log: %s' % event['params']['entry'].get('text'))
        return found

    def close(self):
        try:
            self.socket.close()
        finally:
            self.process.terminate()
            self.process.wait(30)


DIALOG_OPEN = "(() => { const f = document.querySelector('form.quorl-dialog'); return f && !f.hidden; })()"
RUNNING = "document.body.classList.contains('running')"
STATUS = "document.getElementById('status').textContent"

def choose(resolution):
    """The choices, made as a user would in the form: the resolution, anti-
    aliasing Off typed into its box, Full Screen and Music unchecked."""
    return """(() => {
    const form = document.querySelector('form.quorl-dialog');
    const resolution = form.querySelector('select');
    resolution.selectedIndex = Array.from(resolution.options).findIndex((o) => o.value === '%s');
    resolution.dispatchEvent(new Event('change'));
    const samples = form.querySelector('input[type=text]');
    samples.value = 'Off';
    samples.dispatchEvent(new Event('input'));
    for (const label of form.querySelectorAll('label')) {
        const box = label.querySelector('input');
        if (['Full Screen', 'Music'].includes(label.textContent.trim()) && box.checked) box.click();
    }
    resolution.focus();
    return resolution.value;
})()""" % resolution


def open_page(browser, server, query=''):
    navigation = browser.call('Page.navigate', url=server.url('quorl.html' + query))
    if 'errorText' in navigation:
        raise Failure('the page did not load: %s' % navigation['errorText'])
    try:
        browser.wait_for(DIALOG_OPEN, 120, 'the Settings dialog')
    except Failure as failure:
        raise Failure('%s; the page says "%s"; %s' % (failure, browser.evaluate(STATUS), browser.trouble()[:3]))


def check_quiet(browser):
    trouble = browser.trouble()
    if trouble:
        raise Failure('the page was not quiet: ' + '; '.join(trouble[:5]))


def test_show(browser, server, args, out):
    query = '?step=%d&hold=%s' % (FPS, ','.join(str(t) for t in TIMES_MS))
    open_page(browser, server, query)
    if browser.evaluate(choose('%dx%d' % SIZE)) != '%dx%d' % SIZE:
        raise Failure('the dialog offers no %dx%d' % SIZE)
    browser.key('Enter', 13)
    shots = []
    for time_ms in TIMES_MS:
        browser.wait_for('quorlTest.held === %d' % time_ms, 600, 'the show at %d ms' % time_ms)
        box = browser.evaluate("(() => { const r = document.getElementById('canvas').getBoundingClientRect();"
                               " return [r.left, r.top, r.width, r.height]; })()")
        if [round(v) for v in box[2:]] != list(SIZE):
            raise Failure('the canvas is %s, not %dx%d' % (box[2:], SIZE[0], SIZE[1]))
        shot = browser.call('Page.captureScreenshot', format='png',
                            clip={'x': box[0], 'y': box[1], 'width': box[2], 'height': box[3], 'scale': 1})
        path = os.path.join(out, 'web_t_%06d.png' % time_ms)
        with open(path, 'wb') as f:
            f.write(base64.b64decode(shot['data']))
        shots.append((time_ms, path))
        browser.evaluate('quorlTest.release()')
    browser.key('Escape', 27)
    browser.wait_for('quorlTest.ended', 60, 'Esc to end the run')
    if browser.evaluate('quorlTest.exitCode') != 0 or browser.evaluate(RUNNING):
        raise Failure('after Esc the run did not end cleanly')
    if 'ended' not in browser.evaluate(STATUS):
        raise Failure('the page does not say that the show has ended')
    check_quiet(browser)

    # The same frames from the native player's code on this machine's GL.
    captured = os.path.join(out, 'capture')
    subprocess.run([args.capture, '--root', args.root, '--size', '%dx%d' % SIZE, '--fps', str(FPS), '--times',
                    ','.join(str(t) for t in TIMES_MS), '--out', captured], check=True,
                   stdout=subprocess.DEVNULL, env=dict(os.environ, SDL_VIDEODRIVER='offscreen'))
    allowed = int(SIZE[0] * SIZE[1] * ALLOWED_SHARE)
    for time_ms, path in shots:
        reference = os.path.join(captured, 't_%06d.png' % time_ms)
        result = subprocess.run([args.compare, '--tolerance', str(TOLERANCE), '--allow', str(allowed), path,
                                 reference], capture_output=True, text=True)
        if result.returncode != 0:
            raise Failure('the canvas at %d ms differs from quorl-capture: %s' % (time_ms, result.stderr.strip()))


def test_dialog_escape(browser, server, args, out):
    open_page(browser, server)
    browser.key('Escape', 27)
    browser.wait_for('quorlTest.ended', 60, 'Esc in the dialog to end the run')
    if browser.evaluate(RUNNING) or browser.evaluate(DIALOG_OPEN):
        raise Failure('Esc in the dialog left a show or the dialog')
    check_quiet(browser)


def test_broken_script(browser, server, args, out):
    open_page(browser, server)
    browser.evaluate(choose('%dx%d' % SIZE))
    browser.key('Enter', 13)
    browser.wait_for('quorlTest.ended', 120, 'the run with a broken demo.xml to end')
    if browser.evaluate("document.body.classList.contains('running')") or browser.evaluate('quorlTest.failure'):
        raise Failure('a broken demo.xml showed something or failed')
    check_quiet(browser)


def broken_page(page_dir, root, scratch):
    """The page with a data package whose demo.xml is cut off in an element."""
    folder = tempfile.mkdtemp(prefix='broken-', dir=scratch)
    data = os.path.join(folder, 'data')
    shutil.copytree(os.path.join(root, 'data'), data)
    with open(os.path.join(data, 'demo.xml'), 'r+') as f:
        f.truncate(len(f.read()) // 2)
    for name in ('quorl.html', 'quorl.js', 'quorl.wasm'):
        os.symlink(os.path.join(page_dir, name), os.path.join(folder, name))
    packager = os.path.join(os.environ.get('EMSCRIPTEN_ROOT', '/usr/share/emscripten'), 'tools', 'file_packager')
    subprocess.run([packager, 'quorl.data', '--preload', 'data@data', '--js-output=quorl.data.js', '--no-node'],
                   cwd=folder, check=True, stdout=subprocess.DEVNULL)
    shutil.rmtree(data)
    return folder


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--page', required=True, help='the web build folder (build/web)')
    parser.add_argument('--root', required=True, help='the repository, whose data/ the page packs')
    parser.add_argument('--capture', required=True, help='quorl-capture of a native build')
    parser.add_argument('--compare', required=True, help='quorl-compare-frames of a native build')
    parser.add_argument('--out', required=True, help='where the pictures go')
    args = parser.parse_args()
    for name in ('page', 'root', 'capture', 'compare', 'out'):
        setattr(args, name, os.path.abspath(getattr(args, name)))

    chromium = shutil.which('chromium')
    missing = [what for what, there in (('the web build', os.path.exists(os.path.join(args.page, 'quorl.html'))),
                                        ('chromium', chromium), ('python3-websocket', websocket)) if not there]
    if missing:
        print('skipped: no %s' % ', '.join(missing))
        return SKIP

    shutil.rmtree(args.out, ignore_errors=True)
    os.makedirs(args.out)
    scratch = tempfile.mkdtemp(prefix='quorl-web-')
    failed = 0
    try:
        cases = [(test_show, args.page), (test_dialog_escape, args.page),
                 (test_broken_script, broken_page(args.page, args.root, scratch))]
        for case, folder in cases:
            server = Server(folder)
            browser = Browser(chromium, scratch)
            started = time.time()
            try:
                case(browser, server, args, args.out)
                print('passed %s (%.1f s)' % (case.__name__, time.time() - started))
            except Failure as failure:
                failed += 1
                print('FAILED %s: %s' % (case.__name__, failure))
            finally:
                browser.close()
                server.close()
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
