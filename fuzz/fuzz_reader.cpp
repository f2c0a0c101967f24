// Fuzz target: any bytes as the decoded text of a settings file. Whatever
// the loader's one-pass reader accepts must read exactly as the DOM reader
// (pugixml) reads it; what it declines, the loader reads with the DOM.
#include "fuzz_support.h"
#include "support/settings_description.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string once = qorva_zel_test::ReadInOnePass(text);
    if (!once.empty()) {
        QZ_FUZZ_CHECK(once == qorva_zel_test::ReadWithDom(text));
    }
    return 0;
}
