#include "registry/resolutions.h"

#include "registry/option_value.h"

#include <algorithm>

namespace qorva_zel {

bool SameResolution(const QORVA_ZEL_Resolution& a, const QORVA_ZEL_Resolution& b) noexcept
{
    return a.Width == b.Width && a.Height == b.Height && a.RefreshRate == b.RefreshRate;
}

bool SameSavedResolution(const QORVA_ZEL_Resolution& current, const QORVA_ZEL_Resolution& saved) noexcept
{
    return current.Width == saved.Width && current.Height == saved.Height &&
           EqualOrBothNaN(current.RefreshRate, saved.RefreshRate);
}

bool IsAllowedResolution(const std::vector<QORVA_ZEL_Resolution>& list,
                         const QORVA_ZEL_Resolution& resolution) noexcept
{
    return list.empty() || std::any_of(list.begin(), list.end(), [&](const QORVA_ZEL_Resolution& entry) {
               return SameResolution(entry, resolution);
           });
}

} // namespace qorva_zel
