#include "kit/load_report.h"

#include "registry/validate.h"
#include "settingsfile/value_verdicts.h"

#include <algorithm>

namespace qorva_zel::kit {
namespace {

// A value as qorvazel shows it: an Enum's string in quotes.
std::string Shown(const KitValue& value)
{
    OptionRecord record;
    StoreInRecord(value, record);
    return ValueText(record);
}

void Add(std::vector<Finding>& findings, std::int32_t kind, const FileOption& option, std::string message)
{
    Finding finding;
    finding.Kind = kind;
    finding.Option = option.Name;
    finding.Text = option.Text;
    finding.Message = std::move(message);
    finding.Offset = option.Offset;
    findings.push_back(std::move(finding));
}

void Judge(std::vector<Finding>& findings, const FileOption& option, const OptionVerdicts& verdicts)
{
    const Schema& schema = *verdicts.TheSchema;
    if (option.Name == kVersionOptionName) {
        return;
    }
    const std::optional<std::size_t> index = schema.IndexOf(option.Name);
    if (!index) {
        Add(findings, QORVA_ZEL_KIT_FINDING_UNKNOWN, option,
            option.Name + " is not an option of the game (kept in the file)");
        return;
    }
    const SchemaOption& known = schema.Options[*index];
    if (known.Default.Type != option.Value.Type) {
        Add(findings, QORVA_ZEL_KIT_FINDING_WRONG_TYPE, option,
            option.Name + " is " + (option.Value.Type == QORVA_ZEL_Integer ? "an " : "a ") + TypeName(option.Value.Type) +
                " in the file but " + (known.Default.Type == QORVA_ZEL_Integer ? "an " : "a ") +
                TypeName(known.Default.Type) + " in the game (kept in the file)");
        return;
    }
    if (option.Misread && option.TypeAsRead == option.Value.Type) {
        Add(findings, QORVA_ZEL_KIT_FINDING_MISREAD, option, MisreadMessage(option.Name, option.Text, option.Record));
    }
    if (known.Hidden && !SameValue(option.Value, (*verdicts.Defaults)[*index])) {
        Add(findings, QORVA_ZEL_KIT_FINDING_HIDDEN, option,
            option.Name + " is hidden: the game keeps its own value, not the file's");
        return;
    }
    if (known.Hidden) {
        return; // the file holds the value the game keeps
    }
    if (!(*verdicts.Available)[*index]) {
        Add(findings, QORVA_ZEL_KIT_FINDING_UNAVAILABLE, option,
            option.Name + " is unavailable on this machine: the game keeps its default (the file keeps " +
                Shown(option.Value) + ")");
        return;
    }
    const OptionRecord record = MakeRecord(known, option.Value);
    std::u16string storage;
    const char* kind = "";
    const std::string words = RefusalWords(record, ValidateOptionValue(record, ViewOf(ToVariant(option.Value, storage))), kind);
    if (!words.empty()) {
        const std::string_view name(kind);
        Add(findings,
            name == "off-step"       ? QORVA_ZEL_KIT_FINDING_OFF_STEP
            : name == "out-of-range" ? QORVA_ZEL_KIT_FINDING_OUT_OF_RANGE
                                     : QORVA_ZEL_KIT_FINDING_NOT_ALLOWED,
            option, RefusedMessage(option.Name, record, "the game's", words));
    }
}

} // namespace

const char* FindingKindName(std::int32_t kind) noexcept
{
    switch (kind) {
    case QORVA_ZEL_KIT_FINDING_MISREAD:
        return "misread";
    case QORVA_ZEL_KIT_FINDING_OUT_OF_RANGE:
        return "out-of-range";
    case QORVA_ZEL_KIT_FINDING_OFF_STEP:
        return "off-step";
    case QORVA_ZEL_KIT_FINDING_NOT_ALLOWED:
        return "not-allowed";
    case QORVA_ZEL_KIT_FINDING_WRONG_TYPE:
        return "wrong-type";
    case QORVA_ZEL_KIT_FINDING_UNKNOWN:
        return "unknown";
    case QORVA_ZEL_KIT_FINDING_HIDDEN:
        return "hidden";
    case QORVA_ZEL_KIT_FINDING_UNAVAILABLE:
        return "unavailable";
    case QORVA_ZEL_KIT_FINDING_MALFORMED:
        return "malformed";
    default:
        return "";
    }
}

std::vector<Finding> JudgeFile(const std::vector<FileOption>& options, const SettingsDocument& document,
                               const OptionVerdicts& verdicts)
{
    std::vector<Finding> findings;
    for (const FileOption& option : options) {
        Judge(findings, option, verdicts);
    }
    for (const SkippedOption& skipped : document.Skipped) {
        Finding finding;
        finding.Kind = QORVA_ZEL_KIT_FINDING_MALFORMED;
        finding.Option = std::string(skipped.Name);
        finding.Message = MalformedMessage(StartTagAt(document.Source, skipped.Offset), skipped.Reason);
        finding.Offset = skipped.Offset;
        findings.push_back(std::move(finding));
    }
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.Offset < b.Offset; });
    for (Finding& finding : findings) {
        finding.Position = PositionOf(document.Source, finding.Offset);
    }
    return findings;
}

} // namespace qorva_zel::kit
