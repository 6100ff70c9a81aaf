#include "gui/dialogs/CSystemSettingsDlg.h"

#include "app/Settings.h"
#include "gui/frame/GuiContext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace {

// The field names of the bounds message: "<name>须是 <low> 到 <high> 之间的整数。"
constexpr const char* kIntervalName = QT_TRANSLATE_NOOP("CSystemSettingsDlg", "自动检查的间隔分钟数");
constexpr const char* kPageSizeName = QT_TRANSLATE_NOOP("CSystemSettingsDlg", "消息列表窗口每页消息数");
constexpr const char* kMarkReadName = QT_TRANSLATE_NOOP("CSystemSettingsDlg", "自动标记为已读的秒数");
constexpr const char* kMustBe = QT_TRANSLATE_NOOP("CSystemSettingsDlg", "须是 ");
constexpr const char* kTo = QT_TRANSLATE_NOOP("CSystemSettingsDlg", " 到 ");
constexpr const char* kWholeNumberBetween = QT_TRANSLATE_NOOP("CSystemSettingsDlg", " 之间的整数。");
constexpr const char* kCaption = QT_TRANSLATE_NOOP("CSystemSettingsDlg", "注意");

QLabel* NamedLabel(const char* text, QWidget* parent)
{
    auto* label = new QLabel(QCoreApplication::translate("CSystemSettingsDlg", text), parent);
    label->setAccessibleName(label->text());
    return label;
}

QLineEdit* NumberEdit(const QString& name, int value, QWidget* parent)
{
    auto* edit = new QLineEdit(QString::number(value), parent);
    edit->setAccessibleName(name);
    edit->setMaximumWidth(70);
    return edit;
}

template <typename Button> Button* NamedButton(const char* text, QWidget* parent)
{
    auto* button = new Button(QCoreApplication::translate("CSystemSettingsDlg", text), parent);
    button->setAccessibleName(button->text());
    return button;
}

} // namespace

CSystemSettingsDlg::CSystemSettingsDlg(Settings& settings, IMessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_boxes(boxes)
{
    setWindowTitle(tr("系统设置"));
    setAccessibleName(windowTitle());
    m_nAutoCheck = settings.enableAutoCheck;
    m_nInterval = settings.AutoCheckInterval;
    m_nSound = settings.EnableSoundNotify;
    m_nDesktopNotify = settings.EnableDesktopNotify;
    m_nLayout = settings.SplitterWindowType == 1 ? 1 : 0;
    m_nPageSize = settings.pagesize;
    m_nAutoRun = settings.enableAutoRun;
    m_nMarkRead = settings.AutoMarkRead;
    m_nUiLanguage = settings.UiLanguage;

    auto* layout = new QVBoxLayout(this);

    auto* checking = new QGroupBox(tr("检查选项"), this);
    checking->setAccessibleName(checking->title());
    auto* checkingLayout = new QGridLayout(checking);
    m_autoCheck = NamedButton<QCheckBox>(QT_TRANSLATE_NOOP("CSystemSettingsDlg", "每隔"), checking);
    m_autoCheck->setChecked(m_nAutoCheck != 0);
    m_interval = NumberEdit(tr("分钟自动检查一次"), m_nInterval, checking);
    auto* intervalRow = new QHBoxLayout;
    intervalRow->addWidget(m_autoCheck);
    intervalRow->addWidget(m_interval);
    intervalRow->addWidget(NamedLabel(QT_TRANSLATE_NOOP("CSystemSettingsDlg", "分钟自动检查一次"), checking));
    intervalRow->addStretch(1);
    checkingLayout->addLayout(intervalRow, 0, 0);
    m_sound = NamedButton<QCheckBox>(QT_TRANSLATE_NOOP("CSystemSettingsDlg", "允许声音提示"), checking);
    m_sound->setChecked(m_nSound != 0);
    checkingLayout->addWidget(m_sound, 1, 0);
    m_desktopNotify = NamedButton<QCheckBox>(QT_TRANSLATE_NOOP("CSystemSettingsDlg", "新消息桌面通知"), checking);
    m_desktopNotify->setChecked(m_nDesktopNotify != 0);
    checkingLayout->addWidget(m_desktopNotify, 2, 0);
    layout->addWidget(checking);

    auto* window = new QGroupBox(tr("窗口样式"), this);
    window->setAccessibleName(window->title());
    auto* windowLayout = new QGridLayout(window);
    m_topTwo = NamedButton<QRadioButton>(QT_TRANSLATE_NOOP("CSystemSettingsDlg", "上二下一"), window);
    m_leftOne = NamedButton<QRadioButton>(QT_TRANSLATE_NOOP("CSystemSettingsDlg", "左一右二"), window);
    (m_nLayout == 1 ? m_leftOne : m_topTwo)->setChecked(true);
    windowLayout->addWidget(m_topTwo, 0, 0);
    windowLayout->addWidget(m_leftOne, 0, 1);
    windowLayout->addWidget(NamedLabel(QT_TRANSLATE_NOOP("CSystemSettingsDlg", "(须重启程序)"), window), 0, 2);
    windowLayout->addWidget(NamedLabel(QT_TRANSLATE_NOOP("CSystemSettingsDlg", "消息列表窗口每页消息数："), window), 1,
                            0, 1, 2);
    m_pageSize = NumberEdit(tr("消息列表窗口每页消息数："), m_nPageSize, window);
    windowLayout->addWidget(m_pageSize, 1, 2);
    layout->addWidget(window);

    auto* start = new QGroupBox(tr("启动"), this);
    start->setAccessibleName(start->title());
    auto* startLayout = new QVBoxLayout(start);
    m_autoRun = NamedButton<QCheckBox>(QT_TRANSLATE_NOOP("CSystemSettingsDlg", "Window启动时自动运行"), start);
    m_autoRun->setChecked(m_nAutoRun != 0);
    startLayout->addWidget(m_autoRun);
    auto* languageRow = new QHBoxLayout;
    auto* languageLabel = new QLabel(tr("界面语言："), start);
    languageLabel->setAccessibleName(languageLabel->text());
    m_uiLanguage = new QComboBox(start);
    // The language's own name, so whoever cannot read the other still finds it.
    m_uiLanguage->addItems({tr("自动"), QStringLiteral("中文"), QStringLiteral("English")});
    m_uiLanguage->setCurrentIndex(m_nUiLanguage >= 0 && m_nUiLanguage <= 2 ? m_nUiLanguage : 0);
    m_uiLanguage->setAccessibleName(tr("界面语言"));
    languageLabel->setBuddy(m_uiLanguage);
    languageRow->addWidget(languageLabel);
    languageRow->addWidget(m_uiLanguage);
    languageRow->addWidget(NamedLabel(QT_TRANSLATE_NOOP("CSystemSettingsDlg", "(须重启程序)"), start));
    languageRow->addStretch(1);
    startLayout->addLayout(languageRow);
    layout->addWidget(start);

    auto* other = new QGroupBox(tr("其他"), this);
    other->setAccessibleName(other->title());
    auto* otherLayout = new QHBoxLayout(other);
    otherLayout->addWidget(NamedLabel(QT_TRANSLATE_NOOP("CSystemSettingsDlg", "每隔秒自动标记为已读："), other));
    m_markRead = NumberEdit(tr("每隔秒自动标记为已读："), m_nMarkRead, other);
    otherLayout->addWidget(m_markRead);
    otherLayout->addWidget(NamedLabel(kMarkReadAtOnceText, other));
    otherLayout->addStretch(1);
    layout->addWidget(other);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(tr("确认"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(tr("放弃"), QDialogButtonBox::RejectRole);
    ok->setAccessibleName(ok->text());
    cancel->setAccessibleName(cancel->text());
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSystemSettingsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSystemSettingsDlg::reject);
    layout->addWidget(buttons);
}

bool CSystemSettingsDlg::ReadBounded(QLineEdit* edit, const char* key, const char* fieldName, int& value)
{
    static const QRegularExpression integer(QStringLiteral("^\\s*[-+]?\\d+\\s*$"));
    const SettingBounds& bounds = *Settings::Bounds(key);
    bool ok = integer.match(edit->text()).hasMatch();
    const int parsed = ok ? edit->text().trimmed().toInt(&ok) : 0;
    if (ok && bounds.Contains(parsed)) {
        value = parsed;
        return true;
    }
    m_boxes.Show(this,
                 tr(fieldName) + tr(kMustBe) + QString::number(bounds.low) + tr(kTo) + QString::number(bounds.high) +
                     tr(kWholeNumberBetween),
                 tr(kCaption), QMessageBox::Warning, QMessageBox::Ok);
    edit->setFocus();
    edit->selectAll();
    return false;
}

void CSystemSettingsDlg::accept()
{
    // Every number first: a wrong one stays on screen and nothing is stored until all are right.
    int interval = 0;
    int pageSize = 0;
    int markRead = 0;
    if (!ReadBounded(m_interval, "AutoCheckInterval", kIntervalName, interval) ||
        !ReadBounded(m_pageSize, "pagesize", kPageSizeName, pageSize) ||
        !ReadBounded(m_markRead, "AutoMarkRead", kMarkReadName, markRead)) {
        return;
    }
    m_nAutoRun = m_autoRun->isChecked() ? 1 : 0;
    m_nInterval = interval;
    m_nAutoCheck = m_autoCheck->isChecked() ? 1 : 0;
    m_nSound = m_sound->isChecked() ? 1 : 0;
    m_nDesktopNotify = m_desktopNotify->isChecked() ? 1 : 0;
    m_nPageSize = pageSize;
    m_nLayout = m_leftOne->isChecked() ? 1 : 0;
    m_nMarkRead = markRead;
    m_nUiLanguage = m_uiLanguage->currentIndex();

    m_settings.enableAutoRun = m_nAutoRun;
    m_settings.AutoCheckInterval = m_nInterval;
    m_settings.enableAutoCheck = m_nAutoCheck;
    m_settings.EnableSoundNotify = m_nSound;
    m_settings.EnableDesktopNotify = m_nDesktopNotify;
    m_settings.pagesize = m_nPageSize;
    m_settings.SplitterWindowType = m_nLayout;
    m_settings.AutoMarkRead = m_nMarkRead;
    m_settings.UiLanguage = m_nUiLanguage;
    if (!m_settings.SaveSettings()) {
        m_boxes.Show(this, tr(kSettingsNotWrittenText), tr("注意"), QMessageBox::Warning, QMessageBox::Ok);
    }
    if (m_apply) {
        m_apply();
    }
    QDialog::accept();
}
