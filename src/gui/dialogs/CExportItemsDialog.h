#pragma once
// The save dialog of 导出选定的检查项目: a file name, and "包括口令" (off unless ticked) for the
// passwords of the items.
#include <QFileDialog>

class QCheckBox;

class CExportItemsDialog final : public QFileDialog
{
    Q_OBJECT
public:
    explicit CExportItemsDialog(QWidget* parent = nullptr);

    bool WithPasswords() const;
    QCheckBox* PasswordsBox() const { return m_passwords; }

private:
    QCheckBox* m_passwords = nullptr;
};
