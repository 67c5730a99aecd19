// The main window: for now a live list of every scanned file, with scan progress in the status bar.
#pragma once

#include "model/FileLists.h"

#include <QMainWindow>

class QLabel;
class QListView;
class QProgressBar;

namespace vellumry {

class FileListModel;
class FolderScanner;

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Empties the lists and scans the folder.
    void openFolder(const QString &path);
    void chooseFolder();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void updateStatus();

    FileLists m_lists;
    FolderScanner *m_scanner;
    FileListModel *m_model;
    QListView *m_view;
    QLabel *m_status;
    QProgressBar *m_progress;
};

} // namespace vellumry
