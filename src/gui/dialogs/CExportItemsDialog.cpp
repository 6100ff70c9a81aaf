#include "gui/dialogs/CExportItemsDialog.h"

#include <QCheckBox>
#include <QGridLayout>

CExportItemsDialog::CExportItemsDialog(QWidget* parent) : QFileDialog(parent)
{
    setWindowTitle(tr("导出选定的检查项目"));
    setAccessibleName(windowTitle());
    // Qt's own dialog: the desktop's could not carry the check box.
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setNameFilters({tr("检查项目文件 (*.json)"), tr("所有文件 (*)")});
    setDefaultSuffix(QStringLiteral("json"));
    selectFile(QStringLiteral("wendar-items.json"));
    m_passwords = new QCheckBox(tr("包括口令"), this);
    m_passwords->setAccessibleName(m_passwords->text());
    m_passwords->setToolTip(tr("口令会以明文写入文件, 文件只有您自己可以读取"));
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        grid->addWidget(m_passwords, grid->rowCount(), 0, 1, -1);
    }
}

bool CExportItemsDialog::WithPasswords() const
{
    return m_passwords->isChecked();
}
