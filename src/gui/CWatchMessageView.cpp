#include "gui/CWatchMessageView.h"

#include "app/CTarvoDoc.h"
#include "gui/GuiContext.h"

CWatchMessageView::CWatchMessageView(GuiContext& context, QWidget* parent) : QWidget(parent), m_context(context)
{
    setAccessibleName(QStringLiteral("消息内容"));
    m_context.doc.AddView(this);
}

CWatchMessageView::~CWatchMessageView()
{
    m_context.doc.RemoveView(this);
}

void CWatchMessageView::OnUpdate(CTarvoDoc&, IDocView*, int) {}
