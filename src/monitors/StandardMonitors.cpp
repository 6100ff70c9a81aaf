#include "monitors/StandardMonitors.h"

#include "monitors/database/DatabaseMonitor.h"
#include "monitors/ftp/FtpMonitor.h"
#include "monitors/mail/MailMonitor.h"
#include "monitors/web/WebMonitor.h"
#include "store/MessageTypeInfo.h"

std::map<int, MonitorFunction> StandardMonitors()
{
    return {
        {kCategoryDatabase, &CheckDatabase},
        {kCategoryBroadcast, &CheckDatabase},
        {kCategoryWebPage,
         [](CheckContext& context, MessageTypeInfo& item) { return CheckWebPage(context, item, true); }},
        {kCategoryFtp, &CheckFtpItem},
        {kCategoryMail, &CheckMailItem},
    };
}
