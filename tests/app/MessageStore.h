#pragma once
// Items A and B on a real message.dat, and the message operations both front ends call on it.
#include "app/CMessageOperations.h"
#include "store/SourceRowInfo.h"
#include "support/TestStore.h"

#include <algorithm>
#include <gtest/gtest.h>

class MessageStore : public testing::Test
{
protected:
    void SetUp() override
    {
        MessageTypeInfo item;
        item.connAddress = "http://a.example/";
        item.MessageTypeName = "A";
        itemA = store.AddItem(item);
        item.MessageTypeName = "B";
        itemB = store.AddItem(item);
    }
    // Stores a finding of the item, linked to the item's address; its record's key.
    int Add(const MessageTypeInfo& item, const std::string& info, const std::string& content = {},
            const std::string& from = "张三")
    {
        SourceRowInfo row;
        row.ID = std::to_string(++serial);
        row.Info = info;
        row.FromName = from;
        row.ToName = "李四";
        row.Content = content;
        row.Link = item.connAddress;
        EXPECT_TRUE(row.Insert(store.connection(), item));
        return static_cast<int>(store.QueryNumber("select max(id) from userdata"));
    }
    // Every page of the query, joined: the whole list as the pages show it. Each page's count must
    // agree with the rows the pages hold.
    std::vector<MessageListInfo> AllPages(MessageQuery query)
    {
        std::vector<MessageListInfo> rows;
        for (query.page = 1;; ++query.page) {
            auto page = messages.Page(query, error);
            EXPECT_TRUE(page) << query.search << ": " << error;
            if (!page || page->page < query.page || page->rows.empty()) {
                return rows;
            }
            rows.insert(rows.end(), page->rows.begin(), page->rows.end());
            EXPECT_EQ(page->totalCount,
                      static_cast<long>(rows.size()) + std::max(0L, page->totalCount - page->page * page->pageSize))
                << query.search;
        }
    }
    // What an operation that must work gave; its failure fails the test with the operation's error.
    template <class T> T Ok(std::optional<T> result)
    {
        EXPECT_TRUE(result) << error;
        return std::move(result).value();
    }
    static std::vector<int> Ids(const std::vector<MessageListInfo>& rows)
    {
        std::vector<int> ids;
        std::ranges::transform(rows, std::back_inserter(ids), &MessageListInfo::ID);
        return ids;
    }

    TestStore store;
    CMessageOperations messages{store.connection()};
    MessageTypeInfo itemA, itemB;
    int serial = 0;
    std::string error;
};
