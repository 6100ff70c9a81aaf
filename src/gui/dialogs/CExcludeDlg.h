#pragma once
// "排除内容设定": edits one exclusion range of a web item, its start and end marker. Empty
// markers are accepted.
#include <QDialog>
#include <QString>

class QLineEdit;

class CExcludeDlg final : public QDialog
{
    Q_OBJECT
public:
    explicit CExcludeDlg(QWidget* parent = nullptr);

    // Exchanged with the two fields when the dialog opens and when OK is pressed.
    QString m_strFrom;
    QString m_strTo;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnOK();

    QLineEdit* m_pFrom = nullptr;
    QLineEdit* m_pTo = nullptr;
};
