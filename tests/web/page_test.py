#!/usr/bin/python3
"""The page in headless Chromium, played through real input events.

Each fixture serves a site folder from localhost and opens it in its own
browser session (chromium-driver through Selenium); the checks read the
canvas's pixels back as the browser shows them. SwiftShader draws the page
on the CPU, a frame every second or so, so every check polls with a generous
timeout rather than sleeping fixed times.

Usage: page_test.py SITE_DIR BUILD_DIR [unittest arguments]
  SITE_DIR   the page (build-web/site)
  BUILD_DIR  the desktop build, whose corvane-replay draws the reference frame
"""

import base64
import functools
import http.server
import io
import json
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
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

SITE = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else ''
BUILD = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else ''
SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SHOTS = os.path.join(os.path.dirname(SITE), 'tests')

# Fractions of the view, as the desktop's end-to-end test uses them.
WHOLE = (0, 0, 1, 1)
BOTTOM = (0, 0.8, 1, 1)
SHIP_AREA = (0.4, 0.5, 0.6, 0.7)
AHEAD_OF_SHIP = (0.42, 0.45, 0.58, 0.72)

# The page's frames against the desktop's of the same state. SwiftShader and
# llvmpipe rasterise and multisample edges a little differently, and the
# page's GL emulation shades in shaders of its own: measured on the start
# frame, a mean difference of 0.32 per channel (0..255), 0.15 % of the pixels
# off by more than 48 in some channel, 0.98 in the ship's area. The bounds
# leave room for other drivers, and are far below what a missing or
# misplaced object, a flipped or missing texture or a black surface gives.
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


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class Server:
    """A site folder served on a free localhost port, on a thread of its own."""

    def __init__(self, folder):
        handler = functools.partial(QuietHandler, directory=folder)
        self.httpd = socketserver.ThreadingTCPServer(('127.0.0.1', 0), handler)
        self.httpd.daemon_threads = True
        self.url = 'http://127.0.0.1:%d/' % self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()


def start_browser(profile, extra_flags=()):
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for flag in ('--headless=new', '--no-sandbox', '--enable-unsafe-swiftshader', '--use-angle=swiftshader',
                 '--window-size=1000,1000', '--disable-background-networking', '--disable-component-update',
                 '--disable-sync', '--disable-quic', '--no-first-run', '--user-data-dir=' + profile) + tuple(extra_flags):
        options.add_argument(flag)
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
    return webdriver.Chrome(service=Service(executable_path='/usr/bin/chromedriver'), options=options)


class PageSession(unittest.TestCase):
    """One browser on one served site for the whole fixture."""

    site = None
    flags = ()

    @classmethod
    def setUpClass(cls):
        if not os.path.isfile(os.path.join(cls.site or SITE, 'index.html')):
            raise RuntimeError('no page in %s: build it first (bash scripts/web --no-serve)' % (cls.site or SITE))
        os.makedirs(SHOTS, exist_ok=True)
        cls.profile = tempfile.mkdtemp(prefix='corvane-chromium-')
        cls.server = Server(cls.site or SITE)
        cls.driver = start_browser(cls.profile, cls.flags)
        cls.driver.set_script_timeout(60)
        cls.driver.get(cls.server.url)

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.server.stop()
        shutil.rmtree(cls.profile, ignore_errors=True)

    def script(self, code):
        return self.driver.execute_script(code)

    def frames(self):
        return self.script('return (window.Module && Module.frames) || 0;')

    def wait_until(self, condition, seconds, what):
        deadline = time.time() + seconds
        while time.time() < deadline:
            value = condition()
            if value:
                return value
            time.sleep(0.2)
        self.fail('condition not met within %d s: %s' % (seconds, what))

    def canvas(self):
        return self.driver.find_element(By.ID, 'canvas')

    def capture(self, name=None):
        """The next frame the game draws, read from the canvas while it holds it."""
        url = self.driver.execute_async_script(
            'var done = arguments[arguments.length - 1];'
            'Module.onFrame = function () { Module.onFrame = null; done(Module.canvas.toDataURL("image/png")); };')
        png = base64.b64decode(url.split(',', 1)[1])
        image = numpy.asarray(Image.open(io.BytesIO(png)).convert('RGB'))
        if name:
            Image.fromarray(image).save(os.path.join(SHOTS, name + '.png'))
        return image

    def settled(self, name, seconds=60):
        """The view once two frames in a row show the same picture."""
        previous = self.capture()
        deadline = time.time() + seconds
        while time.time() < deadline:
            current = self.capture()
            if difference(previous, current) < 0.5:
                break
            previous = current
        return self.capture(name)

    def wait_for(self, name, test, seconds=60):
        """Frames until one passes test (true) or the time is up (false); the last kept as name."""
        deadline = time.time() + seconds
        while True:
            image = self.capture()
            if test(image) or time.time() > deadline:
                Image.fromarray(image).save(os.path.join(SHOTS, name + '.png'))
                return test(image)

    def desktop_frame(self, assets, name, play='tick 1\n'):
        """The desktop's frame after play (a replay script; by default one tick) with
        these assets, as corvane-replay draws it."""
        with tempfile.TemporaryDirectory() as folder:
            script = os.path.join(folder, 'frame.txt')
            with open(script, 'w') as out:
                out.write(play + 'frame frame\n')
            subprocess.run([os.path.join(BUILD, 'corvane-replay'), script, folder, '--assets', assets], check=True,
                           stdout=subprocess.DEVNULL)
            shutil.copy(os.path.join(folder, 'frame.png'), os.path.join(SHOTS, name + '.png'))
            return numpy.asarray(Image.open(os.path.join(folder, 'frame.png')).convert('RGB'))

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


class PlayedInTheBrowser(PageSession):
    """The game as a player meets it: the start, the front view, steering, shots, flight, explosions."""

    def button(self, number, down):
        actions = ActionChains(self.driver)
        pointer = actions.w3c_actions.pointer_action
        if down:
            pointer.pointer_down(button=number)
        else:
            pointer.pointer_up(button=number)
        actions.perform()

    def fire_until(self, count, enough, name):
        """Left clicks, each followed by two frames, until count(frame) reaches
        enough or ten shots are spent; the most counted, its frame kept as name."""
        best, shot = 0, None
        for _ in range(10):
            ActionChains(self.driver).click().perform()
            for _ in range(2):
                image = self.capture()
                if count(image) > best:
                    best, shot = count(image), image
            if best >= enough:
                break
        if shot is not None:
            Image.fromarray(shot).save(os.path.join(SHOTS, name + '.png'))
        return best

    def test_1_start_frame_matches_the_desktop(self):
        self.assertEqual('Corvane', self.driver.title)
        self.assertIn('Space', self.driver.find_element(By.ID, 'help').text)
        self.wait_until(lambda: self.frames() > 0, 120, 'the first frame')
        first_frame = self.script('return Module.firstFrameTime;')
        # The pointer comes onto the view as a player's would; the view stays.
        ActionChains(self.driver).move_to_element(self.canvas()).perform()
        start = self.settled('web-start')
        self.driver.save_screenshot(os.path.join(SHOTS, 'web-page.png'))
        self.assertEqual((600, 800, 3), start.shape)
        print('first frame %.0f ms after the page began loading' % first_frame)
        self.assert_matches_desktop(start, self.desktop_frame(os.path.join(SOURCE, 'assets'), 'desktop-start'),
                                    'the start frame')
        self.assertTrue(self.script('return Module.ctx.getContextAttributes().antialias;'), 'multisampling')
        type(self).start = start
        frames, seconds = self.frames(), 10
        time.sleep(seconds)
        print('%.2f frames per second at the start view in headless Chromium' % ((self.frames() - frames) / seconds))

    def test_2_right_button_shows_the_front_as_the_desktop_does(self):
        # The press also fires; the shot is out of sight once the view settles.
        self.button(2, down=True)
        self.wait_until(lambda: self.script('return document.pointerLockElement === Module.canvas;'), 10,
                        'the first click on the view locks the pointer to it')
        front = self.settled('web-front')
        self.assert_matches_desktop(front, self.desktop_frame(os.path.join(SOURCE, 'assets'), 'desktop-front',
                                                              'press right\nticks 100 1\n'),
                                    'the front view at the start')
        self.button(2, down=False)
        behind = self.wait_for('web-behind-again', lambda image: difference(self.start, image) < 1)
        self.assertTrue(behind, 'releasing the right button shows the ship from behind again')

    def test_3_pointer_motion_turns_the_view_as_the_desktop_does(self):
        # Half a turn right and a little down, a degree a pixel: the towers come into sight.
        ActionChains(self.driver).move_by_offset(180, 15).perform()
        turned = self.settled('web-turned')
        self.assert_matches_desktop(turned, self.desktop_frame(os.path.join(SOURCE, 'assets'), 'desktop-turned',
                                                               'pointer 580 315\ntick 1\n'),
                                    'the view turned 180 degrees right and 15 down')
        ActionChains(self.driver).move_by_offset(-180, -15).perform()
        back = self.wait_for('web-turned-back', lambda image: difference(self.start, image) < 1)
        self.assertTrue(back, 'moving the pointer back turns the view back')

    def test_4_click_shows_a_bullet(self):
        # A shot crosses 400 units a second, so it shows in the first frame
        # or two after the click only.
        best = self.fire_until(lambda image: new_white_pixels(self.start, image, AHEAD_OF_SHIP), 6, 'web-bullet')
        self.assertGreaterEqual(best, 6, 'a white sphere ahead of the ship just after a left click')

    def test_5_space_flies_and_shots_burst_on_the_ground(self):
        # Glide 5 degrees down with space held until the ship rests on the
        # floor of the target layer, then level out and fire: the shots
        # burst at once (the desktop's end-to-end test explains the flight).
        ActionChains(self.driver).move_by_offset(0, 5).perform()
        before = self.settled('web-before-flight')
        ActionChains(self.driver).key_down(Keys.SPACE).perform()
        moved = self.wait_for('web-flying', lambda image: difference(before, image, BOTTOM) > 4)
        time.sleep(6)
        ActionChains(self.driver).key_up(Keys.SPACE).perform()
        self.assertTrue(moved, 'holding space moves the ship over the terrain')
        ActionChains(self.driver).move_by_offset(0, -5).perform()
        aimed = self.settled('web-aimed')
        best = self.fire_until(lambda image: new_explosion_pixels(aimed, image), 40, 'web-explosion')
        self.assertGreaterEqual(best, 40, 'red-to-orange explosion points after shots that reach the ground')

    def test_6_console_is_clean_and_the_page_is_small(self):
        printed = self.script('return Module.printed;')
        self.assertIn("Loaded texture 'ship.png'", printed)
        self.assertEqual([], self.console_errors())
        resources = self.script(
            'return performance.getEntriesByType("navigation").concat(performance.getEntriesByType("resource"))'
            '.map(function (e) { return [e.name.replace(location.origin, ""), e.encodedBodySize]; });')
        total = sum(size for _, size in resources)
        print('page downloads: %s; %.2f MB in all' % (json.dumps(sorted(resources)), total / 1e6))
        self.assertLess(total, 10e6, 'the page downloads under 10 MB')


class AssetsMissingOrCorrupt(PageSession):
    """A page packed without its ground image and with a ship file cut short runs on as the desktop does."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='corvane-site-')
        assets = os.path.join(cls.folder, 'assets')
        shutil.copytree(os.path.join(SOURCE, 'assets'), assets)
        os.remove(os.path.join(assets, 'ground.png'))
        with open(os.path.join(assets, 'Ship2.dae'), 'r+b') as ship:
            ship.truncate(4000)
        site = os.path.join(cls.folder, 'site')
        shutil.copytree(SITE, site)
        subprocess.run([os.path.join(SOURCE, 'scripts', 'web-pack'), assets, site], check=True)
        cls.assets, cls.site = assets, site
        super().setUpClass()

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        shutil.rmtree(cls.folder, ignore_errors=True)

    def test_runs_on_without_them_as_the_desktop_does(self):
        self.wait_until(lambda: self.frames() > 0, 120, 'the first frame')
        image = self.settled('web-damaged-assets')
        printed = self.script('return Module.printed;')
        self.assertTrue(any(line.startswith("Error parsing 'Ship2.dae': ") for line in printed), printed)
        self.assert_matches_desktop(image, self.desktop_frame(self.assets, 'desktop-damaged-assets'),
                                    'without the ground image and the ship')
        self.assertEqual([], self.console_errors())


class WithoutWebGL(PageSession):
    """A browser without WebGL gets a sentence in the page, not a blank canvas."""

    flags = ('--disable-webgl', '--disable-3d-apis')

    def test_says_so_in_the_page(self):
        text = self.wait_until(lambda: 'WebGL' in self.driver.find_element(By.ID, 'status').text
                               and self.driver.find_element(By.ID, 'status').text, 30, 'a message about WebGL')
        self.assertIn('needs WebGL', text)


if __name__ == '__main__':
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
