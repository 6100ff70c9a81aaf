#pragma once
// "系统设置": the user settings (auto-check and its interval, sound, desktop notifications, the
// window layout, auto-start, page size, the mark-read delay). OK stores them, writes the profile
// and asks the frame to apply the auto-check setting; a number that is no integer or out of its
// bounds keeps the dialog open with the focus in its field and stores nothing. Cancel changes nothing.
#include <QDialog>
#include <functional>

class IMessageBoxes;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
struct Settings;

class CSystemSettingsDlg final : public QDialog
{
    Q_OBJECT
public:
    CSystemSettingsDlg(Settings& settings, IMessageBoxes& boxes, QWidget* parent = nullptr);

    // Run after the values are stored and written (the frame re-arms its auto-check timer).
    void SetApplyHandler(std::function<void()> handler) { m_apply = std::move(handler); }

    QCheckBox* AutoCheckBox() const { return m_autoCheck; }
    QLineEdit* IntervalEdit() const { return m_interval; }
    QCheckBox* SoundBox() const { return m_sound; }
    QCheckBox* DesktopNotifyBox() const { return m_desktopNotify; }
    QRadioButton* TopTwoBottomOne() const { return m_topTwo; }
    QRadioButton* LeftOneRightTwo() const { return m_leftOne; }
    QLineEdit* PageSizeEdit() const { return m_pageSize; }
    QCheckBox* AutoRunBox() const { return m_autoRun; }
    QLineEdit* MarkReadEdit() const { return m_markRead; }
    // "界面语言": 自动, 中文, English in the order of the setting's values; taken at the next start.
    QComboBox* UiLanguageBox() const { return m_uiLanguage; }

public Q_SLOTS:
    void accept() override;

private:
    // False after telling the user what the field takes and putting the focus in it.
    bool ReadBounded(QLineEdit* edit, const char* key, const char* fieldName, int& value);

    Settings& m_settings;
    IMessageBoxes& m_boxes;
    std::function<void()> m_apply;

    // One value per control, filled when the dialog opens.
    int m_nAutoCheck = 0;
    int m_nInterval = 0;
    int m_nSound = 0;
    int m_nDesktopNotify = 0;
    int m_nLayout = -1;
    int m_nPageSize = 0;
    int m_nAutoRun = 0;
    int m_nMarkRead = 0;
    int m_nUiLanguage = 0;

    QCheckBox* m_autoCheck = nullptr;
    QLineEdit* m_interval = nullptr;
    QCheckBox* m_sound = nullptr;
    QCheckBox* m_desktopNotify = nullptr;
    QRadioButton* m_topTwo = nullptr;
    QRadioButton* m_leftOne = nullptr;
    QLineEdit* m_pageSize = nullptr;
    QCheckBox* m_autoRun = nullptr;
    QLineEdit* m_markRead = nullptr;
    QComboBox* m_uiLanguage = nullptr;
};

// The mark-read delay's note: no countdown at all.
inline constexpr const char* kMarkReadAtOnceText = QT_TRANSLATE_NOOP("CSystemSettingsDlg", "(0 = 立即)");
inline constexpr const char* kSettingsNotWrittenText =
    QT_TRANSLATE_NOOP("CSystemSettingsDlg", "设置不能写入配置文件，下次启动时将恢复原来的设置。");
