#pragma once
// A stored message record (a userdata row) joined with three columns of its check item.
#include <string>

class CAdoConnection;
class CAdoRecordset;

class MessageInfo
{
public:
    MessageInfo() = default;
    virtual ~MessageInfo() = default;
    // Records move into and out of arrays (a page of the list) without copying their texts.
    MessageInfo(const MessageInfo&) = default;
    MessageInfo(MessageInfo&&) noexcept = default;
    MessageInfo& operator=(const MessageInfo&) = default;
    MessageInfo& operator=(MessageInfo&&) noexcept = default;

    bool LoadFromRecordset(CAdoRecordset& rs);
    bool LoadById(CAdoConnection& connection, int id);

    int ID = 0;
    int status = 0;
    int UserID = 0;
    std::string UserName;
    int MessageTypeID = 0;
    int MessageCategory = 0;
    std::string m_strCategoryName;
    std::string MessageTypeName;
    std::string RecieveDate;
    std::string SourceType;
    std::string SourceID;
    std::string SourceDate;
    std::string SourceFromID;
    std::string SourceFromName;
    std::string SourceInfo;
    std::string SourceToID;
    std::string SourceToName;
    std::string SourceContent;
    std::string SourceLink;
    std::string connAddress;
    int bCanChangeState = 0;
    int DisplayType = 0;
};

// The name a message record shows for its category; empty for categories without one.
std::string CategoryName(int messageCategory);
