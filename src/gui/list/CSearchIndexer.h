#pragma once
// Indexes the records waiting for the search index (of an older message.dat, or left by a check
// run) a short step at a time on the window's thread (a step that meets another program's lock
// goes on in the background writes), and tells how far it is; then, silently, makes the keys that
// sort the list by a text column.
#include <QObject>

class CTarvoApp;
class QTimer;

class CSearchIndexer final : public QObject
{
    Q_OBJECT
public:
    explicit CSearchIndexer(CTarvoApp& app, QObject* parent = nullptr);
    // Starts when there is anything to index; Progress(100) at once when there is not. Again
    // after each run that stored findings.
    void Start();

Q_SIGNALS:
    void Progress(int percent);

private:
    void Step();
    void SortKeysStep();

    CTarvoApp& m_app;
    QTimer* m_timer = nullptr;
    bool m_searchDone = false;
};
