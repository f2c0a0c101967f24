// menu.cpp - the settings menu, drawn from the listing.
#include "menu.h"

#include "labels.h"

#include <imgui.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

const ImVec4 kWarning(1.0f, 0.78f, 0.25f, 1.0f);
const ImVec4 kEdited(0.45f, 0.8f, 1.0f, 1.0f);
constexpr const char* kConfirmTitle = "Keep this display mode?";

std::string Text(std::string_view key, std::string_view fallback)
{
    return std::string(key.empty() ? fallback : Label(key));
}

struct Category {
    std::string name;
    std::string label;
};

std::vector<Category> Categories(const kit::listing& listing)
{
    std::vector<Category> categories;
    for (const kit::named_entry& entry : listing.categories()) {
        categories.push_back({std::string(entry.name), Text(entry.label_key, entry.name)});
    }
    return categories;
}

// A value on the schema's steps as the index of its step, and back.
int StepIndex(double value, double min, double max, int steps)
{
    return static_cast<int>(std::lround((value - min) / (max - min) * steps));
}
double StepValue(int index, double min, double max, int steps)
{
    return min + (max - min) * index / steps;
}

void Tell(MenuView& view, kit::status status, std::string_view what)
{
    if (status != QORVA_ZEL_OK) {
        view.status = std::string(what) + ": " + kit::status_text(status);
    }
}

// The widget of one option; the option's type chooses it.
void DrawWidget(PendingChanges& changes, MenuView& view, const kit::option_view& option)
{
    const std::string name(option.name()); // the option view ends with the listing an edit replaces
    const std::string id = "##" + name;
    const kit::value current = option.current();
    std::optional<kit::value> wanted;
    const int steps = option.num_steps();
    switch (option.type()) {
    case QORVA_ZEL_Bool: {
        bool on = std::get<bool>(current);
        if (ImGui::Checkbox(id.c_str(), &on)) {
            wanted = on;
        }
        break;
    }
    case QORVA_ZEL_Enum: {
        const std::string& shown = std::get<std::string>(current);
        if (ImGui::BeginCombo(id.c_str(), shown.c_str())) {
            for (const std::string_view allowed : option.allowed()) {
                const std::string text(allowed);
                if (ImGui::Selectable(text.c_str(), text == shown) && text != shown) {
                    wanted = text;
                }
            }
            ImGui::EndCombo();
        }
        break;
    }
    case QORVA_ZEL_Integer: {
        int number = std::get<std::int32_t>(current);
        const int min = std::get<std::int32_t>(option.min_value());
        const int max = std::get<std::int32_t>(option.max_value());
        if (steps > 0) {
            int index = StepIndex(number, min, max, steps);
            const std::string shown = std::to_string(number);
            if (ImGui::SliderInt(id.c_str(), &index, 0, steps, shown.c_str())) {
                wanted = static_cast<std::int32_t>(std::lround(StepValue(index, min, max, steps)));
            }
        } else if (steps == 0 ? ImGui::SliderInt(id.c_str(), &number, min, max) : ImGui::InputInt(id.c_str(), &number)) {
            wanted = static_cast<std::int32_t>(number);
        }
        break;
    }
    case QORVA_ZEL_Float: {
        float number = std::get<float>(current);
        const float min = std::get<float>(option.min_value());
        const float max = std::get<float>(option.max_value());
        if (steps > 0) {
            int index = StepIndex(number, min, max, steps);
            char shown[32];
            std::snprintf(shown, sizeof shown, "%.2f", static_cast<double>(number));
            if (ImGui::SliderInt(id.c_str(), &index, 0, steps, shown)) {
                wanted = static_cast<float>(StepValue(index, min, max, steps));
            }
        } else if (steps == 0 ? ImGui::SliderFloat(id.c_str(), &number, min, max, "%.2f")
                              : ImGui::InputFloat(id.c_str(), &number)) {
            wanted = number;
        }
        break;
    }
    default: break; // the kit lists only the four types
    }
    if (wanted) {
        Tell(view, changes.Edit(name, *wanted), name);
    }
}

void DrawOptionRow(PendingChanges& changes, MenuView& view, const kit::option_view& option)
{
    ImGui::TableNextRow();
    ImGui::TableNextColumn();
    const std::string label = Text(option.label_key(), option.name());
    if (!option.available()) {
        ImGui::TextDisabled("%s (not available on this machine)", label.c_str());
    } else if (changes.Edited(option.name())) {
        ImGui::TextColored(kEdited, "%s *", label.c_str());
    } else {
        ImGui::TextUnformatted(label.c_str());
    }
    if (option.restart_required()) {
        ImGui::SameLine();
        ImGui::TextColored(kWarning, "(%s)", std::string(Label("menu.restart")).c_str());
    }
    ImGui::TableNextColumn();
    ImGui::SetNextItemWidth(-FLT_MIN);
    ImGui::BeginDisabled(!option.available());
    DrawWidget(changes, view, option);
    ImGui::EndDisabled();
}

void DrawModeRow(PendingChanges& changes)
{
    ImGui::TableNextRow();
    ImGui::TableNextColumn();
    const kit::display_mode shown = changes.ShownMode();
    const std::string label(Label("opt.resolution"));
    if (changes.ModeChosen()) {
        ImGui::TextColored(kEdited, "%s *", label.c_str());
    } else {
        ImGui::TextUnformatted(label.c_str());
    }
    ImGui::TableNextColumn();
    ImGui::SetNextItemWidth(-FLT_MIN);
    if (ImGui::BeginCombo("##Resolution", ModeText(shown).c_str())) {
        std::optional<kit::display_mode> chosen;
        for (const kit::display_mode& mode : changes.modes()) {
            if (ImGui::Selectable(ModeText(mode).c_str(), kit::modes_match(mode, shown))) {
                chosen = mode;
            }
        }
        ImGui::EndCombo();
        if (chosen) {
            changes.ChooseMode(*chosen);
        }
    }
}

void DrawPresetCombo(PendingChanges& changes, MenuView& view)
{
    const kit::listing& listing = changes.listing();
    const std::string_view current = listing.current_preset();
    std::string shown(Label("preset.custom"));
    for (const kit::named_entry& preset : listing.presets()) {
        if (preset.name == current) {
            shown = Text(preset.label_key, preset.name);
        }
    }
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted(std::string(Label("menu.preset")).c_str());
    ImGui::SameLine();
    ImGui::SetNextItemWidth(220.0f);
    if (ImGui::BeginCombo("##Preset", shown.c_str())) {
        std::string chosen;
        for (const kit::named_entry& preset : listing.presets()) {
            if (ImGui::Selectable(Text(preset.label_key, preset.name).c_str(), preset.name == current)) {
                chosen = std::string(preset.name);
            }
        }
        ImGui::EndCombo();
        if (!chosen.empty()) {
            Tell(view, changes.ChoosePreset(chosen), chosen);
        }
    }
}

void DrawTabs(PendingChanges& changes, MenuView& view)
{
    if (!ImGui::BeginTabBar("Categories")) {
        return;
    }
    // An edit replaces the listing, so the categories are copied out of it
    // and each option is taken from the listing of the moment.
    for (const Category& category : Categories(changes.listing())) {
        const bool select = !view.select_tab.empty() && (view.select_tab == category.name || view.select_tab == category.label);
        const std::string tab = category.label + "##" + category.name;
        if (!ImGui::BeginTabItem(tab.c_str(), nullptr, select ? ImGuiTabItemFlags_SetSelected : 0)) {
            continue;
        }
        if (ImGui::BeginTable("Options", 2, ImGuiTableFlags_RowBg | ImGuiTableFlags_SizingStretchProp)) {
            ImGui::TableSetupColumn("Option", ImGuiTableColumnFlags_WidthStretch, 0.45f);
            ImGui::TableSetupColumn("Value", ImGuiTableColumnFlags_WidthStretch, 0.55f);
            if (category.name == "display") {
                DrawModeRow(changes);
            }
            for (std::uint32_t i = 0; i < changes.listing().size(); ++i) {
                const kit::option_view option = changes.listing()[i];
                if (option.category() == category.name) {
                    DrawOptionRow(changes, view, option);
                }
            }
            ImGui::EndTable();
        }
        ImGui::EndTabItem();
    }
    view.select_tab.clear();
    ImGui::EndTabBar();
}

void DrawConfirmDialog(PendingChanges& changes)
{
    if (changes.AwaitingConfirm() && !ImGui::IsPopupOpen(kConfirmTitle)) {
        ImGui::OpenPopup(kConfirmTitle);
    }
    ImGui::SetNextWindowPos(ImGui::GetMainViewport()->GetCenter(), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
    if (!ImGui::BeginPopupModal(kConfirmTitle, nullptr, ImGuiWindowFlags_AlwaysAutoResize)) {
        return;
    }
    if (!changes.AwaitingConfirm()) {
        ImGui::CloseCurrentPopup();
    }
    ImGui::Text("The display is now %s.", ModeText(changes.ShownMode()).c_str());
    ImGui::TextColored(kWarning, "Going back to the previous mode in %d s.",
                       static_cast<int>(std::ceil(changes.SecondsLeft())));
    if (ImGui::Button("Keep", ImVec2(120, 0))) {
        changes.Confirm();
    }
    ImGui::SameLine();
    if (ImGui::Button("Go back", ImVec2(120, 0))) {
        changes.RevertMode();
    }
    ImGui::EndPopup();
}

} // namespace

void ApplyAndTell(PendingChanges& changes, MenuView& view)
{
    const PendingChanges::Outcome outcome = changes.Apply();
    if (outcome.status != QORVA_ZEL_OK) {
        view.status = std::string("Not saved: ") + kit::status_text(outcome.status);
        return;
    }
    view.status = "Applied and saved.";
    if (!outcome.restart_label_keys.empty()) {
        view.status += " Takes effect after a restart:";
        for (std::size_t i = 0; i < outcome.restart_label_keys.size(); ++i) {
            view.status += (i == 0 ? " " : ", ") + std::string(Label(outcome.restart_label_keys[i]));
        }
        view.status += ".";
    }
}

void DrawSettingsMenu(PendingChanges& changes, MenuView& view)
{
    if (changes.Poll()) {
        view.status = "The display mode was not confirmed and was put back.";
    }
    const ImGuiViewport* screen = ImGui::GetMainViewport();
    ImGui::SetNextWindowPos(screen->WorkPos);
    ImGui::SetNextWindowSize(screen->WorkSize);
    ImGui::Begin("Settings", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoBringToFrontOnFocus);
    ImGui::TextUnformatted("SETTINGS");
    ImGui::Separator();
    for (const std::string& line : view.banner) {
        ImGui::TextColored(kWarning, "%s", line.c_str());
    }
    DrawPresetCombo(changes, view);
    ImGui::Spacing();

    const float footer = ImGui::GetFrameHeightWithSpacing() + ImGui::GetTextLineHeightWithSpacing() + 8.0f;
    ImGui::BeginChild("Tabs", ImVec2(0, -footer));
    DrawTabs(changes, view);
    ImGui::EndChild();

    ImGui::Separator();
    const bool edits = changes.HasEdits();
    ImGui::BeginDisabled(!edits);
    if (ImGui::Button("Apply", ImVec2(120, 0))) {
        ApplyAndTell(changes, view);
    }
    ImGui::SameLine();
    if (ImGui::Button("Revert", ImVec2(120, 0))) {
        changes.Revert();
        view.status.clear();
    }
    ImGui::EndDisabled();
    ImGui::TextUnformatted(view.status.c_str());
    DrawConfirmDialog(changes);
    ImGui::End();
}
