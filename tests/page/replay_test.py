#!/usr/bin/python3
"""A replay script played in the page frame for frame as corvane-replay
draws it, and a bad one refused with a sentence.
"""

import base64
import os
import shutil

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from harness import (AHEAD_OF_SHIP, BOTTOM, FLIGHT, SHIP_AREA, PageSession, decode_png, desktop_frames, difference, keep,
                     main, new_explosion_pixels, new_white_pixels)


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


if __name__ == '__main__':
    main()
