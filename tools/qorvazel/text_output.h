// show: the file's report for people.
#pragma once

#include "file_report.h"

namespace qorvazel {

void ShowText(const SettingsFile& file);

} // namespace qorvazel
