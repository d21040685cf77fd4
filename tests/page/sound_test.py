#!/usr/bin/python3
"""The page's sound in headless Chromium: it starts with the player's first
click, a shot is heard, and the page's sound control silences it; a replay
is heard as the player's own game is.

What the page plays is measured where it leaves the game's OpenAL, after
its listener's gain: a small meter on the browser's audio thread keeps the
loudest sample it has seen and how far it has measured, so nothing depends
on when the test looks.

Usage: sound_test.py SITE_DIR BUILD_DIR [unittest arguments]
"""

import unittest

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By

import os

import harness

# Installs the meter on the game's audio context, after its master gain.
# window.meter.reset() starts it over: reports of earlier measurements,
# still on their way from the audio thread, are told apart by a number.
METER = '''
var done = arguments[arguments.length - 1];
var context = AL.currentCtx;
var code = "class Meter extends AudioWorkletProcessor {" +
    " constructor() { super(); this.run = 0; this.peak = 0; this.quanta = 0;" +
    "   this.port.onmessage = (event) => { this.run = event.data; this.peak = 0; this.quanta = 0; }; }" +
    " process(inputs) { for (const channel of inputs[0] || []) for (const v of channel)" +
    "   this.peak = Math.max(this.peak, Math.abs(v));" +
    "   if (++this.quanta % 8 === 0) this.port.postMessage([this.run, this.peak, currentTime]); return true; } }" +
    "registerProcessor('meter', Meter);";
var url = URL.createObjectURL(new Blob([code], {type: 'application/javascript'}));
context.audioCtx.audioWorklet.addModule(url).then(function () {
  var node = new AudioWorkletNode(context.audioCtx, 'meter');
  var mute = context.audioCtx.createGain();
  mute.gain.value = 0;
  context.gain.connect(node);
  node.connect(mute);
  mute.connect(context.audioCtx.destination);
  window.meter = {run: 0, peak: 0, time: 0};
  window.meter.reset = function () {
    window.meter.run++;
    window.meter.peak = 0;
    window.meter.time = 0;
    node.port.postMessage(window.meter.run);
  };
  node.port.onmessage = function (event) {
    if (event.data[0] === window.meter.run) {
      window.meter.peak = event.data[1];
      window.meter.time = event.data[2];
    }
  };
  done(true);
}, function (error) { done(String(error)); });
'''

# The loudest sample since the reset, and the audio clock (seconds) the meter has measured up to.
MEASURED = 'return [window.meter.peak, window.meter.time];'


class Heard(harness.PageSession):
    """A session whose game's sound is measured as it leaves OpenAL."""

    def click_view(self):
        ActionChains(self.driver).move_to_element(self.canvas()).click().perform()

    def start_sound(self):
        """The first click on the view; the meter on the game's sound once it runs."""
        self.wait_until(lambda: self.frames() > 0, 'the first frame')
        self.assertFalse(self.script('return !!(window.AL && AL.currentCtx);'),
                         'no sound output before the player has pressed anything')
        self.click_view()
        self.wait_until(lambda: self.script('return !!(AL.currentCtx && AL.currentCtx.audioCtx.state === "running");'),
                        'the audio context runs after the first click')
        self.assertEqual(True, self.driver.execute_async_script(METER))

    def heard_after(self, action, seconds):
        """Does action, waits until the game has drawn a few frames since (they
        started what it sounds like) and the meter has measured that many
        seconds of sound after that moment; the loudest sample since."""
        self.script('window.meter.reset();')
        frames = self.frames()
        action()
        self.wait_until(lambda: self.frames() >= frames + 3, 'frames drawn after it')
        played = self.script('return AL.currentCtx.audioCtx.currentTime;')
        self.wait_until(lambda: self.script(MEASURED)[1] >= played + seconds, 'the sound after it measured')
        return self.script(MEASURED)[0]


class SoundInThePage(Heard):
    """Sound from the first click; a shot heard; the control turns it off and on."""

    def toggle_sound(self):
        # The pointer given back first, as Esc does: while the view holds it, clicks go to the view.
        self.script('document.exitPointerLock();')
        self.wait_until(lambda: self.script('return document.pointerLockElement === null;'), 'the pointer given back')
        self.driver.find_element(By.ID, 'sound').click()

    def heard_after_firing(self, seconds):
        return self.heard_after(self.click_view, seconds)

    def test_sound_starts_with_the_first_click_and_the_control_silences_it(self):
        self.assertEqual('Sound: on', self.driver.find_element(By.ID, 'sound').text)
        self.start_sound()
        self.assertGreater(self.heard_after_firing(0.5), 0.01, 'a shot is heard')

        self.toggle_sound()
        self.assertEqual('Sound: off', self.driver.find_element(By.ID, 'sound').text)
        self.assertEqual(0, self.script('return AL.currentCtx.gain.gain.value;'))
        self.assertEqual(0.0, self.heard_after_firing(0.5), 'nothing is heard with the sound off')

        self.toggle_sound()
        self.assertEqual('Sound: on', self.driver.find_element(By.ID, 'sound').text)
        self.assertGreater(self.heard_after_firing(0.5), 0.01, 'a shot is heard again with the sound back on')
        self.assertEqual([], self.console_errors())


class ReplayHeard(Heard):
    """A replay is heard, once the player's first gesture has started the sound."""

    query = '?replay=engine.txt'

    @classmethod
    def serve(cls, folder):
        with open(os.path.join(folder, 'engine.txt'), 'w') as out:
            out.write('# The engine, on for longer than any test lasts.\nkey down space\nticks 100000 1\n')

    def test_the_engine_of_a_replay_is_heard(self):
        self.start_sound()
        self.assertGreater(self.heard_after(lambda: None, 0.5), 0.01, 'the replay\'s engine is heard')
        self.assertEqual(1, self.state()['thrust'], 'the replay still plays')
        self.assertEqual([], self.console_errors())


if __name__ == '__main__':
    harness.main()
