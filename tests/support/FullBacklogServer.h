#pragma once
// A listener that holds its first connection and accepts no other, filled until its backlog is full:
// a further connect to it gets no answer, as from an address that drops it.
#include "monitors/net/CClientSocket.h"
#include "support/ScriptedLineServer.h"
#include "support/WaitUntil.h"

#include <memory>
#include <vector>

class FullBacklogServer final
{
public:
    FullBacklogServer()
    {
        for (int i = 0; i < 40 && !m_full; ++i) {
            auto& socket = m_fillers.emplace_back(std::make_unique<CClientSocket>());
            m_full = !socket->Connect("127.0.0.1", m_server.port(), std::chrono::milliseconds(200));
            // The held connection leaves the queue first: no place in it frees up once it is full.
            if (i == 0)
                WaitUntil([this] { return m_server.ConnectionsAccepted() > 0; });
        }
    }
    bool IsFull() const { return m_full; }
    std::uint16_t port() const { return m_server.port(); }

private:
    ScriptedLineServer m_server{{ScriptedLineServer::Hold()}};
    std::vector<std::unique_ptr<CClientSocket>> m_fillers;
    bool m_full = false;
};
