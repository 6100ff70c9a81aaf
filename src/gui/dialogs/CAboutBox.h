#pragma once
// "关于 Wendar": the program's name, version and what it does.
#include <QDialog>

class CAboutBox final : public QDialog
{
    Q_OBJECT
public:
    explicit CAboutBox(QWidget* parent = nullptr);
};
