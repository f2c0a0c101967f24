"""Tests of qorvazel.kit: a game's first run, menu and second run on its
schema, the settings while the game runs, and what the module refuses. CTest runs them with QORVAZEL_LIBRARY
and QORVAZEL_KIT_LIBRARY naming the libraries of the build."""

import ctypes
import os
import tempfile
import unittest

import qorvazel
from qorvazel import Status, kit

SCHEMA = """{
  "settingsVersion": 2,
  "categories": [{"name": "display", "labelKey": "cat.display"}, {"name": "quality", "labelKey": "cat.quality"}],
  "options": [
    {"name": "VSync", "type": "Bool", "default": true, "category": "display", "labelKey": "opt.vsync"},
    {"name": "Gamma", "type": "Float", "default": 1.0, "min": 0.5, "max": 2.5, "steps": 20, "category": "display"},
    {"name": "ShadowQuality", "type": "Integer", "default": 2, "min": 0, "max": 4, "steps": 4,
     "category": "quality"},
    {"name": "Textures", "type": "Enum", "default": "Medium", "allowed": ["Low", "Medium", "Très haut"],
     "category": "quality", "restartRequired": true}
  ],
  "presets": {
    "options": ["ShadowQuality", "Textures"],
    "levels": [
      {"name": "Low", "values": {"ShadowQuality": 0, "Textures": "Low"}},
      {"name": "High", "values": {"ShadowQuality": 4, "Textures": "Très haut"}}
    ]
  },
  "tiers": [
    {"name": "big-gpu", "when": {"fact": "videoMemoryMB", "atLeast": 8192}, "preset": "High"},
    {"name": "fallback", "preset": "Low"}
  ],
  "commandLine": {"-width": {"mode": "width"}, "-height": {"mode": "height"}, "-refresh": {"mode": "refresh"}}
}"""


def setUpModule():
    """A build without the kit runs the rest of the package's tests."""
    if not os.environ.get(kit.KIT_LIBRARY_ENV):
        try:
            kit._library()
        except qorvazel.LibraryNotFoundError:
            raise unittest.SkipTest("no settings kit library")


class KitScenario(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def open(self, **extra):
        extra.setdefault("resolutions", [] if "modes" in extra else [(1920, 1080, 60.0)])
        return kit.Kit("game.schema.json", schema_text=SCHEMA, display_name="Kit Game", config_path=self.dir.name,
                       executable="game", facts={"videoMemoryMB": 12288, "gpuVendor": "amd"}, **extra)

    def refused(self, status, call, *args):
        with self.assertRaises(kit.KitError) as caught:
            call(*args)
        self.assertEqual(caught.exception.status, status)

    def test_first_run_menu_save_and_second_run(self):
        with self.open() as game:
            self.assertTrue(game.opened.first_run)
            self.assertEqual((game.opened.preset, game.opened.tier_name), ("High", "big-gpu"))
            self.assertEqual(game.current_preset, "High")
            self.assertEqual(len(game.load_report()), 0)

            menu = game.options(order="category")
            self.assertEqual([o.name for o in menu], ["VSync", "Gamma", "ShadowQuality", "Textures"])
            self.assertEqual(menu.categories[1], ("quality", "cat.quality"))
            self.assertEqual([p.name for p in menu.presets], ["Low", "High"])
            textures = menu["Textures"]
            self.assertEqual((textures.type, textures.allowed, textures.current),
                             (kit.OptionType.ENUM, ("Low", "Medium", "Très haut"), "Très haut"))
            self.assertTrue(textures.restart_required and textures.changed and textures.saved is None)
            gamma = menu["Gamma"]
            self.assertEqual((gamma.minimum, gamma.maximum, gamma.steps, gamma.label_key), (0.5, 2.5, 20, ""))

            game.set("ShadowQuality", 3)
            game.set("Gamma", 2)  # an int for a Float
            self.assertEqual(game.current_preset, kit.CUSTOM)
            self.refused(Status.VALUE_NOT_ALLOWED, game.set, "ShadowQuality", 7)
            self.refused(Status.VALUE_NOT_ON_STEP, game.set, "Gamma", 1.01)
            self.refused(kit.KitStatus.NOT_FOUND, game.apply_preset, "Ultra")
            game.save()

        with self.open() as game:
            self.assertFalse(game.opened.first_run)
            self.assertIsNone(game.opened.preset)
            self.assertEqual((game.get("ShadowQuality"), game.get("Gamma"), game.get("Textures")),
                             (3, 2.0, "Très haut"))
            self.assertFalse(game.holds_default("ShadowQuality"))
            game.reset_category("quality")
            self.assertEqual(game.get("ShadowQuality"), 2)
            self.assertTrue(all(not o.changed for o in game.options(category="quality")))

    def test_while_the_game_runs(self):
        now = [1000]
        kit.set_clock(lambda: now[0])
        self.addCleanup(kit.set_clock, None)
        modes = [kit.mode(1280, 720, 60, 1), kit.mode(1920, 1080, 60000, 1001)]
        heard = []
        with kit.subscribe(heard.append) as listener, self.open(modes=modes, display_id="DEL-U2720Q-1234") as game:
            self.assertEqual((heard[-1].kind, heard[-1].name), (kit.EventKind.PRESET, "High"))  # the first run's

            # 59.94 in its three spellings is one mode; the kit keeps the listed one.
            spoken, fraction, reported = kit.mode(1920, 1080, 59.94), modes[1], kit.mode(1920, 1080, 59.940002)
            self.assertTrue(spoken.matches(fraction) and fraction.matches(reported) and kit.modes_match(reported, spoken))
            self.assertFalse(spoken.matches(kit.mode(1920, 1080, 60.0)))
            game.set_mode(reported)
            self.assertEqual(game.get_mode().current[:4], (1920, 1080, 60000, 1001))
            self.assertEqual(game.closest_mode(kit.mode(2560, 1440, 144.0)).width, 1920)

            # A callable that raises loses nothing; one that calls the kit hears its own change inside.
            def follow(event):
                if event.kind == kit.EventKind.VALUE and event.name == "VSync":
                    game.set("ShadowQuality", 0)

            def fail(event):
                raise RuntimeError("menu gone")

            del heard[:]
            with kit.subscribe(fail) as failing, kit.subscribe(follow):
                game.set("VSync", False)
            self.assertEqual(game.get("ShadowQuality"), 0)
            self.assertEqual([(e.name, e.old_value, e.new_value, e.cause) for e in heard],
                             [("VSync", True, False, kit.EventKind.SET), ("ShadowQuality", 4, 0, kit.EventKind.SET)])
            self.assertIsInstance(failing.take_error(), RuntimeError)
            self.assertIsNone(failing.take_error())
            self.assertTrue(failing.closed)

            # One refused edit: nothing applied, every edit still pending.
            game.set_pending("ShadowQuality", 2)
            game.set_pending("Textures", "Ultra")
            refused = game.apply()
            self.assertFalse(refused.applied)
            self.assertEqual(refused.refusals, (("Textures", Status.VALUE_NOT_ALLOWED),))
            self.assertEqual(game.get("ShadowQuality"), 0)
            self.assertEqual(game.options()["ShadowQuality"].pending, 2)
            game.revert_pending()

            # A provisional mode comes back at its deadline.
            game.set_pending_mode(kit.mode(1280, 720, 60.0))
            applied = game.apply(confirm_within_ms=5000)
            self.assertTrue(applied.applied and applied.provisional and applied.mode_changed)
            self.assertEqual(applied.deadline, 6000)
            now[0] = 5999
            self.assertEqual(game.poll(), 1)
            del heard[:]
            now[0] = 6000
            self.assertEqual(game.get_mode().current.width, 1920)
            self.assertEqual((heard[-1].kind, heard[-1].expired), (kit.EventKind.REVERT, True))
            self.assertFalse(game.confirm())

            # Overrides apply for this run and never reach the file.
            game.apply_command_line(["game", "-width", "1280", "-height", "720", "-refresh", "60",
                                     "--set", "ShadowQuality=4", "-log"])
            game.set_override("VSync", True)
            self.assertEqual((game.get("ShadowQuality"), game.get_mode().current.width), (4, 1280))
            self.assertTrue(game.options()["ShadowQuality"].overridden)
            with self.assertRaises(kit.KitError) as caught:
                game.apply_command_line(["game", "--set", "ShadowQuality=9"])
            self.assertEqual(caught.exception.status, Status.VALUE_NOT_ALLOWED)
            self.assertIn("ShadowQuality=9", caught.exception.detail)
            game.save()
            with open(game.opened.settings_path, "rb") as f:
                xml = f.read().decode("utf-16")
            self.assertIn('Name="ShadowQuality" Registered="True" Type="Integer" Value="0"', xml)
            self.assertIn('Name="VSync" Registered="True" Type="Bool" Value="false"', xml)
            self.assertIn('<RESOLUTION Width="1920"', xml)
            game.clear_overrides()
            self.assertEqual(game.get("ShadowQuality"), 0)
        self.assertTrue(listener.closed)

        # Another monitor: reported at the open.
        with kit.subscribe(heard.append), self.open(modes=modes, display_id="LEN-T14") as game:
            self.assertTrue(game.opened.display_changed and game.opened.mode_listed)
            self.assertEqual(game.opened.saved_display_id, "DEL-U2720Q-1234")
            self.assertEqual((heard[-1].kind, heard[-1].name), (kit.EventKind.DISPLAY, "DEL-U2720Q-1234"))

    def test_the_load_report_names_what_the_file_held(self):
        with self.open() as game:
            game.save()
        path = os.path.join(self.dir.name, "GFXSettings.game.xml")
        with open(path, "rb") as f:
            text = f.read().decode("utf-16-le")
        with open(path, "wb") as f:
            f.write(text.replace('"ShadowQuality" Registered="True" Type="Integer" Value="4"',
                                 '"ShadowQuality" Registered="True" Type="Integer" Value="9"').encode("utf-16-le"))
        with self.open() as game:
            report = game.load_report()
            self.assertEqual([(f.option, f.kind_name) for f in report], [("ShadowQuality", "out-of-range")])
            self.assertEqual(report.file, path)

    def test_record_layouts_match_the_c_compiler(self):
        wide = ctypes.sizeof(ctypes.c_void_p) == 8  # the numbers of bindings/csharp/tests/c_layout.c
        for record, size in ((kit._OpenInfo, (80, 152)), (kit._OpenResult, (64, 96)), (kit._OptionInfo, (180, 240)),
                             (kit._ModeInfo, (72, 80)), (kit._Event, (104, 120)), (kit._DisplayMode, (20, 20))):
            self.assertEqual(ctypes.sizeof(record), size[wide], record.__name__)
        self.assertIn(kit._ApplyResult.Deadline.offset, (48,) if wide else (28, 32))

    def test_refusals(self):
        with self.assertRaises(kit.KitError) as caught:
            kit.Kit("broken.json", schema_text='{\n  "settingsVersion": 1,\n  "options": [\n    {"name": 5}\n  ]\n}',
                    config_path=self.dir.name, executable="game")
        self.assertEqual(caught.exception.status, kit.KitStatus.SCHEMA)
        self.assertIn("broken.json:4:", caught.exception.detail)

        with self.open() as game:
            self.refused(kit.KitStatus.ALREADY_OPEN, self.open)
            # C would hold none of these as given: refused before any call.
            with self.assertRaises(ValueError):
                game.set("Textures", "Low\0junk")
            with self.assertRaises(OverflowError):
                game.set("ShadowQuality", 2**32 + 3)
            for name, value in (("VSync", 1), ("ShadowQuality", True), ("ShadowQuality", 2.0), ("Gamma", "1")):
                with self.assertRaises(TypeError, msg=f"{name} = {value!r}"):
                    game.set(name, value)
            self.assertEqual((game.get("Textures"), game.get("ShadowQuality")), ("Très haut", 4))
            self.refused(Status.OPTION_NOT_FOUND, game.get, "MotionBlur")
            game.close()
            self.refused(kit.KitStatus.NOT_OPEN, game.save)
        with self.assertRaises(ValueError):
            kit.local_settings_folder("Game\0")
        self.refused(kit.KitStatus.INVALID_ARGUMENT, kit.local_settings_folder, "../elsewhere")


if __name__ == "__main__":
    unittest.main()
