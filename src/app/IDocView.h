#pragma once
// A pane that shows the document. The document tells every view except the sender of an update.
class CTarvoDoc;

class IDocView
{
public:
    virtual ~IDocView() = default;
    virtual void OnUpdate(CTarvoDoc& doc, IDocView* sender, int hint) = 0;
};
