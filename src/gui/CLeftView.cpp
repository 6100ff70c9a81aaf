#include "gui/CLeftView.h"

#include "app/CTarvoDoc.h"
#include "gui/GuiContext.h"

CLeftView::CLeftView(GuiContext& context, QWidget* parent) : QWidget(parent), m_context(context)
{
    setAccessibleName(QStringLiteral("检查项目"));
    m_context.doc.AddView(this);
}

CLeftView::~CLeftView()
{
    m_context.doc.RemoveView(this);
}

void CLeftView::OnUpdate(CTarvoDoc&, IDocView*, int) {}

void CLeftView::Refill()
{
    m_context.doc.LoadItems();
}

void CLeftView::OnAddItem() {}
void CLeftView::OnModifyItem() {}
void CLeftView::OnDeleteItem() {}
void CLeftView::OnEnableItem() {}
void CLeftView::OnDisableItem() {}
void CLeftView::OnCheckItem()
{
    m_context.doc.CheckOne(m_context.doc.m_pCurItem);
}
void CLeftView::OnCheckAll()
{
    m_context.doc.CheckAll();
}
void CLeftView::OnStopCheck()
{
    m_context.doc.RequestStop();
}
void CLeftView::OnMarkAllRead() {}
void CLeftView::OnMarkAllUnread() {}
