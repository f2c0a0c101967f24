// An open-addressed hash index from names to positions. The names are not
// copied: each entry points at text that its owner keeps in place for as
// long as the entry is there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qorva_zel {

class NameIndex {
public:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    // The position stored under name, or kNone.
    std::uint32_t Find(std::u16string_view name) const noexcept;

    // Makes room for count names, so that the Assign calls for them cannot
    // fail. Strong guarantee: on an exception nothing changed.
    void Reserve(std::size_t count);
    // Stores position under name, replacing what was stored under it. There
    // is room for it (Reserve).
    void Assign(std::u16string_view name, std::uint32_t position) noexcept;

    void Clear() noexcept;

private:
    // A slot without text is free. The text and its length are both reached
    // straight from the slot, so a look-up waits for memory once or twice.
    struct Slot {
        const char16_t* Name = nullptr;
        std::uint32_t Size = 0;
        std::uint32_t Hash = 0;
        std::uint32_t Position = 0;
    };

    static std::uint32_t HashOf(std::u16string_view name) noexcept;
    // The slot of that name, or the free slot where it would go.
    std::size_t Probe(std::u16string_view name, std::uint32_t hash) const noexcept;

    // A power of two in size, never more than half full.
    std::vector<Slot> slots_;
};

} // namespace qorva_zel
