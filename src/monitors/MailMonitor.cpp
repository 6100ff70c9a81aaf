#include "monitors/MailMonitor.h"

int CheckMailItem(CheckContext&, MessageTypeInfo&)
{
    return 0;
}
