#include "kit/events.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>

namespace qorva_zel::kit {
namespace {

struct Subscriber {
    QORVA_ZEL_KIT_EventCallback Callback = nullptr;
    void* User = nullptr;
    std::uint64_t Token = 0;
    bool Removed = false;
    int Running = 0; // deliveries in progress, on any thread
};

// The subscriptions of the process, made on first use and never destroyed.
struct Hub {
    std::mutex Lock;
    std::condition_variable Done; // a delivery ended
    std::vector<std::shared_ptr<Subscriber>> Subscribers;
    std::uint64_t NextToken = 1;
};

Hub& TheHub() noexcept
{
    alignas(Hub) static unsigned char storage[sizeof(Hub)];
    static Hub* const hub = ::new (static_cast<void*>(storage)) Hub();
    return *hub;
}

// The subscriptions whose callback this thread is running, innermost last.
thread_local std::vector<std::uint64_t> tDelivering;

QORVA_ZEL_KIT_Event ToPublic(const KitEvent& event)
{
    QORVA_ZEL_KIT_Event out{};
    out.Kind = event.Kind;
    out.Cause = event.Cause;
    out.Name = event.Name.c_str();
    if (event.Kind == QORVA_ZEL_KIT_EVENT_VALUE) {
        out.OldValue = kit::ToPublic(event.Old, event.Old.String.c_str());
        out.NewValue = kit::ToPublic(event.New, event.New.String.c_str());
    }
    out.OldMode = event.OldMode;
    out.NewMode = event.NewMode;
    out.FromVersion = event.FromVersion;
    out.ToVersion = event.ToVersion;
    out.Provisional = event.Provisional ? 1 : 0;
    out.Expired = event.Expired ? 1 : 0;
    return out;
}

} // namespace

QORVA_ZEL_Status Subscribe(QORVA_ZEL_KIT_EventCallback callback, void* user, std::uint64_t& token)
{
    auto subscriber = std::make_shared<Subscriber>();
    subscriber->Callback = callback;
    subscriber->User = user;
    Hub& hub = TheHub();
    std::lock_guard<std::mutex> guard(hub.Lock);
    subscriber->Token = hub.NextToken++;
    hub.Subscribers.push_back(subscriber);
    token = subscriber->Token;
    return QORVA_ZEL_OK;
}

QORVA_ZEL_Status Unsubscribe(std::uint64_t token)
{
    Hub& hub = TheHub();
    std::unique_lock<std::mutex> guard(hub.Lock);
    const auto found = std::find_if(hub.Subscribers.begin(), hub.Subscribers.end(),
                                    [token](const std::shared_ptr<Subscriber>& s) { return s->Token == token; });
    if (found == hub.Subscribers.end()) {
        return QORVA_ZEL_KIT_ERROR_NOT_FOUND;
    }
    const std::shared_ptr<Subscriber> subscriber = *found;
    subscriber->Removed = true;
    hub.Subscribers.erase(found);
    // Wait for the deliveries on other threads; this thread's own (the
    // callback ending its own subscription) are still on its stack.
    const int own = static_cast<int>(std::count(tDelivering.begin(), tDelivering.end(), token));
    hub.Done.wait(guard, [&] { return subscriber->Running <= own; });
    return QORVA_ZEL_OK;
}

void Deliver(const EventList& events)
{
    if (events.empty()) {
        return;
    }
    Hub& hub = TheHub();
    for (const KitEvent& event : events) {
        const QORVA_ZEL_KIT_Event out = ToPublic(event);
        std::vector<std::shared_ptr<Subscriber>> now;
        {
            std::lock_guard<std::mutex> guard(hub.Lock);
            now = hub.Subscribers;
        }
        for (const std::shared_ptr<Subscriber>& subscriber : now) {
            {
                std::lock_guard<std::mutex> guard(hub.Lock);
                if (subscriber->Removed) {
                    continue;
                }
                ++subscriber->Running;
            }
            tDelivering.push_back(subscriber->Token);
            subscriber->Callback(&out, subscriber->User);
            tDelivering.pop_back();
            {
                std::lock_guard<std::mutex> guard(hub.Lock);
                --subscriber->Running;
            }
            hub.Done.notify_all();
        }
    }
}

} // namespace qorva_zel::kit
