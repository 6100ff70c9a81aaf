#pragma once
// The short message record of the list.
#include <string>

class CAdoConnection;
class CAdoRecordset;

class MessageListInfo
{
public:
    MessageListInfo() = default;
    virtual ~MessageListInfo() = default;
    // Records move into and out of arrays (a page of the list) without copying their texts.
    MessageListInfo(const MessageListInfo&) = default;
    MessageListInfo(MessageListInfo&&) noexcept = default;
    MessageListInfo& operator=(const MessageListInfo&) = default;
    MessageListInfo& operator=(MessageListInfo&&) noexcept = default;

    bool LoadFromRecordset(CAdoRecordset& rs);
    int DeleteMessage(CAdoConnection& connection);

    int ID = 0;
    int status = 0;
    int MessageTypeID = 0;
    int MessageCategory = 0;
    std::string MessageTypeName;
    std::string RecieveDate;
    std::string SourceFromName;
    std::string SourceInfo;
    std::string SourceToName;
    std::string SourceLink;
    int bCanChangeState = 1;
};
