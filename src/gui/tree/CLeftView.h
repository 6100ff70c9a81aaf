#pragma once
// The check item tree: the root "所有" and one node per check item, keyed on messagetypeid. It
// chooses whose messages the list shows, switches items on and off by a click on their state
// image, animates the items with unread messages, and carries out the item commands.
//
// Nodes hold only the key. Records are looked up in the document whenever they are needed: a
// check run may hold the old record of an item that was edited or refilled meanwhile.
#include "app/CHealthOperations.h"
#include "app/IDocView.h"
#include "store/MessageTypeInfo.h"

#include <QTimer>
#include <QTreeWidget>
#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class QMenu;
struct GuiContext;

class CLeftView final : public QTreeWidget, public IDocView
{
    Q_OBJECT
public:
    // Where a point of the viewport lies on a node.
    enum class HitPart
    {
        Nowhere,
        StateImage,
        Image,
        Other,
    };

    CLeftView(GuiContext& context, QWidget* parent = nullptr);
    ~CLeftView() override;

    void OnUpdate(CTarvoDoc& doc, IDocView* sender, int hint) override;
    // Loads every check item into the document and the tree. False when the item table cannot be
    // read; tree and document then stay as they were. The current item becomes the new record of
    // the same id, or all items when it is gone.
    bool Refill();
    // Creates or refreshes the node of one item of the document.
    void ShowItem(int messagetypeid);

    // Commands (the frame forwards its menus, toolbar and tray to these).
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

    // Brings the nodes in line with the document's items, which a check run may read afresh
    // (another program changed them): new items get nodes, gone ones lose theirs, names and
    // states follow. The current item is found again by key.
    void SyncWithDocument();
    // One step of the unread animation (the 300 ms timer calls it), after SyncWithDocument; the
    // counts follow, and the health once an item's check has ended.
    void OnAnimationTimer();
    // Reads every item's health and shows it: the marks, the tooltips, what assistive tools read,
    // and the number of failing items in the status summary and the tray tip.
    void RefreshHealth();
    // The item's health as last read (ok when it has none).
    ItemHealth HealthOf(int messagetypeid) const;
    // What a node's tooltip (Qt::ToolTipRole, rich text) or its description for assistive tools
    // (Qt::AccessibleDescriptionRole) says of the item's health.
    QString HealthText(const QTreeWidgetItem* node, int role) const;
    // "检查记录…" for the command target.
    void OnShowCheckLog();

    // Nodes, for the frame and for tests.
    QTreeWidgetItem* RootNode() const { return m_pRoot; }
    QTreeWidgetItem* NodeOf(int messagetypeid) const;
    HitPart HitTest(const QPoint& viewportPoint, QTreeWidgetItem** node) const;
    // Where a part of a node lies in viewport coordinates.
    QRect PartRect(QTreeWidgetItem* node, HitPart part) const;
    // The node a command acts on (see the target rules in the .cpp); null when none.
    QTreeWidgetItem* CommandTarget(bool passOverRoot) const;
    // The context menu for a node (menu 129); the root disables the commands that need an item.
    std::unique_ptr<QMenu> CreateContextMenu(QTreeWidgetItem* node);

protected:
    void showEvent(QShowEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnCurrentNodeChanged(QTreeWidgetItem* current);
    void SetItemState(QTreeWidgetItem* node, int value);
    void MarkAll(bool read);
    void ReloadOtherViews();
    // Runs the property dialog on the record; true on OK.
    bool RunPropertyDialog(MessageTypeInfo& record);
    std::shared_ptr<MessageTypeInfo> RecordOf(QTreeWidgetItem* node) const;
    static int KeyOf(const QTreeWidgetItem* node);
    void EnsureRoot();
    QTreeWidgetItem* NodeForKey(std::optional<int> key) const;
    void SetDropHighlight(QTreeWidgetItem* node);
    // A node for the record, not yet in the tree, known by its key.
    QTreeWidgetItem* MakeNode(const MessageTypeInfo& record);
    void ApplyNodeState(QTreeWidgetItem* node, const MessageTypeInfo& record);
    // The unread count after the name and the health, drawn and read out.
    void ApplyNodeCount(QTreeWidgetItem* node, int unread);
    void ApplyCounts();
    void ApplyNodeHealth(QTreeWidgetItem* node, const MessageTypeInfo& record);
    // Reads the health of the document's items (as the caller took them) into m_health; the
    // reading before, or nullopt when it could not be read (m_health stays).
    std::optional<std::map<int, ItemHealth>> ReadHealth(const std::vector<std::shared_ptr<MessageTypeInfo>>& items);
    // The number of failing items, in the status summary and the tray tip.
    void ShowFailingCount();
    // A check of an item was logged since the last step.
    bool ChecksEndedSinceLastStep();
    void ShowMessage(const char* text);
    // What the database said when it refused a change (the caption is the program's).
    void ShowStoreError(const std::string& error);

    GuiContext& m_context;
    QTreeWidgetItem* m_pRoot = nullptr;
    std::unordered_map<int, QTreeWidgetItem*> m_nodes;
    // Animation frame per item id; -1 before the first step.
    std::map<int, int> m_frames;
    // The node last right-clicked or clicked on its image; the node selected before the last right press.
    std::optional<int> m_targetKey;
    std::optional<int> m_beforeRightPressKey;
    std::optional<int> m_dropKey;
    bool m_bShown = false;
    bool m_bFilled = false;
    bool m_bFilling = false;
    QTimer m_animationTimer;
    // The health read last, and what tells that it may have changed.
    std::map<int, ItemHealth> m_health;
    int m_nSyncedVersion = -1; // the document's items version the nodes show
    std::shared_ptr<std::atomic<int>> m_checksEnded = std::make_shared<std::atomic<int>>(0);
    int m_nChecksSeen = 0;
    QTimer m_healthTimer;
};
