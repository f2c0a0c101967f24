// The objects the kit hands out and the caller gives back: the open result,
// the listing and the load report. Each owns every string its C records
// point to, and never changes after it is made.
#pragma once

#include "qorva_zel_kit.h"

#include <deque>
#include <string>
#include <vector>

// The header declares these two as incomplete types.
struct QORVA_ZEL_KIT_Listing {
    std::vector<QORVA_ZEL_KIT_OptionInfo> Options;
    std::vector<QORVA_ZEL_KIT_NamedEntry> Categories;
    std::vector<QORVA_ZEL_KIT_NamedEntry> Presets;
    std::deque<std::vector<const char*>> Allowed;
    std::deque<std::string> Strings; // elements of a deque stay where they are
    const char* CurrentPreset = "";

    const char* Keep(std::string text)
    {
        Strings.push_back(std::move(text));
        return Strings.back().c_str();
    }
};

struct QORVA_ZEL_KIT_Report {
    std::vector<QORVA_ZEL_KIT_Finding> Findings;
    std::deque<std::string> Strings;
    const char* File = "";

    const char* Keep(std::string text)
    {
        Strings.push_back(std::move(text));
        return Strings.back().c_str();
    }
};

namespace qorva_zel::kit {

// The caller sees the record it derives from.
struct OpenResultObject : QORVA_ZEL_KIT_OpenResult {
    OpenResultObject() : QORVA_ZEL_KIT_OpenResult{} {}
    std::deque<std::string> Strings;

    const char* Keep(std::string text)
    {
        Strings.push_back(std::move(text));
        return Strings.back().c_str();
    }
};

} // namespace qorva_zel::kit
