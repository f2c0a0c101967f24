"""Tests of the qorvazel package: a game's whole settings cycle, the traps of
a hand-written ctypes binding, and how the library is found. CTest runs them
with QORVAZEL_LIBRARY naming the library of the build."""

import ctypes
import os
import sys
import tempfile
import unittest

import qorvazel
from qorvazel import Status, _native

MODES = [(1280, 720, 60.0), (1920, 1080, 59.94), (2560, 1440, 144.0)]


def open_settings(directory):
    return qorvazel.Settings(display_name="Scenario Game", version_name="1.0", install_path="/opt/scenario",
                             config_path=directory, executable="scenario", exec_cmd="scenario --windowed")


def register_game_options(settings):
    """What the game does at start-up: one line per option."""
    settings.add(qorvazel.int_option("ShadowQuality", 2, 0, 4, steps=4),
                 qorvazel.float_option("Gamma", 1.0, 0.5, 2.5, steps=4),
                 qorvazel.enum_option("TextureFilter", "Trilinear", ["Bilinear", "Trilinear", "Anisotropic ×16"]),
                 qorvazel.bool_option("VSync", True),
                 qorvazel.int_option("Détail", 1, 0, 3, steps=3),
                 qorvazel.bool_option("Détail", False))  # same name, other type: registered last, it answers
    settings.set_resolutions(MODES)


class Scenario(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def refused(self, status, call, *args):
        with self.assertRaises(qorvazel.QorvaZelError) as caught:
            call(*args)
        self.assertEqual(caught.exception.status, status)

    def test_register_set_save_and_load_back(self):
        with open_settings(self.dir.name) as game:
            register_game_options(game)
            self.assertEqual(game.try_add(qorvazel.int_option("ShadowQuality", 2, 0, 4, 4)),
                             Status.ALREADY_REGISTERED)

            self.assertFalse(game.load())  # first run: no file
            self.assertEqual(game.resolution, (0, 0, 0.0))
            self.assertTrue(game.has_unsaved_changes)
            self.assertEqual(game.get_int("ShadowQuality"), 2)
            self.assertEqual(game.get_enum("TextureFilter"), "Trilinear")

            self.refused(Status.VALUE_NOT_ALLOWED, game.set_int, "ShadowQuality", 7)
            game.set_int("ShadowQuality", 3)
            self.refused(Status.VALUE_NOT_ON_STEP, game.set_float, "Gamma", 1.25)
            game.set_float("Gamma", 1.5)
            self.refused(Status.VALUE_NOT_ALLOWED, game.set_enum, "TextureFilter", "Nearest")
            game.set_enum("TextureFilter", "Anisotropic ×16")
            game.set_bool("VSync", False)
            self.refused(Status.TYPE_MISMATCH, game.set_int, "Détail", 2)  # the Bool answers
            game.set_bool("Détail", True)
            self.refused(Status.OPTION_NOT_FOUND, game.set_bool, "MotionBlur", True)
            with self.assertRaises(qorvazel.QorvaZelError) as caught:
                game.resolution = (800, 600, 60.0)
            self.assertEqual(caught.exception.status, Status.VALUE_NOT_ALLOWED)
            game.resolution = MODES[1]

            self.assertTrue(game.has_unsaved_changes)
            game.save()
            self.assertFalse(game.has_unsaved_changes)
        self.assertTrue(game.closed)
        # The name the library composed arrived whole (c_wchar_p strings gave "/" and "w").
        path = os.path.join(self.dir.name, "GFXSettings.scenario.xml")
        with open(path, "rb") as f:
            self.assertIn("Anisotropic ×16", f.read().decode("utf-16-le"))

        with open_settings(self.dir.name) as game:
            register_game_options(game)
            self.assertTrue(game.load())
            self.assertFalse(game.has_unsaved_changes)
            self.assertEqual(game.resolution, qorvazel.Resolution(1920, 1080, 59.94))
            self.assertEqual(game.get_int("ShadowQuality"), 3)
            self.assertEqual(game.get_float("Gamma"), 1.5)
            self.assertEqual(game.get_enum("TextureFilter"), "Anisotropic ×16")
            self.assertIs(game.get_bool("VSync"), False)
            self.assertIs(game.get_bool("Détail"), True)  # the ambiguous name answers with the Bool
            self.refused(Status.TYPE_MISMATCH, game.get_int, "Détail")

    def test_one_session_at_a_time(self):
        with open_settings(self.dir.name) as game:
            self.refused(Status.ALREADY_INITIALIZED, open_settings, self.dir.name)
            game.close()
            game.close()
            self.refused(Status.NOT_INITIALIZED, game.load)
        with open_settings(self.dir.name):  # released, so it initialises again
            self.assertEqual(qorvazel.Settings.library_version(), qorvazel.INTERFACE_VERSION)


class Traps(unittest.TestCase):
    def test_values_of_another_type_are_refused_before_the_call(self):
        with tempfile.TemporaryDirectory() as directory, open_settings(directory) as game:
            game.add(qorvazel.bool_option("VSync", True), qorvazel.int_option("Shadows", 1, 0, 4))
            for call, value in ((game.set_bool, "true"), (game.set_bool, 1), (game.set_int, True),
                                (game.set_int, 2.0), (game.set_float, "1.5"), (game.set_enum, 3)):
                with self.assertRaises(TypeError, msg=f"{call.__name__}({value!r})"):
                    call("VSync", value)
            with self.assertRaises(qorvazel.QorvaZelError) as caught:
                game.get_enum("VSync")
            self.assertEqual(caught.exception.status, Status.TYPE_MISMATCH)
        with self.assertRaises(TypeError):
            qorvazel.bool_option("VSync", "false")
        with self.assertRaises(TypeError):
            qorvazel.enum_option("Filter", "A", "AB")  # one str is not a list of them

    def test_what_c_cannot_hold_is_refused_before_the_call(self):
        # ctypes would wrap the integers (2**32 + 3 set 3) and the library
        # would read the string up to the NUL ("b").
        with tempfile.TemporaryDirectory() as directory, open_settings(directory) as game:
            game.add(qorvazel.int_option("I", 1, 0, 10), qorvazel.enum_option("E", "a", ["a", "b"]))
            for call, args in ((game.set_int, ("I", 2**32 + 3)),
                               (qorvazel.int_option, ("J", 2**32 + 7, 0, 10)),
                               (game.set_resolutions, ([(-1, 2**32 + 600, 60.0)],))):
                with self.assertRaises(OverflowError, msg=f"{call.__name__}{args!r}"):
                    call(*args)
            with self.assertRaises(ValueError):
                game.set_enum("E", "b\0junk")
            self.assertEqual((game.get_int("I"), game.get_enum("E")), (1, "a"))

    def test_strings_are_16_bit_units(self):
        units = _native.to_units("Ab€😀")
        self.assertEqual(ctypes.sizeof(units._type_), 2)
        self.assertEqual(list(units), [0x41, 0x62, 0x20AC, 0xD83D, 0xDE00, 0])
        self.assertEqual(_native.from_units(ctypes.cast(units, _native.CharP)), "Ab€😀")

    def test_record_layouts_match_the_c_compiler(self):
        pointer = ctypes.sizeof(ctypes.c_void_p)
        self.assertIn(pointer, (4, 8))
        wide = pointer // 4  # the same numbers as bindings/csharp/tests/c_layout.c
        self.assertEqual(ctypes.sizeof(_native.Variant), 8 * wide)
        self.assertEqual(_native.Variant.Value.offset, 4 * wide)
        self.assertEqual(_native.OptionDesc.Value.offset, 8 * wide)
        self.assertEqual(_native.OptionDesc.Limits.offset, 12 * wide)
        self.assertEqual(ctypes.sizeof(_native.OptionDesc), 24 * wide)
        self.assertEqual(_native.Range.NumSteps.offset, 8 * wide)
        self.assertEqual(ctypes.sizeof(_native.Resolution), 12)

    def test_every_status_has_a_message(self):
        messages = {status.message for status in Status}
        self.assertEqual(len(messages), len(Status))
        error = qorvazel.QorvaZelError(-22, "set Gamma")
        self.assertIs(error.status, Status.VALUE_NOT_ON_STEP)
        self.assertIn("(-22)", str(error))


class Lookup(unittest.TestCase):
    def test_a_named_library_that_does_not_load_is_an_error(self):
        with self.assertRaises(qorvazel.LibraryNotFoundError) as caught:
            _native.find_and_load(environ={"QORVAZEL_LIBRARY": "/nonexistent/libqorva_zel.so.2"})
        self.assertIn("QORVAZEL_LIBRARY=/nonexistent/libqorva_zel.so.2", str(caught.exception))

    def test_the_error_names_every_place_tried(self):
        with tempfile.TemporaryDirectory() as here:
            try:
                lib = _native.find_and_load(environ={}, here=here)
            except qorvazel.LibraryNotFoundError as error:
                places = [place for place, _ in error.tried]
                self.assertEqual(places[0], "QORVAZEL_LIBRARY")
                self.assertIn(os.path.join(here, _native._file_names()[0]), places)
                self.assertIn(_native._file_names()[0], places)
            else:
                self.assertTrue(hasattr(lib, "QORVA_ZEL_GetVersion"))  # installed: found on the search path

    def test_the_library_beside_the_package_is_found(self):
        named = os.environ.get("QORVAZEL_LIBRARY")
        if not named:
            self.skipTest("QORVAZEL_LIBRARY is not set")
        with tempfile.TemporaryDirectory() as here:
            os.symlink(named, os.path.join(here, _native._file_names()[0]))
            lib = _native.find_and_load(environ={}, here=os.path.join(here, "qorvazel"))
            self.assertTrue(hasattr(lib, "QORVA_ZEL_GetVersion"))

    def test_the_installed_package_finds_the_library_of_its_prefix(self):
        """The layouts of the tarball and the .debs (the multiarch library
        directory) and of the Windows zip (bin/)."""
        with tempfile.TemporaryDirectory() as prefix:
            here = os.path.join(prefix, "share", "qorvazel", "python", "qorvazel")
            lib = os.path.join(prefix, "lib")
            for directory in (here, os.path.join(lib, "x86_64-linux-gnu"), os.path.join(lib, "aarch64-linux-gnu")):
                os.makedirs(directory)
            package = [here, os.path.dirname(here)]
            self.assertEqual(_native.library_directories(here, "linux", "x86_64-linux-gnu"),
                             package + [os.path.join(lib, "x86_64-linux-gnu"), lib,
                                        os.path.join(lib, "aarch64-linux-gnu")])
            self.assertEqual(_native.library_directories(here, "win32"), package + [os.path.join(prefix, "bin")])

            named = os.environ.get("QORVAZEL_LIBRARY")
            if named and not sys.platform.startswith(("win", "darwin")):
                multiarch = _native._multiarch() or "x86_64-linux-gnu"
                os.makedirs(os.path.join(lib, multiarch), exist_ok=True)
                path = os.path.join(lib, multiarch, _native._file_names()[0])
                os.symlink(os.path.abspath(named), path)
                self.assertEqual(_native.find_and_load(environ={}, here=here)._name, path)


if __name__ == "__main__":
    unittest.main()
