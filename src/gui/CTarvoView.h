#pragma once
// The message list: one page of message records of the current check item and read filter.
#include "app/IDocView.h"

#include <QWidget>

struct GuiContext;

class CTarvoView final : public QWidget, public IDocView
{
    Q_OBJECT
public:
    CTarvoView(GuiContext& context, QWidget* parent = nullptr);
    ~CTarvoView() override;

    void OnUpdate(CTarvoDoc& doc, IDocView* sender, int hint) override;

    // Commands the frame forwards.
    void OnDeleteSelected();
    void OnMarkSelectedRead();
    void OnMarkSelectedUnread();
    // Marks the selected records: 1 read, 0 unread (the frame's auto-mark countdown uses 1).
    void AutoMarkSelected(int mode);

private:
    GuiContext& m_context;
};
