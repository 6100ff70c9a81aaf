#pragma once
// What one check run stored, item by item, for the desktop notification.
#include <QString>
#include <string>
#include <vector>

struct RunFinding
{
    std::string itemName;
    int count = 0;
};

// The notification's title and body: one line per item with its count; empty when nothing new.
QString FindingsTitle(const std::vector<RunFinding>& findings);
QString FindingsBody(const std::vector<RunFinding>& findings);
