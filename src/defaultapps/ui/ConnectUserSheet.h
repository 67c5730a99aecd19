// The sheet that asks, once, for access to a folder before the application file sheet can open.
#pragma once

#include <QDialog>

class QPushButton;

namespace vellumry {

class BackgroundImageView;

class ConnectUserSheet : public QDialog
{
    Q_OBJECT
public:
    explicit ConnectUserSheet(QWidget *parent = nullptr);

    // The sheet's ground for the light or dark look, as the other sheets have it.
    void applyLook(bool dark);

    BackgroundImageView *imageView;
    QPushButton *connectButton;
    QPushButton *cancelButton;
};

} // namespace vellumry
