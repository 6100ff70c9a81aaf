#include "monitors/DatabaseMonitor.h"

int CheckDatabase(CheckContext&, MessageTypeInfo&)
{
    return 0;
}
