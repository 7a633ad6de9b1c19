#!/usr/bin/env python3
"""The web build's figures, with the native build's beside them from the same
run on the same machine (a benchmark, run by hand, never a test):

- the page's download: each file raw and gzip-compressed (level 9);
- headless Chromium with SwiftShader at 1024x768: page load to the Settings
  dialog, the dialog's OK to the first frame, frames per second over the
  show's first seconds on the stepped clock (10 frames a second of show, every
  frame drawn, as quorl-capture draws them), and frames per second with the
  page's real clock (music off);
- the native player's code on this machine's GL (quorl-capture, llvmpipe
  here): process start to the first frame, and frames per second over the
  same stepped frames at the same size.

Usage: tests/bench/web_bench.py --page build/web --root . --capture build/release/tools/quorl-capture"""

import argparse
import gzip
import os
import shutil
import subprocess
import sys
import tempfile
import time

# The test's server and browser, imported without leaving compiled files in the tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'web'))
import web_test  # noqa: E402

FPS = 10
SPAN_MS = 20000
REAL_TIME_S = 20
FILES = ['quorl.html', 'quorl.js', 'quorl.wasm', 'quorl.data.js', 'quorl.data']



def sizes(page):
    raw = packed = 0
    print('download (bytes, raw / gzip -9):')
    for name in FILES:
        data = open(os.path.join(page, name), 'rb').read()
        compressed = len(gzip.compress(data, 9))
        raw += len(data)
        packed += compressed
        print('  %-14s %10d %10d' % (name, len(data), compressed))
    print('  %-14s %10d %10d  (%.2f MB / %.2f MB)' % ('all', raw, packed, raw / 1e6, packed / 1e6))


def web(page, chromium, scratch, stepped):
    server = web_test.Server(page)
    browser = web_test.Browser(chromium, scratch)
    try:
        query = '?step=%d&hold=%d' % (FPS, SPAN_MS) if stepped else ''
        browser.call('Page.navigate', url=server.url('quorl.html' + query))
        browser.wait_for(web_test.DIALOG_OPEN, 300, 'the dialog')
        if browser.evaluate(web_test.choose('1024x768')) != '1024x768':
            raise web_test.Failure('no 1024x768 in the dialog')
        browser.key('Enter', 13)
        if stepped:
            browser.wait_for('quorlTest.held === %d' % SPAN_MS, 3600, 'the stepped show')
        else:
            browser.wait_for('quorlTest.marks.firstFrame !== null', 300, 'the first frame')
            time.sleep(REAL_TIME_S)
        marks = browser.evaluate('Object.assign({now: performance.now()}, quorlTest.marks)')
        browser.evaluate('quorlTest.release()')
        browser.key('Escape', 27)
        browser.wait_for('quorlTest.ended', 120, 'the end')
        return marks, browser.trouble()
    finally:
        browser.close()
        server.close()


def native(capture, root, scratch):
    def run(times):
        out = tempfile.mkdtemp(dir=scratch)
        started = time.perf_counter()
        subprocess.run([capture, '--root', root, '--size', '1024x768', '--fps', str(FPS), '--times', times, '--out',
                        out], check=True, stdout=subprocess.DEVNULL, env=dict(os.environ, SDL_VIDEODRIVER='offscreen'))
        return time.perf_counter() - started

    first = run('0')
    whole = run(str(SPAN_MS))
    frames = SPAN_MS * FPS // 1000
    return first, frames / (whole - first)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--page', required=True)
    parser.add_argument('--root', required=True)
    parser.add_argument('--capture', required=True)
    args = parser.parse_args()
    chromium = shutil.which('chromium')
    if not chromium or web_test.websocket is None:
        print('needs chromium and python3-websocket')
        return 1

    sizes(args.page)
    scratch = tempfile.mkdtemp(prefix='quorl-web-bench-')
    try:
        marks, trouble = web(args.page, chromium, scratch, stepped=True)
        frames = SPAN_MS * FPS // 1000
        # The frames drawn between the first and the one held at the span's end.
        stepped_fps = frames / ((marks['now'] - marks['firstFrame']) / 1000.0)
        print('Chromium, SwiftShader, 1024x768:')
        print('  page load to dialog    %.2f s' % (marks['dialog'] / 1000.0))
        print('  OK to first frame      %.2f s' % ((marks['firstFrame'] - marks['answered']) / 1000.0))
        print('  stepped clock          %.2f frames/s (%d frames)' % (stepped_fps, frames))
        real, more = web(args.page, chromium, scratch, stepped=False)
        real_fps = (real['frames'] - 1) / ((real['now'] - real['firstFrame']) / 1000.0)
        print('  real clock             %.2f frames/s over %d s' % (real_fps, REAL_TIME_S))
        for line in trouble + more:
            print('  page trouble: ' + line)
        first, native_fps = native(args.capture, args.root, scratch)
        print('native (quorl-capture), 1024x768:')
        print('  start to first frame   %.2f s' % first)
        print('  stepped clock          %.2f frames/s (%d frames)' % (native_fps, frames))
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    return 0


if __name__ == '__main__':
    sys.exit(main())
