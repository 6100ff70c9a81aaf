#include "gui/list/CSearchIndexer.h"

#include "app/CMessageOperations.h"
#include "app/CTarvoApp.h"

#include <QTimer>
#include <algorithm>

namespace {
// Between steps the window handles its events.
constexpr int kStepPauseMs = 10;
// A step that failed (the file is busy) is tried again after this.
constexpr int kRetryMs = 2000;
constexpr int kDone = 100;
// With the search index complete, the sort keys wait until the window has settled.
constexpr int kSortKeysStartMs = 2000;
// Short steps: a web record may hold a page of megabytes.
constexpr long long kStepKeys = 100;
// A record's sort keys come from four short texts.
constexpr long long kSortKeysStepRows = 2000;
} // namespace

CSearchIndexer::CSearchIndexer(CTarvoApp& app, QObject* parent) : QObject(parent), m_app(app)
{
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &CSearchIndexer::Step);
}

void CSearchIndexer::Start()
{
    std::string error;
    const auto progress = m_app.Messages().SearchIndexState(error);
    m_searchDone = progress && progress->Complete();
    if (m_searchDone) {
        Q_EMIT Progress(kDone);
    }
    m_timer->start(m_searchDone ? kSortKeysStartMs : 0);
}

void CSearchIndexer::Step()
{
    if (m_searchDone) {
        SortKeysStep();
        return;
    }
    std::string error;
    const auto progress = m_app.Messages().IndexForSearch(kStepKeys, error);
    if (!progress) {
        m_timer->start(kRetryMs);
        return;
    }
    if (progress->Complete()) {
        Q_EMIT Progress(kDone);
        m_searchDone = true;
    } else {
        Q_EMIT Progress(static_cast<int>(std::min<long long>(kDone - 1, progress->done * kDone / progress->total)));
    }
    m_timer->start(kStepPauseMs);
}

void CSearchIndexer::SortKeysStep()
{
    std::string error;
    const auto keys = m_app.Messages().MakeSortKeys(kSortKeysStepRows, error);
    if (!keys) {
        m_timer->start(kRetryMs);
    } else if (!keys->Ready()) {
        m_timer->start(kStepPauseMs);
    }
}
