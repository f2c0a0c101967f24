// Change events: the subscriptions of the process and the delivery of the
// events a call collected, on the calling thread, without the kit's lock.
#pragma once

#include "kit/kit_value.h"
#include "qorva_zel_kit.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qorva_zel::kit {

struct KitEvent {
    std::int32_t Kind = 0;
    std::int32_t Cause = 0;
    std::string Name;
    KitValue Old;
    KitValue New;
    QORVA_ZEL_KIT_DisplayMode OldMode{};
    QORVA_ZEL_KIT_DisplayMode NewMode{};
    std::uint32_t FromVersion = 0;
    std::uint32_t ToVersion = 0;
    bool Provisional = false;
    bool Expired = false;
};

using EventList = std::vector<KitEvent>;

QORVA_ZEL_Status Subscribe(QORVA_ZEL_KIT_EventCallback callback, void* user, std::uint64_t& token);
QORVA_ZEL_Status Unsubscribe(std::uint64_t token);

// Gives each event to every subscriber, in order. Call without the kit's lock.
void Deliver(const EventList& events);

} // namespace qorva_zel::kit
