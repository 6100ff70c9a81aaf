#include "monitors/FtpMonitor.h"

int CheckFtpItem(CheckContext&, MessageTypeInfo&)
{
    return 0;
}
