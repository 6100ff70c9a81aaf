#pragma once
// The POP3 mail (category 4) monitor.
#include "monitors/mail/MailPreview.h"

#include <chrono>

struct CheckContext;
class MessageTypeInfo;

struct MailCheckOptions
{
    // One whole reply: mail servers delay a login after a failed one (Dovecot: about 2 s), and a
    // large header block on a slow link takes its time.
    std::chrono::milliseconds replyTimeout = std::chrono::seconds(30);
    // A whole check, however slowly the server answers. A mailbox is walked from its first message
    // at every check, so this is larger than for one page or one listing.
    std::chrono::milliseconds checkTimeLimit = std::chrono::minutes(10);
    // The body lines asked for with each header block, for the preview; 0 asks for none.
    int previewLines = kMailPreviewLines;
};

// 1 when at least one new message record was stored, 0 otherwise (also after any failure).
int CheckMailItem(CheckContext& context, MessageTypeInfo& item);
int CheckMailItemWithOptions(CheckContext& context, MessageTypeInfo& item, const MailCheckOptions& options);
