// labels.cpp - the English string table.
#include "labels.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 42> kEnglish = {{
    {"tab.display", "Display"},
    {"tab.quality", "Quality"},
    {"tab.post", "Post-processing"},
    {"tab.accessibility", "Accessibility"},
    {"preset.low", "Low"},
    {"preset.medium", "Medium"},
    {"preset.high", "High"},
    {"preset.ultra", "Ultra"},
    {"preset.custom", "Custom"},
    {"opt.resolution", "Resolution"},
    {"opt.windowMode", "Window mode"},
    {"opt.vsync", "Vertical sync"},
    {"opt.frameLimit", "Frame rate limit (0: none)"},
    {"opt.hdr", "HDR"},
    {"opt.brightness", "Brightness"},
    {"opt.fov", "Field of view"},
    {"opt.upscaler", "Upscaler"},
    {"opt.renderScale", "Render scale"},
    {"opt.shadows", "Shadows"},
    {"opt.textures", "Texture quality"},
    {"opt.filtering", "Texture filtering"},
    {"opt.antiAliasing", "Anti-aliasing"},
    {"opt.viewDistance", "View distance"},
    {"opt.foliage", "Foliage"},
    {"opt.effects", "Effects"},
    {"opt.shaders", "Shader quality"},
    {"opt.rayTracing", "Ray tracing"},
    {"opt.ambientOcclusion", "Ambient occlusion"},
    {"opt.bloom", "Bloom"},
    {"opt.motionBlur", "Motion blur"},
    {"opt.depthOfField", "Depth of field"},
    {"opt.filmGrain", "Film grain"},
    {"opt.chromaticAberration", "Chromatic aberration"},
    {"opt.sharpening", "Sharpening"},
    {"opt.subtitleSize", "Subtitle size"},
    {"opt.colorblind", "Colour-blind mode"},
    {"opt.cameraShake", "Camera shake"},
    {"opt.uiScale", "Interface scale"},
    {"opt.reduceFlashing", "Reduce flashing"},
    {"opt.highContrast", "High-contrast interface"},
    {"menu.preset", "Preset"},
    {"menu.restart", "restart required"},
}};

} // namespace

std::string_view Label(std::string_view key)
{
    for (const auto& [known, text] : kEnglish) {
        if (known == key) {
            return text;
        }
    }
    return key;
}
