// Bringing a settings file of an older settings version up to the schema's:
// the schema's migrations in order, on the file's options.
#pragma once

#include "kit/file_options.h"
#include "kit/schema.h"

#include <cstdint>
#include <vector>

namespace qorva_zel::kit {

// Runs every migration newer than fromVersion on options, in order. A value
// that a "defaultChanged" step finds equal to the earlier default takes the
// option's current default from defaults (one per schema option); last, the
// version option records the schema's version.
void MigrateOptions(std::vector<FileOption>& options, const Schema& schema, std::uint32_t fromVersion,
                    const std::vector<KitValue>& defaults);

} // namespace qorva_zel::kit
