#pragma once
// "自动检查消息项目属性": the modal dialog in which one check item is made or edited, with the
// presets of messagetype.dat and the exclusion ranges of web items.
//
// Like a form with data exchange, the controls are copied into the data members (UpdateData(true))
// and back (UpdateData(false)); a number field that holds no whole number keeps its earlier value.
// OK stores nothing until every field keeps its bounds (app/ItemRules.h): the first that does not
// is named in one box and gets the focus.
#include "app/CItemOperations.h"
#include "store/ItemOptions.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

class CDryRunJob;
struct DryRunResult;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QToolButton;
struct GuiContext;

class CMessageTypeDlg final : public QDialog
{
    Q_OBJECT
public:
    // Command ids of the preset menu entries count up from here.
    static constexpr int kFirstPresetId = 32969;

    CMessageTypeDlg(GuiContext& context, QWidget* parent = nullptr);
    ~CMessageTypeDlg() override;

    // The item being edited; owned by the caller. Set before the dialog runs.
    void SetMessageType(MessageTypeInfo* item) { m_pItem = item; }
    void LoadFromItem(const MessageTypeInfo* item);
    // False when a number field holds no whole number (it keeps its earlier value).
    bool UpdateData(bool saveAndValidate);
    // Copies the form into the item and stores it with its exclusion ranges, all or nothing. False
    // when the store refused; a box has said why and the item keeps its key.
    bool SaveToItem(MessageTypeInfo& item);

    void OnCategoryChange();
    void UpdateSoundControls();
    void OnSoundCheck();
    void OnPreset(int commandId);
    void BuildPresetMenu();
    // The ranges in the list, top down, as they are stored.
    void ShowExcludeList(const ExcludeRanges& ranges);
    ExcludeRanges ExcludeListRanges() const;
    void EditExclude(int row);
    void OnOK();
    // "更多高级选项": the item's own schedule and interval, expected period, trusted certificate
    // and mail preview; kept until OK stores them with the item.
    void OnAdvanced();
    // "测试": tries the item as typed, off the UI thread; pressed again while it runs, cancels it.
    void OnTest();
    bool IsTestRunning() const { return !m_testJob.isNull(); }
    // The item's options as they will be stored.
    const ItemOptions& PendingOptions() const { return m_itemOptions; }

protected:
    void showEvent(QShowEvent* event) override;
    // Enter in the address field is OK: the address is one line.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // OK, Cancel or the window's close: a test sound that still plays is stopped.
    void done(int result) override;

private:
    void BuildLayout();
    void OnInitDialog();
    void SelectDisplayRadio();
    static bool ReadInteger(const QLineEdit* edit, int& value);
    void FormToItem(MessageTypeInfo& item) const;
    // The first field that breaks its bounds has been named in a box and has the focus.
    bool RefuseBrokenField();
    int FirstSelectedExcludeRow() const;
    void OnModifyExclude();
    void OnDeleteExclude();
    void OnChooseSound();
    void OnTestSound();
    void ClosePresets();
    void ShowExcludeSelectionMessage();
    void LoadItemOptions();
    void ShowTestResult(const DryRunResult& result);

    GuiContext& m_context;
    MessageTypeInfo* m_pItem = nullptr;
    int m_bMustHaveID = 0;
    bool m_bInitialized = false;
    std::vector<Preset> m_presets;
    // The item's own options; stored with it only when 更多高级选项 was confirmed.
    ItemOptions m_itemOptions;
    bool m_bOptionsEdited = false;
    // The certificate the last failed check met (empty: none), offered for trust.
    std::string m_strOfferedFingerprint;
    QPointer<CDryRunJob> m_testJob;

    // Data members of the bound controls.
    QString m_strName;
    int m_nCategory = 0;
    QString m_strUser;
    QString m_strAddress;
    QString m_strUserName;
    QString m_strPassword;
    QString m_strViewName;
    bool m_bAutoCheck = true;
    int m_nMinutes = 0;
    int m_nCheckNumber = 0;
    bool m_bCanChangeState = true;
    int m_nDisplayType = 0;
    int m_bNotify = 0;
    QString m_strSound;
    QString m_strIncludeFrom;
    QString m_strIncludeTo;
    QString m_strAbout;

    // The sound test plays off the UI thread; joined before the dialog goes.
    std::thread m_soundTest;
    std::shared_ptr<std::atomic<bool>> m_soundPlaying = std::make_shared<std::atomic<bool>>(false);
    // Set when the dialog closes: a test sound still playing ends then, not at its own end.
    std::shared_ptr<std::atomic<bool>> m_soundStop = std::make_shared<std::atomic<bool>>(false);

    // Controls (owned by the dialog).
    QLineEdit* m_pName = nullptr;
    QToolButton* m_pPreset = nullptr;
    QMenu* m_pPresetMenu = nullptr;
    QComboBox* m_pCategory = nullptr;
    QLineEdit* m_pUser = nullptr;
    QPushButton* m_pAdvanced = nullptr;
    QPlainTextEdit* m_pAddress = nullptr;
    QLineEdit* m_pUserName = nullptr;
    QLineEdit* m_pPassword = nullptr;
    QLabel* m_pViewLabel = nullptr;
    QLineEdit* m_pViewName = nullptr;
    QPushButton* m_pTest = nullptr;
    QLabel* m_pTestResult = nullptr;
    QCheckBox* m_pAutoCheck = nullptr;
    QLineEdit* m_pMinutes = nullptr;
    QLineEdit* m_pCheckNumber = nullptr;
    QCheckBox* m_pCanChangeState = nullptr;
    QRadioButton* m_pShowLink = nullptr;
    QRadioButton* m_pShowContent = nullptr;
    QCheckBox* m_pSound = nullptr;
    QLineEdit* m_pNotify = nullptr;
    QCheckBox* m_pWarnOnce = nullptr;
    QLineEdit* m_pSoundFile = nullptr;
    QPushButton* m_pChooseSound = nullptr;
    QToolButton* m_pPlaySound = nullptr;
    QLineEdit* m_pIncludeFrom = nullptr;
    QLineEdit* m_pIncludeTo = nullptr;
    QLineEdit* m_pIncludeFrom2 = nullptr;
    QTableWidget* m_pExcludeList = nullptr;
    QPushButton* m_pAddExclude = nullptr;
    QPushButton* m_pModifyExclude = nullptr;
    QPushButton* m_pDeleteExclude = nullptr;
    QPlainTextEdit* m_pAbout = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
};
