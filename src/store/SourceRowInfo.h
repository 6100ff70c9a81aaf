#pragma once
// What a monitor fills for one finding before the message table stores it. The field names are
// the columns of a remote source view; every monitor fills them in the same sense.
#include <string>

class CAdoConnection;
class CAdoRecordset;
class MessageTypeInfo;

class SourceRowInfo
{
public:
    SourceRowInfo() = default;
    virtual ~SourceRowInfo() = default;
    // Records move into and out of arrays (a page of the list) without copying their texts.
    SourceRowInfo(const SourceRowInfo&) = default;
    SourceRowInfo(SourceRowInfo&&) noexcept = default;
    SourceRowInfo& operator=(const SourceRowInfo&) = default;
    SourceRowInfo& operator=(SourceRowInfo&&) noexcept = default;

    // Reads the ten view columns of the current remote row; false when any of them is missing.
    bool LoadFromRecordset(CAdoRecordset& rs);
    // 1 when the newest stored or deleted row of the item with this identity (FTP: this file's name) has the same date
    // text; any failure counts as new (0).
    int IsKnown(CAdoConnection& connection, const MessageTypeInfo& item) const;
    // 1 when the insert was executed. Shows no message (it runs on the check thread): on failure
    // error, when given, holds the database's own words.
    int Insert(CAdoConnection& connection, const MessageTypeInfo& item, std::string* error = nullptr) const;
    // The same row for a content of many megabytes (a page copy): the content is padded in place
    // and handed to the engine as it is, never copied into the statement text. Content keeps
    // the padding afterwards. Shows no message, as Insert.
    int InsertLarge(CAdoConnection& connection, const MessageTypeInfo& item, std::string* error = nullptr);

    std::string SourceType;
    std::string ID;
    std::string FromDate;
    std::string FromID;
    std::string FromName;
    std::string Info;
    std::string ToID;
    std::string ToName;
    std::string Content;
    std::string Link;
};
