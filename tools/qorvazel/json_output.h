// show --json: the file's report as one JSON object.
#pragma once

#include "file_report.h"

namespace qorvazel {

void ShowJson(const SettingsFile& file);

} // namespace qorvazel
