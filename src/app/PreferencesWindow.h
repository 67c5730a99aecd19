// The Preferences window and the About window.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vellumry {

class PreferencesWindow : public QWidget
{
    Q_OBJECT
public:
    explicit PreferencesWindow(QWidget *parent = nullptr);

    QCheckBox *autoLunchBtn;   // start Vellumry at login
    QCheckBox *batchPreviewBtn; // show a batch's preview before it runs
    QLineEdit *usedCountlab;   // the used-count threshold of the application box, as typed
    QLabel *loginMessageLabel; // why the last change of the login item failed; hidden otherwise
    QPushButton *closeButton;

Q_SIGNALS:
    void closing(); // the window is about to be hidden, by its button, Esc or the title bar

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

class AboutWindow : public QWidget
{
    Q_OBJECT
public:
    explicit AboutWindow(QWidget *parent = nullptr);

    QLabel *versionLabel;
    QPushButton *productPageButton;
    QPushButton *supportPageButton;
    QPushButton *closeButton;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace vellumry
