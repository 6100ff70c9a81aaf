#include "gui/dialogs/CAdvancedOptionsDlg.h"

#include "gui/frame/GuiContext.h"
#include "monitors/mail/MailServerAddress.h"
#include "store/MessageTypeInfo.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>

namespace {

constexpr int kMaxIntervalMinutes = 7 * 24 * 60;
constexpr int kMaxExpectMinutes = 365 * 24 * 60;
constexpr int kDefaultExpectMinutes = 24 * 60;

template <typename Widget> Widget* Named(Widget* widget, const char* objectName, const QString& accessibleName)
{
    widget->setObjectName(QString::fromUtf8(objectName));
    widget->setAccessibleName(accessibleName);
    return widget;
}

QSpinBox* MinutesBox(QWidget* parent, const char* objectName, const QString& accessibleName, int maximum)
{
    auto* box = Named(new QSpinBox(parent), objectName, accessibleName);
    box->setRange(1, maximum);
    return box;
}

} // namespace

AdvancedKind AdvancedKindOf(int category, const std::string& address, const std::string& viewName)
{
    AdvancedKind kind;
    if (category == kCategoryMail) {
        kind.mailPreview = true;
        kind.certificate = MailServerAddress::Parse(address, viewName).tls;
    } else if (category == kCategoryWebPage) {
        kind.certificate =
            QString::fromStdString(address).trimmed().startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);
    }
    return kind;
}

CAdvancedOptionsDlg::CAdvancedOptionsDlg(IMessageBoxes& boxes, const ItemOptions& options, int intervalMinutes,
                                         AdvancedKind kind, const std::string& offered, QWidget* parent)
    : QDialog(parent), m_boxes(boxes), m_options(options), m_nIntervalMinutes(intervalMinutes), m_kind(kind)
{
    setWindowTitle(tr("更多高级选项"));
    setAccessibleName(windowTitle());

    auto* schedule = new QGroupBox(tr("检查时间"), this);
    m_pOwnSchedule = Named(new QCheckBox(tr("按本项目的间隔检查"), schedule), "ownSchedule", tr("按本项目的间隔检查"));
    m_pInterval = MinutesBox(schedule, "intervalMinutes", tr("检查间隔（分钟）"), kMaxIntervalMinutes);
    m_pExpect = Named(new QCheckBox(tr("沉寂提醒：超过"), schedule), "expect", tr("沉寂提醒"));
    m_pExpectMinutes = MinutesBox(schedule, "expectMinutes", tr("沉寂提醒（分钟）"), kMaxExpectMinutes);
    auto* grid = new QGridLayout(schedule);
    grid->addWidget(m_pOwnSchedule, 0, 0, 1, 3);
    auto* intervalLabel = new QLabel(tr("每隔"), schedule);
    intervalLabel->setBuddy(m_pInterval);
    grid->addWidget(intervalLabel, 1, 0);
    grid->addWidget(m_pInterval, 1, 1);
    grid->addWidget(new QLabel(tr("分钟检查一次"), schedule), 1, 2);
    grid->addWidget(m_pExpect, 2, 0);
    grid->addWidget(m_pExpectMinutes, 2, 1);
    grid->addWidget(new QLabel(tr("分钟没有新消息时提醒"), schedule), 2, 2);
    grid->setColumnStretch(3, 1);

    m_pOwnSchedule->setChecked(options.ownSchedule);
    m_pInterval->setValue(std::max(1, intervalMinutes));
    m_pInterval->setEnabled(options.ownSchedule);
    m_pExpect->setChecked(options.expectMinutes > 0);
    m_pExpectMinutes->setValue(options.expectMinutes > 0 ? options.expectMinutes : kDefaultExpectMinutes);
    m_pExpectMinutes->setEnabled(options.expectMinutes > 0);
    connect(m_pOwnSchedule, &QCheckBox::toggled, m_pInterval, &QWidget::setEnabled);
    connect(m_pExpect, &QCheckBox::toggled, m_pExpectMinutes, &QWidget::setEnabled);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(schedule);

    if (kind.certificate) {
        auto* trust = new QGroupBox(tr("服务器证书"), this);
        m_pFingerprint = Named(new QLineEdit(trust), "fingerprint", tr("信任的证书指纹 (SHA-256)"));
        m_pFingerprint->setMinimumWidth(m_pFingerprint->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 70);
        auto* label = new QLabel(tr("信任的证书指纹 (SHA-256)："), trust);
        label->setBuddy(m_pFingerprint);
        auto* hint = new QLabel(trust);
        hint->setObjectName(QStringLiteral("fingerprintHint"));
        hint->setWordWrap(true);
        const bool offering = options.pinnedCertificate.empty() && !offered.empty();
        m_pFingerprint->setText(QString::fromStdString(offering ? offered : options.pinnedCertificate));
        hint->setText(offering ? tr("上次检查失败时服务器出示了这个证书。确认后本项目除系统信任的证书外只再信任它。")
                               : tr("除系统信任的证书外，本项目只再信任指纹相同的一个证书；留空则不信任其他证书。"));
        auto* trustLayout = new QVBoxLayout(trust);
        trustLayout->addWidget(label);
        trustLayout->addWidget(m_pFingerprint);
        trustLayout->addWidget(hint);
        layout->addWidget(trust);
    }
    if (kind.mailPreview) {
        m_pMailPreview = Named(new QCheckBox(tr("显示邮件预览"), this), "mailPreview", tr("显示邮件预览"));
        m_pMailPreview->setChecked(options.mailPreview);
        layout->addWidget(m_pMailPreview);
    }

    auto* ok = Named(new QPushButton(tr("确认"), this), "ok", tr("确认"));
    ok->setDefault(true);
    auto* cancel = Named(new QPushButton(tr("放弃"), this), "cancel", tr("放弃"));
    connect(ok, &QPushButton::clicked, this, &CAdvancedOptionsDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
}

void CAdvancedOptionsDlg::OnOK()
{
    std::string fingerprint;
    if (m_pFingerprint && !m_pFingerprint->text().trimmed().isEmpty()) {
        fingerprint = NormalizeFingerprint(m_pFingerprint->text().toStdString());
        if (fingerprint.empty()) {
            m_boxes.Show(this, tr("证书指纹应是 64 位十六进制数字（SHA-256），可以用冒号分隔。"), windowTitle(),
                         QMessageBox::Information, QMessageBox::Ok);
            m_pFingerprint->setFocus();
            m_pFingerprint->selectAll();
            return;
        }
    }
    m_options.ownSchedule = m_pOwnSchedule->isChecked();
    if (m_options.ownSchedule) {
        m_nIntervalMinutes = m_pInterval->value(); // an interval below a minute stays as it was otherwise
    }
    m_options.expectMinutes = m_pExpect->isChecked() ? m_pExpectMinutes->value() : 0;
    if (m_pFingerprint) {
        m_options.pinnedCertificate = fingerprint;
    }
    if (m_pMailPreview) {
        m_options.mailPreview = m_pMailPreview->isChecked();
    }
    accept();
}
