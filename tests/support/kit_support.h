// Helpers for the settings kit's tests: a game's schema in three settings
// versions, the options to open it with, and a fixture that gives every
// test its own settings folder and closes the kit afterwards.
#pragma once

#include "qorva_zel_kit.hpp"
#include "support/qorva_zel_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace qorva_zel_test {

// Version 3 of the game's schema. Version 2 renamed Shadows to
// ShadowQuality and turned TextureQuality from 0..2 into strings, and
// dropped OldUpscaler; version 3 changed the defaults of Bloom (false to
// true) and Sharpness (0.5 to 0.7).
inline const char kKitSchemaV3[] = R"({
  "settingsVersion": 3,
  "categories": [{"name": "display", "labelKey": "cat.display"}, {"name": "quality", "labelKey": "cat.quality"}],
  "options": [
    {"name": "VSync", "type": "Bool", "default": true, "category": "display", "labelKey": "opt.vsync"},
    {"name": "Gamma", "type": "Float", "default": 1.0, "min": 0.5, "max": 2.5, "steps": 20, "category": "display"},
    {"name": "HDR", "type": "Bool", "default": false, "category": "display",
     "availableWhen": {"fact": "hdr", "is": true}},
    {"name": "ShadowQuality", "type": "Integer", "default": 2, "min": 0, "max": 4, "steps": 4,
     "category": "quality", "defaultByTag": {"handheld": 1}},
    {"name": "TextureQuality", "type": "Enum", "default": "Medium", "allowed": ["Low", "Medium", "High"],
     "category": "quality", "restartRequired": true},
    {"name": "Bloom", "type": "Bool", "default": true, "category": "quality"},
    {"name": "Sharpness", "type": "Float", "default": 0.7, "min": 0, "max": 1, "category": "quality"},
    {"name": "DebugOverlay", "type": "Bool", "default": false, "hidden": true}
  ],
  "presets": {
    "options": ["ShadowQuality", "TextureQuality", "Bloom"],
    "levels": [
      {"name": "Low", "labelKey": "preset.low", "values": {"ShadowQuality": 0, "TextureQuality": "Low", "Bloom": false}},
      {"name": "High", "labelKey": "preset.high", "values": {"ShadowQuality": 4, "TextureQuality": "High", "Bloom": true}}
    ]
  },
  "tiers": [
    {"name": "handheld", "when": {"tag": "handheld"}, "preset": "Low"},
    {"name": "big-gpu", "when": {"all": [{"fact": "videoMemoryMB", "atLeast": 8192},
                                         {"fact": "gpuVendor", "oneOf": ["nvidia", "amd"]}]}, "preset": "High"},
    {"name": "fallback", "preset": "Low"}
  ],
  "migrations": [
    {"version": 2, "steps": [
      {"rename": "Shadows", "to": "ShadowQuality"},
      {"mapValues": "TextureQuality", "type": "Enum", "map": {"0": "Low", "1": "Medium", "2": "High"}},
      {"drop": "OldUpscaler"}
    ]},
    {"version": 3, "steps": [
      {"defaultChanged": "Bloom", "from": false},
      {"defaultChanged": "Sharpness", "from": 0.5}
    ]}
  ]
})";

// Version 1 of the same game.
inline const char kKitSchemaV1[] = R"({
  "settingsVersion": 1,
  "options": [
    {"name": "Shadows", "type": "Integer", "default": 2, "min": 0, "max": 4, "steps": 4, "category": "graphics"},
    {"name": "TextureQuality", "type": "Integer", "default": 1, "min": 0, "max": 2, "steps": 2, "category": "textures"},
    {"name": "Bloom", "type": "Bool", "default": false},
    {"name": "Sharpness", "type": "Float", "default": 0.5, "min": 0, "max": 1},
    {"name": "OldUpscaler", "type": "Bool", "default": true}
  ]
})";

// A settings folder of its own for every test; the kit is closed after it.
class KitTest : public ::testing::Test {
protected:
    void TearDown() override { QORVA_ZEL_KIT_Close(); }

    // Options for the game "game" with the given schema, its settings in
    // this test's folder.
    qorva_zel::kit::open_options Options(const char* schema = kKitSchemaV3) const
    {
        qorva_zel::kit::open_options options;
        options.schema_path = "game.schema.json";
        options.schema_text = schema;
        options.display_name = "Kit Game";
        options.version_name = "1.0";
        options.config_path = dir_.Path().u8string();
        options.executable = "game";
        options.resolutions = {{1280, 720, 60.0f}, {1920, 1080, 60.0f}};
        return options;
    }

    std::filesystem::path SettingsFile() const { return dir_.Path() / "GFXSettings.game.xml"; }
    const std::filesystem::path& Dir() const { return dir_.Path(); }

private:
    TempDir dir_;
};

} // namespace qorva_zel_test
