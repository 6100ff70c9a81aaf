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
    // Two numbers, each said for what it stands: the window's title carries the design's V1.03,
    // the program (wendar --version, the package) its release.
    const QString version = QCoreApplication::applicationVersion();
    auto* text = new QLabel(QStringLiteral("<b>Wendar V1.03</b><br>") +
                                tr("程序版本 %1 (wendar --version 和安装包的版本; 标题中的 V1.03 是界面的版本)")
                                    .arg(version)
                                    .toHtmlEscaped() +
                                QStringLiteral("<br><br>") +
                                tr("监视数据库视图、网页、FTP 目录和 POP3 邮箱，<br>并告诉您其中的新消息。"),
                            this);
    text->setAccessibleName(tr("Wendar V1.03, 程序版本 %1").arg(version));
    top->addWidget(text, 1);
    layout->addLayout(top);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(tr("确定"), QDialogButtonBox::AcceptRole);
    ok->setAccessibleName(ok->text());
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
