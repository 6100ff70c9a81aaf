#include "gui/dialogs/CAboutBox.h"

#include "gui/widgets/GuiImages.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutBox::CAboutBox(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("关于 Wendar"));
    setAccessibleName(windowTitle());
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(48, 48));
    icon->setAccessibleName(QStringLiteral("Wendar"));
    top->addWidget(icon, 0, Qt::AlignTop);
    auto* text = new QLabel(tr("<b>Wendar</b> %1<br><br>"
                               "监视数据库视图、网页、FTP 目录和 POP3 邮箱，<br>"
                               "并告诉您其中的新消息。")
                                .arg(QCoreApplication::applicationVersion()),
                            this);
    text->setAccessibleName(QStringLiteral("Wendar %1").arg(QCoreApplication::applicationVersion()));
    top->addWidget(text, 1);
    layout->addLayout(top);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(tr("确定"), QDialogButtonBox::AcceptRole);
    ok->setAccessibleName(ok->text());
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
