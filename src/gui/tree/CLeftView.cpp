#include "gui/tree/CLeftView.h"

#include "app/CMessageOperations.h"
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "gui/dialogs/CCheckLogDlg.h"
#include "gui/dialogs/CMessageTypeDlg.h"
#include "gui/frame/GuiContext.h"
#include "gui/tree/CTreeNodeDelegate.h"
#include "gui/tree/TreeImages.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <set>

namespace {

// A node of an item, made ten thousand times at start, so kept lean. Its name, check state and
// drawing state live in plain fields rather than in a list of values per role. What assistive
// tools read (name and unread count, health) and its tooltip are made when asked for, from the
// node and the view's health: made for every node at start, they took longer than the nodes.
class CItemNode final : public QTreeWidgetItem
{
public:
    QVariant data(int column, int role) const override
    {
        if (column == 0) {
            if (const int* field = const_cast<CItemNode*>(this)->Field(role)) {
                return *field;
            }
            if (role == Qt::DisplayRole || role == Qt::EditRole) {
                return m_name;
            }
            if (role == Qt::AccessibleTextRole) {
                return TreeNodeLabel(text(0), m_unread);
            }
            if (role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole) {
                if (const auto* tree = qobject_cast<const CLeftView*>(treeWidget())) {
                    return tree->HealthText(this, role);
                }
            }
        }
        return QTreeWidgetItem::data(column, role);
    }

    void setData(int column, int role, const QVariant& value) override
    {
        if (column == 0 && (role == Qt::DisplayRole || role == Qt::EditRole)) {
            if (m_name != value.toString()) {
                m_name = value.toString();
                emitDataChanged();
            }
            return;
        }
        int* field = column == 0 ? Field(role) : nullptr;
        if (!field) {
            QTreeWidgetItem::setData(column, role, value);
            return;
        }
        if (*field != value.toInt()) {
            *field = value.toInt();
            emitDataChanged();
        }
    }

    // The health its texts tell of changed.
    void HealthTextsChanged() { emitDataChanged(); }

private:
    int* Field(int role)
    {
        switch (role) {
        case kNodeKeyRole:
            return &m_key;
        case kStateImageRole:
            return &m_stateImage;
        case kAnimFrameRole:
            return &m_animFrame;
        case kDropHighlightRole:
            return &m_dropHighlight;
        case kUnreadCountRole:
            return &m_unread;
        case kHealthMarkRole:
            return &m_healthMark;
        case Qt::CheckStateRole:
            return &m_checkState;
        default:
            return nullptr;
        }
    }

    int m_key = 0;
    int m_stateImage = kStateImageOn;
    int m_animFrame = -1;
    int m_dropHighlight = 0;
    int m_unread = 0;
    int m_healthMark = kHealthMarkNone;
    int m_checkState = Qt::Unchecked;
    QString m_name;
};

constexpr const char* kMainTitle = "Wendar V1.03";
constexpr const char* kRootText = QT_TRANSLATE_NOOP("CLeftView", "所有");
constexpr const char* kConfirmCaption = QT_TRANSLATE_NOOP("CLeftView", "确认");
constexpr const char* kDeleteCaption = QT_TRANSLATE_NOOP("CLeftView", "请确认");
constexpr const char* kBroadcastStateText = QT_TRANSLATE_NOOP("CLeftView", "系统广播状态不能修改！");
constexpr const char* kBroadcastModifyText = QT_TRANSLATE_NOOP("CLeftView", "系统广播属性不能修改！");
constexpr const char* kBroadcastDeleteText = QT_TRANSLATE_NOOP("CLeftView", "系统广播不能删除！");
constexpr const char* kNoModifyTargetText =
    QT_TRANSLATE_NOOP("CLeftView", "请首先选择选择相应的自动检查的项目，才能进行修改操作！");
constexpr const char* kNoDeleteTargetText =
    QT_TRANSLATE_NOOP("CLeftView", "请首先选择选择相应的自动检查的项目，才能进行删除操作！");
constexpr int kAnimationPeriodMs = 300;
// An item falls silent with time alone: its health is read again this often.
constexpr int kHealthPeriodMs = 60 * 1000;
constexpr int kCheckLogCommand = 32850;

// Menu 129, "项目". Id 0 is a separator.
struct MenuEntry
{
    int id;
    const char* text;
    const char* image;
    void (CLeftView::*handler)();
    bool needsItem; // disabled on the root
};

const MenuEntry kContextMenu[] = {
    {32772, QT_TRANSLATE_NOOP("CLeftView", "增加一个项目"), "add", &CLeftView::OnAddItem, false},
    {32773, QT_TRANSLATE_NOOP("CLeftView", "修改这个项目"), "modify", &CLeftView::OnModifyItem, true},
    {32774, QT_TRANSLATE_NOOP("CLeftView", "删除这个项目"), "delete", &CLeftView::OnDeleteItem, true},
    {0, nullptr, nullptr, nullptr, false},
    {32776, QT_TRANSLATE_NOOP("CLeftView", "允许这个项目 \t CTRL+E"), "state_on", &CLeftView::OnEnableItem, true},
    {32777, QT_TRANSLATE_NOOP("CLeftView", "禁止这个项目"), "state_off", &CLeftView::OnDisableItem, true},
    {0, nullptr, nullptr, nullptr, false},
    {32781, QT_TRANSLATE_NOOP("CLeftView", "开始检查此项目"), "check", &CLeftView::OnCheckItem, true},
    {32782, QT_TRANSLATE_NOOP("CLeftView", "启动所有的检查项目"), "check_all", &CLeftView::OnCheckAll, false},
    {0, nullptr, nullptr, nullptr, false},
    {32816, QT_TRANSLATE_NOOP("CLeftView", "停止当前检查"), nullptr, &CLeftView::OnStopCheck, false},
    {0, nullptr, nullptr, nullptr, false},
    {32819, QT_TRANSLATE_NOOP("CLeftView", "标记所有为已读"), nullptr, &CLeftView::OnMarkAllRead, false},
    {32820, QT_TRANSLATE_NOOP("CLeftView", "标记所有为未读"), nullptr, &CLeftView::OnMarkAllUnread, false},
};

int StateImageFor(const MessageTypeInfo& record)
{
    return record.state < 1 ? kStateImageOff : kStateImageOn;
}

} // namespace

CLeftView::CLeftView(GuiContext& context, QWidget* parent) : QTreeWidget(parent), m_context(context)
{
    setAccessibleName(tr("检查项目"));
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setExpandsOnDoubleClick(true);
    setItemDelegate(new CTreeNodeDelegate(this));
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnCurrentNodeChanged(current); });
    m_animationTimer.setInterval(kAnimationPeriodMs);
    connect(&m_animationTimer, &QTimer::timeout, this, &CLeftView::OnAnimationTimer);
    m_animationTimer.start();
    m_healthTimer.setInterval(kHealthPeriodMs);
    connect(&m_healthTimer, &QTimer::timeout, this, &CLeftView::RefreshHealth);
    m_healthTimer.start();
    // Called on the worker once a check is logged: the next animation step reads the health again.
    m_context.doc.SetItemCheckedListener([ended = m_checksEnded](MessageTypeInfo&, int) { ++*ended; });
    m_context.doc.AddView(this);
}

CLeftView::~CLeftView()
{
    // The base class still clears its items after this body: nothing of this class may run then.
    m_animationTimer.stop();
    m_healthTimer.stop();
    m_context.doc.SetItemCheckedListener(nullptr);
    disconnect(this, &QTreeWidget::currentItemChanged, this, nullptr);
    m_context.doc.RemoveView(this);
}

void CLeftView::showEvent(QShowEvent* event)
{
    QTreeWidget::showEvent(event);
    if (!m_bShown) {
        m_bShown = true;
        window()->setWindowTitle(QString::fromUtf8(kMainTitle));
        if (!m_bFilled) {
            Refill();
        }
    }
}

void CLeftView::OnUpdate(CTarvoDoc& doc, IDocView*, int)
{
    doc.UpdateStatusSummary();
    ApplyCounts();
}

void CLeftView::ApplyCounts()
{
    // An item whose last unread record went stops blinking now, not at the next animation step.
    for (const auto& item : m_context.doc.Items()) {
        QTreeWidgetItem* node = NodeOf(item->messagetypeid);
        if (!node) {
            continue;
        }
        if (item->m_nUnreadCount == 0 && node->data(0, kAnimFrameRole).toInt() != -1) {
            node->setData(0, kAnimFrameRole, -1);
        }
        ApplyNodeCount(node, item->m_nUnreadCount);
    }
}

// ---- nodes ----

int CLeftView::KeyOf(const QTreeWidgetItem* node)
{
    return node ? node->data(0, kNodeKeyRole).toInt() : kRootKey;
}

QTreeWidgetItem* CLeftView::NodeOf(int messagetypeid) const
{
    auto it = m_nodes.find(messagetypeid);
    return it == m_nodes.end() ? nullptr : it->second;
}

QTreeWidgetItem* CLeftView::NodeForKey(std::optional<int> key) const
{
    if (!key) {
        return nullptr;
    }
    return *key == kRootKey ? m_pRoot : NodeOf(*key);
}

std::shared_ptr<MessageTypeInfo> CLeftView::RecordOf(QTreeWidgetItem* node) const
{
    if (!node || node == m_pRoot) {
        return nullptr;
    }
    return m_context.doc.FindItem(KeyOf(node));
}

void CLeftView::EnsureRoot()
{
    if (m_pRoot) {
        return;
    }
    m_pRoot = new QTreeWidgetItem(this);
    m_pRoot->setText(0, tr(kRootText));
    m_pRoot->setData(0, kNodeKeyRole, kRootKey);
    m_pRoot->setData(0, kStateImageRole, kStateImageRoot);
    m_pRoot->setData(0, kAnimFrameRole, -1);
}

bool CLeftView::Refill()
{
    CTarvoDoc& doc = m_context.doc;
    const int currentId = doc.m_pCurItem ? doc.m_pCurItem->messagetypeid : 0;
    if (!doc.LoadItems()) {
        return false;
    }
    m_nSyncedVersion = doc.m_nItemsVersion; // before the items are read: a later change is followed
    m_bFilling = true;
    clear();
    m_pRoot = nullptr;
    m_nodes.clear();
    m_targetKey.reset();
    m_beforeRightPressKey.reset();
    m_dropKey.reset();
    EnsureRoot();
    const auto items = doc.Items();
    ReadHealth(items); // before the nodes, which show it as they are made
    std::map<int, int> frames;
    m_nodes.reserve(items.size());
    QList<QTreeWidgetItem*> nodes;
    nodes.reserve(static_cast<qsizetype>(items.size()));
    for (const auto& item : items) {
        nodes << MakeNode(*item);
        if (auto it = m_frames.find(item->messagetypeid); it != m_frames.end()) {
            frames.insert(*it);
        }
    }
    m_pRoot->addChildren(nodes); // at once: made in the tree, every value of every node was announced
    m_frames = std::move(frames);
    expandItem(m_pRoot);
    // The old records are gone: the current item becomes the new record of the same id.
    doc.m_pCurItem = currentId != 0 ? doc.FindItem(currentId) : nullptr;
    QTreeWidgetItem* current = doc.m_pCurItem ? NodeOf(currentId) : m_pRoot;
    setCurrentItem(current);
    SetDropHighlight(current);
    m_bFilling = false;
    m_bFilled = true;
    ShowFailingCount();
    doc.UpdateStatusSummary();
    return true;
}

void CLeftView::ShowItem(int messagetypeid)
{
    auto record = m_context.doc.FindItem(messagetypeid);
    if (!record) {
        return;
    }
    if (QTreeWidgetItem* node = NodeOf(messagetypeid)) {
        ApplyNodeState(node, *record);
        return;
    }
    EnsureRoot();
    m_pRoot->addChild(MakeNode(*record));
}

QTreeWidgetItem* CLeftView::MakeNode(const MessageTypeInfo& record)
{
    auto* node = new CItemNode();
    node->setData(0, kNodeKeyRole, record.messagetypeid);
    m_nodes[record.messagetypeid] = node;
    ApplyNodeState(node, record);
    return node;
}

void CLeftView::ApplyNodeState(QTreeWidgetItem* node, const MessageTypeInfo& record)
{
    const QString name = QString::fromStdString(record.MessageTypeName);
    node->setText(0, name);
    node->setData(0, kStateImageRole, StateImageFor(record));
    // Screen readers hear on/off as checked/unchecked; the delegate draws the state image instead
    // of a check box, and the state changes through the tree's own commands only.
    node->setFlags(node->flags() | Qt::ItemIsUserCheckable);
    node->setCheckState(0, record.state < 1 ? Qt::Unchecked : Qt::Checked);
    ApplyNodeCount(node, record.m_nUnreadCount);
    ApplyNodeHealth(node, record);
}

void CLeftView::ApplyNodeCount(QTreeWidgetItem* node, int unread)
{
    node->setData(0, kUnreadCountRole, unread); // what assistive tools read follows (CItemNode)
}

void CLeftView::ApplyNodeHealth(QTreeWidgetItem* node, const MessageTypeInfo& record)
{
    const HealthState state = HealthOf(record.messagetypeid).state;
    int mark = kHealthMarkNone;
    if (state == HealthState::Failing) {
        mark = kHealthMarkFailing;
    } else if (state == HealthState::Silent) {
        mark = kHealthMarkSilent;
    }
    node->setData(0, kHealthMarkRole, mark);
    if (auto* itemNode = dynamic_cast<CItemNode*>(node)) {
        itemNode->HealthTextsChanged(); // views and assistive tools hear of it
    }
}

QString CLeftView::HealthText(const QTreeWidgetItem* node, int role) const
{
    const ItemHealth health = HealthOf(KeyOf(node));
    QString state;
    switch (health.state) {
    case HealthState::Ok:
        state = tr("正常");
        break;
    case HealthState::Failing:
        state = tr("失败（连续 %1 次检查失败）").arg(health.consecutiveFailures);
        break;
    case HealthState::Recovered:
        state = tr("恢复");
        break;
    case HealthState::Silent:
        state = tr("沉寂（很久没有新消息）");
        break;
    }
    auto time = [](std::int64_t ms) { return ms == 0 ? tr("从未") : QString::fromStdString(CheckTimeText(ms)); };
    QStringList lines{tr("状态：%1").arg(state)};
    if (health.lastCheckMs == 0) {
        lines << tr("还没有检查过");
    } else {
        lines << tr("最后检查：%1").arg(time(health.lastCheckMs)) << tr("最后成功：%1").arg(time(health.lastSuccessMs));
    }
    if (!health.lastError.empty()) {
        lines << tr("最后错误：%1").arg(QString::fromStdString(health.lastError));
    }
    if (role == Qt::AccessibleDescriptionRole) {
        return lines.join(tr("；"));
    }
    // As rich text, which Qt wraps: a failure's words can be long.
    QStringList tipLines;
    for (const QString& line : lines) {
        tipLines << line.toHtmlEscaped();
    }
    return QStringLiteral("<b>%1</b><br>%2").arg(node->text(0).toHtmlEscaped(), tipLines.join(QStringLiteral("<br>")));
}

ItemHealth CLeftView::HealthOf(int messagetypeid) const
{
    auto it = m_health.find(messagetypeid);
    if (it != m_health.end()) {
        return it->second;
    }
    ItemHealth none;
    none.messagetypeid = messagetypeid;
    return none;
}

namespace {

bool SameHealth(const std::map<int, ItemHealth>& before, const std::map<int, ItemHealth>& now, int messagetypeid)
{
    auto was = before.find(messagetypeid);
    auto is = now.find(messagetypeid);
    if (was == before.end() || is == now.end()) {
        return (was == before.end()) == (is == now.end());
    }
    return was->second == is->second;
}

} // namespace

std::optional<std::map<int, ItemHealth>>
CLeftView::ReadHealth(const std::vector<std::shared_ptr<MessageTypeInfo>>& items)
{
    std::vector<int> shown;
    shown.reserve(items.size());
    for (const auto& item : items) {
        shown.push_back(item->messagetypeid);
    }
    std::string error;
    auto health = m_context.app.Health().AllHealth(shown, error);
    if (!health) {
        return std::nullopt;
    }
    return std::exchange(m_health, std::move(*health));
}

void CLeftView::RefreshHealth()
{
    const auto items = m_context.doc.Items();
    const auto previous = ReadHealth(items);
    if (!previous) {
        return; // the marks stay as they were; the next end of a check reads them again
    }
    // Only the nodes whose health changed are shown again: the timer reads it for every item.
    for (const auto& item : items) {
        QTreeWidgetItem* node = NodeOf(item->messagetypeid);
        if (node && !SameHealth(*previous, m_health, item->messagetypeid)) {
            ApplyNodeHealth(node, *item);
        }
    }
    ShowFailingCount();
}

void CLeftView::ShowFailingCount()
{
    CTarvoDoc& doc = m_context.doc;
    int failing = 0;
    for (const auto& [messagetypeid, health] : m_health) { // the shown items that were checked
        if (health.state == HealthState::Failing) {
            ++failing;
        }
    }
    if (doc.m_nFailingCount != failing) {
        doc.m_nFailingCount = failing;
        doc.UpdateStatusSummary();
        doc.RefreshTrayTip();
    }
}

bool CLeftView::ChecksEndedSinceLastStep()
{
    const int ended = m_checksEnded->load();
    const bool changed = ended != m_nChecksSeen;
    m_nChecksSeen = ended;
    return changed;
}

void CLeftView::SetDropHighlight(QTreeWidgetItem* node)
{
    if (QTreeWidgetItem* old = NodeForKey(m_dropKey); old && old != node) {
        old->setData(0, kDropHighlightRole, false);
    }
    m_dropKey.reset();
    if (node) {
        node->setData(0, kDropHighlightRole, true);
        m_dropKey = KeyOf(node);
    }
}

void CLeftView::SyncWithDocument()
{
    CTarvoDoc& doc = m_context.doc;
    if (!m_pRoot) {
        return; // not filled yet
    }
    // Only once the list or a record in it changed: with thousands of items, comparing every node
    // on every animation step kept the program busy while idle.
    const int version = doc.m_nItemsVersion;
    if (version == m_nSyncedVersion) {
        return;
    }
    m_nSyncedVersion = version;
    const auto items = doc.Items();
    std::set<int> ids;
    for (const auto& item : items) {
        ids.insert(item->messagetypeid);
    }
    m_bFilling = true;
    bool lostCurrent = false;
    for (auto it = m_nodes.begin(); it != m_nodes.end();) {
        if (ids.count(it->first) != 0) {
            ++it;
            continue;
        }
        lostCurrent = lostCurrent || currentItem() == it->second;
        m_frames.erase(it->first);
        delete it->second;
        it = m_nodes.erase(it);
    }
    for (const auto& item : items) {
        QTreeWidgetItem* node = NodeOf(item->messagetypeid);
        if (!node || node->text(0) != QString::fromStdString(item->MessageTypeName) ||
            node->data(0, kStateImageRole).toInt() != StateImageFor(*item)) {
            ShowItem(item->messagetypeid);
        }
    }
    if (lostCurrent) {
        setCurrentItem(m_pRoot);
        SetDropHighlight(m_pRoot);
    }
    m_bFilling = false;
    // The current item by key: a refreshed record replaces the old one, a deleted item means all items.
    if (doc.m_pCurItem) {
        auto fresh = doc.FindItem(doc.m_pCurItem->messagetypeid);
        if (fresh != doc.m_pCurItem) {
            doc.m_pCurItem = fresh;
            if (fresh) {
                doc.UpdateStatusSummary();
            } else if (currentItem() != m_pRoot) {
                setCurrentItem(m_pRoot); // the selection change shows all items
            } else {
                doc.UpdateStatusSummary();
                doc.m_nCurMessageId = 0;
                ReloadOtherViews();
            }
        }
    }
}

void CLeftView::OnAnimationTimer()
{
    SyncWithDocument();
    for (const auto& item : m_context.doc.Items()) {
        QTreeWidgetItem* node = NodeOf(item->messagetypeid);
        if (!node) {
            continue;
        }
        int shown = -1;
        if (item->m_nUnreadCount != 0) {
            int& frame = m_frames.try_emplace(item->messagetypeid, -1).first->second;
            frame = (frame + 1) % kAnimationFrames;
            shown = frame;
        }
        if (node->data(0, kAnimFrameRole).toInt() != shown) {
            node->setData(0, kAnimFrameRole, shown);
        }
        ApplyNodeCount(node, item->m_nUnreadCount);
    }
    if (ChecksEndedSinceLastStep()) {
        RefreshHealth();
    }
}

// ---- hit test and mouse ----

CLeftView::HitPart CLeftView::HitTest(const QPoint& viewportPoint, QTreeWidgetItem** node) const
{
    QTreeWidgetItem* hit = itemAt(viewportPoint);
    if (node) {
        *node = hit;
    }
    if (!hit) {
        return HitPart::Nowhere;
    }
    const TreeNodeLayout layout = LayoutTreeNode(visualItemRect(hit));
    if (layout.state.contains(viewportPoint)) {
        return HitPart::StateImage;
    }
    if (layout.image.adjusted(-1, -4, 1, 4).contains(viewportPoint)) {
        return HitPart::Image;
    }
    return HitPart::Other;
}

QRect CLeftView::PartRect(QTreeWidgetItem* node, HitPart part) const
{
    if (!node) {
        return {};
    }
    const QRect row = visualItemRect(node);
    const TreeNodeLayout layout = LayoutTreeNode(row);
    switch (part) {
    case HitPart::StateImage:
        return layout.state;
    case HitPart::Image:
        return layout.image;
    case HitPart::Other:
        return layout.text;
    case HitPart::Nowhere:
        break;
    }
    return {};
}

void CLeftView::focusInEvent(QFocusEvent* event)
{
    // Coming back from a popup (the context menu) is not a new activation.
    if (event->reason() != Qt::PopupFocusReason) {
        m_targetKey.reset();
        // The tree becoming active shows the summary of the item anew.
        m_context.doc.UpdateStatusSummary();
    }
    QTreeWidget::focusInEvent(event);
}

void CLeftView::mousePressEvent(QMouseEvent* event)
{
    QTreeWidgetItem* node = nullptr;
    const HitPart part = HitTest(event->position().toPoint(), &node);
    if (event->button() == Qt::RightButton) {
        QTreeWidgetItem* selected = selectedItems().value(0, nullptr);
        m_beforeRightPressKey = selected ? std::optional<int>(KeyOf(selected)) : std::nullopt;
        if (node) {
            SetDropHighlight(node);
            event->accept();
            return;
        }
        QTreeWidget::mousePressEvent(event);
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QTreeWidget::mousePressEvent(event);
        return;
    }
    switch (part) {
    case HitPart::Nowhere:
        m_targetKey.reset();
        event->accept();
        return;
    case HitPart::Image:
        if (node != m_pRoot) {
            SetDropHighlight(node);
            m_targetKey = KeyOf(node);
        } else {
            m_targetKey.reset();
        }
        QTreeWidget::mousePressEvent(event);
        return;
    case HitPart::StateImage:
        m_targetKey.reset();
        if (auto record = RecordOf(node)) {
            SetItemState(node, record->state == 0 ? 1 : 0);
        }
        event->accept();
        return;
    case HitPart::Other:
        m_targetKey.reset();
        QTreeWidget::mousePressEvent(event);
        return;
    }
}

void CLeftView::contextMenuEvent(QContextMenuEvent* event)
{
    QTreeWidgetItem* node = nullptr;
    if (HitTest(event->pos(), &node) == HitPart::Nowhere || !node) {
        return;
    }
    const int hitKey = KeyOf(node);
    m_targetKey = hitKey;
    {
        std::unique_ptr<QMenu> menu = CreateContextMenu(node);
        menu->exec(event->globalPos());
    }
    // The command may have rebuilt the tree: only keys are used from here on.
    if (m_beforeRightPressKey && *m_beforeRightPressKey != hitKey) {
        SetDropHighlight(NodeForKey(m_beforeRightPressKey));
    }
    m_beforeRightPressKey.reset();
}

std::unique_ptr<QMenu> CLeftView::CreateContextMenu(QTreeWidgetItem* node)
{
    auto menu = std::make_unique<QMenu>();
    menu->setTitle(tr("项目"));
    menu->setAccessibleName(menu->title());
    const bool onRoot = node == m_pRoot;
    for (const MenuEntry& entry : kContextMenu) {
        if (entry.id == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(tr(entry.text));
        action->setData(entry.id);
        if (entry.image) {
            action->setIcon(TreeIcon(QString::fromUtf8(entry.image)));
        }
        action->setEnabled(!(onRoot && entry.needsItem));
        const auto handler = entry.handler;
        connect(action, &QAction::triggered, this, [this, handler]() { (this->*handler)(); });
    }
    menu->addSeparator();
    QAction* log = menu->addAction(tr("检查记录…"));
    log->setData(kCheckLogCommand);
    log->setEnabled(!onRoot);
    connect(log, &QAction::triggered, this, &CLeftView::OnShowCheckLog);
    return menu;
}

void CLeftView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        OnDeleteItem();
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

// ---- selection ----

void CLeftView::OnCurrentNodeChanged(QTreeWidgetItem* current)
{
    if (m_bFilling) {
        return;
    }
    CTarvoDoc& doc = m_context.doc;
    m_targetKey.reset();
    SetDropHighlight(current);
    if (doc.m_pCurItem && current && current != m_pRoot && KeyOf(current) == doc.m_pCurItem->messagetypeid) {
        return;
    }
    doc.m_pCurItem = RecordOf(current);
    doc.UpdateStatusSummary();
    doc.RefreshTrayTip();
    doc.m_nCurMessageId = 0;
    ReloadOtherViews();
}

void CLeftView::ReloadOtherViews()
{
    m_context.doc.m_bReload = 1;
    m_context.doc.UpdateAllViews(this);
}

// ---- commands ----

// The command target node when one is set, otherwise the selected node; with passOverRoot a
// target that is the root gives way to the selected node. Null when that is missing or the root.
QTreeWidgetItem* CLeftView::CommandTarget(bool passOverRoot) const
{
    QTreeWidgetItem* node = nullptr;
    if (m_targetKey && !(passOverRoot && *m_targetKey == kRootKey)) {
        node = NodeForKey(m_targetKey);
    } else {
        node = selectedItems().value(0, nullptr);
    }
    return node == m_pRoot ? nullptr : node;
}

void CLeftView::ShowMessage(const char* text)
{
    m_context.boxes.Show(this, tr(text), tr(kConfirmCaption), QMessageBox::NoIcon, QMessageBox::Ok);
}

void CLeftView::ShowStoreError(const std::string& error)
{
    m_context.boxes.Show(this, QString::fromStdString(error), QString(), QMessageBox::Information, QMessageBox::Ok);
}

void CLeftView::SetItemState(QTreeWidgetItem* node, int value)
{
    auto record = RecordOf(node);
    if (!record) {
        return;
    }
    if (record->MessageCategory == kCategoryBroadcast) {
        ShowMessage(kBroadcastStateText);
        return;
    }
    // A running check keeps the record it holds; the switched item replaces it in the document.
    MessageTypeInfo edited = *record;
    record.reset();
    edited.state = value;
    std::string error;
    if (!m_context.app.Items().SetState(edited.messagetypeid, value, error)) {
        ShowStoreError(error); // the image keeps showing what is stored
        return;
    }
    m_context.doc.ReplaceItem(edited.messagetypeid, edited);
    ApplyNodeState(node, edited);
    if (m_context.doc.m_pCurItem && m_context.doc.m_pCurItem->messagetypeid == edited.messagetypeid) {
        m_context.doc.UpdateStatusSummary();
    }
}

bool CLeftView::RunPropertyDialog(MessageTypeInfo& record)
{
    CMessageTypeDlg dialog(m_context, this);
    dialog.SetMessageType(&record);
    dialog.LoadFromItem(&record);
    // The dialog accepts only once the item is stored.
    return dialog.exec() == QDialog::Accepted;
}

void CLeftView::OnAddItem()
{
    auto record = std::make_shared<MessageTypeInfo>();
    if (!RunPropertyDialog(*record) || record->messagetypeid == 0) {
        return;
    }
    const int id = record->messagetypeid;
    m_context.doc.AddItem(std::move(record));
    ShowItem(id);
}

void CLeftView::OnModifyItem()
{
    auto record = RecordOf(CommandTarget(true));
    if (!record) {
        ShowMessage(kNoModifyTargetText);
        return;
    }
    if (record->MessageCategory == kCategoryBroadcast) {
        ShowMessage(kBroadcastModifyText);
        return;
    }
    // The dialog edits a copy: a check running now goes on with the record it holds.
    MessageTypeInfo edited = *record;
    record.reset();
    if (!RunPropertyDialog(edited)) {
        return;
    }
    m_context.doc.ReplaceItem(edited.messagetypeid, edited);
    ShowItem(edited.messagetypeid);
    RefreshHealth(); // an expected period may have been set or cleared
    if (m_context.doc.m_pCurItem && m_context.doc.m_pCurItem->messagetypeid == edited.messagetypeid) {
        m_context.doc.UpdateStatusSummary();
    }
}

void CLeftView::OnDeleteItem()
{
    auto record = RecordOf(CommandTarget(false));
    if (!record) {
        ShowMessage(kNoDeleteTargetText);
        return;
    }
    if (record->MessageCategory == kCategoryBroadcast) {
        ShowMessage(kBroadcastDeleteText);
        return;
    }
    const QString question =
        tr("项目:(") + QString::fromStdString(record->MessageTypeName) + tr(")\n您确认要删除这个项目吗?");
    // A destructive question: Enter answers No.
    const auto answer = m_context.boxes.Show(this, question, tr(kDeleteCaption), QMessageBox::Question,
                                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer == QMessageBox::Yes) {
        const int id = record->messagetypeid;
        record.reset();
        std::string error;
        if (m_context.app.Items().Delete(id, error)) {
            Refill();
        } else {
            ShowStoreError(error);
        }
    }
    ReloadOtherViews();
}

void CLeftView::OnEnableItem()
{
    QTreeWidgetItem* node = CommandTarget(true);
    if (!node) {
        ShowMessage(kNoModifyTargetText);
        return;
    }
    SetItemState(node, 1);
}

void CLeftView::OnDisableItem()
{
    QTreeWidgetItem* node = CommandTarget(true);
    if (!node) {
        ShowMessage(kNoModifyTargetText);
        return;
    }
    SetItemState(node, 0);
}

void CLeftView::OnCheckItem()
{
    QTreeWidgetItem* node = CommandTarget(false);
    if (!node) {
        OnCheckAll();
        return;
    }
    if (auto record = RecordOf(node)) {
        m_context.doc.CheckOne(std::move(record));
    }
}

void CLeftView::OnCheckAll()
{
    m_context.doc.CheckAll();
}

void CLeftView::OnStopCheck()
{
    m_context.doc.RequestStop();
}

void CLeftView::MarkAll(bool read)
{
    auto record = RecordOf(CommandTarget(false));
    std::string error;
    if (!m_context.app.Messages().SetAllRead(record ? record->messagetypeid : 0, read, error)) {
        // The database's own words, as the store shows them; nothing changed.
        m_context.boxes.Show(this, QString::fromStdString(error), QString(), QMessageBox::Information, QMessageBox::Ok);
    }
    m_context.doc.ShowStoreChange();
    ApplyCounts(); // the views may have been told before the counts were read again
}

void CLeftView::OnMarkAllRead()
{
    MarkAll(true);
}

void CLeftView::OnMarkAllUnread()
{
    MarkAll(false);
}

void CLeftView::OnShowCheckLog()
{
    auto record = RecordOf(CommandTarget(false));
    if (!record) {
        return;
    }
    std::string error;
    auto entries = m_context.app.Health().Log(record->messagetypeid, kCheckLogKeep, error);
    if (!entries) {
        ShowStoreError(error);
        return;
    }
    CCheckLogDlg dialog(QString::fromStdString(record->MessageTypeName), *entries, this);
    record.reset();
    dialog.exec();
}
