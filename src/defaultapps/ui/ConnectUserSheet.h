// The sheet that asks, once, for access to a folder before the application file sheet can open.
#pragma once

#include <QDialog>

class QPushButton;

namespace vellumry {

class ConnectUserSheet : public QDialog
{
    Q_OBJECT
public:
    explicit ConnectUserSheet(QWidget *parent = nullptr);

    QPushButton *connectButton;
    QPushButton *cancelButton;
};

} // namespace vellumry
