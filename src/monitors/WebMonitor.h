#pragma once
// The web page monitor (category 2).
struct CheckContext;
class MessageTypeInfo;

// 1 when a message record was stored; for a top-level check that followed frames, the result of
// the last frame check.
int CheckWebPage(CheckContext& context, MessageTypeInfo& item, bool topLevel);
