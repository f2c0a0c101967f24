#include "core/file_buffers.h"

namespace qorva_zel {
namespace {

// Enough for files of some 20,000 options (a 5.7 MB file: its bytes, its
// text and the list of its options).
constexpr std::size_t kLargestKept = 32 * 1024 * 1024;

template <class T>
void Free(T& container) noexcept
{
    T().swap(container);
}

} // namespace

void FileBuffers::Trim() noexcept
{
    const std::size_t held = Bytes.capacity() + Document.HeldBytes() +
                             Accepted.capacity() * sizeof(PreparedValue) +
                             Saved.capacity() * sizeof(std::pair<std::size_t, SavedValue>) +
                             Options.capacity() * sizeof(OptionToWrite) + Text.capacity() * sizeof(char16_t);
    if (held > kLargestKept) {
        Release();
    }
}

void FileBuffers::Release() noexcept
{
    Free(Bytes);
    Document.Release();
    Free(Accepted);
    Free(Saved);
    Free(HasSaved);
    Free(Options);
    Free(Text);
}

} // namespace qorva_zel
