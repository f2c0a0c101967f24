"""Tests of qorvazel.kit: a game's first run, menu and second run on its
schema, and what the module refuses. CTest runs them with QORVAZEL_LIBRARY
and QORVAZEL_KIT_LIBRARY naming the libraries of the build."""

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
  ]
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
        return kit.Kit("game.schema.json", schema_text=SCHEMA, display_name="Kit Game", config_path=self.dir.name,
                       executable="game", facts={"videoMemoryMB": 12288, "gpuVendor": "amd"},
                       resolutions=[(1920, 1080, 60.0)], **extra)

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
