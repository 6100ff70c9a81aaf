#include "gui/dialogs/CMessageTypeDlg.h"

#include "app/CTarvoApp.h"
#include "app/ISoundPlayer.h"
#include "app/ItemRules.h"
#include "gui/dialogs/CAdvancedOptionsDlg.h"
#include "gui/dialogs/CDryRunJob.h"
#include "gui/dialogs/CExcludeDlg.h"
#include "gui/dialogs/MessageTypeForm.h"
#include "gui/frame/GuiContext.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QToolButton>

namespace {

constexpr const char* kNoRangeSelectedText = QT_TRANSLATE_NOOP("CMessageTypeDlg", "请首先选择需要修改的条目");
constexpr const char* kConfirmCaption = QT_TRANSLATE_NOOP("CMessageTypeDlg", "确认");
constexpr const char* kFieldCaption = QT_TRANSLATE_NOOP("CMessageTypeDlg", "属性信息错误");
constexpr const char* kSoundFilter = QT_TRANSLATE_NOOP("CMessageTypeDlg", "声音文件 (*.wav);;所有文件 (*.*)");
constexpr const char* kDefaultSoundFile = "ring01.wav";
// How many subjects of a trial's findings the dialog lists.
constexpr size_t kShownSubjects = 5;

QString FromStd(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string ToStd(const QString& text)
{
    return text.toStdString();
}

// The folder the sound file choice opens in; kept for the rest of the program's run.
QString& SoundFolder()
{
    static QString folder;
    return folder;
}

} // namespace

CMessageTypeDlg::CMessageTypeDlg(GuiContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    BuildLayout();
    connect(m_pPreset, &QToolButton::clicked, m_pPreset, &QToolButton::showMenu);
    connect(m_pOk, &QPushButton::clicked, this, &CMessageTypeDlg::OnOK);
    connect(m_pCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_pCategory, &QComboBox::activated, this, [this](int) { OnCategoryChange(); });
    connect(m_pAutoCheck, &QCheckBox::clicked, this, [this](bool checked) { m_pMinutes->setEnabled(checked); });
    connect(m_pSound, &QCheckBox::clicked, this, [this](bool) { OnSoundCheck(); });
    // "只警告一次" only shows what the interval says.
    connect(m_pWarnOnce, &QCheckBox::clicked, this, [this](bool) { m_pWarnOnce->setChecked(m_bNotify == 0); });
    connect(m_pNotify, &QLineEdit::textEdited, this, [this](const QString&) { UpdateSoundControls(); });
    connect(m_pChooseSound, &QPushButton::clicked, this, &CMessageTypeDlg::OnChooseSound);
    connect(m_pPlaySound, &QToolButton::clicked, this, &CMessageTypeDlg::OnTestSound);
    connect(m_pAddExclude, &QPushButton::clicked, this, [this]() { EditExclude(-1); });
    connect(m_pModifyExclude, &QPushButton::clicked, this, &CMessageTypeDlg::OnModifyExclude);
    connect(m_pDeleteExclude, &QPushButton::clicked, this, &CMessageTypeDlg::OnDeleteExclude);
    connect(m_pAdvanced, &QPushButton::clicked, this, &CMessageTypeDlg::OnAdvanced);
    connect(m_pTest, &QPushButton::clicked, this, &CMessageTypeDlg::OnTest);
    // A trial still running when the dialog ends goes on to its end by itself, cancelled.
    connect(this, &QDialog::finished, this, [this](int) {
        if (m_testJob) {
            m_testJob->Cancel();
        }
    });
    m_pAddress->installEventFilter(this);
}

bool CMessageTypeDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pAddress && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OnOK();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

CMessageTypeDlg::~CMessageTypeDlg()
{
    if (m_testJob) {
        m_testJob->Cancel();
    }
    m_soundStop->store(true);
    if (m_soundTest.joinable()) {
        m_soundTest.join();
    }
    ClosePresets();
}

void CMessageTypeDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitialized) {
        m_bInitialized = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CMessageTypeDlg::OnInitDialog()
{
    m_pMinutes->hide();
    m_pCheckNumber->raise();
    LoadFromItem(m_pItem);
    SelectDisplayRadio();
    m_pMinutes->setEnabled(m_bAutoCheck);
    BuildPresetMenu();
    UpdateData(false);
    UpdateSoundControls();
    LoadItemOptions();
    if (m_pItem && m_pItem->messagetypeid != 0) {
        std::string error;
        if (auto ranges = m_context.app.Items().LoadRanges(m_pItem->messagetypeid, error)) {
            ShowExcludeList(*ranges);
        }
    }
    OnCategoryChange();
}

void CMessageTypeDlg::closeEvent(QCloseEvent* event)
{
    ClosePresets();
    QDialog::closeEvent(event);
}

void CMessageTypeDlg::done(int result)
{
    m_soundStop->store(true);
    QDialog::done(result);
}

void CMessageTypeDlg::ClosePresets()
{
    m_presets.clear();
}

// ---- data exchange ----

void CMessageTypeDlg::LoadFromItem(const MessageTypeInfo* item)
{
    if (!item) {
        return;
    }
    m_strName = FromStd(item->MessageTypeName);
    m_nCategory = item->MessageCategory - 1;
    m_strUser = FromStd(item->MessageTypeUser);
    m_strAddress = FromStd(item->connAddress);
    m_strUserName = FromStd(item->UserName);
    m_strPassword = FromStd(item->Password);
    m_strViewName = FromStd(item->ViewName);
    m_bAutoCheck = item->state >= 1;
    m_nMinutes = item->CheckInterval / 60;
    m_nCheckNumber = item->CheckNumber;
    m_bCanChangeState = item->bCanChangeState != 0;
    m_nDisplayType = item->DisplayType;
    m_bNotify = item->bNotify;
    m_strSound = FromStd(item->notifysound);
    m_strIncludeFrom = FromStd(item->IncludeFrom);
    m_strIncludeTo = FromStd(item->IncludeTo);
    m_strAbout = FromStd(item->About);
    m_bMustHaveID = item->MustHaveID;
}

void CMessageTypeDlg::SelectDisplayRadio()
{
    m_pShowLink->setChecked(m_nDisplayType != 0);
    m_pShowContent->setChecked(m_nDisplayType == 0);
}

bool CMessageTypeDlg::ReadInteger(const QLineEdit* edit, int& value)
{
    if (auto parsed = ParseFormInteger(edit->text())) {
        value = *parsed;
        return true;
    }
    return false;
}

bool CMessageTypeDlg::UpdateData(bool saveAndValidate)
{
    if (!saveAndValidate) {
        m_pCanChangeState->setChecked(m_bCanChangeState);
        m_pCategory->setCurrentIndex(m_nCategory >= 0 && m_nCategory < m_pCategory->count() ? m_nCategory : -1);
        m_pAutoCheck->setChecked(m_bAutoCheck);
        m_pMinutes->setText(QString::number(m_nMinutes));
        m_pAddress->setPlainText(m_strAddress);
        m_pUserName->setText(m_strUserName);
        m_pPassword->setText(m_strPassword);
        m_pViewName->setText(m_strViewName);
        m_pUser->setText(m_strUser);
        m_pName->setText(m_strName);
        m_pAbout->setPlainText(m_strAbout);
        m_pCheckNumber->setText(QString::number(m_nCheckNumber));
        m_pIncludeFrom->setText(m_strIncludeFrom);
        m_pIncludeTo->setText(m_strIncludeTo);
        m_pSoundFile->setText(m_strSound);
        m_pNotify->setText(QString::number(m_bNotify));
        return true;
    }
    bool numbers = true;
    m_bCanChangeState = m_pCanChangeState->isChecked();
    // A category the list does not hold (shown without a selection) stays as it was.
    if (m_pCategory->currentIndex() >= 0) {
        m_nCategory = m_pCategory->currentIndex();
    }
    m_bAutoCheck = m_pAutoCheck->isChecked();
    numbers &= ReadInteger(m_pMinutes, m_nMinutes);
    m_strAddress = m_pAddress->toPlainText();
    m_strUserName = m_pUserName->text();
    m_strPassword = m_pPassword->text();
    m_strViewName = m_pViewName->text();
    m_strUser = m_pUser->text();
    m_strName = m_pName->text();
    m_strAbout = m_pAbout->toPlainText();
    numbers &= ReadInteger(m_pCheckNumber, m_nCheckNumber);
    m_strIncludeFrom = m_pIncludeFrom->text();
    m_strIncludeTo = m_pIncludeTo->text();
    m_strSound = m_pSoundFile->text();
    numbers &= ReadInteger(m_pNotify, m_bNotify);
    return numbers;
}

void CMessageTypeDlg::FormToItem(MessageTypeInfo& item) const
{
    item.MessageTypeName = ToStd(m_strName);
    item.MessageCategory = m_nCategory + 1;
    item.MessageTypeUser = ToStd(m_strUser);
    item.connAddress = ToStd(m_strAddress);
    item.UserName = ToStd(m_strUserName);
    item.Password = ToStd(m_strPassword);
    item.ViewName = ToStd(m_strViewName);
    item.state = m_bAutoCheck ? 1 : 0;
    item.CheckInterval = m_nMinutes * 60;
    item.CheckNumber = m_nCheckNumber;
    item.bCanChangeState = m_bCanChangeState ? 1 : 0;
    item.bNotify = m_bNotify;
    item.notifysound = ToStd(m_strSound);
    item.IncludeFrom = ToStd(m_strIncludeFrom);
    item.IncludeTo = ToStd(m_strIncludeTo);
    item.About = ToStd(m_strAbout);
    item.MustHaveID = m_bMustHaveID;
    item.DisplayType = m_pShowLink->isChecked() ? 1 : 0;
}

bool CMessageTypeDlg::RefuseBrokenField()
{
    std::optional<ItemRuleBreak> broken;
    // A number field without a number is named with its bounds, like one out of them.
    int number = 0;
    if (m_pCheckNumber->isEnabled() && !ReadInteger(m_pCheckNumber, number)) {
        broken = ItemRuleBreak{ItemField::CheckNumber, ItemFieldRule(ItemField::CheckNumber)};
    } else if (m_pNotify->isEnabled() && !ReadInteger(m_pNotify, number)) {
        broken = ItemRuleBreak{ItemField::NotifyInterval, ItemFieldRule(ItemField::NotifyInterval)};
    } else {
        MessageTypeInfo candidate;
        FormToItem(candidate);
        const ExcludeRanges ranges = ExcludeListRanges();
        broken = CheckItemFields(candidate, &ranges);
    }
    if (!broken) {
        return false;
    }
    m_context.boxes.Show(this, FromStd(broken->text), tr(kFieldCaption), QMessageBox::NoIcon, QMessageBox::Ok);
    QWidget* field = nullptr;
    switch (broken->field) {
    case ItemField::Name:
        field = m_pName;
        break;
    case ItemField::Address:
        field = m_pAddress;
        break;
    case ItemField::Port:
        field = m_pViewName;
        break;
    case ItemField::CheckNumber:
        field = m_pCheckNumber;
        break;
    case ItemField::NotifyInterval:
        field = m_pNotify;
        break;
    case ItemField::ExcludeRange:
        m_pExcludeList->selectRow(broken->rangeIndex);
        field = m_pExcludeList;
        break;
    }
    field->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        edit->selectAll();
    }
    return true;
}

bool CMessageTypeDlg::SaveToItem(MessageTypeInfo& item)
{
    UpdateData(true);
    FormToItem(item);
    std::string error;
    const auto options = m_bOptionsEdited ? std::optional<ItemOptions>(m_itemOptions) : std::nullopt;
    if (!m_context.app.Items().Save(item, ExcludeListRanges(), options, error)) {
        m_context.boxes.Show(this, FromStd(error), QString(), QMessageBox::Information, QMessageBox::Ok);
        return false;
    }
    return true;
}

// ---- category and sound ----

void CMessageTypeDlg::OnCategoryChange()
{
    UpdateData(true);
    m_pViewLabel->setText(ViewLabelForCategory(m_nCategory));
    m_pViewName->setAccessibleName(m_pViewLabel->text());
    const CategoryControls controls = ControlsForCategory(m_nCategory);
    m_pViewName->setEnabled(controls.viewName);
    m_pCheckNumber->setEnabled(controls.checkNumber);
    m_pUser->setEnabled(controls.identity);
    m_pIncludeFrom->setEnabled(controls.include);
    m_pIncludeTo->setEnabled(controls.include);
    for (QWidget* widget : {static_cast<QWidget*>(m_pExcludeList), static_cast<QWidget*>(m_pAddExclude),
                            static_cast<QWidget*>(m_pModifyExclude), static_cast<QWidget*>(m_pDeleteExclude)}) {
        widget->setEnabled(controls.exclude);
    }
}

void CMessageTypeDlg::UpdateSoundControls()
{
    UpdateData(true);
    m_pWarnOnce->setChecked(m_bNotify == 0);
    const bool sound = m_bNotify != -1;
    m_pSoundFile->setEnabled(sound);
    m_pNotify->setEnabled(sound);
    m_pWarnOnce->setEnabled(sound);
    m_pSound->setChecked(sound);
}

void CMessageTypeDlg::OnSoundCheck()
{
    UpdateData(true);
    m_bNotify = m_pSound->isChecked() ? 0 : -1;
    UpdateData(false);
    UpdateSoundControls();
}

void CMessageTypeDlg::OnChooseSound()
{
    const QString dataDir = FromStd(m_context.app.m_strAppDir);
    const QString resourceDir = FromStd(m_context.app.m_strResourceDir);
    QString& folder = SoundFolder();
    if (folder.isEmpty()) {
        // The user's own sounds when there are any, else the ones that come with the program.
        folder = dataDir + QStringLiteral("sound/");
        if (!QFileInfo(folder).isDir() && !resourceDir.isEmpty()) {
            folder = resourceDir + QStringLiteral("sound/");
        }
    }
    QFileDialog dialog(this, QString(), folder, tr(kSoundFilter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("WAV"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    UpdateData(true);
    const QString chosen = dialog.selectedFiles().front();
    m_strSound = StoredSoundPath(dataDir, resourceDir, chosen);
    folder = QFileInfo(chosen).absolutePath() + QLatin1Char('/');
    UpdateData(false);
}

void CMessageTypeDlg::OnTestSound()
{
    std::shared_ptr<ISoundPlayer> player = m_context.soundPlayer;
    if (!player || m_soundPlaying->load()) {
        return; // one test at a time
    }
    if (m_soundTest.joinable()) {
        m_soundTest.join();
    }
    // The field as last exchanged with the controls; a relative path is a program file.
    const std::string path = m_strSound.isEmpty() ? std::string() : m_context.app.ProgramFile(ToStd(m_strSound));
    const std::string fallback = m_context.app.ProgramFile(kDefaultSoundFile);
    m_soundPlaying->store(true);
    m_soundStop->store(false);
    m_soundTest = std::thread([player, path, fallback, playing = m_soundPlaying, stop = m_soundStop]() {
        if ((path.empty() || !player->PlayUntilStopped(path, *stop)) && !stop->load()) {
            player->PlayUntilStopped(fallback, *stop);
        }
        playing->store(false);
    });
}

// ---- presets ----

void CMessageTypeDlg::BuildPresetMenu()
{
    // Without the preset file the button simply has no entries; nothing is shown.
    std::string error;
    auto presets = m_context.app.Items().Presets(error);
    if (!presets) {
        return;
    }
    m_presets = std::move(*presets);
    m_pPresetMenu->clear();
    int commandId = kFirstPresetId;
    for (const Preset& preset : m_presets) {
        QAction* action = m_pPresetMenu->addAction(FromStd(preset.item.MessageTypeName));
        action->setData(commandId);
        connect(action, &QAction::triggered, this, [this, commandId]() { OnPreset(commandId); });
        ++commandId;
    }
}

void CMessageTypeDlg::OnPreset(int commandId)
{
    const int index = commandId - kFirstPresetId;
    if (index < 0 || index >= static_cast<int>(m_presets.size())) {
        return;
    }
    // Saving a preset makes a new item when the dialog edits a new one; an edited item keeps its id.
    const Preset& preset = m_presets[static_cast<size_t>(index)];
    m_bMustHaveID = preset.item.MustHaveID;
    LoadFromItem(&preset.item);
    ShowExcludeList(preset.excludes);
    SelectDisplayRadio();
    m_pMinutes->setEnabled(m_bAutoCheck);
    UpdateData(false);
    UpdateSoundControls();
    OnCategoryChange();
}

// ---- exclusion ranges ----

void CMessageTypeDlg::ShowExcludeList(const ExcludeRanges& ranges)
{
    m_pExcludeList->setRowCount(0);
    for (const ExcludeRange& range : ranges) {
        const int row = m_pExcludeList->rowCount();
        m_pExcludeList->insertRow(row);
        auto* from = new QTableWidgetItem(FromStd(range.excludeFrom));
        from->setData(Qt::UserRole, range.ID);
        m_pExcludeList->setItem(row, 0, from);
        m_pExcludeList->setItem(row, 1, new QTableWidgetItem(FromStd(range.excludeTo)));
    }
}

ExcludeRanges CMessageTypeDlg::ExcludeListRanges() const
{
    ExcludeRanges ranges;
    for (int row = 0; row < m_pExcludeList->rowCount(); ++row) {
        ExcludeRange range;
        if (const QTableWidgetItem* from = m_pExcludeList->item(row, 0)) {
            range.excludeFrom = ToStd(from->text());
        }
        if (const QTableWidgetItem* to = m_pExcludeList->item(row, 1)) {
            range.excludeTo = ToStd(to->text());
        }
        ranges.push_back(std::move(range));
    }
    return ranges;
}

void CMessageTypeDlg::EditExclude(int row)
{
    CExcludeDlg dialog(this);
    if (row != -1) {
        dialog.m_strFrom = m_pExcludeList->item(row, 0) ? m_pExcludeList->item(row, 0)->text() : QString();
        dialog.m_strTo = m_pExcludeList->item(row, 1) ? m_pExcludeList->item(row, 1)->text() : QString();
    }
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    if (row == -1) {
        m_pExcludeList->insertRow(0);
        row = 0;
    }
    auto* from = new QTableWidgetItem(dialog.m_strFrom);
    if (const QTableWidgetItem* old = m_pExcludeList->item(row, 0)) {
        from->setData(Qt::UserRole, old->data(Qt::UserRole));
    }
    m_pExcludeList->setItem(row, 0, from);
    m_pExcludeList->setItem(row, 1, new QTableWidgetItem(dialog.m_strTo));
}

int CMessageTypeDlg::FirstSelectedExcludeRow() const
{
    int first = -1;
    for (const QModelIndex& index : m_pExcludeList->selectionModel()->selectedRows()) {
        if (first == -1 || index.row() < first) {
            first = index.row();
        }
    }
    return first;
}

void CMessageTypeDlg::ShowExcludeSelectionMessage()
{
    m_context.boxes.Show(this, tr(kNoRangeSelectedText), tr(kConfirmCaption), QMessageBox::NoIcon, QMessageBox::Ok);
}

void CMessageTypeDlg::OnModifyExclude()
{
    const int row = FirstSelectedExcludeRow();
    if (row < 0) {
        ShowExcludeSelectionMessage();
        return;
    }
    EditExclude(row);
}

void CMessageTypeDlg::OnDeleteExclude()
{
    const int row = FirstSelectedExcludeRow();
    if (row < 0) {
        ShowExcludeSelectionMessage();
        return;
    }
    m_pExcludeList->removeRow(row);
}

// ---- OK ----

void CMessageTypeDlg::OnOK()
{
    UpdateData(true);
    if (auto refusal = CheckMessageTypeForm(m_nCategory, m_strAddress, m_bMustHaveID, m_strUser)) {
        m_context.boxes.Show(this, refusal->text, refusal->caption, refusal->icon, QMessageBox::Ok);
        return;
    }
    if (RefuseBrokenField()) {
        return;
    }
    if (m_pItem && !SaveToItem(*m_pItem)) {
        return; // kept open so that nothing typed is lost
    }
    accept();
}

// ---- advanced options and the trial ----

void CMessageTypeDlg::LoadItemOptions()
{
    m_itemOptions = ItemOptions{};
    m_strOfferedFingerprint.clear();
    if (!m_pItem || m_pItem->messagetypeid == 0) {
        return;
    }
    // Unreadable options show the defaults; they are written only when the user confirms them.
    std::string error;
    if (auto options = m_context.app.Health().Options(m_pItem->messagetypeid, error)) {
        m_itemOptions = *options;
    }
    if (auto health = m_context.app.Health().Health(m_pItem->messagetypeid, error)) {
        m_strOfferedFingerprint = FingerprintInText(health->lastError);
    }
}

void CMessageTypeDlg::OnAdvanced()
{
    UpdateData(true);
    const AdvancedKind kind = AdvancedKindOf(m_nCategory + 1, ToStd(m_strAddress), ToStd(m_strViewName));
    CAdvancedOptionsDlg dialog(m_context.boxes, m_itemOptions, m_nMinutes, kind, m_strOfferedFingerprint, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    m_itemOptions = dialog.Options();
    m_bOptionsEdited = true;
    m_nMinutes = dialog.IntervalMinutes();
    UpdateData(false);
}

void CMessageTypeDlg::OnTest()
{
    if (m_testJob) {
        m_testJob->Cancel();
        m_pTest->setEnabled(false); // until the trial has ended
        return;
    }
    UpdateData(true);
    m_pTestResult->show();
    if (auto refusal = CheckMessageTypeForm(m_nCategory, m_strAddress, 0, QString())) {
        m_pTestResult->setText(tr("测试失败：%1").arg(refusal->text));
        return;
    }
    StoredItem typed;
    if (m_pItem) {
        typed.item = *m_pItem;
    }
    FormToItem(typed.item);
    typed.excludes = ExcludeListRanges();
    // The main window ends a trial that outlives the dialog; without one, the application does.
    QObject* owner = parentWidget() ? static_cast<QObject*>(parentWidget()->window()) : QCoreApplication::instance();
    m_testJob = new CDryRunJob(m_context.app, std::move(typed), m_itemOptions.pinnedCertificate, owner);
    connect(m_testJob, &CDryRunJob::Finished, this, &CMessageTypeDlg::ShowTestResult);
    m_pTest->setText(tr("停止测试"));
    m_pTestResult->setText(tr("正在测试……"));
}

void CMessageTypeDlg::ShowTestResult(const DryRunResult& result)
{
    m_testJob.clear();
    m_pTest->setText(tr("测试"));
    m_pTest->setEnabled(true);
    QString text;
    if (result.cancelled) {
        text = tr("测试已取消。");
    } else if (!result.ok) {
        text = tr("测试失败：%1").arg(FromStd(result.error));
    } else if (result.newFindings == 0) {
        text = tr("测试成功：现在检查不会有新消息。");
    } else {
        text = tr("测试成功：现在检查会保存 %1 条新消息：").arg(result.newFindings);
        for (size_t i = 0; i < result.subjects.size() && i < kShownSubjects; ++i) {
            text += QStringLiteral("\n· ") + FromStd(result.subjects[i]);
        }
        if (static_cast<size_t>(result.newFindings) > std::min(result.subjects.size(), kShownSubjects)) {
            text += QStringLiteral("\n……");
        }
    }
    m_pTestResult->setText(text);
}
