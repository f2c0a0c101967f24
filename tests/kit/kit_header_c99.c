/* The kit's C header as strict C99: it compiles with every warning an
 * error, and a closed kit refuses calls with its own status. */
#include "qorva_zel_kit.h"

#include <stdio.h>
#include <string.h>

int main(void)
{
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
    return 0;
}
