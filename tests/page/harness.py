"""What the page's tests share: a served site, a browser session on it, and
the desktop's frames to hold the page's against.

Each fixture serves a site folder from localhost and opens it in its own
browser session (chromium-driver through Selenium). Nothing here waits on
the clock for what the game does: every wait is for a state of the page or
the game (a frame drawn, a replay played to its end, the camera's angles, a
bullet more), and its deadline only catches a hang. Pictures of what lasts
a moment only (a shot, an explosion, flight) come from a replay script that
the page plays tick by tick, frame for frame as corvane-replay draws it;
real input events are proven by what they do to the game, read from
Module.gameState(), and by the still views they leave.

Every test file runs as: FILE.py SITE_DIR BUILD_DIR [unittest arguments]
  SITE_DIR   the page (build-web/site)
  BUILD_DIR  the desktop build, whose corvane-replay draws the reference frames
Environment:
  CORVANE_WEB_THROTTLE=N  slows the page's processor down N times (DevTools'
                          Emulation.setCPUThrottlingRate), to prove the checks
                          hold on a slower machine
"""

import base64
import functools
import http.server
import io
import os
import shutil
import socketserver
import subprocess
import sys
import tempfile
import threading
import time
import unittest

import numpy
from PIL import Image
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

SITE = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else ''
BUILD = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else ''
SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
ASSETS = os.path.join(SOURCE, 'assets')
FLIGHT = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'flight.txt')
SHOTS = os.path.join(os.path.dirname(SITE), 'tests')
try:
    THROTTLE = float(os.environ.get('CORVANE_WEB_THROTTLE') or 1)
except ValueError:
    THROTTLE = 0
if not THROTTLE >= 1:
    sys.exit('CORVANE_WEB_THROTTLE must be a number, 1 or more (how many times slower), not %r'
             % os.environ.get('CORVANE_WEB_THROTTLE'))

# A wait that lasts this long means the page hangs, however slow the machine.
HANG = 300

# Fractions of the view, as the desktop's end-to-end test uses them.
WHOLE = (0, 0, 1, 1)
BOTTOM = (0, 0.8, 1, 1)
SHIP_AREA = (0.4, 0.5, 0.6, 0.7)
AHEAD_OF_SHIP = (0.42, 0.45, 0.58, 0.72)

# The page's frames against the desktop's of the same state. SwiftShader and
# llvmpipe rasterise and multisample edges and points a little differently,
# and the page's GL emulation shades in shaders of its own: measured on the
# start frame, a mean difference of 0.32 per channel (0..255), 0.15 % of the
# pixels off by more than 48 in some channel, 0.98 in the ship's area; with
# an explosion's points in view 0.62 and 0.53 %. The bounds leave room for
# other drivers, and are far below what a missing or misplaced object, a
# flipped or missing texture or a black surface gives.
MEAN_TOLERANCE = 2.0        # mean absolute difference per channel
PIXEL_TOLERANCE = 48        # a pixel differs when a channel is off by more
DIFFERING_SHARE = 0.01      # share of the pixels that may differ
SHIP_TOLERANCE = 3.0        # mean absolute difference in the ship's area


def region(image, box):
    h, w = image.shape[:2]
    x0, y0, x1, y1 = box
    return image[int(y0 * h):int(y1 * h), int(x0 * w):int(x1 * w)].astype(numpy.int32)


def difference(a, b, box=WHOLE):
    return float(numpy.abs(region(a, box) - region(b, box)).mean())


def new_white_pixels(before, after, box):
    old, new = region(before, box).min(axis=2), region(after, box).min(axis=2)
    return int(((new >= 220) & (old < 200)).sum())


def explosion_pixels(image):
    r, g, b = (image[:, :, c].astype(numpy.int32) for c in range(3))
    return (r > 170) & (r - b > 110) & (r - g > 40)


def new_explosion_pixels(before, after):
    return int((explosion_pixels(after) & ~explosion_pixels(before)).sum())


def decode_png(data):
    return numpy.asarray(Image.open(io.BytesIO(data)).convert('RGB'))


def keep(name, image):
    Image.fromarray(image).save(os.path.join(SHOTS, name + '.png'))


def desktop_frames(script, assets=ASSETS):
    """The frames a replay script names, as corvane-replay draws them with these assets."""
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([os.path.join(BUILD, 'corvane-replay'), script, folder, '--assets', assets], check=True,
                       stdout=subprocess.DEVNULL)
        return {name[:-4]: numpy.asarray(Image.open(os.path.join(folder, name)).convert('RGB'))
                for name in os.listdir(folder)}


def desktop_frame(play, name, assets=ASSETS):
    """The desktop's frame after play, a replay script's commands, kept as name."""
    with tempfile.TemporaryDirectory() as folder:
        script = os.path.join(folder, 'play.txt')
        with open(script, 'w') as out:
            out.write(play + 'frame frame\n')
        image = desktop_frames(script, assets)['frame']
    keep(name, image)
    return image


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    """Serves its folder, and files it lacks from the fixture's own folder; notes each path asked for."""

    def __init__(self, *args, extra=None, asked=None, **kwargs):
        self.extra = extra
        self.asked = asked
        super().__init__(*args, **kwargs)

    def send_head(self):
        if self.asked is not None:
            self.asked.append(self.path)
        return super().send_head()

    def translate_path(self, path):
        found = super().translate_path(path)
        if self.extra and not os.path.exists(found):
            return os.path.join(self.extra, os.path.relpath(found, self.directory))
        return found

    def log_message(self, *args):
        pass


class ReusedServer(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True


class Server:
    """A site folder (and files beside it from extra) served on localhost, on a free port or the one given."""

    def __init__(self, folder, extra=None, port=0):
        self.asked = []
        handler = functools.partial(QuietHandler, directory=folder, extra=extra, asked=self.asked)
        self.httpd = ReusedServer(('127.0.0.1', port), handler)
        self.port = self.httpd.server_address[1]
        self.url = 'http://127.0.0.1:%d/' % self.port
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()


def start_browser(profile, extra_flags=(), mobile=None):
    options = webdriver.ChromeOptions()
    if mobile:
        options.add_experimental_option('mobileEmulation', mobile)
    options.binary_location = '/usr/bin/chromium'
    for flag in ('--headless=new', '--no-sandbox', '--enable-unsafe-swiftshader', '--use-angle=swiftshader',
                 '--window-size=1000,1000', '--disable-background-networking', '--disable-component-update',
                 '--disable-sync', '--disable-quic', '--no-first-run', '--user-data-dir=' + profile) + tuple(extra_flags):
        options.add_argument(flag)
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
    return webdriver.Chrome(service=Service(executable_path='/usr/bin/chromedriver'), options=options)


class PageSession(unittest.TestCase):
    """One browser on one served site for the whole fixture, opened at query."""

    site = None
    flags = ()
    mobile = None  # chromedriver's mobileEmulation, to open the page as a phone
    query = ''

    @classmethod
    def setUpClass(cls):
        if not os.path.isfile(os.path.join(cls.site or SITE, 'index.html')):
            raise RuntimeError('no page in %s: build it first (bash scripts/web --no-serve)' % (cls.site or SITE))
        os.makedirs(SHOTS, exist_ok=True)
        cls.profile = tempfile.mkdtemp(prefix='corvane-chromium-')
        cls.files = tempfile.mkdtemp(prefix='corvane-served-')
        cls.serve(cls.files)
        cls.server = Server(cls.site or SITE, cls.files)
        cls.driver = start_browser(cls.profile, cls.flags, cls.mobile)
        cls.driver.set_script_timeout(HANG)
        if THROTTLE > 1:
            print('%s: the page slowed down %g times' % (cls.__name__, THROTTLE))
        cls.open(cls.query)

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.server.stop()
        shutil.rmtree(cls.profile, ignore_errors=True)
        shutil.rmtree(cls.files, ignore_errors=True)

    @classmethod
    def serve(cls, folder):
        """Puts the files the fixture serves beside the page into folder."""

    @classmethod
    def open(cls, query=''):
        # Set again for each document: the rate holds for the page it was set on.
        cls.driver.execute_cdp_cmd('Emulation.setCPUThrottlingRate', {'rate': THROTTLE})
        cls.driver.get(cls.server.url + query)

    def script(self, code, *args):
        return self.driver.execute_script(code, *args)

    def frames(self):
        return self.script('return (window.Module && Module.frames) || 0;')

    def state(self):
        return self.script('return window.Module && Module.gameState ? Module.gameState() : null;')

    def wait_until(self, condition, what, seconds=HANG):
        """condition's first true value; polled, and failing only when the page hangs."""
        deadline = time.time() + seconds
        while time.time() < deadline:
            value = condition()
            if value:
                return value
            time.sleep(0.2)
        self.fail('not within %d s, so the page hangs: %s' % (seconds, what))

    def wait_for_state(self, test, what):
        return self.wait_until(lambda: (lambda s: s if s and test(s) else None)(self.state()), what)

    def canvas(self):
        return self.driver.find_element(By.ID, 'canvas')

    def next_frame(self, name=None):
        """The next frame the game draws, read from the canvas while it holds it."""
        url = self.driver.execute_async_script(
            'var done = arguments[arguments.length - 1];'
            'Module.onFrame = function () { Module.onFrame = null; done(Module.canvas.toDataURL("image/png")); };')
        image = decode_png(base64.b64decode(url.split(',', 1)[1]))
        if name:
            keep(name, image)
        return image

    def assert_matches_desktop(self, image, desktop, what):
        off = numpy.abs(image.astype(numpy.int32) - desktop.astype(numpy.int32))
        mean_off = float(off.mean())
        differing = float((off.max(axis=2) > PIXEL_TOLERANCE).mean())
        ship = difference(image, desktop, SHIP_AREA)
        print('%s against the desktop: mean difference %.2f per channel, %.2f%% of pixels off by more than %d, '
              '%.2f in the ship\'s area' % (what, mean_off, 100 * differing, PIXEL_TOLERANCE, ship))
        self.assertLess(mean_off, MEAN_TOLERANCE, what)
        self.assertLess(differing, DIFFERING_SHARE, what)
        self.assertLess(ship, SHIP_TOLERANCE, what + ': the ship where the desktop game has it')

    def console_errors(self):
        return [entry for entry in self.driver.get_log('browser') if entry.get('level') == 'SEVERE']


def main():
    """Runs the calling file's fixtures (those named after SITE_DIR and BUILD_DIR, or all)."""
    unittest.main(module='__main__', argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
