#!/usr/bin/python3
"""The game in the page on its clock, played through real pointer, button and
key events; and a browser without WebGL told so.
"""

import json
import os

import numpy
from selenium.common.exceptions import TimeoutException
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from harness import (SHOTS, PageSession, desktop_frame, difference, main)


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


class WithoutWebGL(PageSession):
    """A browser without WebGL gets a sentence in the page, not a blank canvas."""

    flags = ('--disable-webgl', '--disable-3d-apis')

    def test_says_so_in_the_page(self):
        text = self.wait_until(lambda: 'WebGL' in self.driver.find_element(By.ID, 'status').text
                               and self.driver.find_element(By.ID, 'status').text, 'a message about WebGL')
        self.assertIn('needs WebGL', text)


if __name__ == '__main__':
    main()
