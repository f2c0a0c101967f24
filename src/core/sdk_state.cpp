#include "core/sdk_state.h"

namespace qorva_zel {
namespace {
// A namespace-scope static: built when the shared library is loaded, before
// any exported function can run, and destroyed when it is unloaded.
SdkState g_state;
} // namespace

SdkState& TheState()
{
    return g_state;
}

} // namespace qorva_zel
