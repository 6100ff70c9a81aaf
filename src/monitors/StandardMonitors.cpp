#include "monitors/StandardMonitors.h"

#include "app/CTarvoDoc.h"
#include "monitors/DatabaseMonitor.h"
#include "monitors/FtpMonitor.h"
#include "monitors/MailMonitor.h"
#include "monitors/WebMonitor.h"

void InstallStandardMonitors(CTarvoDoc& doc)
{
    doc.SetMonitor(kCategoryDatabase, &CheckDatabase);
    doc.SetMonitor(kCategoryBroadcast, &CheckDatabase);
    doc.SetMonitor(kCategoryWebPage,
                   [](CheckContext& context, MessageTypeInfo& item) { return CheckWebPage(context, item, true); });
    doc.SetMonitor(kCategoryFtp, &CheckFtpItem);
    doc.SetMonitor(kCategoryMail, &CheckMailItem);
}
