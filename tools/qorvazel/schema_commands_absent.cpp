// schema check and check --schema in a build without the settings kit
// (QORVA_ZEL_BUILD_KIT off, or no nlohmann-json): refused as commands this
// qorvazel does not have.
#include "commands.h"

namespace qorvazel {

int SchemaCheck(const Arguments&)
{
    return Usage("this qorvazel was built without the settings kit: no schema commands");
}

int CheckWithSchema(const Arguments&)
{
    return Usage("this qorvazel was built without the settings kit: no check --schema");
}

} // namespace qorvazel
