#!/usr/bin/python3
"""Gamepads in the page: a pad handed to the page through the browser's
Gamepad API plays the cases the desktop's gamepad test plays
(tests/input/gamepad_cases.txt), read through Module.gameState(); the touch
buttons give way to the pad while it is connected.

Headless Chromium has no pad of its own: a script run before the page's
replaces navigator.getGamepads with one that returns the test's pad, in the
standard layout, and announces its comings and goings with gamepadconnected
and gamepaddisconnected events, as a browser does. The pad is there before
the game starts, as a player's usually is.

Each turn reads the game time played (Module.gameState().played) in the same
script that moves the sticks, so no tick falls between the two: the view
must have turned by the table's rate times that time, however fast or slow
the page runs.
"""

import os

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from harness import SOURCE, PageSession, main

CASES = os.path.join(SOURCE, 'tests', 'input', 'gamepad_cases.txt')

PAD = '''
(function () {
  var pad = null;
  function atRest() {
    var buttons = [];
    for (var i = 0; i < 17; i++)
      buttons.push({pressed: false, touched: false, value: 0});
    return {id: 'Corvane test pad (STANDARD GAMEPAD)', index: 0, connected: true, mapping: 'standard',
            timestamp: performance.now(), axes: [0, 0, 0, 0], buttons: buttons};
  }
  function announce(type, gamepad) {
    var event = new Event(type);
    event.gamepad = gamepad;
    window.dispatchEvent(event);
  }
  window.testPad = {
    plug: function () { pad = atRest(); announce('gamepadconnected', pad); },
    unplug: function () { var gone = pad; pad = null; gone.connected = false; announce('gamepaddisconnected', gone); },
    sticks: function (axes) { pad.axes = axes.slice(); pad.timestamp = performance.now(); },
    button: function (index, value) {
      pad.buttons[index] = {pressed: value > 0, touched: value > 0, value: value};
      pad.timestamp = performance.now();
    },
  };
  navigator.getGamepads = function () { return [pad, null, null, null]; };
  window.testPad.plug();
})();
'''

# The standard layout's buttons for the table's names.
PAD_BUTTONS = {'a': 0, 'lt': 6, 'rt': 7}
STEP_TICKS = 3          # ticks each step lasts once its input has reached the game
TURN_PLAYED = 50        # game time each turn lasts at least, hundredths of a second
ANGLE_TOLERANCE = 0.02  # degrees: the rounding of many small float turns
PHONE = (390, 844, 3, True)
DESKTOP = (1000, 800, 1, False)


def read_cases():
    turns, steps = [], []
    with open(CASES) as table:
        for line in table:
            words = line.split('#', 1)[0].split()
            if not words:
                continue
            if words[0] == 'turn':
                turns.append((words[1], [float(v) for v in words[2:6]], float(words[6]), float(words[7])))
            else:
                steps.append((words[1], int(words[2]), int(words[3]), int(words[4])))
    return turns, steps


TURNS, STEPS = read_cases()


class PlayedWithAGamepad(PageSession):
    """A pad in the browser's standard layout plays the table's cases; the touch buttons give way to it."""

    @classmethod
    def open(cls, query=''):
        cls.driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': PAD})
        super().open(query)

    def use_screen(self, screen):
        width, height, ratio, touch = screen
        self.driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', {
            'width': width, 'height': height, 'deviceScaleFactor': ratio, 'mobile': touch})
        self.driver.execute_cdp_cmd('Emulation.setTouchEmulationEnabled', {'enabled': touch, 'maxTouchPoints': 5})
        self.wait_until(lambda: self.script('return matchMedia("(pointer: coarse)").matches;') == touch,
                        'the page laid out for %s' % ('touch' if touch else 'a mouse'))

    def touch_buttons_shown(self):
        return [self.script('return document.getElementById(arguments[0]).getClientRects().length > 0;', button)
                for button in ('fly', 'front')]

    def ticks(self, count):
        """Waits for count ticks of the game's clock."""
        for _ in range(count):
            played = self.state()['played']
            self.wait_for_state(lambda s: s['played'] > played, 'a tick of the game\'s clock')

    def do(self, action):
        if action == 'hold':
            return
        if action in ('plug', 'unplug'):
            self.script('testPad[arguments[0]]();', action)
            return
        press, what = action.split('-')
        down = press == 'press'
        if what in PAD_BUTTONS:
            self.script('testPad.button(arguments[0], arguments[1]);', PAD_BUTTONS[what], 1 if down else 0)
        elif what == 'space':
            actions = ActionChains(self.driver)
            (actions.key_down if down else actions.key_up)(Keys.SPACE)
            actions.perform()
        else:
            self.assertEqual('right', what, 'an action of the table')
            actions = ActionChains(self.driver)
            pointer = actions.w3c_actions.pointer_action
            (pointer.pointer_down if down else pointer.pointer_up)(button=2)
            actions.perform()

    def test_1_the_touch_buttons_give_way_to_the_pad(self):
        self.wait_for_state(lambda s: s['frames'] > 0, 'the first frame')
        self.use_screen(PHONE)
        for action, shown in (('hold', False), ('unplug', True), ('plug', False)):
            self.do(action)
            what = 'with the pad %s' % ('gone' if shown else 'connected')
            self.wait_until(lambda: self.touch_buttons_shown() == [shown, shown],
                            'Fly and Front %s %s' % ('shown' if shown else 'hidden', what))
            help_text = self.driver.find_element(By.ID, 'help').text
            self.assertEqual(not shown, 'hold RT to fly' in help_text, 'the help names the pad\'s controls ' + what)
            self.assertEqual(shown, 'Hold Fly' in help_text, 'the help names the touch buttons only ' + what)

    def test_2_triggers_and_buttons_as_the_table_says(self):
        self.use_screen(DESKTOP)
        self.wait_for_state(lambda s: s['frames'] > 0, 'the first frame')
        # The mouse comes onto the view, for its right button.
        ActionChains(self.driver).move_to_element(self.canvas()).perform()
        for action, thrust, front, shots in STEPS:
            what = 'after %s: thrust %d, the %s shown, %d bullet(s) fired' % (
                action, thrust, 'front' if front else 'back', shots)
            bullets = self.state()['bullets']
            self.do(action)
            self.wait_for_state(lambda s: s['thrust'] == thrust and s['lookBack'] == bool(front), what)
            self.ticks(1)
            start = self.state()
            self.ticks(STEP_TICKS)
            end = self.state()
            self.assertEqual((thrust, bool(front), bullets + shots), (end['thrust'], end['lookBack'], end['bullets']),
                             what)
            self.assertEqual(bool(thrust), start['ship'] != end['ship'], what + ': the ship flies while thrust is on')
        self.assertEqual([], self.console_errors())

    def test_3_sticks_turn_the_view_as_the_table_says(self):
        for name, sticks, right, down in TURNS:
            before = self.script('testPad.sticks(arguments[0]); return Module.gameState();', sticks)
            self.wait_for_state(lambda s: s['played'] >= before['played'] + TURN_PLAYED, 'the game playing on')
            after = self.script('var s = Module.gameState(); testPad.sticks([0, 0, 0, 0]); return s;')
            seconds = (after['played'] - before['played']) / 100
            turned = (before['angleH'] - after['angleH'], after['angleV'] - before['angleV'])
            print('%s: %.3f and %.3f degrees in %.2f s of game time' % (name, turned[0], turned[1], seconds))
            self.assertAlmostEqual(right * seconds, turned[0], delta=ANGLE_TOLERANCE, msg=name + ': turned right')
            self.assertAlmostEqual(down * seconds, turned[1], delta=ANGLE_TOLERANCE, msg=name + ': turned down')
            if right == 0 and down == 0:
                self.assertEqual((0, 0), turned, name + ': a resting stick never moves the view, not by a fraction')


if __name__ == '__main__':
    main()
