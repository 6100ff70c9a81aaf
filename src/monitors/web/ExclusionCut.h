#pragma once
// Cutting a web item's exclusion ranges out of a page text. The monitor cuts the fresh page and
// the stored copy (which was cut once already) and compares them, so cutting a cut text again
// must change nothing.
#include <string>

class CAdoConnection;
class MessageTypeInfo;

// Removes the text between each start marker and the first end marker after it; both markers
// stay and become adjacent, and the next start marker is searched after the kept end marker.
// A start marker without an end marker after it removes nothing. An empty start marker does
// nothing; an empty end marker removes everything after the first start marker.
void CutExcludedRange(std::string& text, const std::string& startMarker, const std::string& endMarker);

// Cuts every exclusion range of the item (userHttpExclude), in the order the database returns
// them. False, with the text unchanged, when the ranges cannot be read.
bool ApplyExclusions(CAdoConnection& connection, std::string& text, const MessageTypeInfo& item);
