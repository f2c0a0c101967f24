// A reader of settings files as the library writes them that builds no
// parsed document: one pass over the decoded text, filling the same plain
// description the DOM reader fills. It is the loader's fast path, and it
// declines whatever it is not certain about.
#pragma once

#include "settingsfile/settings_reader.h"

#include <string>

namespace qorva_zel {

// Reads text (UTF-8, as the reader decodes it) into out's lists, which it
// expects empty, and returns true when it has read the whole text exactly
// as the DOM reader would: the same well-formedness verdict and the same
// texts. False when it met anything it does not read itself (comments,
// processing instructions, text between elements, references other than
// the five named ones and small decimal ones, names outside ASCII, nesting
// deeper than it follows, ...): out's lists then hold partial results and
// text is unchanged, so the caller clears them and reads with the DOM.
// On success it decodes the references in the values it keeps, in place.
bool ScanSettingsText(std::string& text, SettingsDocument& out);

} // namespace qorva_zel
