#include "monitors/WebMonitor.h"

int CheckWebPage(CheckContext&, MessageTypeInfo&, bool)
{
    return 0;
}
