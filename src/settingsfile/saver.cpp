#include "settingsfile/saver.h"

#include "settingsfile/escape.h"
#include "settingsfile/file_io.h"
#include "settingsfile/format.h"
#include "settingsfile/numbers.h"
#include "settingsfile/option_element.h"

#include <new>
#include <pugixml.hpp>
#include <string>

namespace qorva_zel {
namespace {

// Collects the serialised document in memory.
class StringWriter final : public pugi::xml_writer {
public:
    explicit StringWriter(std::string& out) : out_(out) {}
    void write(const void* data, std::size_t size) override { out_.append(static_cast<const char*>(data), size); }

private:
    std::string& out_;
};

// The document reports a failed allocation through empty handles and false
// results; the save turns that into the allocation failure it is.
void Require(bool allocated)
{
    if (!allocated) {
        throw std::bad_alloc();
    }
}

pugi::xml_node AddChild(pugi::xml_node parent, const char* name)
{
    pugi::xml_node child = parent.append_child(name);
    Require(child);
    return child;
}

void AddAttribute(pugi::xml_node element, const char* name, const std::string& text)
{
    Require(element.append_attribute(name).set_value(text.c_str()));
}

void AddResolutionAttributes(pugi::xml_node element, const QORVA_ZEL_Resolution& resolution)
{
    AddAttribute(element, format::kWidth, FormatUnsigned(resolution.Width));
    AddAttribute(element, format::kHeight, FormatUnsigned(resolution.Height));
    AddAttribute(element, format::kRefreshRate, FormatFloat(resolution.RefreshRate));
}

void BuildDocument(const SdkState& state, bool discardUnregistered, pugi::xml_document& document)
{
    pugi::xml_node declaration = document.prepend_child(pugi::node_declaration);
    Require(declaration && declaration.set_name("xml"));
    AddAttribute(declaration, "version", "1.0");
    AddAttribute(declaration, "encoding", "UTF-16");
    AddAttribute(declaration, "standalone", "no");

    pugi::xml_node root = AddChild(document, format::kRoot);
    AddAttribute(root, format::kVersion, format::kVersionText);

    pugi::xml_node application = AddChild(root, format::kApplication);
    const std::pair<const char*, const std::u16string*> strings[] = {
        {format::kDisplayName, &state.DisplayName}, {format::kVersionName, &state.VersionName},
        {format::kInstallPath, &state.InstallPath}, {format::kConfigPath, &state.ConfigPath},
        {format::kExecutable, &state.Executable},   {format::kExecCmd, &state.ExecCmd},
    };
    for (const auto& [name, value] : strings) {
        AddAttribute(AddChild(application, name), format::kValue, EscapeAttribute(*value));
    }

    pugi::xml_node settings = AddChild(root, format::kGameSettings);
    pugi::xml_node resolution = AddChild(settings, format::kResolution);
    AddResolutionAttributes(resolution, state.CurrentResolution);
    for (const QORVA_ZEL_Resolution& entry : state.RegisteredResolutions) {
        AddResolutionAttributes(AddChild(resolution, format::kEnum), entry);
    }

    for (const OptionRecord& record : state.RegisteredOptions) {
        Require(WriteOptionElement(AddChild(settings, format::kOption), record, true));
    }
    if (discardUnregistered) {
        return;
    }
    for (const OptionRecord& record : state.UnregisteredOptions) {
        // A kept record that now has a registered option of the same name and
        // type is stale: writing it would override the newer value next load.
        if (state.RegisteredOptions.ContainsOfType(record.Name, record.Type)) {
            continue;
        }
        Require(WriteOptionElement(AddChild(settings, format::kOption), record, false));
    }
}

} // namespace

QORVA_ZEL_Status SaveConfigFile(SdkState& state, std::uint32_t discardUnregistered)
{
    return WithInitializedState(state, [&]() -> QORVA_ZEL_Status {
        // The document, its bytes and the new snapshot are all made before
        // the file is touched; a failure on the way changes nothing.
        std::string bytes;
        {
            pugi::xml_document document;
            BuildDocument(state, (discardUnregistered & 1u) != 0, document);
            StringWriter writer(bytes);
            // Values are escaped already, in the file's own way.
            document.save(writer, "\t", pugi::format_indent | pugi::format_no_escapes, pugi::encoding_utf16_le);
        }
        SavedOptions snapshot;
        for (const OptionRecord& record : state.RegisteredOptions) {
            snapshot.Insert(record);
        }

        if (!ReplaceFileAtomically(ToNativePath(state.SettingsFilePath), bytes)) {
            return QORVA_ZEL_ERROR_FILE;
        }
        state.SavedResolution = state.CurrentResolution;
        state.SavedOptionSet.Swap(snapshot);
        return QORVA_ZEL_OK;
    });
}

} // namespace qorva_zel
