#include "gui/CTarvoView.h"

#include "app/CTarvoDoc.h"
#include "gui/GuiContext.h"

CTarvoView::CTarvoView(GuiContext& context, QWidget* parent) : QWidget(parent), m_context(context)
{
    setAccessibleName(QStringLiteral("消息列表"));
    m_context.doc.AddView(this);
}

CTarvoView::~CTarvoView()
{
    m_context.doc.RemoveView(this);
}

void CTarvoView::OnUpdate(CTarvoDoc&, IDocView*, int) {}

void CTarvoView::OnDeleteSelected() {}
void CTarvoView::OnMarkSelectedRead() {}
void CTarvoView::OnMarkSelectedUnread() {}
void CTarvoView::AutoMarkSelected(int) {}
