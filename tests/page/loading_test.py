#!/usr/bin/python3
"""The page while it loads, its processor slowed down 4 times (at least):
the game's start picture on screen from the start, a loading bar that
advances and goes when the game has drawn its first frame, and a page that
answers the player meanwhile.

What the page shows while it loads is recorded by a script that runs before
the page's own (DevTools' Page.addScriptToEvaluateOnNewDocument): each value
the bar takes, with whether the bar and the picture were on screen and how
many frames the game had drawn at that moment; and the moment the sound
control answered a click. The checks read that record: none depends on when
the test looks.
"""

import base64

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By

from harness import THROTTLE, PageSession, decode_png, desktop_frame, keep, main

# Slower than this, the page's start is the one a slow phone sees.
LOADING_THROTTLE = max(THROTTLE, 4)

# The picture is the desktop's start frame, lossily compressed.
PICTURE_TOLERANCE = 3.0  # mean absolute difference per channel (0..255)

RECORDER = '''
window.loading = {values: [], soundAnswered: null};
function onScreen(element) {
  if (!element || !element.isConnected || element.hidden)
    return false;
  var box = element.getBoundingClientRect();
  return getComputedStyle(element).visibility === 'visible' && box.width > 0 && box.height > 0 &&
         box.right > 0 && box.bottom > 0 && box.left < innerWidth && box.top < innerHeight;
}
function frames() {
  return (window.Module && Module.frames) || 0;
}
new MutationObserver(function (changes) {
  changes.forEach(function (change) {
    var target = change.target.nodeType === Node.ELEMENT_NODE ? change.target : change.target.parentElement;
    if (!target)
      return;
    if (target.id === 'progress' && change.attributeName === 'value') {
      var picture = document.getElementById('picture');
      loading.values.push({value: target.value, shown: onScreen(target), frames: frames(),
                           picture: onScreen(picture) && picture.complete && picture.naturalWidth > 0});
    } else if (target.id === 'sound' && loading.soundAnswered === null) {
      loading.soundAnswered = {frames: frames(), loading: onScreen(document.getElementById('progress'))};
    }
  });
}).observe(document, {subtree: true, attributes: true, attributeFilter: ['value'], childList: true,
                      characterData: true});
'''


class LoadingInSteps(PageSession):
    """The page from its first paint to the game's first frame, slowed down as a slow phone would be."""

    @classmethod
    def open(cls, query=''):
        cls.driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': RECORDER})
        super().open(query)
        # After the harness's own rate, which holds from the navigation on.
        cls.driver.execute_cdp_cmd('Emulation.setCPUThrottlingRate', {'rate': LOADING_THROTTLE})

    def record(self):
        return self.script('return window.loading;')

    def test_1_answers_a_click_while_it_loads(self):
        # Early enough that the terrain, the longest part, is still to come.
        early = ('Downloading', 'Loading the ship', 'Loading the towers', 'Loading the sky')
        status = self.wait_until(lambda: (lambda text: text.startswith(early) or self.frames() > 0)(
            self.driver.find_element(By.ID, 'status').text) and self.driver.find_element(By.ID, 'status').text,
            'the page downloading, or the game\'s first steps announced')
        self.assertTrue(status.startswith(early), 'the page was still loading when the test looked: %r' % status)
        ActionChains(self.driver).click(self.driver.find_element(By.ID, 'sound')).perform()
        self.wait_until(lambda: self.record()['soundAnswered'], 'the sound control answers the click')
        answered = self.record()['soundAnswered']
        self.assertEqual(0, answered['frames'], 'the click was answered before the game drew its first frame')
        self.assertTrue(answered['loading'], 'the click was answered while the loading bar was on screen')
        self.assertEqual('Sound: off', self.driver.find_element(By.ID, 'sound').text)

    def test_2_bar_advances_until_the_first_frame_then_goes(self):
        self.wait_for_state(lambda s: s['frames'] > 0, 'the first frame')
        values = self.record()['values']
        print('the bar took %d values: %s' % (len(values), [v['value'] for v in values]))
        self.assertTrue(values, 'the bar moved')
        self.assertTrue(all(v['frames'] == 0 and v['shown'] for v in values),
                        'the bar is on screen and moves only before the first frame: %s' % values)
        numbers = [v['value'] for v in values]
        self.assertEqual(sorted(numbers), numbers, 'the bar never goes back')
        self.assertGreaterEqual(len(set(numbers)), 3, 'the bar takes at least three values')
        self.assertEqual(100, numbers[-1], 'the bar is full when the game starts')
        self.assertFalse(self.script('return onScreen(document.getElementById("progress"));'),
                         'the bar is gone once the game has drawn its first frame')
        progress = self.driver.find_element(By.ID, 'progress')
        self.assertEqual('progress', progress.tag_name)
        self.assertTrue(progress.get_attribute('aria-label'), 'the bar has an accessible name')

    def test_3_picture_from_the_first_paint_is_the_start_frame(self):
        self.wait_for_state(lambda s: s['frames'] > 0, 'the first frame')
        self.assertTrue(all(v['picture'] for v in self.record()['values']),
                        'the picture is on screen whenever the bar moves, before the first frame')
        self.assertEqual('picture', self.driver.execute_async_script(
            'var done = arguments[arguments.length - 1];'
            'new PerformanceObserver(function (list) {'
            '  var entries = list.getEntries(), last = entries[entries.length - 1];'
            '  done(last.element ? last.element.id : null);'
            '}).observe({type: "largest-contentful-paint", buffered: true});'),
            'the largest thing painted while the page loads is the picture')
        self.assertFalse(self.script('return onScreen(document.getElementById("picture"));'),
                         'the game\'s own frame replaces the picture')
        url = self.script(
            'var picture = document.getElementById("picture"), canvas = document.createElement("canvas");'
            'canvas.width = picture.naturalWidth; canvas.height = picture.naturalHeight;'
            'canvas.getContext("2d").drawImage(picture, 0, 0);'
            'return canvas.toDataURL("image/png");')
        picture = decode_png(base64.b64decode(url.split(',', 1)[1]))
        keep('web-picture', picture)
        desktop = desktop_frame('tick 1\n', 'desktop-start')
        self.assertEqual(desktop.shape, picture.shape, 'the picture is the size of the frame')
        off = float(abs(picture.astype(int) - desktop.astype(int)).mean())
        print('the picture against the desktop\'s start frame: mean difference %.2f per channel' % off)
        self.assertLessEqual(off, PICTURE_TOLERANCE,
                             'the picture is the desktop\'s start frame (after a change to the start, '
                             'make it again with scripts/web-picture)')

    def test_4_the_game_plays_from_its_start_frame(self):
        self.wait_for_state(lambda s: s['frames'] > 0, 'the first frame')
        self.assertEqual('', self.driver.find_element(By.ID, 'status').text, 'nothing failed')
        self.assert_matches_desktop(self.next_frame('web-loaded-start'), desktop_frame('tick 1\n', 'desktop-start'),
                                    'the start frame after loading in steps')
        self.assertEqual([], self.console_errors())


if __name__ == '__main__':
    main()
