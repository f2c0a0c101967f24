/* The kit's C header as strict C99: it compiles with every warning an
 * error, and a closed kit refuses calls with its own status. */
#include "qorva_zel_kit.h"

#include <stdio.h>
#include <string.h>

static void QORVA_ZEL_KIT_CALL OnEvent(const QORVA_ZEL_KIT_Event* event, void* user)
{
    (void)event;
    ++*(int*)user;
}

int main(void)
{
    int heard = 0;
    uint64_t token = 0;
    QORVA_ZEL_KIT_DisplayMode fraction = {1920, 1080, 60000, 1001, 0.0f};
    QORVA_ZEL_KIT_DisplayMode decimal = {1920, 1080, 0, 0, 59.94f};
    QORVA_ZEL_KIT_Value value;
    char buffer[8];
    size_t length = 0;
    memset(&value, 0, sizeof value);
    if (QORVA_ZEL_KIT_GetValue("VSync", &value, buffer, sizeof buffer, &length) != QORVA_ZEL_KIT_ERROR_NOT_OPEN) {
        puts("a closed kit answered");
        return 1;
    }
    if (strcmp(QORVA_ZEL_KIT_StatusText(QORVA_ZEL_KIT_ERROR_NOT_OPEN), "the kit is not open") != 0) {
        puts("wrong status text");
        return 1;
    }
    /* Subscriptions and the mode match need no open kit. */
    if (QORVA_ZEL_KIT_Subscribe(OnEvent, &heard, &token) != QORVA_ZEL_OK || token == 0 ||
        QORVA_ZEL_KIT_Unsubscribe(token) != QORVA_ZEL_OK || QORVA_ZEL_KIT_Unsubscribe(token) != QORVA_ZEL_KIT_ERROR_NOT_FOUND) {
        puts("subscribing failed");
        return 1;
    }
    if (!QORVA_ZEL_KIT_ModesMatch(&fraction, &decimal)) {
        puts("59.94 is not 60000/1001");
        return 1;
    }
    return 0;
}
