#pragma once
// The check item tree: the root "所有" and one node per check item, keyed on messagetypeid.
#include "app/IDocView.h"

#include <QWidget>

struct GuiContext;

class CLeftView final : public QWidget, public IDocView
{
    Q_OBJECT
public:
    CLeftView(GuiContext& context, QWidget* parent = nullptr);
    ~CLeftView() override;

    void OnUpdate(CTarvoDoc& doc, IDocView* sender, int hint) override;
    // Loads every check item into the document and the tree.
    void Refill();

    // Commands the frame forwards.
    void OnAddItem();
    void OnModifyItem();
    void OnDeleteItem();
    void OnEnableItem();
    void OnDisableItem();
    void OnCheckItem();
    void OnCheckAll();
    void OnStopCheck();
    void OnMarkAllRead();
    void OnMarkAllUnread();

private:
    GuiContext& m_context;
};
