#!/usr/bin/python3
"""The page on every screen: phones held either way, by touch, a large
screen; full screen; installed, offline, and a new build taken whole.
"""

import os
import shutil
import subprocess
import tempfile

import numpy
from selenium.common.exceptions import TimeoutException
from selenium.webdriver.common.by import By

from harness import (SHOTS, SITE, SOURCE, PageSession, Server, desktop_frame, main)


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


if __name__ == '__main__':
    main()
