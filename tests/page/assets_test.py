#!/usr/bin/python3
"""The page with assets missing or corrupt runs on as the desktop game does.
"""

import os
import shutil
import subprocess
import tempfile


from harness import (ASSETS, SITE, SOURCE, PageSession, desktop_frame, main)


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


if __name__ == '__main__':
    main()
