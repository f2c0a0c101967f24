#include "registry/saved_options.h"

namespace qorva_zel {

SavedOptions::Set::const_iterator SavedOptions::Find(std::u16string_view name) const
{
    const auto lowest = records_.lower_bound(name);
    if (lowest != records_.end() && lowest->Name == name) {
        return lowest;
    }
    return records_.end();
}

} // namespace qorva_zel
