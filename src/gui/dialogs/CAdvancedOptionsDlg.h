#pragma once
// "更多高级选项" of the property dialog: the item's own schedule (its CheckInterval in minutes),
// the expected period after which an item without news counts as silent, the one server
// certificate a POP3S or HTTPS item trusts besides the system's (by its SHA-256 fingerprint), and
// the mail preview of a POP3 item. It edits copies: the property dialog stores them with the item
// when it is confirmed.
#include "store/ItemOptions.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class IMessageBoxes;

// What the item as typed offers beyond the schedule.
struct AdvancedKind
{
    bool certificate = false; // POP3 over TLS or an HTTPS page
    bool mailPreview = false; // a POP3 item
};
AdvancedKind AdvancedKindOf(int category, const std::string& address, const std::string& viewName);

class CAdvancedOptionsDlg final : public QDialog
{
    Q_OBJECT
public:
    // offered: the fingerprint of the certificate the last failed check met (empty: none); it fills
    // the field when the item trusts none yet.
    CAdvancedOptionsDlg(IMessageBoxes& boxes, const ItemOptions& options, int intervalMinutes, AdvancedKind kind,
                        const std::string& offered, QWidget* parent = nullptr);

    // The values as confirmed (as given until then).
    const ItemOptions& Options() const { return m_options; }
    int IntervalMinutes() const { return m_nIntervalMinutes; }

private:
    void OnOK();

    IMessageBoxes& m_boxes;
    ItemOptions m_options;
    int m_nIntervalMinutes = 0;
    AdvancedKind m_kind;

    QCheckBox* m_pOwnSchedule = nullptr;
    QSpinBox* m_pInterval = nullptr;
    QCheckBox* m_pExpect = nullptr;
    QSpinBox* m_pExpectMinutes = nullptr;
    QLineEdit* m_pFingerprint = nullptr;
    QCheckBox* m_pMailPreview = nullptr;
};
