#pragma once
// Plugs the four monitors into a document by category.
class CTarvoDoc;

void InstallStandardMonitors(CTarvoDoc& doc);
