#pragma once
// The message detail pane: the header strip of the selected message and its content as a page.
#include "app/IDocView.h"

#include <QWidget>

struct GuiContext;

class CWatchMessageView final : public QWidget, public IDocView
{
    Q_OBJECT
public:
    CWatchMessageView(GuiContext& context, QWidget* parent = nullptr);
    ~CWatchMessageView() override;

    void OnUpdate(CTarvoDoc& doc, IDocView* sender, int hint) override;

private:
    GuiContext& m_context;
};
