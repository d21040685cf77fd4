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


class OnEveryScreen(PageSession):
    """The page on a phone held either way, by touch, and on a large screen; full screen; offline.

    Served from a copy of the site, so that it can be rebuilt under the page."""

    # name, CSS width and height, device pixel ratio, touch
    SCREENS = {
        'portrait': (390, 844, 3, True),
        'landscape': (844, 390, 3, True),
        'desktop': (1920, 1080, 1, False),
    }
    mobile = {'deviceMetrics': {'width': 390, 'height': 844, 'pixelRatio': 3, 'touch': True}}

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='corvane-site-')
        cls.site = os.path.join(cls.folder, 'site')
        shutil.copytree(SITE, cls.site)
        cls.touching = {}   # finger id: where it is, CSS pixels
        cls.pointer = [0, 0]  # the page's pointer, from the centre where it starts
        super().setUpClass()
        cls.start_state = None

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        shutil.rmtree(cls.folder, ignore_errors=True)

    def use_screen(self, name):
        width, height, ratio, touch = self.SCREENS[name]
        self.driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', {
            'width': width, 'height': height, 'deviceScaleFactor': ratio, 'mobile': touch})
        self.driver.execute_cdp_cmd('Emulation.setTouchEmulationEnabled', {'enabled': touch, 'maxTouchPoints': 5})
        self.wait_until(lambda: self.script('return [innerWidth, innerHeight, matchMedia("(pointer: coarse)").matches];')
                        == [width, height, touch], 'the page laid out for %s' % name)
        return width, height, touch

    def rect(self, element_id):
        return self.script('var r = document.getElementById(arguments[0]).getBoundingClientRect();'
                           'return [r.left, r.top, r.right, r.bottom];', element_id)

    def middle(self, element_id):
        left, top, right, bottom = self.rect(element_id)
        return (left + right) / 2, (top + bottom) / 2

    def touch(self, kind, finger, at=None):
        """A finger down, moved or up (kind start, move, end) at a CSS point, through DevTools."""
        if kind == 'end':
            del self.touching[finger]
        else:
            self.touching[finger] = at
        # DevTools takes all the fingers down at each event and works out which
        # changed; an end lifts them all, so one of several leaves by a move.
        points = [{'x': x, 'y': y, 'id': i} for i, (x, y) in sorted(self.touching.items())]
        if kind == 'end' and points:
            kind = 'move'
        self.driver.execute_cdp_cmd('Input.dispatchTouchEvent', {'type': 'touch' + kind.capitalize(),
                                                                 'touchPoints': points})

    def drag(self, finger, by, steps=6):
        x, y = self.middle('canvas')
        x -= by[0] / 2
        self.touch('start', finger, (x, y))
        for step in range(1, steps + 1):
            self.touch('move', finger, (x + by[0] * step / steps, y + by[1] * step / steps))
        self.touch('end', finger)
        self.pointer[0] += by[0]
        self.pointer[1] += by[1]

    def turned(self, state):
        """The view turned as far as the page's pointer went: a degree per CSS pixel."""
        start = self.start_state
        return (state['angleH'], state['angleV']) == (start['angleH'] - self.pointer[0],
                                                      start['angleV'] + self.pointer[1])

    def test_1_the_view_fits_every_screen(self):
        self.start_state = type(self).start_state = self.wait_for_state(lambda s: s['frames'] > 0, 'the first frame')
        for name in ('portrait', 'landscape', 'desktop'):
            width, height, touch = self.use_screen(name)
            left, top, right, bottom = self.rect('canvas')
            shown_w, shown_h = right - left, bottom - top
            largest = min(width, height * 4 / 3)
            print('%s %dx%d: the view shown at %.1fx%.1f, from (%.1f, %.1f)' % (name, width, height, shown_w,
                                                                                 shown_h, left, top))
            self.assertAlmostEqual(largest, shown_w, delta=1, msg=name + ': the largest 4:3 box')
            self.assertAlmostEqual(shown_w * 3 / 4, shown_h, delta=1, msg=name + ': 4:3')
            self.assertAlmostEqual(left, width - right, delta=1, msg=name + ': centred across')
            self.assertAlmostEqual(top, height - bottom, delta=1, msg=name + ': centred up and down')
            self.assertEqual([width, height], self.script(
                'window.scrollTo(500, 500);'
                'return [document.documentElement.scrollWidth, document.documentElement.scrollHeight];'),
                name + ': nothing to scroll')
            self.assertEqual([0, 0], self.script('return [scrollX, scrollY];'), name + ': nothing scrolled')
            # The middle of the view, where the ship is, is the view's alone.
            for fx, fy in ((0.5, 0.5), (0.4, 0.5), (0.6, 0.7), (0.4, 0.7), (0.6, 0.3)):
                self.assertTrue(self.script('return document.elementFromPoint(arguments[0], arguments[1]) === '
                                            'Module.canvas;', left + fx * shown_w, top + fy * shown_h),
                                '%s: nothing over the view at (%g, %g)' % (name, fx, fy))
            for button in ('fly', 'front'):
                shown = self.script('return document.getElementById(arguments[0]).getClientRects().length > 0;',
                                    button)
                self.assertEqual(touch, shown, '%s: the %s button on touch screens only' % (name, button))
                if shown:
                    b_left, b_top, b_right, b_bottom = self.rect(button)
                    self.assertGreaterEqual(min(b_right - b_left, b_bottom - b_top), 48, 'a thumb\'s size')
                    self.assertTrue(0 <= b_left and b_right <= width and 0 <= b_top and b_bottom <= height,
                                    '%s: the %s button in the window' % (name, button))
            help_text = self.driver.find_element(By.ID, 'help').text
            self.assertIn('Drag a finger' if touch else 'Hold Space', help_text, name + ': the help for its input')
            try:
                self.driver.save_screenshot(os.path.join(SHOTS, 'web-%s.png' % name))
            except TimeoutException:
                print('no picture of the page on %s: the browser took too long to compose one' % name)

    def test_2_touch_plays_the_game(self):
        # screen, what the finger does, what the game shows for it
        plays = (
            ('portrait', 'drag', (150, 15)),
            ('landscape', 'drag', (-300, -15)),
            ('portrait', 'tap', None),
            ('portrait', 'fly', None),
            ('landscape', 'front', None),
            ('landscape', 'fly and drag', (100, 10)),
        )
        for screen, gesture, by in plays:
            self.use_screen(screen)
            before = self.state()
            what = '%s: %s' % (screen, gesture)
            if gesture == 'drag':
                self.drag(1, by)
                self.wait_for_state(self.turned, what + ' by %s turns the view a degree a pixel' % (by,))
                self.assertLessEqual(self.state()['bullets'], before['bullets'], what + ' does not fire')
                pointer = 'pointer %d %d\ntick 1\n' % (400 + self.pointer[0], 300 + self.pointer[1])
                name = 'phone-%s-turned' % screen
                self.assert_matches_desktop(self.next_frame('web-' + name), desktop_frame(pointer, 'desktop-' + name),
                                            what + ', the view turned by %s degrees' % self.pointer)
            elif gesture == 'tap':
                self.touch('start', 1, self.middle('canvas'))
                self.touch('end', 1)
                self.wait_for_state(lambda s: s['bullets'] > before['bullets'], what + ' fires a bullet')
                self.assertTrue(self.turned(self.state()), what + ' does not turn the view')
            elif gesture == 'front':
                self.touch('start', 1, self.middle('front'))
                self.wait_for_state(lambda s: s['lookBack'] and s['bullets'] > before['bullets'],
                                    what + ' held shows the front, and its press fires')
                self.touch('end', 1)
                self.wait_for_state(lambda s: not s['lookBack'], what + ' let go shows the back again')
            else:
                self.touch('start', 1, self.middle('fly'))
                self.wait_for_state(lambda s: s['thrust'] == 1, what + ': Fly held turns the thrust on')
                if by:
                    self.drag(2, by)
                    self.wait_for_state(self.turned, what + ': the other thumb turns the view')
                self.wait_for_state(lambda s: numpy.linalg.norm(numpy.subtract(s['ship'], before['ship'])) > 5,
                                    what + ': the ship flies while Fly is held')
                self.assertEqual(1, self.state()['thrust'], what + ': Fly still held')
                self.touch('end', 1)
                self.wait_for_state(lambda s: s['thrust'] == 0, what + ': Fly let go turns the thrust off')
        self.assertEqual([], self.console_errors())

    def test_3_full_screen_and_back(self):
        width, height, _ = self.use_screen('landscape')
        for entered, label in ((True, 'Leave full screen'), (False, 'Full screen')):
            self.touch('start', 1, self.middle('fullscreen'))
            self.touch('end', 1)
            self.wait_until(lambda: self.script('return [!!document.fullscreenElement, '
                                                'document.getElementById("fullscreen").textContent];')
                            == [entered, label], 'a tap on the button %s full screen, and it says so'
                            % ('enters' if entered else 'leaves'))
            left, top, right, bottom = self.rect('canvas')
            self.assertAlmostEqual(right - left, min(width, height * 4 / 3), delta=1, msg='the view still fits')

    def cut_network(self, cut):
        self.driver.execute_cdp_cmd('Network.emulateNetworkConditions', {
            'offline': cut, 'latency': 0, 'downloadThroughput': -1, 'uploadThroughput': -1})
        if cut:
            self.server.stop()
        else:
            type(self).server = Server(self.site, self.files, self.server.port)

    def rebuild(self, title, after=None):
        """The site with its page's title changed, and its worker written again; the new build's name."""
        index = os.path.join(self.site, 'index.html')
        with open(index) as page:
            text = page.read()
        with open(index, 'w') as page:
            page.write(text.replace('<title>%s</title>' % self.driver.title, '<title>%s</title>' % title))
        subprocess.run([os.path.join(SOURCE, 'scripts', 'web-offline'), self.site], check=True)
        if after:
            after()
        return self.build()

    def build(self):
        with open(os.path.join(self.site, 'service-worker.js')) as worker:
            return worker.read().split("var Build = '", 1)[1].split("'", 1)[0]

    def cached_builds(self):
        return self.script('return caches.keys();')

    def visit_without_network(self, title):
        self.cut_network(True)
        try:
            self.open()
            self.wait_for_state(lambda s: s['frames'] > 0, 'the start frame without a network')
            self.assertEqual(title, self.driver.title, 'the page kept')
            return self.next_frame()
        finally:
            self.cut_network(False)

    def test_4_installs_plays_offline_and_takes_new_builds_whole(self):
        first = self.build()
        self.wait_until(lambda: self.cached_builds() == [first], 'the first visit\'s files kept')
        self.assertEqual([], self.driver.execute_cdp_cmd('Page.getAppManifest', {})['errors'], 'the manifest')
        self.assertEqual([], self.driver.execute_cdp_cmd('Page.getInstallabilityErrors', {})['installabilityErrors'],
                         'the page installs to a home screen')
        frame = self.visit_without_network('Corvane')
        self.assert_matches_desktop(frame, desktop_frame('tick 1\n', 'desktop-start'), 'the start frame offline')

        second = self.rebuild('Corvane, rebuilt')
        self.open()
        self.assertEqual('Corvane, rebuilt', self.driver.title, 'the next visit online serves the new build')
        self.wait_until(lambda: self.cached_builds() == [second], 'the new build kept in place of the old')
        self.visit_without_network('Corvane, rebuilt')

        # A build whose download is cut short (here: a file that is not the
        # build's) is not kept, and the last whole one stays.
        def cut_short():
            with open(os.path.join(self.site, 'LICENSE'), 'r+b') as licence:
                licence.truncate(100)
        self.rebuild('Corvane, cut short', cut_short)
        self.server.asked.clear()
        self.open()
        self.script('navigator.serviceWorker.getRegistration().then(function (r) { r.update(); });')
        self.wait_until(lambda: '/LICENSE' in self.server.asked and self.script(
            'return navigator.serviceWorker.getRegistration().then(function (r) {'
            '  return !r.installing && !r.waiting; });'), 'the cut-short build\'s install ended')
        self.assertEqual([second], self.cached_builds(), 'the whole build kept')
        self.visit_without_network('Corvane, rebuilt')


class WithoutWebGL(PageSession):
    """A browser without WebGL gets a sentence in the page, not a blank canvas."""

    flags = ('--disable-webgl', '--disable-3d-apis')

    def test_says_so_in_the_page(self):
        text = self.wait_until(lambda: 'WebGL' in self.driver.find_element(By.ID, 'status').text
                               and self.driver.find_element(By.ID, 'status').text, 'a message about WebGL')
        self.assertIn('needs WebGL', text)


if __name__ == '__main__':
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
