// show --json. Every string is UTF-8, every number as the library writes it.
#include "json_output.h"

#include "output_text.h"

#include "settingsfile/numbers.h"
#include "text/utf.h"

#include <cmath>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace qorvazel {

using namespace qorva_zel;

namespace {

// A float as a JSON number; "inf", "-inf" and "nan" as strings.
std::string JsonFloat(float value)
{
    return std::isfinite(value) ? FormatFloat(value) : JsonString(FormatFloat(value));
}

std::string JsonMode(const QORVA_ZEL_Resolution& mode)
{
    return "{\"width\": " + FormatUnsigned(mode.Width) + ", \"height\": " + FormatUnsigned(mode.Height) +
           ", \"refreshRate\": " + JsonFloat(mode.RefreshRate) + "}";
}

std::string JsonValue(const OptionRecord& record)
{
    switch (record.Type) {
    case QORVA_ZEL_Integer:
        return FormatInt(record.Value.IntValue);
    case QORVA_ZEL_Float:
        return JsonFloat(record.Value.FloatValue);
    case QORVA_ZEL_Enum:
        return JsonString(ToUtf8(record.StringValue));
    default:
        return record.Value.BoolValue != 0 ? "true" : "false";
    }
}

std::string JsonLimits(const OptionRecord& record)
{
    switch (record.Type) {
    case QORVA_ZEL_Integer:
        if (record.NumSteps < 0) {
            return "null"; // no limits apply
        }
        return "{\"min\": " + FormatInt(record.MinValue.IntValue) + ", \"max\": " + FormatInt(record.MaxValue.IntValue) +
               ", \"steps\": " + FormatInt(record.NumSteps) + "}";
    case QORVA_ZEL_Float:
        if (record.NumSteps < 0) {
            return "null";
        }
        return "{\"min\": " + JsonFloat(record.MinValue.FloatValue) + ", \"max\": " +
               JsonFloat(record.MaxValue.FloatValue) + ", \"steps\": " + FormatInt(record.NumSteps) + "}";
    case QORVA_ZEL_Enum: {
        std::string list;
        for (const std::u16string& allowed : record.Values) {
            list += (list.empty() ? "" : ", ") + JsonString(ToUtf8(allowed));
        }
        return "{\"allowed\": [" + list + "]}";
    }
    default:
        return "null";
    }
}

} // namespace

void ShowJson(const SettingsFile& file)
{
    const SettingsDocument& document = file.Document;
    const StoredApplication& app = document.Application;
    std::string out = "{\n  \"file\": " + JsonString(file.Path) + ",\n  \"settingsElement\": " +
                      (file.HasSettings ? "true" : "false") + ",\n  \"encoding\": " +
                      JsonString(EncodingName(document.Encoding)) + ",\n  \"application\": {\"DisplayName\": " +
                      JsonString(app.DisplayName) + ", \"VersionName\": " + JsonString(app.VersionName) +
                      ", \"InstallPath\": " + JsonString(app.InstallPath) + ", \"ConfigPath\": " +
                      JsonString(app.ConfigPath) + ", \"Executable\": " + JsonString(app.Executable) +
                      ", \"ExecCmd\": " + JsonString(app.ExecCmd) + "},\n  \"resolution\": " +
                      JsonMode(CurrentMode(document)) + ",\n  \"listedModes\": [";
    const std::vector<QORVA_ZEL_Resolution> listed = ListedModes(document);
    for (std::size_t i = 0; i < listed.size(); ++i) {
        out += (i == 0 ? "" : ", ") + JsonMode(listed[i]);
    }
    out += "],\n  \"options\": [";
    std::size_t problems = 0;
    for (std::size_t i = 0; i < file.Options.size(); ++i) {
        const OptionReport& option = file.Options[i];
        const std::size_t offset = option.Stored != nullptr ? option.Stored->Offset : option.Skipped->Offset;
        out += i == 0 ? "\n    {" : ",\n    {";
        if (option.Stored != nullptr) {
            out += "\"name\": " + JsonString(option.Stored->Name) + ", \"type\": " +
                   JsonString(TypeName(option.Stored->Type)) + ", \"text\": " + JsonString(option.Stored->Value) +
                   ", \"value\": " + JsonValue(option.Record) + ", \"registered\": " +
                   (option.Registered ? "true" : "false") + ", \"limits\": " + JsonLimits(option.Record);
        } else {
            const std::string_view name = option.Skipped->Name;
            out += "\"name\": " + (name.empty() ? std::string("null") : JsonString(name)) +
                   ", \"type\": null, \"text\": null, \"value\": null, \"registered\": null, \"limits\": null";
        }
        out += ", \"line\": " + std::to_string(option.Position.Line) + ", \"column\": " +
               std::to_string(option.Position.Column) + ", \"source\": " +
               JsonString(StartTagAt(document.Source, offset)) + ", \"verdict\": " + JsonString(option.Verdict()) +
               ", \"problems\": [";
        for (std::size_t k = 0; k < option.Problems.size(); ++k) {
            out += (k == 0 ? "{\"kind\": " : ", {\"kind\": ") + JsonString(option.Problems[k].Kind) +
                   ", \"message\": " + JsonString(option.Problems[k].Message) + "}";
        }
        out += "]}";
        problems += option.Problems.empty() ? 0 : 1;
    }
    out += file.Options.empty() ? "],\n" : "\n  ],\n";
    out += "  \"problems\": " + std::to_string(problems) + "\n}\n";
    std::cout << out;
}

} // namespace qorvazel
