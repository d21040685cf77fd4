#!/usr/bin/python3
"""The page in headless Chromium.

Each fixture serves a site folder from localhost and opens it in its own
browser session (chromium-driver through Selenium). Nothing here waits on
the clock for what the game does: every wait is for a state of the page or
the game (a frame drawn, a replay played to its end, the camera's angles, a
bullet more), and its deadline only catches a hang. Pictures of what lasts
a moment only (a shot, an explosion, flight) come from a replay script that
the page plays tick by tick, frame for frame as corvane-replay draws it;
real input events are proven by what they do to the game, read from
Module.gameState(), and by the still views they leave.

Usage: page_test.py SITE_DIR BUILD_DIR [unittest arguments]
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
from selenium.common.exceptions import TimeoutException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

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
    sys.exit('page_test.py: CORVANE_WEB_THROTTLE must be a number, 1 or more (how many times slower), not %r'
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
    """Serves its folder, and files it lacks from the fixture's own folder."""

    def __init__(self, *args, extra=None, **kwargs):
        self.extra = extra
        super().__init__(*args, **kwargs)

    def translate_path(self, path):
        found = super().translate_path(path)
        if self.extra and not os.path.exists(found):
            return os.path.join(self.extra, os.path.relpath(found, self.directory))
        return found

    def log_message(self, *args):
        pass


class Server:
    """A site folder (and files beside it from extra) served on a free localhost port."""

    def __init__(self, folder, extra=None):
        handler = functools.partial(QuietHandler, directory=folder, extra=extra)
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
    """One browser on one served site for the whole fixture, opened at query."""

    site = None
    flags = ()
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
        cls.driver = start_browser(cls.profile, cls.flags)
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


class PlayedInTheBrowser(PageSession):
    """The game on its clock, played through real pointer, button and key events."""

    def button(self, number, down):
        actions = ActionChains(self.driver)
        pointer = actions.w3c_actions.pointer_action
        if down:
            pointer.pointer_down(button=number)
        else:
            pointer.pointer_up(button=number)
        actions.perform()

    def test_1_start_frame_matches_the_desktop(self):
        self.assertEqual('Corvane', self.driver.title)
        self.assertIn('Space', self.driver.find_element(By.ID, 'help').text)
        before = self.wait_for_state(lambda s: s['frames'] > 0, 'the first frame')
        print('first frame %.0f ms after the page began loading' % self.script('return Module.firstFrameTime;'))
        # The pointer comes onto the view as a player's would; the view stays.
        ActionChains(self.driver).move_to_element(self.canvas()).perform()
        after = self.state()
        self.assertEqual((before['angleH'], before['angleV']), (after['angleH'], after['angleV']),
                         'the pointer coming onto the view does not turn it')
        start = self.next_frame('web-start')
        self.assertEqual((600, 800, 3), start.shape)
        try:
            self.driver.save_screenshot(os.path.join(SHOTS, 'web-page.png'))
        except TimeoutException:
            print('no picture of the whole page: the browser took too long to compose one')
        self.assert_matches_desktop(start, desktop_frame('tick 1\n', 'desktop-start'), 'the start frame')
        self.assertTrue(self.script('return Module.ctx.getContextAttributes().antialias;'), 'multisampling')
        type(self).start = start
        type(self).start_state = after

        count = 5
        milliseconds = self.driver.execute_async_script(
            'var done = arguments[arguments.length - 1], count = arguments[0], first = null;'
            'Module.onFrame = function () {'
            '  var now = performance.now();'
            '  if (first === null) { first = now; return; }'
            '  if (--count === 0) { Module.onFrame = null; done(now - first); }'
            '};', count)
        print('%.2f frames per second at the start view in headless Chromium (%d frames)'
              % (1000 * count / milliseconds, count))

    def test_2_pointer_motion_turns_the_view_as_the_desktop_does(self):
        # Half a turn right and a little down, a degree a pixel: the towers come into sight.
        moves = (
            ((180, 15), (-180, 15), 'pointer 580 315\ntick 1\n', 'turned'),
            ((-180, -15), (0, 0), None, 'turned-back'),
        )
        start = self.start_state
        for offset, turn, play, name in moves:
            ActionChains(self.driver).move_by_offset(*offset).perform()
            self.wait_for_state(lambda s: (s['angleH'] - start['angleH'], s['angleV'] - start['angleV']) == turn,
                                'pointer motion by %s turns the view by %s degrees' % (offset, turn))
            image = self.next_frame('web-' + name)
            if play:
                self.assert_matches_desktop(image, desktop_frame(play, 'desktop-' + name),
                                            'the view turned 180 degrees right and 15 down')
            else:
                self.assertLess(difference(self.start, image), 1, 'moving the pointer back shows the start again')

    def test_3_buttons_fire_and_show_the_front(self):
        presses = (
            # button, down, then lookBack, bullets more
            (0, True, False, 1),
            (0, False, False, 0),
            (2, True, True, 1),
            (2, False, False, 0),
        )
        for button, down, look_back, fired in presses:
            bullets = self.state()['bullets']
            self.button(button, down)
            what = 'button %d %s' % (button, 'pressed' if down else 'released')
            self.wait_for_state(lambda s: s['lookBack'] == look_back and s['bullets'] == bullets + fired,
                                '%s: %d bullet(s) more, the ship seen from the %s' %
                                (what, fired, 'front' if look_back else 'back'))
            if button == 0 and down:
                self.wait_until(lambda: self.script('return document.pointerLockElement === Module.canvas;'),
                                'the first press on the view locks the pointer to it')

    def test_4_space_bar_flies_the_ship(self):
        start = self.state()['ship']
        ActionChains(self.driver).key_down(Keys.SPACE).perform()
        self.wait_for_state(lambda s: s['thrust'] == 1, 'the space bar turns the thrust on')
        self.wait_for_state(lambda s: numpy.linalg.norm(numpy.subtract(s['ship'], start)) > 5,
                            'the ship flies while the space bar is held')
        ActionChains(self.driver).key_up(Keys.SPACE).perform()
        self.wait_for_state(lambda s: s['thrust'] == 0, 'releasing the space bar turns the thrust off')

    def test_5_console_is_clean_and_the_page_is_small(self):
        printed = self.script('return Module.printed;')
        self.assertIn("Loaded texture 'ship.png'", printed)
        self.assertEqual([], self.console_errors())
        resources = self.script(
            'return performance.getEntriesByType("navigation").concat(performance.getEntriesByType("resource"))'
            '.map(function (e) { return [e.name.replace(location.origin, ""), e.encodedBodySize]; });')
        total = sum(size for _, size in resources)
        print('page downloads: %s; %.2f MB in all' % (json.dumps(sorted(resources)), total / 1e6))
        self.assertLess(total, 10e6, 'the page downloads under 10 MB')


class PlayedFromAScript(PageSession):
    """index.html?replay=NAME plays a replay script frame for frame as corvane-replay does."""

    query = '?replay=flight.txt'

    # Each frame the script names, and what it must show, in the page as on the desktop.
    FRAMES = (
        ('start', None, None),
        ('shot', 'a white sphere ahead of the ship',
         lambda f: new_white_pixels(f['start'], f['shot'], AHEAD_OF_SHIP) >= 6),
        ('aimed', None, None),
        ('burst', 'red-to-orange explosion points',
         lambda f: new_explosion_pixels(f['aimed'], f['burst']) >= 40),
        ('front', 'the ship from the front', lambda f: difference(f['burst'], f['front'], SHIP_AREA) > 8),
        ('flown', 'the ground nearer after a second of flight',
         lambda f: difference(f['burst'], f['flown'], BOTTOM) > 4),
    )

    @classmethod
    def setUpClass(cls):
        cls.desktop = desktop_frames(FLIGHT)
        super().setUpClass()

    @classmethod
    def serve(cls, folder):
        shutil.copy(FLIGHT, folder)
        with open(os.path.join(folder, 'bad.txt'), 'w') as out:
            out.write('tick 1\nfly 3\n')

    def replay(self):
        return self.script('return window.Module && Module.replay;')

    def kept_frames(self):
        names = self.script('return Object.keys(Module.replay.frames);')
        frames = {}
        for name in names:
            url = self.driver.execute_async_script(
                'var done = arguments[arguments.length - 1], reader = new FileReader();'
                'reader.onload = function () { done(reader.result); };'
                'reader.readAsDataURL(Module.replay.frames[arguments[0]]);', name)
            frames[name] = decode_png(base64.b64decode(url.split(',', 1)[1]))
            keep('web-replay-' + name, frames[name])
        return frames

    def test_1_frames_match_the_desktop_whatever_the_player_does(self):
        # Real input while it plays must change nothing.
        self.wait_until(lambda: self.frames() > 0, 'the replay\'s first frame')
        ActionChains(self.driver).move_to_element(self.canvas()).move_by_offset(50, 40).click() \
            .key_down(Keys.SPACE).perform()
        played = self.wait_until(lambda: (lambda r: r if r['done'] else None)(self.replay()),
                                 'the replay played to its end')
        ActionChains(self.driver).key_up(Keys.SPACE).perform()
        self.assertIsNone(played['error'])
        self.assertIn('Replay flight.txt played: 9 ticks, 6 frames',
                      self.driver.find_element(By.ID, 'status').text)
        page = self.kept_frames()
        self.assertEqual(sorted(self.desktop), sorted(page), 'the frames the script names')
        for name, what, shows in self.FRAMES:
            self.assert_matches_desktop(page[name], self.desktop[name], 'replay frame ' + name)
            if shows:
                self.assertTrue(shows(self.desktop), 'the desktop\'s frame %s shows %s' % (name, what))
                self.assertTrue(shows(page), 'the page\'s frame %s shows %s' % (name, what))

    def test_2_a_script_it_cannot_play_is_refused_and_the_game_runs_on(self):
        scripts = (
            ('missing.txt', 'Corvane cannot play the replay missing.txt: the server answered 404'),
            ('bad.txt', "Corvane cannot play the replay bad.txt: bad.txt:2: unknown command 'fly'"),
        )
        for name, sentence in scripts:
            self.open('?replay=' + name)
            self.wait_until(lambda: (lambda r: r and r['error'])(self.replay()), 'the replay %s refused' % name)
            frames = self.wait_for_state(lambda s: s['frames'] > 0, 'the game running without the replay')
            self.wait_for_state(lambda s: s['frames'] > frames['frames'], 'the game running without the replay')
            self.assertIn(sentence, self.driver.find_element(By.ID, 'status').text)
            self.assertIn('The game runs as usual.', self.driver.find_element(By.ID, 'status').text)


class AssetsMissingOrCorrupt(PageSession):
    """A page packed without its ground image and with a ship file cut short runs on as the desktop does."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='corvane-site-')
        assets = os.path.join(cls.folder, 'assets')
        shutil.copytree(ASSETS, assets)
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
        self.wait_for_state(lambda s: s['frames'] > 0, 'the first frame')
        image = self.next_frame('web-damaged-assets')
        printed = self.script('return Module.printed;')
        self.assertTrue(any(line.startswith("Error parsing 'Ship2.dae': ") for line in printed), printed)
        self.assert_matches_desktop(image, desktop_frame('tick 1\n', 'desktop-damaged-assets', self.assets),
                                    'without the ground image and the ship')
        self.assertEqual([], self.console_errors())


class WithoutWebGL(PageSession):
    """A browser without WebGL gets a sentence in the page, not a blank canvas."""

    flags = ('--disable-webgl', '--disable-3d-apis')

    def test_says_so_in_the_page(self):
        text = self.wait_until(lambda: 'WebGL' in self.driver.find_element(By.ID, 'status').text
                               and self.driver.find_element(By.ID, 'status').text, 'a message about WebGL')
        self.assertIn('needs WebGL', text)


if __name__ == '__main__':
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
