// The controls of the property dialog and where they stand. The behaviour is in CMessageTypeDlg.cpp.
#include "gui/dialogs/CMessageTypeDlg.h"
#include "gui/tree/TreeImages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QToolButton>

namespace {

constexpr int kExcludeFromWidth = 320;
constexpr int kExcludeToWidth = 160;
constexpr int kDialogMinimumWidth = 700;

template <typename Widget> Widget* Named(Widget* widget, const char* objectName, const QString& accessibleName)
{
    widget->setObjectName(QString::fromUtf8(objectName));
    widget->setAccessibleName(accessibleName);
    return widget;
}

QLineEdit* LineEdit(QWidget* parent, const char* objectName, const QString& accessibleName)
{
    return Named(new QLineEdit(parent), objectName, accessibleName);
}

QPushButton* Button(QWidget* parent, const char* objectName, const QString& text)
{
    return Named(new QPushButton(text, parent), objectName, text);
}

// A label in front of its field; the field is known by the label's text.
void AddLabeled(QGridLayout* grid, int row, int column, const QString& text, QWidget* field, int span = 1)
{
    auto* label = new QLabel(text, field->parentWidget());
    label->setBuddy(field);
    field->setAccessibleName(text);
    grid->addWidget(label, row, column);
    grid->addWidget(field, row, column + 1, 1, span);
}

QGroupBox* Group(QWidget* parent, const QString& title)
{
    auto* group = new QGroupBox(title, parent);
    group->setAccessibleName(title);
    return group;
}

} // namespace

void CMessageTypeDlg::BuildLayout()
{
    setWindowTitle(tr("自动检查消息项目属性"));
    setAccessibleName(windowTitle());

    // Name, presets, category, identity.
    m_pName = LineEdit(this, "MessageTypeName", QString());
    // The whole button opens the menu (see the constructor); as a split button its menu and the
    // entries are the button's children for assistive tools.
    m_pPreset = Named(new QToolButton(this), "preset", tr("预制"));
    m_pPreset->setText(tr("预制"));
    m_pPreset->setToolTip(tr("预制"));
    m_pPreset->setIcon(TreeIcon(QStringLiteral("preset")));
    m_pPreset->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_pPreset->setPopupMode(QToolButton::MenuButtonPopup);
    m_pPresetMenu = new QMenu(tr("预制"), m_pPreset);
    m_pPresetMenu->setAccessibleName(tr("预制"));
    m_pPreset->setMenu(m_pPresetMenu);
    m_pCategory = Named(new QComboBox(this), "MessageCategory", QString());
    m_pCategory->addItems({tr("数据库监视"), tr("网页监视"), tr("FTP监视"), tr("Email(POP3)监视"), tr("其他监视")});
    m_pUser = LineEdit(this, "MessageTypeUser", QString());
    m_pAdvanced = Button(this, "advanced", tr("更多高级选项"));

    auto* head = new QGridLayout;
    AddLabeled(head, 0, 0, tr("名称："), m_pName, 3);
    head->addWidget(m_pPreset, 0, 4);
    AddLabeled(head, 1, 0, tr("类型："), m_pCategory);
    AddLabeled(head, 1, 2, tr("您的身份标示："), m_pUser);
    head->addWidget(m_pAdvanced, 1, 4);
    head->setColumnStretch(1, 1);
    head->setColumnStretch(3, 1);

    // 链接设置
    auto* link = Group(this, tr("链接设置"));
    m_pAddress = Named(new QPlainTextEdit(link), "connAddress", QString());
    m_pAddress->setTabChangesFocus(true);
    m_pAddress->setFixedHeight(m_pAddress->fontMetrics().lineSpacing() * 3 + 12);
    m_pUserName = LineEdit(link, "UserName", QString());
    m_pPassword = LineEdit(link, "Password", QString());
    m_pPassword->setEchoMode(QLineEdit::Password);
    m_pViewName = LineEdit(link, "ViewName", QString());
    m_pViewLabel = new QLabel(tr("链接视图："), link);
    m_pViewLabel->setObjectName(QStringLiteral("ViewNameLabel"));
    m_pViewLabel->setBuddy(m_pViewName);
    m_pViewName->setAccessibleName(m_pViewLabel->text());
    m_pTest = Button(link, "test", tr("测试"));
    m_pTestResult = Named(new QLabel(link), "testResult", tr("测试结果"));
    m_pTestResult->setWordWrap(true);
    m_pTestResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pTestResult->hide();
    auto* linkGrid = new QGridLayout(link);
    AddLabeled(linkGrid, 0, 0, tr("链接地址："), m_pAddress, 2);
    AddLabeled(linkGrid, 1, 0, tr("用户名："), m_pUserName, 2);
    AddLabeled(linkGrid, 2, 0, tr("口令："), m_pPassword, 2);
    linkGrid->addWidget(m_pViewLabel, 3, 0);
    linkGrid->addWidget(m_pViewName, 3, 1);
    linkGrid->addWidget(m_pTest, 3, 2);
    linkGrid->addWidget(m_pTestResult, 4, 0, 1, 3);
    linkGrid->setColumnStretch(1, 1);

    // 检查选项
    auto* options = Group(this, tr("检查选项"));
    m_pAutoCheck = Named(new QCheckBox(tr("允许自动检查"), options), "state", tr("允许自动检查"));
    m_pMinutes = LineEdit(options, "CheckInterval", tr("检查间隔"));
    m_pCheckNumber = LineEdit(options, "CheckNumber", QString());
    const QString canChange = tr("可以手工改变消息为“已读”");
    m_pCanChangeState = Named(new QCheckBox(canChange, options), "bCanChangeState", canChange);
    m_pCanChangeState->setEnabled(false);
    auto* optionsGrid = new QGridLayout(options);
    optionsGrid->addWidget(m_pAutoCheck, 0, 0);
    optionsGrid->addWidget(m_pMinutes, 0, 1);
    AddLabeled(optionsGrid, 1, 0, tr("检查最新消息条数(数据库):"), m_pCheckNumber);
    optionsGrid->addWidget(m_pCanChangeState, 2, 0, 1, 2);

    // 单击一条消息时
    auto* click = Group(this, tr("单击一条消息时"));
    m_pShowLink = Named(new QRadioButton(tr("显示链接的消息"), click), "showLink", tr("显示链接的消息"));
    m_pShowContent = Named(new QRadioButton(tr("显示检索到的内容"), click), "showContent", tr("显示检索到的内容"));
    auto* clickLayout = new QVBoxLayout(click);
    clickLayout->addWidget(m_pShowLink);
    clickLayout->addWidget(m_pShowContent);

    // 监测到新消息时
    auto* notify = Group(this, tr("监测到新消息时"));
    m_pSound = Named(new QCheckBox(tr("声音提示"), notify), "sound", tr("声音提示"));
    m_pNotify = LineEdit(notify, "bNotify", tr("每隔秒声音提示一次"));
    m_pNotify->setMaximumWidth(60);
    m_pWarnOnce = Named(new QCheckBox(tr("只警告一次"), notify), "warnOnce", tr("只警告一次"));
    m_pSoundFile = LineEdit(notify, "notifysound", QString());
    m_pChooseSound = Button(notify, "chooseSound", tr("选择"));
    m_pPlaySound = Named(new QToolButton(notify), "playSound", tr("试听"));
    m_pPlaySound->setToolTip(tr("试听"));
    m_pPlaySound->setIcon(TreeIcon(QStringLiteral("sound")));
    auto* repeat = new QHBoxLayout;
    repeat->addWidget(m_pSound);
    repeat->addWidget(new QLabel(tr("每隔"), notify));
    repeat->addWidget(m_pNotify);
    repeat->addWidget(new QLabel(tr("秒声音提示一次"), notify));
    repeat->addWidget(m_pWarnOnce);
    repeat->addStretch();
    auto* file = new QGridLayout;
    AddLabeled(file, 0, 0, tr("声音选择："), m_pSoundFile);
    file->addWidget(m_pChooseSound, 0, 2);
    file->addWidget(m_pPlaySound, 0, 3);
    auto* notifyLayout = new QVBoxLayout(notify);
    notifyLayout->addLayout(repeat);
    notifyLayout->addLayout(file);

    // 网页检查:只检查下列之间的内容
    auto* include = Group(this, tr("网页检查:只检查下列之间的内容"));
    m_pIncludeFrom = LineEdit(include, "IncludeFrom", QString());
    m_pIncludeTo = LineEdit(include, "IncludeTo", QString());
    m_pIncludeFrom2 = LineEdit(include, "IncludeFrom2", QString());
    m_pIncludeFrom2->setEnabled(false);
    auto* includeGrid = new QGridLayout(include);
    AddLabeled(includeGrid, 0, 0, tr("检查开始处1："), m_pIncludeFrom);
    AddLabeled(includeGrid, 1, 0, tr("检查结束处："), m_pIncludeTo);
    AddLabeled(includeGrid, 2, 0, tr("开始处2："), m_pIncludeFrom2);

    // 网页检查:不检查下列之间的内容
    const QString excludeTitle = tr("网页检查:不检查下列之间的内容");
    auto* exclude = Group(this, excludeTitle);
    m_pExcludeList = Named(new QTableWidget(0, 2, exclude), "excludeList", excludeTitle);
    m_pExcludeList->setHorizontalHeaderLabels({tr("排除开始处"), tr("排除结束处")});
    m_pExcludeList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pExcludeList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pExcludeList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pExcludeList->setShowGrid(true);
    m_pExcludeList->verticalHeader()->hide();
    m_pExcludeList->horizontalHeader()->setSectionsMovable(true);
    m_pExcludeList->setColumnWidth(0, kExcludeFromWidth);
    m_pExcludeList->setColumnWidth(1, kExcludeToWidth);
    m_pExcludeList->setMinimumHeight(90);
    m_pAddExclude = Button(exclude, "addExclude", tr("增加"));
    m_pModifyExclude = Button(exclude, "modifyExclude", tr("修改"));
    m_pDeleteExclude = Button(exclude, "deleteExclude", tr("删除"));
    auto* excludeButtons = new QVBoxLayout;
    excludeButtons->addWidget(m_pAddExclude);
    excludeButtons->addWidget(m_pModifyExclude);
    excludeButtons->addWidget(m_pDeleteExclude);
    excludeButtons->addStretch();
    auto* excludeLayout = new QHBoxLayout(exclude);
    excludeLayout->addWidget(m_pExcludeList, 1);
    excludeLayout->addLayout(excludeButtons);

    // 说明
    auto* about = Group(this, tr("说明"));
    m_pAbout = Named(new QPlainTextEdit(about), "About", tr("说明"));
    m_pAbout->setTabChangesFocus(true);
    m_pAbout->setFixedHeight(m_pAbout->fontMetrics().lineSpacing() * 3 + 12);
    auto* aboutLayout = new QVBoxLayout(about);
    aboutLayout->addWidget(m_pAbout);

    m_pOk = Button(this, "ok", tr("确认"));
    m_pOk->setDefault(true);
    m_pCancel = Button(this, "cancel", tr("放弃"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_pOk);
    buttons->addWidget(m_pCancel);

    auto* left = new QVBoxLayout;
    left->addWidget(link);
    left->addWidget(options);
    left->addWidget(click);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(notify);
    right->addWidget(include);
    right->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    setMinimumWidth(kDialogMinimumWidth);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addLayout(columns);
    layout->addWidget(exclude, 1);
    layout->addWidget(about);
    layout->addLayout(buttons);
}
