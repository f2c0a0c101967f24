// script.cpp - reading and playing the scripted mode's actions.
#include "script.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <optional>
#include <tuple>
#include <utility>

namespace {

constexpr const char* kVerbs[] = {"select", "set", "preset", "apply", "revert", "confirm", "go-back",
                                  "expect", "wait-frames", "wait-seconds", "screenshot"};

// Frames drawn before a screenshot, so that a popup or a tab that has just
// been opened is laid out.
constexpr int kSettleFrames = 3;

std::string Trim(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Splits off the first word.
std::pair<std::string, std::string> FirstWord(const std::string& text)
{
    const std::size_t space = text.find_first_of(" \t");
    if (space == std::string::npos) {
        return {text, std::string()};
    }
    return {text.substr(0, space), Trim(text.substr(space))};
}

bool ParseNumber(const std::string& text, double* number)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, *number);
    return result.ec == std::errc() && result.ptr == end;
}

// "1920x1080@59.94" or "1920x1080@60000/1001"
bool ParseMode(const std::string& text, kit::display_mode* mode)
{
    unsigned width = 0;
    unsigned height = 0;
    unsigned numerator = 0;
    unsigned denominator = 0;
    float rate = 0.0f;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%ux%u@%u/%u%c", &width, &height, &numerator, &denominator, &tail) == 4) {
        *mode = kit::mode(width, height, numerator, denominator);
        return denominator > 0;
    }
    if (std::sscanf(text.c_str(), "%ux%u@%f%c", &width, &height, &rate, &tail) != 3) {
        return false;
    }
    *mode = kit::mode(width, height, rate);
    return true;
}

// The option's value read from text as its type.
std::optional<kit::value> ParseValue(QORVA_ZEL_OptionType type, const std::string& text)
{
    double number = 0.0;
    switch (type) {
    case QORVA_ZEL_Enum: return kit::value(text);
    case QORVA_ZEL_Bool:
        if (text == "true" || text == "on") return kit::value(true);
        if (text == "false" || text == "off") return kit::value(false);
        return std::nullopt;
    case QORVA_ZEL_Integer:
        if (!ParseNumber(text, &number) || number != std::floor(number)) return std::nullopt;
        return kit::value(static_cast<std::int32_t>(number));
    default:
        if (!ParseNumber(text, &number)) return std::nullopt;
        return kit::value(static_cast<float>(number));
    }
}

bool SameValue(const kit::value& shown, const kit::value& wanted)
{
    if (shown.index() == 1 && wanted.index() == 1) {
        return std::fabs(std::get<float>(shown) - std::get<float>(wanted)) < 1e-4f;
    }
    return shown == wanted;
}

} // namespace

bool ScriptPlayer::Load(const std::string& path, std::string* error)
{
    path_ = path;
    std::ifstream in(path);
    if (!in) {
        *error = path + ": cannot be read";
        return false;
    }
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        text = Trim(text);
        if (text.empty() || text[0] == '#') {
            continue;
        }
        Action action;
        action.line = line;
        std::tie(action.verb, text) = FirstWord(text);
        std::tie(action.subject, action.rest) = FirstWord(text);
        bool known = false;
        for (const char* verb : kVerbs) {
            known = known || action.verb == verb;
        }
        if (!known) {
            *error = path + ":" + std::to_string(line) + ": unknown action \"" + action.verb + "\"";
            return false;
        }
        actions_.push_back(action);
    }
    return true;
}

bool ScriptPlayer::Fail(const Action& action, const std::string& why)
{
    error_ = path_ + ":" + std::to_string(action.line) + ": " + why;
    return false;
}

ScriptPlayer::State ScriptPlayer::Step(PendingChanges& changes, MenuView& view, double* skipped_seconds,
                                       std::string* screenshot)
{
    if (frames_to_wait_ > 0) {
        --frames_to_wait_;
        return State::running;
    }
    if (!screenshot_due_.empty()) {
        *screenshot = std::move(screenshot_due_);
        screenshot_due_.clear();
        return State::running;
    }
    if (next_ == actions_.size()) {
        return State::done;
    }
    const Action& action = actions_[next_++];
    if (!Play(action, changes, view, skipped_seconds)) {
        return State::failed;
    }
    return State::running;
}

bool ScriptPlayer::Play(const Action& action, PendingChanges& changes, MenuView& view, double* skipped_seconds)
{
    const std::string& verb = action.verb;
    const std::string value = action.rest;
    if (verb == "select") {
        if (action.subject != "tab" || value.empty()) {
            return Fail(action, "write \"select tab NAME\"");
        }
        view.select_tab = value;
        return true;
    }
    if (verb == "preset") {
        const kit::status status = changes.ChoosePreset(action.subject);
        return status == QORVA_ZEL_OK || Fail(action, std::string("preset refused: ") + kit::status_text(status));
    }
    if (verb == "apply") {
        ApplyAndTell(changes, view);
        return view.status.rfind("Applied", 0) == 0 || Fail(action, view.status);
    }
    if (verb == "revert") {
        changes.Revert();
        return true;
    }
    if (verb == "confirm" || verb == "go-back") {
        if (!changes.AwaitingConfirm()) {
            return Fail(action, "no display mode waits for a confirmation");
        }
        if (verb == "go-back") {
            changes.RevertMode();
            return true;
        }
        const kit::status status = changes.Confirm();
        return status == QORVA_ZEL_OK || Fail(action, std::string("not saved: ") + kit::status_text(status));
    }
    if (verb == "wait-frames" || verb == "wait-seconds") {
        double amount = 0.0;
        if (!ParseNumber(action.subject, &amount) || amount < 0.0) {
            return Fail(action, "not a count: " + action.subject);
        }
        if (verb == "wait-frames") {
            frames_to_wait_ = static_cast<int>(amount);
        } else {
            // The time passes before the next frame, which the menu draws
            // (and polls the confirmation's deadline in) before the next action.
            *skipped_seconds += amount;
            frames_to_wait_ = 1;
        }
        return true;
    }
    if (verb == "screenshot") {
        if (action.subject.empty()) {
            return Fail(action, "write \"screenshot FILE.png\"");
        }
        // Taken after the frames that let the menu settle.
        frames_to_wait_ = kSettleFrames;
        screenshot_due_ = action.subject;
        return true;
    }

    // set and expect: an option, the preset, or the display mode.
    const bool expect = verb == "expect";
    if (action.subject == "Resolution") {
        kit::display_mode mode{};
        if (!ParseMode(value, &mode)) {
            return Fail(action, "not a display mode (WxH@RATE): " + value);
        }
        if (expect) {
            return kit::modes_match(changes.ShownMode(), mode) ||
                   Fail(action, "the display mode is " + ModeText(changes.ShownMode()));
        }
        for (const kit::display_mode& listed : changes.modes()) {
            if (kit::modes_match(listed, mode)) {
                const kit::status status = changes.ChooseMode(listed);
                return status == QORVA_ZEL_OK || Fail(action, std::string("refused: ") + kit::status_text(status));
            }
        }
        return Fail(action, "not one of the display modes: " + value);
    }
    if (expect && action.subject == "preset") {
        const std::string shown(changes.listing().current_preset());
        return shown == value || Fail(action, "the preset is " + shown);
    }
    const std::optional<kit::option_view> option = changes.listing().find(action.subject);
    if (!option) {
        return Fail(action, "no option " + action.subject);
    }
    const std::optional<kit::value> wanted = ParseValue(option->type(), value);
    if (!wanted) {
        return Fail(action, "not a value of " + action.subject + ": " + value);
    }
    if (expect) {
        return SameValue(option->current(), *wanted) || Fail(action, action.subject + " is not " + value);
    }
    const kit::status status = changes.Edit(action.subject, *wanted);
    return status == QORVA_ZEL_OK || Fail(action, std::string("refused: ") + kit::status_text(status));
}
